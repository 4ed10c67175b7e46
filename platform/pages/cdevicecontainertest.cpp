#include "cdevicecontainertest.h"

#include "platform/pages/cplaceholderlabel.h"

#include <QVBoxLayout>

cDeviceContainerTest::cDeviceContainerTest(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("cDeviceContainerTest"));
    auto layout = new QVBoxLayout(this);
    layout->addWidget(new cPlaceholderLabel(tr("This page runs the built-in self-tests of the attached unit."), this));
}

QWidget *cDeviceContainerTest::selectorWidget()
{
    return nullptr;
}

QWidget *cDeviceContainerTest::widget()
{
    return this;
}

void cDeviceContainerTest::setActive(bool active)
{
    m_active = active;
}

#include "cdevicetestpage.h"

#include "platform/pages/cplaceholderlabel.h"

#include <QVBoxLayout>

cDeviceTestPage::cDeviceTestPage(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("cDeviceTestPage"));
    auto layout = new QVBoxLayout(this);
    layout->addWidget(new cPlaceholderLabel(tr("This page gives engineers direct access to the test functions of the attached unit."), this));
}

QWidget *cDeviceTestPage::selectorWidget()
{
    return nullptr;
}

QWidget *cDeviceTestPage::widget()
{
    return this;
}

void cDeviceTestPage::setActive(bool active)
{
    m_active = active;
}

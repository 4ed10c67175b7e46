#include "cparamcontainer.h"

#include "platform/pages/cplaceholderlabel.h"

#include <QVBoxLayout>

cParamContainer::cParamContainer(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("cParamContainer"));
    auto layout = new QVBoxLayout(this);
    layout->addWidget(new cPlaceholderLabel(tr("This page reads, edits and writes the parameters of the attached unit."), this));
}

QWidget *cParamContainer::selectorWidget()
{
    return nullptr;
}

QWidget *cParamContainer::widget()
{
    return this;
}

void cParamContainer::setActive(bool active)
{
    m_active = active;
}

#include "cflashpage.h"

#include "platform/pages/cplaceholderlabel.h"

#include <QVBoxLayout>

cFlashPage::cFlashPage(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("cFlashPage"));
    auto layout = new QVBoxLayout(this);
    layout->addWidget(new cPlaceholderLabel(tr("This page writes firmware images into the attached unit."), this));
}

QWidget *cFlashPage::selectorWidget()
{
    return nullptr;
}

QWidget *cFlashPage::widget()
{
    return this;
}

void cFlashPage::setActive(bool active)
{
    m_active = active;
}

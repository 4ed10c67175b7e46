#include "cplaceholderpage.h"

#include "platform/pages/cplaceholderlabel.h"

#include <QVBoxLayout>

cPlaceholderPage::cPlaceholderPage(const QString &objectName, const QString &purpose, QWidget *parent)
    : QWidget(parent)
{
    setObjectName(objectName);
    auto layout = new QVBoxLayout(this);
    layout->addWidget(new cPlaceholderLabel(purpose, this));
}

QWidget *cPlaceholderPage::selectorWidget()
{
    return nullptr;
}

QWidget *cPlaceholderPage::widget()
{
    return this;
}

void cPlaceholderPage::setActive(bool active)
{
    m_active = active;
}

#include "ctestcontainer.h"

#include "tests/ui/ctestmainwindow.h"

cTestContainer::cTestContainer(QWidget *parent)
    : QWidget(parent)
    , m_window(new cTestMainWindow(this, false))
{
}

QWidget *cTestContainer::selectorWidget()
{
    return nullptr;
}

QWidget *cTestContainer::widget()
{
    return m_window;
}

void cTestContainer::setActive(bool)
{
}

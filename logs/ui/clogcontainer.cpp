#include "clogcontainer.h"

#include "logs/ui/clogmainwindow.h"

cLogContainer::cLogContainer(QWidget *parent)
    : QWidget(parent)
    , m_window(new cLogMainWindow(this))
{
}

QWidget *cLogContainer::selectorWidget()
{
    return nullptr;
}

QWidget *cLogContainer::widget()
{
    return qobject_cast<QWidget *>(m_window);
}

void cLogContainer::setActive(bool)
{
}

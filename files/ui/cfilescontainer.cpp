#include "cfilescontainer.h"

#include "files/ui/cfilesmainwindow.h"

cFilesContainer::cFilesContainer(QWidget *parent)
    : QWidget(parent)
    , m_window(new cFilesMainWindow(this))
{
}

QWidget *cFilesContainer::selectorWidget()
{
    return nullptr;
}

QWidget *cFilesContainer::widget()
{
    return m_window;
}

void cFilesContainer::setActive(bool)
{
}

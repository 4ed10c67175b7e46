#include "cfilesmainwindow.h"

#include <QLabel>

cFilesMainWindow::cFilesMainWindow(QWidget *parent)
    : QMainWindow(parent)
{
    setObjectName(QStringLiteral("cFilesMainWindow"));
    auto label = new QLabel(tr("This page copies files between this computer and the attached unit."), this);
    label->setObjectName(QStringLiteral("placeholderLabel"));
    label->setAlignment(Qt::AlignCenter);
    label->setWordWrap(true);
    setCentralWidget(label);
}

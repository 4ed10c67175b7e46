#include "clogmainwindow.h"

#include <QLabel>

cLogMainWindow::cLogMainWindow(QWidget *parent)
    : QMainWindow(parent)
{
    setObjectName(QStringLiteral("cLogMainWindow"));
    auto label = new QLabel(tr("This page shows, filters and records the live log of the attached unit."), this);
    label->setObjectName(QStringLiteral("placeholderLabel"));
    label->setAlignment(Qt::AlignCenter);
    label->setWordWrap(true);
    setCentralWidget(label);
}

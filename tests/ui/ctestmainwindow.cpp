#include "ctestmainwindow.h"

#include <QLabel>

cTestMainWindow::cTestMainWindow(QWidget *parent)
    : QMainWindow(parent)
{
    setObjectName(QStringLiteral("cTestMainWindow"));
    auto label = new QLabel(tr("This page runs Lua test scripts against the attached unit and shows their results."), this);
    label->setObjectName(QStringLiteral("placeholderLabel"));
    label->setAlignment(Qt::AlignCenter);
    label->setWordWrap(true);
    setCentralWidget(label);
}

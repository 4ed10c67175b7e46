#pragma once

#include <QMainWindow>

/** The device log monitor window. */
class cLogMainWindow : public QMainWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(cLogMainWindow)

public:
    explicit cLogMainWindow(QWidget *parent);
};

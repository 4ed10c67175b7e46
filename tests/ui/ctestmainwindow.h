#pragma once

#include <QMainWindow>

/** The test workbench window. */
class cTestMainWindow : public QMainWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(cTestMainWindow)

public:
    explicit cTestMainWindow(QWidget *parent);
};

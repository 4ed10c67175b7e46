#pragma once

#include <QMainWindow>

/** The device file manager window. */
class cFilesMainWindow : public QMainWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(cFilesMainWindow)

public:
    explicit cFilesMainWindow(QWidget *parent);
};

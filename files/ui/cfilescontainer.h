#pragma once

#include "platform/pagecontract/ipage.h"

#include <QWidget>

class cFilesMainWindow;

/** The page object that owns the device file manager window and hands it to the main window's page stack. */
class cFilesContainer : public QWidget, public iPage
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(cFilesContainer)

public:
    explicit cFilesContainer(QWidget *parent);

    QWidget *selectorWidget() override;
    QWidget *widget() override;
    /** Ignored: the page keeps working while another one is shown. */
    void setActive(bool active) override;

private:
    cFilesMainWindow *m_window = nullptr;
};

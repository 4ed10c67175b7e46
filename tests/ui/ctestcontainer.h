#pragma once

#include "platform/pagecontract/ipage.h"

#include <QWidget>

class cTestMainWindow;

/** The page object that owns the test workbench window and hands it to the main window's page stack. */
class cTestContainer : public QWidget, public iPage
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(cTestContainer)

public:
    explicit cTestContainer(QWidget *parent);

    QWidget *selectorWidget() override;
    QWidget *widget() override;
    /** Ignored: the page keeps working while another one is shown. */
    void setActive(bool active) override;

private:
    cTestMainWindow *m_window = nullptr;
};

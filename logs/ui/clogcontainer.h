#pragma once

#include "platform/pagecontract/ipage.h"

#include <QWidget>

class cLogMainWindow;

/** The page object that owns the device log monitor window and hands it to the main window's page stack. */
class cLogContainer : public QWidget, public iPage
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(cLogContainer)

public:
    explicit cLogContainer(QWidget *parent);

    QWidget *selectorWidget() override;
    QWidget *widget() override;
    /** Ignored: the page keeps working while another one is shown. */
    void setActive(bool active) override;

private:
    cLogMainWindow *m_window = nullptr;
};

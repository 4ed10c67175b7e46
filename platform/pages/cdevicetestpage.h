#pragma once

#include "shell/contract/ipage.h"

#include <QWidget>

/** The engineers' device test page. */
class cDeviceTestPage : public QWidget, public iPage
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(cDeviceTestPage)

public:
    explicit cDeviceTestPage(QWidget *parent);

    QWidget *selectorWidget() override;
    QWidget *widget() override;
    void setActive(bool active) override;

    bool isActive() const { return m_active; }

private:
    bool m_active = false;
};

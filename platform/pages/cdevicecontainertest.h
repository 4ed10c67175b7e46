#pragma once

#include "platform/pages/idevicecontainer.h"
#include "shell/contract/ipage.h"

#include <QWidget>

/** The page of the unit's built-in self-tests. */
class cDeviceContainerTest : public QWidget, public iPage, public iDeviceContainer
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(cDeviceContainerTest)

public:
    explicit cDeviceContainerTest(QWidget *parent);

    QWidget *selectorWidget() override;
    QWidget *widget() override;
    void setActive(bool active) override;

    bool isActive() const { return m_active; }

private:
    bool m_active = false;
};

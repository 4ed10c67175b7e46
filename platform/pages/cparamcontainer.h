#pragma once

#include "shell/contract/ipage.h"

#include <QWidget>

/** The unit parameters page. */
class cParamContainer : public QWidget, public iPage
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(cParamContainer)

public:
    explicit cParamContainer(QWidget *parent);

    QWidget *selectorWidget() override;
    QWidget *widget() override;
    void setActive(bool active) override;

    bool isActive() const { return m_active; }

private:
    bool m_active = false;
};

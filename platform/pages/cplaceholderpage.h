#pragma once

#include "platform/pagecontract/ipage.h"

#include <QWidget>

/**
 * A page of this library that the tool set hosts but does not build out: it shows what the
 * page is for and keeps the page contract, so the main window treats it like any other.
 */
class cPlaceholderPage : public QWidget, public iPage
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(cPlaceholderPage)

public:
    QWidget *selectorWidget() override;
    QWidget *widget() override;
    void setActive(bool active) override;

    bool isActive() const { return m_active; }

protected:
    cPlaceholderPage(const QString &objectName, const QString &purpose, QWidget *parent);

private:
    bool m_active = false;
};

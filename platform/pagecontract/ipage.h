#pragma once

class QWidget;

/** The contract every page of the main window fulfils (slot order is part of the contract). */
class iPage
{
public:
    virtual ~iPage() = default;

    /** A widget shown above the page while it is current; null leaves that area empty. */
    virtual QWidget *selectorWidget() = 0;
    /** The widget that the main window puts into its page stack. */
    virtual QWidget *widget() = 0;
    /** Called on every page at each page switch; must accept repeated calls. */
    virtual void setActive(bool active) = 0;
};

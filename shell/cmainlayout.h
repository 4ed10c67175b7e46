#pragma once

#include <QWidget>

#include <memory>

class QLayout;
namespace Ui {
class cMainLayout;
}

/**
 * The main window's frame: a corner, the current page's own selector area above the page,
 * the page selector on the left and the page area. Each area holds at most one widget.
 */
class cMainLayout : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(cMainLayout)

public:
    explicit cMainLayout(QWidget *parent = nullptr);
    ~cMainLayout() override;

    /** Each of these replaces what the area holds; a null widget leaves it empty. */
    void setPageSelectorWidget(QWidget *widget);
    void setMainSelectorWidget(QWidget *widget);
    void setPageWidget(QWidget *widget);
    /** Framed (styled panel, raised) or flat (no frame, plain) page-selector area. */
    void setPageSelectorFramed(bool framed);

private:
    static void place(QLayout *area, QWidget *widget);

    std::unique_ptr<Ui::cMainLayout> m_ui;
};

#include "cpageselector.h"

#include <QAction>
#include <QToolButton>

cPageSelector::cPageSelector(QWidget *parent, Qt::Orientation orientation)
    : QToolBar(parent)
{
    setOrientation(orientation);
    setMovable(false);
    setFloatable(false);
    setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    // The bar is a fixed part of the window, not a user-hideable tool bar.
    toggleViewAction()->setEnabled(false);
    toggleViewAction()->setVisible(false);
}

void cPageSelector::appendAction(QAction *action)
{
    if (!action)
        return;
    addAction(action);
    if (auto button = qobject_cast<QToolButton *>(widgetForAction(action))) {
        button->setAutoRaise(true);
        if (orientation() == Qt::Vertical)
            button->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    }
}

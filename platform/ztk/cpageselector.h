#pragma once

#include <QToolBar>

class QAction;

/** The bar of large icon buttons from which the operator picks a page. */
class cPageSelector : public QToolBar
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(cPageSelector)

public:
    cPageSelector(QWidget *parent, Qt::Orientation orientation);

    /** Adds a button for the action below (or right of) the existing ones. */
    void appendAction(QAction *action);
};

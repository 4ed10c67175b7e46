#include "files/ui/cdropview.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHeaderView>

cDropView::cDropView(QWidget *parent)
    : QTableView(parent)
{
    verticalHeader()->hide();
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setDragDropMode(QAbstractItemView::DragDrop);
    setAcceptDrops(true);
}

// Only the other panel's rows are taken: a drop inside one table would mean a move the
// unit's link has no request for.
void cDropView::dragEnterEvent(QDragEnterEvent *event)
{
    if (event->source() && event->source() != this) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
        return;
    }
    event->ignore();
}

void cDropView::dragMoveEvent(QDragMoveEvent *event)
{
    if (event->source() && event->source() != this) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
        return;
    }
    event->ignore();
}

void cDropView::dropEvent(QDropEvent *event)
{
    if (!event->source() || event->source() == this) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    emit droppedFrom(event->source());
}

#include "files/ui/cdropview.h"

#include "files/ui/cdevicefsmodel.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QMimeData>
#include <QUrl>

cDropView::cDropView(eTakes takes, QWidget *parent)
    : QTableView(parent)
    , m_takes(takes)
{
    verticalHeader()->hide();
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDefaultDropAction(Qt::CopyAction);
    setAcceptDrops(true);
}

QStringList cDropView::droppablePaths(const QMimeData *data) const
{
    if (!data)
        return {};
    if (m_takes == TakesUnitFiles)
        return cDeviceFSModel::unitFiles(data);
    // Text, or addresses that are no local files, would make an upload of nothing sensible.
    QStringList paths;
    const QList<QUrl> urls = data->urls();
    for (const QUrl &url : urls) {
        if (!url.isLocalFile() || url.toLocalFile().isEmpty())
            return {};
        paths << url.toLocalFile();
    }
    return paths;
}

// The data decides, not the source: a table's own rows are never of the kind it takes, so a
// drop onto itself (which would be a move the unit's link has no request for) is refused too.
bool cDropView::takes(QDropEvent *event) const
{
    return event->source() != this && !droppablePaths(event->mimeData()).isEmpty();
}

void cDropView::dragEnterEvent(QDragEnterEvent *event)
{
    dragMoveEvent(event);
}

void cDropView::dragMoveEvent(QDragMoveEvent *event)
{
    if (!takes(event)) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void cDropView::dropEvent(QDropEvent *event)
{
    const QStringList paths = event->source() == this ? QStringList() : droppablePaths(event->mimeData());
    if (paths.isEmpty()) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    emit filesDropped(paths, indexAt(event->position().toPoint()));
}

#pragma once

#include <QStringList>
#include <QTableView>

class QDropEvent;
class QMimeData;

/** A file table that takes the files dragged from the other panel and says which they are and where they fell. */
class cDropView : public QTableView
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(cDropView)

public:
    /** What a table takes: local files (for the unit's side) or the unit's files (for the local side). */
    enum eTakes { TakesLocalFiles, TakesUnitFiles };

    explicit cDropView(eTakes takes, QWidget *parent = nullptr);

    /** The paths of data this table takes; empty when it takes nothing of it. */
    QStringList droppablePaths(const QMimeData *data) const;

signals:
    /** Files were dropped here, onto the row of at (invalid below the rows). */
    void filesDropped(const QStringList &paths, const QModelIndex &at);

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    bool takes(QDropEvent *event) const;

    eTakes m_takes;
};

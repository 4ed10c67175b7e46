#pragma once

#include "tests/engine/stestrowstate.h"

#include <QHash>
#include <QObject>
#include <QPersistentModelIndex>

#include <array>
#include <memory>

class QAbstractItemModel;

/**
 * Lives in a test model's thread as the model's child: holds the persistent indexes of
 * the rows that handles stand for, applies the handles' writes to the model, keeps the
 * shared row records in step with the model and marks them invalid when their rows go.
 */
class cTestRowTracker : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(cTestRowTracker)

public:
    using tCells = std::array<QModelIndex, CellCount>;

    /** The model's tracker, made on first use; null when called outside the model's thread. */
    static cTestRowTracker *forModel(QAbstractItemModel *model);

    ~cTestRowTracker() override;

    /** The shared record of the row of these cells (all valid, of this model). */
    std::shared_ptr<sTestRowState> stateFor(const tCells &cells);

    /** Applies what the handles posted, in order. */
    Q_INVOKABLE void drain();

private:
    void apply(quint64 id, const QList<sCellWrite> &writes);
    void drop(quint64 id);

    explicit cTestRowTracker(QAbstractItemModel *model);

    struct sEntry
    {
        std::array<QPersistentModelIndex, CellCount> cells;
        std::weak_ptr<sTestRowState> state;
    };

    void syncFromModel(sEntry &entry);
    void invalidate(sEntry &entry);
    void invalidateAll();
    void revalidate();
    void rowsGoing(const QModelIndex &parent, int first, int last);
    void columnsGoing(const QModelIndex &parent, int first, int last);
    void dataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight);

    QAbstractItemModel *const m_model;
    std::shared_ptr<sTrackerGate> m_gate;
    QHash<quint64, sEntry> m_entries;
    quint64 m_nextId = 1;
    bool m_applying = false;  // our own writes need no sync back
};

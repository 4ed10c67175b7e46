#pragma once

#include <QDateTime>
#include <QList>
#include <QMutex>
#include <QString>
#include <QVariant>

#include <memory>

class cTestRowTracker;

/** The cells of a row as a handle knows them: creation order of the handle. */
enum eTestCell : int { CellName = 0, CellStatus = 1, CellTime = 2, CellInfo = 3, CellStatistics = 4,
                       CellCount = 5 };

/** One write of a handle, carried by value to the model's thread. */
struct sCellWrite
{
    int cell;
    int role;
    QVariant value;
};

/** Writes of one row (or, with no writes and drop set, its release) on their way to the model. */
struct sPostedWrites
{
    quint64 id = 0;
    QList<sCellWrite> writes;
    bool drop = false;
};

/**
 * The road from any thread to a row tracker that may be going away: a mailbox under a lock,
 * drained in the model's thread. The data passes under the lock, never inside Qt's event
 * queue, and posts reach the model in the order they were made. A write replaces the
 * waiting write of the same row, cell and role, so the mailbox stays bounded however fast
 * a script writes: the model sees the newest values, in the order they last changed.
 */
struct sTrackerGate
{
    /**
     * -1 when the tracker is gone; otherwise how many waiting posts of the same row were
     * emptied by the new writes and dropped.
     */
    int post(sPostedWrites message);

    QMutex lock;
    cTestRowTracker *tracker = nullptr;  // null once the tracker is gone
    QList<sPostedWrites> mailbox;
    bool drainPosted = false;
};

/**
 * What the engine knows of one row, shared by every handle of the row. The model's thread
 * keeps it in step with the model; the runner reads it instead of the model.
 */
struct sTestRowState
{
    sTestRowState(quint64 rowId, std::shared_ptr<sTrackerGate> trackerGate)
        : id(rowId), gate(std::move(trackerGate)) {}
    ~sTestRowState();
    Q_DISABLE_COPY_MOVE(sTestRowState)

    /** Sends writes to the model's thread; the caller holds the lock. */
    void postLocked(QList<sCellWrite> writes);

    const quint64 id;
    const std::shared_ptr<sTrackerGate> gate;

    QMutex lock;
    bool valid = true;
    QString name;
    int status = 0;
    QString details;
    int progress = -1;
    QDateTime start;
    QDateTime end;
    int pendingWrites = 0;  // posted, not yet applied to the model
};

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

/** Lets any thread post to a row tracker that may be going away. */
struct sTrackerGate
{
    QMutex lock;
    cTestRowTracker *tracker = nullptr;  // null once the tracker is gone
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

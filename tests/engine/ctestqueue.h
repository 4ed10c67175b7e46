#pragma once

#include "tests/engine/ctesthandle.h"

#include <QList>
#include <QMutex>
#include <QSemaphore>

#include <atomic>

/**
 * The tests waiting to run, the batch that repeats and the cancel bookkeeping, all under
 * one lock, so that taking a test and publishing it as the current one, cancelling and
 * repeating a batch never interleave. The test semaphore carries one permit per queued test
 * and one per wake-up.
 */
class cTestQueue
{
public:
    cTestQueue() = default;
    Q_DISABLE_COPY_MOVE(cTestQueue)

    /** Queues a test: status queued, details empty, progress -1; cancel-all cleared. */
    void enqueue(const cTestHandle &test);
    /** Starts a batch of runs passes: it is kept for the repeats; nothing is queued yet. */
    void startBatch(const QList<cTestHandle> &tests, int runs);
    void enqueueAll(const QList<cTestHandle> &tests);
    void setRemainingRuns(int runs);

    /**
     * Takes the first queued test and makes it the current test in one step; false when
     * the queue is empty. The test counts as running until finishCurrent().
     */
    bool takeNext(cTestHandle *test);
    /** The current test is done with, its batch repeat included. */
    void finishCurrent();

    /**
     * Cancels a test that is not the current one: a queued one goes back to status none
     * and leaves the queue. True when it is the current test (the caller cancels that).
     */
    bool cancelQueued(const cTestHandle &test);
    /** Asks the current test to cancel when it is queued or running; false when there is none such. */
    bool cancelCurrent();
    /** Every queued test becomes canceled; the queue and the batch are dropped. */
    void cancelAll();
    bool cancelAllSet() const;
    /**
     * The unit went away: every queued test becomes canceled and the queue and the batch are
     * dropped. Returns how many runs will not happen: the queued tests and the repeats left.
     */
    qint64 dropPending();

    /** True while a test is queued or running. */
    bool isBusy() const;

    struct sPass
    {
        enum eKind { None, Done, Repeat } kind = None;
        int left = 0;                 // passes still to do, this one included
        QList<cTestHandle> batch;
        quint64 generation = 0;
    };
    /** After a test: when no test is queued and a batch is active, what comes next. */
    sPass nextPass();
    /** Queues a test of a repeated pass, unless the batch was cancelled or replaced meanwhile. */
    bool enqueueForPass(const cTestHandle &test, quint64 generation);

    /** Forgets every test, the batch and the flags. */
    void reset();

    void wake();
    /** Waits for a permit; false when quit was set meanwhile. */
    bool waitPermit(const std::atomic<bool> &quit);

private:
    void enqueueLocked(const cTestHandle &test);
    /** Cancels the queued tests, drops queue and batch; the runs that will not happen. */
    qint64 dropPendingLocked();

    mutable QMutex m_lock;
    QList<cTestHandle> m_queue;
    QList<cTestHandle> m_batch;
    int m_remainingRuns = 1;
    bool m_batchActive = false;
    bool m_cancelAll = false;
    bool m_running = false;
    quint64 m_generation = 0;
    QSemaphore m_permits;
};

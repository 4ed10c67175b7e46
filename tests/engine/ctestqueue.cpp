#include "ctestqueue.h"

#include "tests/engine/crunnershared.h"
#include "tests/engine/testlog.h"
#include "tests/engine/testroles.h"

#include <QMutexLocker>

using namespace testmodel;

void cTestQueue::enqueueLocked(const cTestHandle &test)
{
    m_queue.append(test);
    cTestHandle handle = test;
    handle.setStatus(StateQueued);
    handle.setDetails(QString());
    handle.setProgress(-1);
    m_permits.release();
    m_cancelAll = false;
}

void cTestQueue::enqueue(const cTestHandle &test)
{
    QMutexLocker locker(&m_lock);
    enqueueLocked(test);
}

void cTestQueue::startBatch(const QList<cTestHandle> &tests, int runs)
{
    QMutexLocker locker(&m_lock);
    m_batch = tests;
    m_remainingRuns = runs - 1;
    m_batchActive = true;
    ++m_generation;
}

void cTestQueue::enqueueAll(const QList<cTestHandle> &tests)
{
    QMutexLocker locker(&m_lock);
    for (const cTestHandle &test : tests)
        enqueueLocked(test);
}

void cTestQueue::setRemainingRuns(int runs)
{
    QMutexLocker locker(&m_lock);
    m_remainingRuns = runs;
}

bool cTestQueue::takeNext(cTestHandle *test)
{
    QMutexLocker locker(&m_lock);
    if (m_queue.isEmpty())
        return false;
    *test = m_queue.takeFirst();
    // Under the queue lock: a cancel finds the test either queued or current, never neither.
    cRunnerShared::setCurrentTest(*test);
    m_running = true;
    return true;
}

void cTestQueue::finishCurrent()
{
    QMutexLocker locker(&m_lock);
    // A finished test is no longer current: a cancel of its row, queued again, must find it
    // in the queue.
    cRunnerShared::setCurrentTest(cTestHandle());
    m_running = false;
}

bool cTestQueue::cancelQueued(const cTestHandle &test)
{
    QMutexLocker locker(&m_lock);
    if (test == cRunnerShared::currentTest())
        return true;
    testlog::note(QStringLiteral("Cancel was requested for test %1").arg(test.name()));
    const qsizetype at = m_queue.indexOf(test);
    if (at >= 0) {
        m_queue[at].exchangeStatus({StateQueued}, StateNone);
        m_queue.removeAt(at);
    }
    return false;
}

bool cTestQueue::cancelCurrent()
{
    cTestHandle test = cRunnerShared::currentTest();
    if (!test.exchangeStatus({StateRunning, StateQueued}, StateCanceling))
        return false;
    testlog::note(QStringLiteral("Cancel was requested for test %1").arg(test.name()));
    return true;
}

void cTestQueue::cancelAll()
{
    QMutexLocker locker(&m_lock);
    m_cancelAll = true;
    dropPendingLocked();
}

qint64 cTestQueue::dropPending()
{
    QMutexLocker locker(&m_lock);
    return dropPendingLocked();
}

qint64 cTestQueue::dropPendingLocked()
{
    qint64 runs = m_queue.size();
    if (m_batchActive && m_remainingRuns > 0)
        runs += qint64(m_remainingRuns) * m_batch.size();
    for (cTestHandle &test : m_queue)
        test.exchangeStatus({StateQueued}, StateCanceled);
    m_queue.clear();
    m_batch.clear();
    m_remainingRuns = 1;
    m_batchActive = false;
    ++m_generation;
    return runs;
}

bool cTestQueue::cancelAllSet() const
{
    QMutexLocker locker(&m_lock);
    return m_cancelAll;
}

bool cTestQueue::isBusy() const
{
    QMutexLocker locker(&m_lock);
    return m_running || !m_queue.isEmpty();
}

cTestQueue::sPass cTestQueue::nextPass()
{
    sPass pass;
    QMutexLocker locker(&m_lock);
    // Wake-ups leave permits without tests, so the queue itself tells whether tests wait.
    if (!m_batchActive || !m_queue.isEmpty())
        return pass;
    if (m_remainingRuns <= 0) {
        m_batchActive = false;
        m_batch.clear();
        pass.kind = sPass::Done;
        return pass;
    }
    pass.kind = sPass::Repeat;
    pass.left = m_remainingRuns--;
    pass.batch = m_batch;
    pass.generation = m_generation;
    return pass;
}

bool cTestQueue::enqueueForPass(const cTestHandle &test, quint64 generation)
{
    QMutexLocker locker(&m_lock);
    if (generation != m_generation)
        return false;
    enqueueLocked(test);
    return true;
}

void cTestQueue::reset()
{
    QMutexLocker locker(&m_lock);
    m_queue.clear();
    m_batch.clear();
    m_batchActive = false;
    m_cancelAll = false;
    m_running = false;
    ++m_generation;
}

void cTestQueue::wake()
{
    m_permits.release();
}

bool cTestQueue::waitPermit(const std::atomic<bool> &quit)
{
    while (!m_permits.tryAcquire(1, 1000)) {
        if (quit.load())
            return false;
    }
    return true;
}

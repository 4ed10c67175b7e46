#pragma once

#include <QMutex>
#include <QWaitCondition>

#include <atomic>

/** The runner thread's sleeps: they end early, and for good, once the quit flag is set. */
class cSleeper
{
public:
    explicit cSleeper(const std::atomic<bool> *quit) : m_quit(quit) {}
    Q_DISABLE_COPY_MOVE(cSleeper)

    /** Sleeps up to ms milliseconds; false when the quit flag is set. */
    bool sleep(qint64 ms);
    /** Wakes every sleeper; call after setting the quit flag. */
    void wakeAll();

private:
    const std::atomic<bool> *const m_quit;
    QMutex m_lock;
    QWaitCondition m_wake;
};

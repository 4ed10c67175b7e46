#include "csleeper.h"

#include <QDeadlineTimer>
#include <QMutexLocker>

bool cSleeper::sleep(qint64 ms)
{
    QDeadlineTimer deadline(ms > 0 ? ms : 0);
    QMutexLocker locker(&m_lock);
    while (!m_quit->load() && !deadline.hasExpired())
        m_wake.wait(&m_lock, deadline);
    return !m_quit->load();
}

void cSleeper::wakeAll()
{
    // Under the lock, so a sleeper that has just checked the flag cannot miss the wake-up.
    QMutexLocker locker(&m_lock);
    m_wake.wakeAll();
}

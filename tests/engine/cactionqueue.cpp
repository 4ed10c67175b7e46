#include "cactionqueue.h"

#include <QMutexLocker>

void cActionQueue::post(int action)
{
    {
        QMutexLocker locker(&m_lock);
        m_posted.append(action);
    }
    m_semaphore.release();
}

void cActionQueue::wake()
{
    m_semaphore.release();
}

bool cActionQueue::wait(int ms)
{
    return m_semaphore.tryAcquire(1, ms);
}

int cActionQueue::take()
{
    QMutexLocker locker(&m_lock);
    return m_posted.isEmpty() ? -1 : m_posted.takeFirst();
}

bool cActionQueue::pending() const
{
    QMutexLocker locker(&m_lock);
    return !m_posted.isEmpty();
}

void cActionQueue::clear()
{
    {
        QMutexLocker locker(&m_lock);
        m_posted.clear();
    }
    while (m_semaphore.tryAcquire()) {
    }
}

#pragma once

#include <QList>
#include <QMutex>
#include <QSemaphore>

/**
 * The actions posted to the runner's thread. They are carried out one after another in the
 * order they were posted, so a request made while another action runs is never lost. The
 * semaphore also carries wake-ups that post no action.
 */
class cActionQueue
{
public:
    cActionQueue() = default;
    Q_DISABLE_COPY_MOVE(cActionQueue)

    void post(int action);
    /** Wakes the worker without an action: it looks at the current one again. */
    void wake();
    /** Waits up to ms for a posted action or a wake-up. */
    bool wait(int ms);
    /** The oldest posted action, or -1 when none waits. */
    int take();
    bool pending() const;
    /** Forgets the posted actions and the wake-ups. */
    void clear();

private:
    mutable QMutex m_lock;
    QList<int> m_posted;
    QSemaphore m_semaphore;
};

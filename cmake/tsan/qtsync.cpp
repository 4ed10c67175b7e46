// Thread-sanitizer builds only: Debian's Qt is not instrumented, so TSan cannot see the
// synchronisation that happens inside it and reports races that cannot happen. This library
// interposes the few Qt calls whose ordering our code relies on, calls the real ones, and tells
// TSan what they guarantee:
//   - everything a QThread did happens before a wait() or isFinished() that saw it finished;
//   - QSemaphore::release() happens before the acquire that takes the resources;
//   - QWaitCondition::wait() unlocks and relocks the caller's QMutex.
// QMutex itself needs nothing: its inline fast path in Qt's headers carries TSan annotations.
// Linked first into every target of the thread configuration, so its definitions win.

#include <QDeadlineTimer>
#include <QMutex>
#include <QObject>
#include <QSemaphore>
#include <QThread>
#include <QVariant>
#include <QWaitCondition>

#include <sanitizer/tsan_interface.h>

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>

namespace {

template<typename Fn>
Fn realFunction(const char *mangledName)
{
    void *symbol = dlsym(RTLD_NEXT, mangledName);
    if (!symbol) {
        std::fprintf(stderr, "tsan Qt support: %s not found in Qt\n", mangledName);
        std::abort();
    }
    return reinterpret_cast<Fn>(symbol);
}

// The sync object for a thread's end; distinct from the QThread's own address so it cannot
// collide with TSan's view of the object's memory.
void *threadEndKey(const QThread *thread)
{
    return reinterpret_cast<char *>(const_cast<QThread *>(thread)) + 1;
}

void acquireIfFinished(const QThread *thread, bool finished)
{
    if (finished)
        __tsan_acquire(threadEndKey(thread));
}

void unlockForWait(QMutex *mutex)
{
    __tsan_mutex_pre_unlock(mutex, 0);
    __tsan_mutex_post_unlock(mutex, 0);
}

void relockAfterWait(QMutex *mutex)
{
    __tsan_mutex_pre_lock(mutex, 0);
    __tsan_mutex_post_lock(mutex, 0, 0);
}

const char *const kHookedProperty = "_zt_tsan_end_hook";

} // namespace

void QThread::start(Priority priority)
{
    using Fn = void (*)(QThread *, Priority);
    static const Fn real = realFunction<Fn>("_ZN7QThread5startENS_8PriorityE");
    // finished() is emitted by the thread itself after run() returns and before wait() wakes up.
    if (!property(kHookedProperty).isValid()) {
        setProperty(kHookedProperty, true);
        QObject::connect(this, &QThread::finished, this,
                         [this] { __tsan_release(threadEndKey(this)); }, Qt::DirectConnection);
    }
    real(this, priority);
}

bool QThread::wait(QDeadlineTimer deadline)
{
    using Fn = bool (*)(QThread *, QDeadlineTimer);
    static const Fn real = realFunction<Fn>("_ZN7QThread4waitE14QDeadlineTimer");
    const bool finished = real(this, deadline);
    acquireIfFinished(this, finished);
    return finished;
}

bool QThread::isFinished() const
{
    using Fn = bool (*)(const QThread *);
    static const Fn real = realFunction<Fn>("_ZNK7QThread10isFinishedEv");
    const bool finished = real(this);
    acquireIfFinished(this, finished);
    return finished;
}

void QSemaphore::release(int n)
{
    using Fn = void (*)(QSemaphore *, int);
    static const Fn real = realFunction<Fn>("_ZN10QSemaphore7releaseEi");
    __tsan_release(this);
    real(this, n);
}

void QSemaphore::acquire(int n)
{
    using Fn = void (*)(QSemaphore *, int);
    static const Fn real = realFunction<Fn>("_ZN10QSemaphore7acquireEi");
    real(this, n);
    __tsan_acquire(this);
}

bool QSemaphore::tryAcquire(int n)
{
    using Fn = bool (*)(QSemaphore *, int);
    static const Fn real = realFunction<Fn>("_ZN10QSemaphore10tryAcquireEi");
    const bool taken = real(this, n);
    if (taken)
        __tsan_acquire(this);
    return taken;
}

bool QSemaphore::tryAcquire(int n, int timeout)
{
    using Fn = bool (*)(QSemaphore *, int, int);
    static const Fn real = realFunction<Fn>("_ZN10QSemaphore10tryAcquireEii");
    const bool taken = real(this, n, timeout);
    if (taken)
        __tsan_acquire(this);
    return taken;
}

bool QWaitCondition::wait(QMutex *lockedMutex, QDeadlineTimer deadline)
{
    using Fn = bool (*)(QWaitCondition *, QMutex *, QDeadlineTimer);
    static const Fn real = realFunction<Fn>("_ZN14QWaitCondition4waitEP6QMutex14QDeadlineTimer");
    unlockForWait(lockedMutex);
    const bool woken = real(this, lockedMutex, deadline);
    relockAfterWait(lockedMutex);
    return woken;
}

bool QWaitCondition::wait(QMutex *lockedMutex, unsigned long time)
{
    using Fn = bool (*)(QWaitCondition *, QMutex *, unsigned long);
    static const Fn real = realFunction<Fn>("_ZN14QWaitCondition4waitEP6QMutexm");
    unlockForWait(lockedMutex);
    const bool woken = real(this, lockedMutex, time);
    relockAfterWait(lockedMutex);
    return woken;
}

#include "crunnershared.h"

#include "tests/engine/ctestrunner.h"
#include "tests/engine/testroles.h"

#include <QMutex>
#include <QMutexLocker>

#include <atomic>

using namespace testmodel;

namespace {

// Flags are atomic; the handle and the instance have locks.
struct sShared
{
    std::atomic<int> action{0};
    std::atomic<bool> stopRequest{false};
    std::atomic<bool> errorSeen{false};
    QMutex currentLock;
    cTestHandle current;
    QMutex instanceLock;
    cTestRunner *instance = nullptr;
};

sShared &shared()
{
    // Never destroyed: plug-in threads may still ask the cancel query at exit.
    static sShared *s = new sShared;
    return *s;
}

} // namespace

int cRunnerShared::action()
{
    return shared().action.load();
}

void cRunnerShared::setAction(int action)
{
    shared().action = action;
}

cTestHandle cRunnerShared::currentTest()
{
    QMutexLocker locker(&shared().currentLock);
    return shared().current;
}

void cRunnerShared::setCurrentTest(const cTestHandle &test)
{
    cTestHandle old;
    {
        QMutexLocker locker(&shared().currentLock);
        old = shared().current;
        shared().current = test;
    }
    // old is released here, outside the lock
}

bool cRunnerShared::stopRequested()
{
    return shared().stopRequest.load();
}

void cRunnerShared::setStopRequest(bool stop)
{
    shared().stopRequest = stop;
}

const std::atomic<bool> *cRunnerShared::stopRequestFlag()
{
    return &shared().stopRequest;
}

bool cRunnerShared::errorSeen()
{
    return shared().errorSeen.load();
}

void cRunnerShared::setErrorSeen(bool seen)
{
    shared().errorSeen = seen;
}

cTestRunner *cRunnerShared::instance()
{
    QMutexLocker locker(&shared().instanceLock);
    return shared().instance;
}

bool cRunnerShared::setInstance(cTestRunner *runner)
{
    QMutexLocker locker(&shared().instanceLock);
    const bool first = shared().instance == nullptr;
    shared().instance = runner;
    return first;
}

void cRunnerShared::releaseInstance(cTestRunner *runner)
{
    QMutexLocker locker(&shared().instanceLock);
    if (shared().instance == runner)
        shared().instance = nullptr;
}

bool cRunnerShared::cancelRule(bool quitting)
{
    if (quitting)
        return true;
    switch (action()) {
    case ActionTest:
    case ActionDeinit: {
        const int status = currentTest().status();
        return status == StateCanceling || status == StateCanceled;
    }
    case ActionInit:
        return stopRequested();
    default:
        return false;
    }
}

bool cRunnerShared::cancelQueryEntry()
{
    // Held across the query so that the runner cannot go away meanwhile.
    QMutexLocker locker(&shared().instanceLock);
    return shared().instance ? shared().instance->cancelQuery() : false;
}

#include "ctestrunner.h"

#include "platform/appenv/resourcefile.h"
#include "platform/context/ccontext.h"
#include "platform/plugman/iplugman.h"
#include "platform/port/port.h"
#include "tests/engine/crunnershared.h"
#include "tests/engine/testlog.h"
#include "tests/engine/testroles.h"

#include <QMutexLocker>
#include <QTimer>

#include <lua.hpp>

#include <cxxabi.h>

using namespace testmodel;
using testlog::note;
using testlog::noteTest;

namespace {

constexpr int kStopWaitMs = 3000;
constexpr int kKillWaitMs = 1000;
constexpr int kRestartDelayMs = 2000;

} // namespace

// ---- construction and destruction ----

cTestRunner::cTestRunner(QObject *parent, bool ownsPort)
    : QThread(parent),
      m_ownsPort(ownsPort),
      m_callContext(std::make_unique<cContext>()),
      m_unit(m_callContext.get(), [this](qint64 ms) { return sleepFor(ms); })
{
    if (!cRunnerShared::setInstance(this))
        note(QStringLiteral("A second test runner was created; the first one no longer gets script calls"), LogError);
    cRunnerShared::setCurrentTest(cTestHandle());
    cRunnerShared::setAction(cRunnerShared::ActionIdle);
    m_initialised = false;
    pm::get(false)->registerContext(m_callContext.get(), nullptr, nullptr, &cRunnerShared::cancelQueryEntry);
    connect(this, &cTestRunner::needRestart, this, &cTestRunner::restartRequested, Qt::QueuedConnection);
    start(QThread::HighPriority);
}

cTestRunner::~cTestRunner()
{
    cRunnerShared::setAction(cRunnerShared::ActionStop);
    stopThread();
    {
        QMutexLocker locker(&m_lua.lock());
        m_lua.closeLocked();
    }
    if (m_initialised && m_ownsPort)
        port::close_port(device(), 300);
    cRunnerShared::releaseInstance(this);
    pm::get(false)->unregisterContext(m_callContext.get());
}

void cTestRunner::stopThread()
{
    if (!isRunning()) {
        wait();  // joins a thread that ended by itself (after a fault), so its writes are seen
        return;
    }
    m_quit = true;
    stop();
    m_sleeper.wakeAll();
    if (wait(kStopWaitMs))
        return;
    note(QStringLiteral("Test runner thread did not stop within %1 ms: terminating it").arg(kStopWaitMs), LogError);
    terminate();
    wait(kKillWaitMs);
    // The thread may have died inside the Lua state or holding its lock.
    m_lua.abandon();
}

QObject *cTestRunner::object()
{
    return this;
}

// ---- operations ----

void cTestRunner::post(int action)
{
    // The test loop returns to the action loop to take it. The flag goes up before the action
    // is posted: raised after, it could reach a test loop that the action itself has already
    // started, and send it back to wait for an action that never comes.
    m_interrupt = true;
    m_actions.post(action);
    m_queue.wake();
}

void cTestRunner::init(const sIODevice &device, int runs)
{
    note(QStringLiteral("Test runner init called"));
    setDevice(device);
    m_queue.setRemainingRuns(runs);
    post(cRunnerShared::ActionInit);
}

void cTestRunner::deinit()
{
    note(QStringLiteral("Test runner deinit called"));
    cancelAllTests();
    post(cRunnerShared::ActionDeinit);
}

void cTestRunner::closePort(bool reboot)
{
    note(QStringLiteral("Test runner close port called"));
    m_rebootOnClose = reboot;
    post(cRunnerShared::ActionClosePort);
}

void cTestRunner::restartThread()
{
    note(QStringLiteral("Thread restart request"), LogTrace);
    // The worker is asked to end first; killing it is the last resort.
    stopThread();
    reset(false);
    startLater();
}

void cTestRunner::restartRequested()
{
    stopThread();
    startLater();
}

void cTestRunner::startLater()
{
    QTimer::singleShot(kRestartDelayMs, this, [this] {
        if (isRunning() || cRunnerShared::action() == cRunnerShared::ActionStop)
            return;
        m_quit = false;
        m_interrupt = false;
        start(QThread::HighPriority);
    });
}

void cTestRunner::stop()
{
    m_interrupt = true;
    m_queue.wake();
    m_actions.wake();
}

void cTestRunner::stopInitOrDeinitProcess()
{
    note(QStringLiteral("Stop init or deinit process requested"));
    cRunnerShared::setStopRequest(true);
}

QStringList cTestRunner::enumerateTests()
{
    QString failure;
    return enumerateTests(&failure);
}

QStringList cTestRunner::enumerateTests(QString *failure)
{
    failure->clear();
    return m_lua.enumerate(failure);
}

bool cTestRunner::isRestartAllowed(const QString &arg)
{
    return m_lua.restartAllowed(arg);
}

void cTestRunner::runTests(const QList<cTestHandle> &tests, int runs)
{
    if (runs < 1)
        return;
    m_line.rearmReport();
    m_queue.startBatch(tests, runs);
    clearResults();
    m_queue.enqueueAll(tests);
}

void cTestRunner::queueTest(const QModelIndex &name, const QModelIndex &status, const QModelIndex &time,
                            const QModelIndex &info, const QModelIndex &statistics)
{
    m_line.rearmReport();
    m_queue.enqueue(cTestHandle(name, status, time, info, statistics));
}

void cTestRunner::cancelTest(const QModelIndex &name, const QModelIndex &status, const QModelIndex &time,
                             const QModelIndex &info, const QModelIndex &statistics)
{
    // Outside the queue lock: it may emit, and a slot may queue again.
    if (m_queue.cancelQueued(cTestHandle(name, status, time, info, statistics)))
        cancelCurrentTest();
}

void cTestRunner::cancelCurrentTest()
{
    if (!m_queue.cancelCurrent())
        emit testsCanceled();
}

void cTestRunner::cancelAllTests()
{
    note(QStringLiteral("Canceling all tests..."));
    m_queue.cancelAll();
    cancelCurrentTest();
}

QString cTestRunner::appRoot() const
{
    const QString root = m_settings.appRoot();
    return root.isEmpty() ? appRootDir() : root;
}

void cTestRunner::setAppRoot(const QString &root)
{
    m_settings.setAppRoot(root);
}

bool cTestRunner::trustUnitPackages() const
{
    return m_settings.trustUnitPackages();
}

void cTestRunner::setTrustUnitPackages(bool trusted)
{
    m_settings.setTrustUnitPackages(trusted);
}

cTestRunner *cTestRunner::instance()
{
    return cRunnerShared::instance();
}

sIODevice cTestRunner::device() const
{
    QMutexLocker locker(&m_deviceLock);
    return m_device;
}

void cTestRunner::setDevice(const sIODevice &device)
{
    QMutexLocker locker(&m_deviceLock);
    m_device = device;
}

bool cTestRunner::cancelQuery() const
{
    // A lost line cancels too: scripts and plug-in calls waiting on the unit stop at once.
    return cRunnerShared::cancelRule(m_quit.load()) || m_line.check(device());
}

bool cTestRunner::sleepFor(qint64 ms)
{
    return m_sleeper.sleep(ms);
}

bool cTestRunner::askOperator(const QString &question, const QStringList &fields, QStringList *answers)
{
    return m_question.ask([&] { emit askUser(cRunnerShared::currentTest().name(), question, fields); },
                          [this] { return cancelQuery(); }, answers);
}

// ---- the thread ----

void cTestRunner::run()
{
    try {
        actionLoop();
    } catch (const abi::__forced_unwind &) {
        throw;  // termination unwinds the thread; it is not a fault
    } catch (...) {
        reset(true);
    }
}

void cTestRunner::actionLoop()
{
    note(QStringLiteral("test thread started"));
    for (;;) {
        while (!m_actions.wait(10000)) {
            if (m_quit.load())
                return;
        }
        note(QStringLiteral("TestRunner: got action"), LogTrace);
        if (m_quit.load())
            return;
        note(QStringLiteral("try to get current state"));
        const int posted = m_actions.take();
        if (posted >= 0)
            cRunnerShared::setAction(posted);
        switch (cRunnerShared::action()) {
        case cRunnerShared::ActionNone:
        case cRunnerShared::ActionIdle:
            note(QStringLiteral("TestRunner: none or started"));
            sleepFor(100);
            break;
        case cRunnerShared::ActionStop:
            note(QStringLiteral("TestRunner: stoped"));
            return;
        case cRunnerShared::ActionInit:
            doInit();
            break;
        case cRunnerShared::ActionDeinit:
            doDeinit();
            break;
        case cRunnerShared::ActionTest:
            note(QStringLiteral("TestRunner: test"));
            testLoop();
            break;
        case cRunnerShared::ActionClosePort:
            doClosePort();
            break;
        default:
            note(QStringLiteral("TestRunner: unknown state"));
            sleepFor(100);
            break;
        }
    }
}

void cTestRunner::doInit()
{
    note(QStringLiteral("TestRunner: init"));
    clearResults();
    cRunnerShared::setErrorSeen(false);
    cRunnerShared::setStopRequest(false);
    m_line.reset();
    bool ok = false;
    bool stopped = false;
    {
        QMutexLocker locker(&m_lua.lock());
        cLuaEnvironment::sSetUp setUp;
        setUp.appRoot = appRoot();
        setUp.ownsPort = m_ownsPort;
        setUp.sandboxed = !trustUnitPackages();
        setUp.callContext = m_callContext.get();
        setUp.channel = &m_unit;
        setUp.device = [this] { return device(); };
        setUp.setDevice = [this](const sIODevice &opened) { setDevice(opened); };
        ok = m_lua.setUpLocked(setUp);
        note(QStringLiteral("init result = %1").arg(ok ? 1 : 0));
        // Read once, so that the code reported and the environment agree.
        stopped = cRunnerShared::stopRequested();
        if (stopped || m_quit.load())
            ok = false;
        m_initialised = ok;
        if (!ok) {
            if (m_ownsPort)
                port::close_port(device(), 300);
            m_lua.closeLocked();
        }
    }
    cRunnerShared::setAction(ok ? cRunnerShared::ActionTest : cRunnerShared::ActionIdle);
    emit initFinished(stopped ? 3 : (ok ? 0 : 2));
    m_actions.wake();
}

void cTestRunner::doDeinit()
{
    note(QStringLiteral("TestRunner: deinit"));
    bool ok = true;
    {
        QMutexLocker locker(&m_lua.lock());
        const QString unit = device().name;
        if (m_initialised.load()) {
            ok = m_lua.callDeviceFunctionLocked("deinit_test_env", unit);
            if (!ok)
                note(QStringLiteral("Failed to deinit test environment for device '%1'").arg(unit), LogError);
        }
        if (m_initialised.load() && m_ownsPort)
            port::close_port(device(), 300);
        m_lua.closeLocked();
    }
    m_initialised = false;
    cRunnerShared::setAction(cRunnerShared::ActionIdle);
    m_actions.wake();
    m_unit.setCommand(nullptr);
    m_line.reset();
    emit deinitFinished(ok ? 0 : 2);
}

void cTestRunner::doClosePort()
{
    note(QStringLiteral("Close port branch"));
    const sIODevice unit = device();
    if (m_rebootOnClose.load())
        m_unit.reboot(unit);
    port::close_port(unit, 1000);
    cRunnerShared::setAction(cRunnerShared::ActionIdle);
}

void cTestRunner::reset(bool fatal)
{
    if (m_ownsPort)
        port::close_port(device(), 300);
    m_interrupt = false;
    m_quit = false;
    if (cRunnerShared::action() == cRunnerShared::ActionInit)
        emit initFinished(2);
    cRunnerShared::setAction(cRunnerShared::ActionNone);
    cRunnerShared::setStopRequest(false);
    m_initialised = false;
    m_queue.reset();
    m_actions.clear();
    cRunnerShared::setCurrentTest(cTestHandle());
    m_results.clear();
    cRunnerShared::setErrorSeen(false);
    if (fatal) {
        qCritical("!!! FATAL ERROR !!!");
        note(tr("Application fatal error detected!"), LogError);
        note(tr("Restart is strongly recomended!"), LogError);
        emit needRestart();
    }
}

// ---- the test loop ----

void cTestRunner::testLoop()
{
    cRunnerShared::setErrorSeen(false);
    m_interrupt = false;
    // The interrupt flag is cleared above, so a request that came in just before is seen
    // through the posted actions.
    const auto leave = [this] {
        return m_interrupt.load() || cRunnerShared::action() != cRunnerShared::ActionTest || m_actions.pending();
    };
    if (!m_queue.waitPermit(m_quit) || leave())
        return;
    for (;;) {
        cTestHandle test;
        if (m_queue.takeNext(&test)) {
            if (!test.isValid())
                note(QStringLiteral("Invalid test skipped"), LogWarning);
            else
                runOneTest(test);
            m_queue.finishCurrent();
        }
        if (!m_queue.waitPermit(m_quit) || leave())
            return;
    }
}

void cTestRunner::settleCanceled(cTestHandle &test)
{
    test.setStatus(StateCanceled);
    emit testFinished();
    emit testsCanceled();
}

void cTestRunner::settleLost(cTestHandle &test, const QString &name)
{
    test.setStatus(StateError);
    test.setDetails(cLineWatch::lostDetails(test.details()));
    reportLost();
    test.markEnded();
    m_results.reportFinished(test, name);
    emit testFinished();
    dropPending();
}

void cTestRunner::dropPending()
{
    // Callers that count the runs they asked for (the command-line tool) see each of them end.
    const qint64 dropped = m_queue.dropPending();
    for (qint64 i = 0; i < dropped; ++i)
        emit testFinished();
    if (dropped > 0)
        emit testsCanceled();
}

void cTestRunner::reportLost()
{
    cRunnerShared::setErrorSeen(true);
    if (!m_line.takeReport())
        return;
    const QString message = cLineWatch::lostMessage(device().name);
    note(message, LogError);
    m_results.appendLog(message, LogError);
}

void cTestRunner::runOneTest(cTestHandle test)
{
    // Cancelled between being taken and being started: it does not run.
    if (test.status() == StateCanceling || m_queue.cancelAllSet()) {
        settleCanceled(test);
        return;
    }
    // Nothing runs on a line known to be lost: the test is canceled, and so is what waits.
    if (m_line.isLost() && m_line.check(device())) {
        reportLost();
        settleCanceled(test);
        dropPending();
        return;
    }
    const QString name = test.name();
    m_results.reportStart(name);
    test.setDetails(QString());
    if (!test.markStarted()) {
        settleCanceled(test);
        return;
    }

    const cLuaState::sCall call = m_lua.execTest(name);
    if (call.code != 0) {
        cTestResults::reportFailedCall(name, call.code, call.error);
        // A cancel request stays visible: the runner settles it below.
        test.exchangeStatus({StateNone, StateOk, StateError, StateWarning, StateQueued, StateRunning}, StateError);
    } else {
        if (call.resultType != LUA_TBOOLEAN)
            note(QStringLiteral("[%1]: result is not a boolean type").arg(QStringLiteral("zt_exec_test")), LogWarning);
        if (!call.result) {
            noteTest(QStringLiteral("Error executing test '%1'").arg(name), LogError, name);
            test.exchangeStatus({StateNone, StateOk, StateError, StateWarning, StateQueued, StateRunning}, StateError);
        }
    }

    // The line went away under the test: that, not the script's verdict, is its outcome.
    if (m_line.check(device())) {
        settleLost(test, name);
        return;
    }

    bool canceled = m_queue.cancelAllSet() || test.status() == StateCanceling || test.status() == StateCanceled;
    // Running becomes OK in one step, so that a cancel arriving now is not lost.
    if (!canceled && !test.exchangeStatus({StateRunning}, StateOk))
        canceled = test.status() == StateCanceling;
    if (canceled) {
        settleCanceled(test);
        return;
    }

    test.markEnded();
    m_results.reportFinished(test, name);
    emit testFinished();
    repeatBatchIfDone();
}

void cTestRunner::repeatBatchIfDone()
{
    const cTestQueue::sPass pass = m_queue.nextPass();
    if (pass.kind == cTestQueue::sPass::None)
        return;
    if (pass.kind == cTestQueue::sPass::Done) {
        note(QStringLiteral("All attempts finished"), LogNotify);
        return;
    }
    note(QStringLiteral("Run attempts left: %1").arg(pass.left), LogNotify);
    m_results.appendResults(QStringLiteral("\n\n"));
    for (cTestHandle test : pass.batch) {
        test.clearTimes();
        sleepFor(10);
        if (!m_queue.enqueueForPass(test, pass.generation))
            return;  // cancelled or replaced meanwhile
    }
}

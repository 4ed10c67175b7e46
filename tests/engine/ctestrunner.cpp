#include "ctestrunner.h"

#include "platform/appenv/resourcefile.h"
#include "platform/context/ccontext.h"
#include "platform/logging/ilogengine.h"
#include "platform/logging/logs.h"
#include "platform/plugman/iplugman.h"
#include "platform/plugman/plugintables.h"
#include "platform/port/port.h"
#include "tests/engine/cluastate.h"
#include "tests/engine/cztapi.h"
#include "tests/engine/devicedescription.h"
#include "tests/engine/luasandbox.h"
#include "tests/engine/testroles.h"

#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMutexLocker>
#include <QSettings>
#include <QTimer>

#include <lua.hpp>

#include <cxxabi.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <mutex>

using namespace testmodel;

namespace {

constexpr int kStopWaitMs = 3000;
constexpr int kKillWaitMs = 1000;
constexpr int kRestartDelayMs = 2000;
// The caller of enumerateTests or isRestartAllowed waits at most this long for the worker
// to leave the Lua state.
constexpr int kLuaWaitMs = 1000;
constexpr qint64 kAppStartTimeoutMs = 420000;
constexpr int kMaxTests = 100000;
// The log and results texts keep at most this many characters, dropping the oldest lines.
constexpr int kMaxText = 16 * 1024 * 1024;
constexpr qsizetype kMaxPackageSize = 64 * 1024 * 1024;
constexpr qint64 kMaxScriptSize = 64 * 1024 * 1024;
const char kPackagePath[] = "/statfs/zovan_tools_tests.out";

// Process-wide: the registered Lua functions and the plug-in manager's cancel query find the
// runner and its current test here. Flags are atomic; the handle and the instance have locks.
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

void note(const QString &text, int level = 4)
{
    logs::add(text, level);
}

void noteTest(const QString &text, int level, const QString &test)
{
    logs::add(text, level, test, QStringLiteral("TEST"));
}

void trimText(QString *text)
{
    if (text->size() <= kMaxText)
        return;
    qsizetype cut = text->indexOf(QLatin1Char('\n'), text->size() - kMaxText / 2);
    text->remove(0, cut < 0 ? text->size() - kMaxText / 2 : cut + 1);
}

QString levelTag(int level)
{
    switch (level) {
    case 1:
        return QStringLiteral("NOTIFY ");
    case 2:
        return QStringLiteral("WARNING");
    case 3:
        return QStringLiteral("ERROR  ");
    case 4:
        return QStringLiteral("DEBUG  ");
    default:
        return QStringLiteral("TRACE  ");
    }
}

QString answerText(const char *answer, int length)
{
    if (!answer)
        return QString();
    const qsizetype len = length > 0 ? qsizetype(qstrnlen(answer, uint(length))) : qsizetype(qstrlen(answer));
    return QString::fromLatin1(answer, len);
}

struct sPluginCall
{
    const sLuaPlugin *plugin;
    bool fault = false;
};

int pluginCallImpl(lua_State *L)
{
    auto *call = static_cast<sPluginCall *>(lua_touserdata(L, 1));
    try {
        call->plugin->addLuaFunctions(L);
    } catch (const abi::__forced_unwind &) {
        throw;
    } catch (...) {
        call->fault = true;
    }
    return 0;
}

int sandboxInstallImpl(lua_State *L)
{
    auto *error = static_cast<QString *>(lua_touserdata(L, 1));
    luasandbox::install(L, error);  // a failure leaves its text in error
    return 0;
}

} // namespace

// ---- process-wide state ----

int cTestRunner::action()
{
    return shared().action.load();
}

void cTestRunner::setAction(int action)
{
    shared().action = action;
}

cTestHandle cTestRunner::currentTest()
{
    QMutexLocker locker(&shared().currentLock);
    return shared().current;
}

void cTestRunner::setCurrentTest(const cTestHandle &test)
{
    cTestHandle old;
    {
        QMutexLocker locker(&shared().currentLock);
        old = shared().current;
        shared().current = test;
    }
    // old is released here, outside the lock
}

void cTestRunner::setErrorSeen(bool seen)
{
    shared().errorSeen = seen;
}

void cTestRunner::setStopRequest(bool stop)
{
    shared().stopRequest = stop;
}

bool cTestRunner::stopRequested() const
{
    return shared().stopRequest.load();
}

cTestRunner *cTestRunner::instance()
{
    QMutexLocker locker(&shared().instanceLock);
    return shared().instance;
}

bool cTestRunner::cancelQueryEntry()
{
    // Held across the query so that the runner cannot go away meanwhile.
    QMutexLocker locker(&shared().instanceLock);
    return shared().instance ? shared().instance->cancelQuery() : false;
}

bool cTestRunner::cancelQuery() const
{
    if (m_quit.load())
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

// ---- the library's side of the runner ----

cTestHandle cZtApi::currentTest()
{
    return cTestRunner::currentTest();
}

void cZtApi::markErrorSeen()
{
    cTestRunner::setErrorSeen(true);
}

void cZtApi::appendLog(const QString &text, int level)
{
    if (cTestRunner *runner = cTestRunner::instance())
        runner->appendLog(text, level);
}

bool cZtApi::sleep(qint64 ms)
{
    if (cTestRunner *runner = cTestRunner::instance())
        return runner->sleepFor(ms);
    return false;
}

bool cZtApi::canceled()
{
    if (cTestRunner *runner = cTestRunner::instance())
        return runner->cancelQuery();
    return false;
}

bool cZtApi::ask(const QString &question, const QStringList &fields, QStringList *answers)
{
    if (cTestRunner *runner = cTestRunner::instance())
        return runner->askOperator(question, fields, answers);
    return false;
}

// ---- construction and destruction ----

cTestRunner::cTestRunner(QObject *parent, bool ownsPort)
    : QThread(parent),
      m_luaLock(std::make_unique<QMutex>()),
      m_ownsPort(ownsPort),
      m_callContext(std::make_unique<cContext>())
{
    {
        QMutexLocker locker(&shared().instanceLock);
        if (shared().instance)
            note(QStringLiteral("A second test runner was created; the first one no longer gets script calls"), 3);
        shared().instance = this;
    }
    setCurrentTest(cTestHandle());
    setAction(ActionIdle);
    m_initialised = false;
    pm::get(false)->registerContext(m_callContext.get(), nullptr, nullptr, &cTestRunner::cancelQueryEntry);
    connect(this, &cTestRunner::needRestart, this, &cTestRunner::restartRequested, Qt::QueuedConnection);
    start(QThread::HighPriority);
}

cTestRunner::~cTestRunner()
{
    setAction(ActionStop);
    stopThread();
    {
        QMutexLocker locker(m_luaLock.get());
        closeLua();
    }
    if (m_initialised && m_ownsPort)
        port::close_port(device(), 300);
    {
        QMutexLocker locker(&shared().instanceLock);
        if (shared().instance == this)
            shared().instance = nullptr;
    }
    pm::get(false)->unregisterContext(m_callContext.get());
}

void cTestRunner::stopThread()
{
    if (!isRunning())
        return;
    m_quit = true;
    stop();
    {
        // Under the lock, so a sleeper that has just checked the flag cannot miss the wake-up.
        QMutexLocker locker(&m_sleepLock);
        m_sleepWake.wakeAll();
    }
    if (wait(kStopWaitMs))
        return;
    note(QStringLiteral("Test runner thread did not stop within %1 ms: terminating it").arg(kStopWaitMs), 3);
    terminate();
    wait(kKillWaitMs);
    // The thread may have died inside the Lua state or holding its lock: neither can be trusted.
    if (m_lua) {
        m_lua->abandon();
        (void)m_lua.release();
    }
    (void)m_luaLock.release();
    m_luaLock = std::make_unique<QMutex>();
}

QObject *cTestRunner::object()
{
    return this;
}

// ---- operations ----

void cTestRunner::init(const sIODevice &device, int runs)
{
    note(QStringLiteral("Test runner init called"));
    {
        QMutexLocker locker(&m_deviceLock);
        m_device = device;
    }
    setAction(ActionInit);
    {
        QMutexLocker locker(&m_queueLock);
        m_remainingRuns = runs;
    }
    m_actionSemaphore.release();
}

void cTestRunner::deinit()
{
    note(QStringLiteral("Test runner deinit called"));
    cancelAllTests();
    // The action changes before the test loop is woken, so the loop cannot miss why it woke.
    setAction(ActionDeinit);
    m_interrupt = true;
    m_testSemaphore.release();
    m_actionSemaphore.release();
}

void cTestRunner::closePort(bool reboot)
{
    note(QStringLiteral("Test runner close port called"));
    m_rebootOnClose = reboot;
    setAction(ActionClosePort);
    m_interrupt = true;
    m_testSemaphore.release();
    m_actionSemaphore.release();
}

void cTestRunner::restartThread()
{
    note(QStringLiteral("Thread restart request"), 0);
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
        if (isRunning() || action() == ActionStop)
            return;
        m_quit = false;
        m_interrupt = false;
        start(QThread::HighPriority);
    });
}

void cTestRunner::stop()
{
    m_interrupt = true;
    m_testSemaphore.release();
    m_actionSemaphore.release();
}

void cTestRunner::stopInitOrDeinitProcess()
{
    note(QStringLiteral("Stop init or deinit process requested"));
    setStopRequest(true);
}

QStringList cTestRunner::enumerateTests()
{
    QMutex *lock = m_luaLock.get();
    if (!lock->tryLock(kLuaWaitMs)) {
        note(QStringLiteral("Tests not listed: the test runner is busy in a script"), 2);
        return {};
    }
    std::unique_lock<QMutex> locker(*lock, std::adopt_lock);
    if (!m_lua)
        return {};
    bool ok = false;
    QString error;
    QStringList names = m_lua->callForNames("zt_enumerate_tests", &ok, &error, kMaxTests);
    locker.unlock();
    if (!error.isEmpty())
        note(QStringLiteral("zt_enumerate_tests failed: %1").arg(error), 2);
    if (!ok)
        return {};
    if (names.size() >= kMaxTests)
        note(QStringLiteral("Only the first %1 tests are listed").arg(kMaxTests), 2);
    return names;
}

bool cTestRunner::isRestartAllowed(const QString &arg)
{
    QMutex *lock = m_luaLock.get();
    if (!lock->tryLock(kLuaWaitMs)) {
        note(QStringLiteral("Restart not allowed: the test runner is busy in a script"), 2);
        return false;
    }
    std::unique_lock<QMutex> locker(*lock, std::adopt_lock);
    if (!m_lua)
        return false;
    const cLuaState::sCall call = m_lua->call("is_restart_allowed", {arg.toLatin1()});
    locker.unlock();
    if (call.code != 0) {
        note(QStringLiteral("Failed to call is_restart_allowed"), 3);
        note(call.error, 3);
        return false;
    }
    if (call.resultType != LUA_TBOOLEAN) {
        note(QStringLiteral("Function is_restart_allowed should return boolean"), 3);
        return false;
    }
    return call.result;
}

void cTestRunner::enqueueLocked(const cTestHandle &test)
{
    m_queue.append(test);
    cTestHandle handle = test;
    handle.setStatus(StateQueued);
    handle.setDetails(QString());
    handle.setProgress(-1);
    m_testSemaphore.release();
    m_busy = true;
    m_cancelAll = false;
}

void cTestRunner::runTests(const QList<cTestHandle> &tests, int runs)
{
    if (runs < 1)
        return;
    {
        QMutexLocker locker(&m_queueLock);
        m_batch = tests;
        m_remainingRuns = runs - 1;
        m_batchActive = true;
        ++m_batchGeneration;
    }
    clearResults();
    QMutexLocker locker(&m_queueLock);
    for (const cTestHandle &test : tests)
        enqueueLocked(test);
}

void cTestRunner::queueTest(const QModelIndex &name, const QModelIndex &status, const QModelIndex &time,
                            const QModelIndex &info, const QModelIndex &statistics)
{
    const cTestHandle test(name, status, time, info, statistics);
    QMutexLocker locker(&m_queueLock);
    enqueueLocked(test);
}

void cTestRunner::cancelTest(const QModelIndex &name, const QModelIndex &status, const QModelIndex &time,
                             const QModelIndex &info, const QModelIndex &statistics)
{
    const cTestHandle test(name, status, time, info, statistics);
    bool current = false;
    {
        QMutexLocker locker(&m_queueLock);
        current = test == currentTest();
        if (!current) {
            note(QStringLiteral("Cancel was requested for test %1").arg(test.name()));
            const qsizetype at = m_queue.indexOf(test);
            if (at >= 0) {
                m_queue[at].exchangeStatus({StateQueued}, StateNone);
                m_queue.removeAt(at);
            }
        }
    }
    // Outside the queue lock: it may emit, and a slot may queue again.
    if (current)
        cancelCurrentTest();
}

void cTestRunner::cancelCurrentTest()
{
    cTestHandle test = currentTest();
    const int status = test.status();
    if ((status == StateRunning || status == StateQueued)
        && test.exchangeStatus({StateRunning, StateQueued}, StateCanceling)) {
        note(QStringLiteral("Cancel was requested for test %1").arg(test.name()));
        return;
    }
    emit testsCanceled();
}

void cTestRunner::cancelAllTests()
{
    note(QStringLiteral("Canceling all tests..."));
    {
        QMutexLocker locker(&m_queueLock);
        m_cancelAll = true;
        for (cTestHandle &test : m_queue)
            test.exchangeStatus({StateQueued}, StateCanceled);
        m_queue.clear();
        m_batch.clear();
        m_remainingRuns = 1;
        m_batchActive = false;
        ++m_batchGeneration;
    }
    cancelCurrentTest();
}

bool cTestRunner::isBusy() const
{
    return m_busy.load();
}

void cTestRunner::userReply(const QVariantList &reply)
{
    {
        QMutexLocker locker(&m_userReplyLock);
        m_userReply = reply;
    }
    m_userReplySemaphore.release();
}

QString cTestRunner::statisticsText() const
{
    QMutexLocker locker(&m_statsLock);
    QString text;
    for (auto it = m_stats.cbegin(); it != m_stats.cend(); ++it) {
        text += it.key()
                + QStringLiteral(":\n    run count - %1\n    ok - %2\n    warnings - %3\n    errors - %4\n\n")
                      .arg(it->runs)
                      .arg(it->ok)
                      .arg(it->warnings)
                      .arg(it->errors);
    }
    return text;
}

QString cTestRunner::resultsText() const
{
    QMutexLocker locker(&m_resultsLock);
    return m_results;
}

QString cTestRunner::logText() const
{
    QMutexLocker locker(&m_logLock);
    return m_log;
}

void cTestRunner::clearResults()
{
    {
        QMutexLocker locker(&m_statsLock);
        m_stats.clear();
    }
    {
        QMutexLocker locker(&m_resultsLock);
        m_results.clear();
    }
    QMutexLocker locker(&m_logLock);
    m_log.clear();
}

bool cTestRunner::hasErrors() const
{
    return shared().errorSeen.load();
}

QString cTestRunner::appRoot() const
{
    QMutexLocker locker(&m_settingsLock);
    return m_appRoot.isEmpty() ? appRootDir() : m_appRoot;
}

void cTestRunner::setAppRoot(const QString &root)
{
    QMutexLocker locker(&m_settingsLock);
    m_appRoot = root;
}

bool cTestRunner::trustUnitPackages() const
{
    QMutexLocker locker(&m_settingsLock);
    if (m_trustOverride >= 0)
        return m_trustOverride == 1;
    return QSettings().value(QStringLiteral("TestRunner/TrustUnitPackages"), false).toBool();
}

void cTestRunner::setTrustUnitPackages(bool trusted)
{
    QMutexLocker locker(&m_settingsLock);
    m_trustOverride = trusted ? 1 : 0;
}

bool cTestRunner::sandboxPackages() const
{
    return !trustUnitPackages();
}

sIODevice cTestRunner::device() const
{
    QMutexLocker locker(&m_deviceLock);
    return m_device;
}

void cTestRunner::appendLog(const QString &text, int level)
{
    const QString line = QStringLiteral("%1  %2  %3\n")
                             .arg(QDateTime::currentDateTime().toString(QStringLiteral("dd-MM-yyyy hh:mm-ss")),
                                  levelTag(level), text);
    QMutexLocker locker(&m_logLock);
    m_log += line;
    trimText(&m_log);
}

void cTestRunner::appendResults(const QString &text)
{
    QMutexLocker locker(&m_resultsLock);
    m_results += text;
    trimText(&m_results);
}

bool cTestRunner::sleepFor(qint64 ms)
{
    QDeadlineTimer deadline(ms > 0 ? ms : 0);
    QMutexLocker locker(&m_sleepLock);
    while (!m_quit.load() && !deadline.hasExpired())
        m_sleepWake.wait(&m_sleepLock, deadline);
    return !m_quit.load();
}

bool cTestRunner::askOperator(const QString &question, const QStringList &fields, QStringList *answers)
{
    while (m_userReplySemaphore.tryAcquire()) {
        // a reply nobody waited for is stale
    }
    {
        QMutexLocker locker(&m_userReplyLock);
        m_userReply.clear();
    }
    emit askUser(currentTest().name(), question, fields);
    while (!m_userReplySemaphore.tryAcquire(1, 100)) {
        if (cancelQuery())
            return false;
    }
    QVariantList reply;
    {
        QMutexLocker locker(&m_userReplyLock);
        reply.swap(m_userReply);
    }
    if (reply.isEmpty())
        return false;
    for (const QVariant &value : reply)
        answers->append(value.toString());
    return true;
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
        while (!m_actionSemaphore.tryAcquire(1, 10000)) {
            if (m_quit.load())
                return;
        }
        note(QStringLiteral("TestRunner: got action"), 0);
        if (m_quit.load())
            return;
        note(QStringLiteral("try to get current state"));
        switch (action()) {
        case ActionNone:
        case ActionIdle:
            note(QStringLiteral("TestRunner: none or started"));
            sleepFor(100);
            break;
        case ActionStop:
            note(QStringLiteral("TestRunner: stoped"));
            return;
        case ActionInit:
            doInit();
            break;
        case ActionDeinit:
            doDeinit();
            break;
        case ActionTest:
            note(QStringLiteral("TestRunner: test"));
            testLoop();
            break;
        case ActionClosePort:
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
    setErrorSeen(false);
    setStopRequest(false);
    bool ok = false;
    {
        QMutexLocker locker(m_luaLock.get());
        closeLua();
        ok = setUpEnvironment();
        note(QStringLiteral("init result = %1").arg(ok ? 1 : 0));
        if (stopRequested() || m_quit.load())
            ok = false;
        m_initialised = ok;
        if (!ok) {
            if (m_ownsPort)
                port::close_port(device(), 300);
            closeLua();
        }
    }
    setAction(ok ? ActionTest : ActionIdle);
    emit initFinished(stopRequested() ? 3 : (ok ? 0 : 2));
    m_actionSemaphore.release();
}

void cTestRunner::doDeinit()
{
    note(QStringLiteral("TestRunner: deinit"));
    bool ok = true;
    {
        QMutexLocker locker(m_luaLock.get());
        if (m_initialised.load()) {
            ok = callDeviceFunction("deinit_test_env");
            if (!ok)
                note(tr("Failed to deinit test environment for device '%1'").arg(device().name), 3);
        }
        if (m_initialised.load() && m_ownsPort)
            port::close_port(device(), 300);
        closeLua();
    }
    m_initialised = false;
    setAction(ActionIdle);
    m_actionSemaphore.release();
    m_cmd = nullptr;
    emit deinitFinished(ok ? 0 : 2);
}

void cTestRunner::doClosePort()
{
    note(QStringLiteral("Close port branch"));
    const sIODevice unit = device();
    if (m_rebootOnClose.load()) {
        note(QStringLiteral("Trying to reboot device '%1'").arg(unit.name));
        void *handle = port::calc_io_handle(unit);
        const sCmdPlugin *cmd = m_cmd.load();
        if (!cmd)
            cmd = pm::get(false)->cmdPlugin(unit);
        if (!cmd || !cmd->exec) {
            note(QStringLiteral("Can't reboot device '%1': no command plug-in for it").arg(unit.name), 2);
        } else {
            char *answer = nullptr;
            int length = 0;
            cmd->exec(handle, "CLI", 3, &answer, &length, m_callContext.get(), 2000);
            note(QStringLiteral("CLI: %1").arg(answerText(answer, length)));
            std::free(answer);
            sleepFor(500);
            answer = nullptr;
            length = 0;
            cmd->exec(handle, "RESTART NOBOOT", 14, &answer, &length, m_callContext.get(), 3000);
            note(QStringLiteral("restart: %1").arg(answerText(answer, length)));
            std::free(answer);
        }
    }
    port::close_port(unit, 1000);
    setAction(ActionIdle);
}

void cTestRunner::reset(bool fatal)
{
    if (m_ownsPort)
        port::close_port(device(), 300);
    m_interrupt = false;
    m_quit = false;
    m_busy = false;
    if (action() == ActionInit)
        emit initFinished(2);
    setAction(ActionNone);
    setStopRequest(false);
    m_initialised = false;
    {
        QMutexLocker locker(&m_statsLock);
        m_stats.clear();
    }
    {
        QMutexLocker locker(&m_queueLock);
        m_queue.clear();
        m_batch.clear();
        m_batchActive = false;
        m_cancelAll = false;
        ++m_batchGeneration;
    }
    while (m_actionSemaphore.tryAcquire()) {
    }
    setCurrentTest(cTestHandle());
    {
        QMutexLocker locker(&m_logLock);
        m_log.clear();
    }
    {
        QMutexLocker locker(&m_resultsLock);
        m_results.clear();
    }
    setErrorSeen(false);
    if (fatal) {
        qCritical("!!! FATAL ERROR !!!");
        note(tr("Application fatal error detected!"), 3);
        note(tr("Restart is strongly recomended!"), 3);
        emit needRestart();
    }
}

void cTestRunner::closeLua()
{
    m_lua.reset();
}

// ---- the test loop ----

bool cTestRunner::waitTestPermit()
{
    while (!m_testSemaphore.tryAcquire(1, 1000)) {
        if (m_quit.load())
            return false;
    }
    return true;
}

void cTestRunner::testLoop()
{
    setErrorSeen(false);
    m_interrupt = false;
    m_busy = m_testSemaphore.available() > 0;
    // The interrupt flag is cleared above, so a close or deinit that came in just before is
    // seen through the action it set.
    const auto leave = [this] { return m_interrupt.load() || action() != ActionTest; };
    if (!waitTestPermit() || leave())
        return;
    for (;;) {
        cTestHandle test;
        bool taken = false;
        {
            QMutexLocker locker(&m_queueLock);
            if (!m_queue.isEmpty()) {
                test = m_queue.takeFirst();
                taken = true;
            }
        }
        if (taken) {
            setCurrentTest(test);
            if (!test.isValid())
                note(QStringLiteral("Invalid test skipped"), 2);
            else
                runOneTest(test);
            // A finished test is no longer current: a cancel of its row, queued again, must
            // find it in the queue.
            setCurrentTest(cTestHandle());
        }
        m_busy = m_testSemaphore.available() > 0;
        if (!waitTestPermit() || leave())
            return;
    }
}

void cTestRunner::runOneTest(cTestHandle test)
{
    const QString name = test.name();
    const QString starting = tr("Starting test '%1'").arg(name);
    note(starting, 1);
    appendLog(starting, 1);
    test.setDetails(QString());
    test.markStarted();

    cLuaState::sCall call;
    {
        QMutex *lock = m_luaLock.get();
        bool locked = false;
        while (!(locked = lock->tryLock(100)) && !m_quit.load()) {
        }
        if (locked) {
            if (m_lua)
                call = m_lua->call("zt_exec_test", {name.toLatin1()});
            lock->unlock();
        }
        if (!locked || !call.called) {
            call.code = LUA_ERRRUN;
            call.error = QStringLiteral("no test environment");
        }
    }

    if (call.code != 0) {
        const char *reason = nullptr;
        switch (call.code) {
        case LUA_ERRSYNTAX:
            reason = "Cannot start test '%1' (LUA_ERRSYNTAX: syntax error)";
            break;
        case LUA_ERRMEM:
            reason = "Cannot start test '%1' (LUA_ERRMEM: memory allocation error)";
            break;
        case LUA_ERRERR:
            reason = "Cannot start test '%1' (LUA_ERRERR: general error)";
            break;
        case LUA_YIELD:
            reason = "Cannot start test '%1' (LUA_YIELD: YIELD )";
            break;
        default:
            reason = "Cannot start test '%1' (LUA_ERRRUN: run error)";
            break;
        }
        noteTest(QString::fromLatin1(reason).arg(name), 3, name);
        noteTest(call.error, 3, name);
        // A cancel request stays visible: the runner settles it below.
        test.exchangeStatus({StateNone, StateOk, StateError, StateWarning, StateQueued, StateRunning}, StateError);
    } else {
        if (call.resultType != LUA_TBOOLEAN)
            note(QStringLiteral("[%1]: result is not a boolean type").arg(QStringLiteral("zt_exec_test")), 2);
        if (!call.result) {
            noteTest(tr("Error executing test '%1'").arg(name), 3, name);
            test.exchangeStatus({StateNone, StateOk, StateError, StateWarning, StateQueued, StateRunning},
                                StateError);
        }
    }

    bool cancelAll = false;
    {
        QMutexLocker locker(&m_queueLock);
        cancelAll = m_cancelAll;
    }
    bool canceled = cancelAll || test.status() == StateCanceling || test.status() == StateCanceled;
    // Running becomes OK in one step, so that a cancel arriving now is not lost.
    if (!canceled && !test.exchangeStatus({StateRunning}, StateOk))
        canceled = test.status() == StateCanceling;
    if (canceled) {
        test.setStatus(StateCanceled);
        emit testFinished();
        emit testsCanceled();
        return;
    }

    test.markEnded();
    const int status = test.status();
    {
        QMutexLocker locker(&m_statsLock);
        sStats &stats = m_stats[name];
        ++stats.runs;
        if (status == StateOk)
            ++stats.ok;
        else if (status == StateError)
            ++stats.errors;
        else if (status == StateWarning)
            ++stats.warnings;
        test.setStatistics(stats.runs, stats.ok);
    }
    const QString details = test.details();
    const QString report = tr("Test '%1' finished with status: %2%3")
                               .arg(name, cTestHandle::statusText(status),
                                    details.isEmpty() ? QString()
                                                      : QStringLiteral(", ") + tr("description: %1").arg(details));
    noteTest(report, 1, name);
    appendLog(report, 1);
    {
        QMutexLocker locker(&m_resultsLock);
        m_results += test.resultLine() + QLatin1Char('\n');
        trimText(&m_results);
    }
    emit testFinished();
    repeatBatchIfDone();
}

void cTestRunner::repeatBatchIfDone()
{
    if (m_testSemaphore.available() > 0)
        return;
    QList<cTestHandle> batch;
    quint64 generation = 0;
    int left = 0;
    {
        QMutexLocker locker(&m_queueLock);
        if (!m_batchActive)
            return;
        if (m_remainingRuns <= 0) {
            m_batchActive = false;
            m_batch.clear();
        } else {
            left = m_remainingRuns--;
            batch = m_batch;
            generation = m_batchGeneration;
        }
    }
    if (left == 0) {
        note(QStringLiteral("All attempts finished"), 1);
        return;
    }
    note(QStringLiteral("Run attempts left: %1").arg(left), 1);
    appendResults(QStringLiteral("\n\n"));
    for (cTestHandle &test : batch) {
        test.clearTimes();
        sleepFor(10);
        QMutexLocker locker(&m_queueLock);
        if (generation != m_batchGeneration)
            return;  // cancelled or replaced meanwhile
        enqueueLocked(test);
    }
}

// ---- the environment set-up ----

bool cTestRunner::setUpEnvironment()
{
    // 1. state
    m_lua = std::make_unique<cLuaState>(&m_quit);
    if (m_lua->isNull()) {
        note(QStringLiteral("Can't initialize LUA"), 3);
        return false;
    }
    // 2. libraries, the zt API and the call context
    QString error;
    if (!cZtApi::install(m_lua->handle(), m_callContext.get(), &error)) {
        note(QStringLiteral("Can't initialize LUA"), 3);
        note(error, 3);
        return false;
    }
    // 3. plug-ins add their own functions
    iPlugMan *plugins = pm::get(false);
    const QStringList pluginNames = plugins->pluginNames();
    for (const QString &pluginName : pluginNames) {
        const sLuaPlugin *plugin = plugins->pluginByName(pluginName);
        if (!plugin || !plugin->addLuaFunctions)
            continue;
        sPluginCall call{plugin, false};
        QString fault;
        if (!m_lua->protect(pluginCallImpl, &call, &fault) || call.fault)
            note(QStringLiteral("Plug-in '%1' failed to add its Lua functions: %2")
                     .arg(pluginName, fault.isEmpty() ? QStringLiteral("exception") : fault), 2);
    }
    // 4. print, and the sandbox while the globals are still the standard ones
    if (!cZtApi::installPrint(m_lua->handle(), &error)) {
        note(error, 3);
        return false;
    }
    error.clear();
    QString fault;
    if (!m_lua->protect(sandboxInstallImpl, &error, &fault) || !error.isEmpty()) {
        note(QStringLiteral("Can't prepare the sandbox for the unit's tests: %1").arg(error + fault), 3);
        return false;
    }
    // 5. local general scripts
    if (!runScriptFolder(QStringLiteral("scripts/general")) || !runScriptFolder(QStringLiteral("scripts/test")))
        return false;
    if (m_quit.load())
        return false;
    // 6. the port
    if (m_ownsPort) {
        sIODevice opened = device();
        if (!port::open_port(opened))
            return false;
        QMutexLocker locker(&m_deviceLock);
        m_device = opened;
    }
    // 7. the unit description
    if (!runDeviceDescription())
        return false;
    // 8. sub-device handles
    if (!setDeviceHandles())
        return false;
    // 9. the unit's test package, through its resource plug-in
    const sIODevice unit = device();
    bool loaded = false;
    if (const sResPlugin *res = plugins->resPlugin(unit)) {
        // 10.
        void *handle = port::calc_io_handle(unit);
        const QByteArray id = unit.id.toLatin1();
        if (res->openTransfer && res->openTransfer(handle, id.constData(), m_callContext.get())) {
            note(QStringLiteral("Res transver inited"));
            if (stopRequested()) {
                note(QStringLiteral("Canceled by user"));
                return false;
            }
            // 11.
            const sCmdPlugin *cmd = plugins->cmdPlugin(unit);
            m_cmd = cmd;
            if (!waitForApplication(handle, cmd))
                return false;
            // 12.
            if (!loadUnitPackage(handle, res, &loaded))
                return false;
            // 13.
            m_lua->setGlobalBool("zt_already_in_cli_mode", true);
        }
    }
    // 14. local tests
    if (!loaded && !runScriptFolder(QStringLiteral("tests")))
        return false;
    if (m_quit.load())
        return false;
    // 15.
    const bool ok = callDeviceFunction("init_test_env");
    if (!ok)
        note(tr("Failed to init test environment for device '%1'").arg(unit.name), 3);
    return ok;
}

bool cTestRunner::runScriptFolder(const QString &folder)
{
    const QDir dir(appRoot() + QLatin1Char('/') + folder);
    if (!dir.exists()) {
        note(QStringLiteral("Script folder is missing (%1)").arg(dir.path()));
        return true;
    }
    const QFileInfoList files =
        dir.entryInfoList({QStringLiteral("*.lua")}, QDir::Files | QDir::Readable, QDir::Name);
    for (const QFileInfo &file : files) {
        if (m_quit.load() || !runScriptFile(file.absoluteFilePath()))
            return false;
    }
    return true;
}

bool cTestRunner::runScriptFile(const QString &path)
{
    const auto setupError = [](const QString &text) {
        note(tr("TestRunner: error initializing LUA - %1").arg(text), 3);
    };
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        setupError(tr("can't open script (%1)").arg(path));
        return false;
    }
    if (file.size() > kMaxScriptSize) {
        setupError(tr("can't execute script (%1)").arg(path));
        note(QStringLiteral("script is larger than %1 bytes").arg(kMaxScriptSize), 3);
        return false;
    }
    const QByteArray text = file.readAll();
    file.close();
    if (text.isEmpty()) {
        setupError(tr("script is empty (%1)").arg(path));
        return false;
    }
    QString error;
    const QByteArray chunkName = '@' + QFileInfo(path).fileName().toLatin1();
    if (m_lua->run(text, chunkName.constData(), false, &error) != cLuaState::Done) {
        setupError(tr("can't execute script (%1)").arg(path));
        note(error, 3);
        return false;
    }
    return true;
}

bool cTestRunner::runDeviceDescription()
{
    const QString text = devicedescription::text(device());
    if (text.isEmpty()) {
        note(tr("TestRunner: error initializing LUA - %1").arg(tr("device scripts are empty")), 3);
        return false;
    }
    QString error;
    if (m_lua->run(text.toLatin1(), "zt_io_device", false, &error) != cLuaState::Done) {
        note(tr("TestRunner: error initializing LUA - %1").arg(tr("can't execute device scripts (%1)").arg(text)), 3);
        note(error, 3);
    }
    return true;
}

bool cTestRunner::setDeviceHandles()
{
    const sIODevice unit = device();
    for (const sIOSubDevice &sub : unit.devices) {
        const cLuaState::sCall call =
            m_lua->call("set_device_handle", {sub.varName.toLatin1()}, false, true, sub.handle);
        if (call.code != 0) {
            note(QStringLiteral("can't execute function to set handle for device '%1 - %2': code = %3")
                     .arg(unit.name, sub.varName)
                     .arg(call.code),
                 3);
            note(call.error, 3);
            return false;
        }
        if (call.resultType != LUA_TBOOLEAN)
            note(QStringLiteral("[%1]: result is not a boolean type").arg(QStringLiteral("set_device_handle")), 2);
        if (!call.result) {
            note(QStringLiteral("can't set handle for device '%1 - %2'").arg(unit.name, sub.varName), 3);
            return false;
        }
    }
    return true;
}

bool cTestRunner::waitForApplication(void *ioHandle, const sCmdPlugin *cmd)
{
    if (!cmd || !cmd->exec) {
        note(QStringLiteral("No command plug-in for device '%1': its run state is not checked").arg(device().name), 2);
        return true;
    }
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < kAppStartTimeoutMs) {
        char *answer = nullptr;
        int length = 0;
        bool started = false;
        if (cmd->exec(ioHandle, "GET_APP_RUN_STATE", 17, &answer, &length, m_callContext.get(), 1500)) {
            const QString text = answerText(answer, length);
            note(QStringLiteral("%1 = '%2'")
                     .arg(QStringLiteral("GET_APP_RUN_STATE"), answer ? text : QStringLiteral("NULL")));
            if (text.contains(QLatin1String("DONE"))) {
                note(QStringLiteral("Device started"), 0);
                started = true;
            } else if (text.contains(QLatin1String("Unknown command"))) {
                note(QStringLiteral("Checking of device status not supported by firmware"));
                started = true;
            }
        } else {
            note(QStringLiteral("Failed to get app run state"), 2);
        }
        std::free(answer);
        if (started)
            return true;
        sleepFor(500);
        if (stopRequested()) {
            note(QStringLiteral("Canceled by user"));
            return false;
        }
        if (m_quit.load())
            return false;
    }
    note(QStringLiteral("Device was not started"), 3);
    m_cmd = nullptr;
    return false;
}

bool cTestRunner::loadUnitPackage(void *ioHandle, const sResPlugin *res, bool *loaded)
{
    const auto setupError = [](const QString &text, int level = 3) {
        note(tr("TestRunner: error initializing LUA - %1").arg(text), level);
    };
    const QString packageName = QString::fromLatin1(kPackagePath);
    const QByteArray id = device().id.toLatin1();
    char *data = nullptr;
    int size = 0;
    const bool fetched =
        res->getFile && res->getFile(ioHandle, id.constData(), kPackagePath, &data, &size, m_callContext.get());
    if (!fetched || !data || size <= 0) {
        std::free(data);
        setupError(tr("can't load tests from device, using local tests"), 2);
        return true;
    }
    if (size > kMaxPackageSize) {
        std::free(data);
        setupError(tr("can't load script (%1)").arg(packageName));
        note(QStringLiteral("the test package is larger than %1 bytes").arg(kMaxPackageSize), 3);
        return false;
    }
    const QByteArray chunk(data, size);
    std::free(data);
    const bool sandboxed = sandboxPackages();
    note(sandboxed ? QStringLiteral("The unit's test package runs without process, file and native code access")
                   : QStringLiteral("The unit's test package runs with the full Lua libraries (trusted unit)"));
    QString error;
    switch (m_lua->run(chunk, "zovan_tools_tests", sandboxed, &error)) {
    case cLuaState::LoadFailed:
        setupError(tr("can't load script (%1)").arg(packageName));
        note(error, 3);
        return false;
    case cLuaState::RunFailed:
        setupError(tr("can't exec script (%1)").arg(packageName));
        note(error, 3);
        return false;
    case cLuaState::Done:
        break;
    }
    *loaded = true;
    return true;
}

bool cTestRunner::callDeviceFunction(const char *function)
{
    const QString name = QString::fromLatin1(function);
    const QString unit = device().name;
    if (!m_lua)
        return false;
    const cLuaState::sCall call = m_lua->call(function, {}, true);
    if (call.code != 0) {
        note(QStringLiteral("Failed to execute function '%1' for device '%2': code = %3").arg(name, unit).arg(call.code), 3);
        note(call.error, 3);
        return false;
    }
    if (call.globalType == LUA_TFUNCTION) {
        if (call.resultType != LUA_TBOOLEAN)
            note(QStringLiteral("[%1]: result is not a boolean type").arg(name), 2);
        if (call.result) {
            note(QStringLiteral("Function '%1' was successfuly called for device '%2'").arg(name, unit));
            return true;
        }
        return false;
    }
    if (call.globalType == LUA_TNIL) {
        note(QStringLiteral("No function '%1' found for device '%2'. Skipping init...").arg(name, unit));
        return true;
    }
    note(QStringLiteral("Found code '%1' for device '%2', but it seems to be not a function").arg(name, unit), 2);
    return true;
}

#include "cluaenvironment.h"

#include "platform/plugman/iplugman.h"
#include "platform/plugman/plugintables.h"
#include "platform/port/port.h"
#include "tests/engine/clinewatch.h"
#include "tests/engine/crunnershared.h"
#include "tests/engine/cunitchannel.h"
#include "tests/engine/cztapi.h"
#include "tests/engine/devicedescription.h"
#include "tests/engine/luasandbox.h"
#include "tests/engine/testlog.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutexLocker>

#include <lua.hpp>

#include <cxxabi.h>

#include <chrono>
#include <mutex>

using testlog::note;

namespace {

// The caller of enumerate or restartAllowed waits at most this long for the runner's
// thread to leave the Lua state.
constexpr std::chrono::milliseconds kLuaWait{1000};
constexpr int kMaxTests = 100000;
constexpr qint64 kMaxScriptSize = 64 * 1024 * 1024;

// The frame is for the operator; the message inside it reads the same in every language.
void setUpError(const QString &text, eLogLevel level = LogError)
{
    note(QCoreApplication::translate("cTestRunner", "TestRunner: error initializing LUA - %1").arg(text), level);
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

cLuaEnvironment::cLuaEnvironment(const std::atomic<bool> *quit)
    : m_quit(quit), m_lock(std::make_unique<QMutex>())
{
}

cLuaEnvironment::~cLuaEnvironment()
{
    QMutexLocker locker(m_lock.get());
    closeLocked();
}

void cLuaEnvironment::closeLocked()
{
    m_lua.reset();
}

void cLuaEnvironment::abandon()
{
    if (m_lua) {
        m_lua->abandon();
        (void)m_lua.release();
    }
    (void)m_lock.release();
    m_lock = std::make_unique<QMutex>();
}

bool cLuaEnvironment::setUpLocked(const sSetUp &setUp)
{
    closeLocked();
    // 1. state
    m_lua = std::make_unique<cLuaState>(m_quit);
    if (m_lua->isNull()) {
        note(QStringLiteral("Can't initialize LUA"), LogError);
        return false;
    }
    // A stop request ends whatever script of the set-up is running.
    m_lua->setStopFlag(cRunnerShared::stopRequestFlag());
    // 2. libraries, the zt API and the call context
    QString error;
    if (!cZtApi::install(m_lua->handle(), setUp.callContext, &error)) {
        note(QStringLiteral("Can't initialize LUA"), LogError);
        note(error, LogError);
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
                     .arg(pluginName, fault.isEmpty() ? QStringLiteral("exception") : fault),
                 LogWarning);
    }
    // 4. print, and the sandbox while the globals are still the standard ones
    if (!cZtApi::installPrint(m_lua->handle(), &error)) {
        note(error, LogError);
        return false;
    }
    error.clear();
    QString fault;
    if (!m_lua->protect(sandboxInstallImpl, &error, &fault) || !error.isEmpty()) {
        note(QStringLiteral("Can't prepare the sandbox for the unit's tests: %1").arg(error + fault), LogError);
        return false;
    }
    // 5. local general scripts
    if (!runScriptFolder(setUp.appRoot, QStringLiteral("scripts/general"))
        || !runScriptFolder(setUp.appRoot, QStringLiteral("scripts/test")))
        return false;
    if (m_quit->load())
        return false;
    // 6. the port
    if (setUp.ownsPort) {
        sIODevice opened = setUp.device();
        if (!port::open_port(opened))
            return false;
        setUp.setDevice(opened);
    }
    const sIODevice unit = setUp.device();
    // 7. the unit description
    if (!runDeviceDescription(unit))
        return false;
    // 8. sub-device handles
    if (!setDeviceHandles(unit))
        return false;
    // 9. the unit's test package, through its resource plug-in
    bool loaded = false;
    if (const sResPlugin *res = plugins->resPlugin(unit)) {
        // 10.
        void *handle = port::calc_io_handle(unit);
        const QByteArray id = unit.id.toLocal8Bit();
        if (res->openTransfer && res->openTransfer(handle, id.constData(), setUp.callContext)) {
            note(QStringLiteral("Res transver inited"));
            if (cRunnerShared::stopRequested()) {
                note(QStringLiteral("Canceled by user"));
                return false;
            }
            // 11.
            setUp.channel->setCommand(plugins->cmdPlugin(unit));
            if (!setUp.channel->waitForApplication(handle, unit, &cRunnerShared::stopRequested, *m_quit))
                return false;
            // 12.
            if (!loadUnitPackage(setUp, handle, unit, &loaded))
                return false;
            // 13.
            m_lua->setGlobalBool("zt_already_in_cli_mode", true);
        } else if (cLineWatch::isGone(handle)) {
            // The local tests stand in for a unit without transfer mode, not for one that is gone.
            note(cLineWatch::lostInSetUpMessage(unit.name), LogError);
            return false;
        }
    }
    // 14. local tests
    if (!loaded && !runScriptFolder(setUp.appRoot, QStringLiteral("tests")))
        return false;
    if (m_quit->load())
        return false;
    // 15.
    const bool ok = callDeviceFunctionLocked("init_test_env", unit.name);
    if (!ok)
        note(QStringLiteral("Failed to init test environment for device '%1'").arg(unit.name), LogError);
    m_lua->clearLimits();
    return ok;
}

bool cLuaEnvironment::runScriptFolder(const QString &root, const QString &folder)
{
    const QDir dir(root + QLatin1Char('/') + folder);
    if (!dir.exists()) {
        note(QStringLiteral("Script folder is missing (%1)").arg(dir.path()));
        return true;
    }
    const QFileInfoList files = dir.entryInfoList({QStringLiteral("*.lua")}, QDir::Files | QDir::Readable, QDir::Name);
    for (const QFileInfo &file : files) {
        if (m_quit->load() || !runScriptFile(file.absoluteFilePath()))
            return false;
    }
    return true;
}

bool cLuaEnvironment::runScriptFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        setUpError(QStringLiteral("can't open script (%1)").arg(path));
        return false;
    }
    if (file.size() > kMaxScriptSize) {
        setUpError(QStringLiteral("can't execute script (%1)").arg(path));
        note(QStringLiteral("script is larger than %1 bytes").arg(kMaxScriptSize), LogError);
        return false;
    }
    const QByteArray text = file.readAll();
    file.close();
    if (text.isEmpty()) {
        setUpError(QStringLiteral("script is empty (%1)").arg(path));
        return false;
    }
    QString error;
    const QByteArray chunkName = '@' + QFileInfo(path).fileName().toLocal8Bit();
    if (m_lua->run(text, chunkName.constData(), false, &error) != cLuaState::Done) {
        setUpError(QStringLiteral("can't execute script (%1)").arg(path));
        note(error, LogError);
        return false;
    }
    return true;
}

bool cLuaEnvironment::runDeviceDescription(const sIODevice &unit)
{
    const QString text = devicedescription::text(unit);
    if (text.isEmpty()) {
        setUpError(QStringLiteral("device scripts are empty"));
        return false;
    }
    QString error;
    if (m_lua->run(text.toLocal8Bit(), "zt_io_device", false, &error) != cLuaState::Done) {
        setUpError(QStringLiteral("can't execute device scripts (%1)").arg(text));
        note(error, LogError);
    }
    return true;
}

bool cLuaEnvironment::setDeviceHandles(const sIODevice &unit)
{
    for (const sIOSubDevice &sub : unit.devices) {
        const cLuaState::sCall call = m_lua->call("set_device_handle", {sub.varName.toLocal8Bit()}, false, true, sub.handle);
        if (call.code != 0) {
            note(QStringLiteral("can't execute function to set handle for device '%1 - %2': code = %3")
                     .arg(unit.name, sub.varName)
                     .arg(call.code),
                 LogError);
            note(call.error, LogError);
            return false;
        }
        if (call.resultType != LUA_TBOOLEAN)
            note(QStringLiteral("[%1]: result is not a boolean type").arg(QStringLiteral("set_device_handle")), LogWarning);
        if (!call.result) {
            note(QStringLiteral("can't set handle for device '%1 - %2'").arg(unit.name, sub.varName), LogError);
            return false;
        }
    }
    return true;
}

bool cLuaEnvironment::loadUnitPackage(const sSetUp &setUp, void *ioHandle, const sIODevice &unit, bool *loaded)
{
    const QString packageName = QString::fromLatin1(cUnitChannel::packagePath());
    QByteArray chunk;
    switch (setUp.channel->fetchPackage(pm::get(false)->resPlugin(unit), ioHandle, unit, &chunk)) {
    case cUnitChannel::Missing:
        // The local tests stand in for a package the unit lacks, not for a unit that is gone.
        if (cLineWatch::isGone(ioHandle)) {
            note(cLineWatch::lostInSetUpMessage(unit.name), LogError);
            return false;
        }
        setUpError(QStringLiteral("can't load tests from device, using local tests"), LogWarning);
        return true;
    case cUnitChannel::TooLarge:
        setUpError(QStringLiteral("can't load script (%1)").arg(packageName));
        note(QStringLiteral("the test package is larger than %1 bytes").arg(cUnitChannel::maxPackageSize()), LogError);
        return false;
    case cUnitChannel::Fetched:
        break;
    }
    note(setUp.sandboxed ? QStringLiteral("The unit's test package runs without process, file and native code access")
                         : QStringLiteral("The unit's test package runs with the full Lua libraries (trusted unit)"));
    QString error;
    switch (m_lua->run(chunk, "zovan_tools_tests", setUp.sandboxed, &error)) {
    case cLuaState::LoadFailed:
        setUpError(QStringLiteral("can't load script (%1)").arg(packageName));
        note(error, LogError);
        return false;
    case cLuaState::RunFailed:
        setUpError(QStringLiteral("can't exec script (%1)").arg(packageName));
        note(error, LogError);
        return false;
    case cLuaState::Done:
        break;
    }
    *loaded = true;
    return true;
}

bool cLuaEnvironment::callDeviceFunctionLocked(const char *function, const QString &unitName)
{
    const QString name = QString::fromLatin1(function);
    if (!m_lua)
        return false;
    const cLuaState::sCall call = m_lua->call(function, {}, true);
    if (call.code != 0) {
        note(QStringLiteral("Failed to execute function '%1' for device '%2': code = %3").arg(name, unitName).arg(call.code),
             LogError);
        note(call.error, LogError);
        return false;
    }
    if (call.globalType == LUA_TFUNCTION) {
        if (call.resultType != LUA_TBOOLEAN)
            note(QStringLiteral("[%1]: result is not a boolean type").arg(name), LogWarning);
        if (call.result) {
            note(QStringLiteral("Function '%1' was successfuly called for device '%2'").arg(name, unitName));
            return true;
        }
        return false;
    }
    if (call.globalType == LUA_TNIL) {
        note(QStringLiteral("No function '%1' found for device '%2'. Skipping init...").arg(name, unitName));
        return true;
    }
    note(QStringLiteral("Found code '%1' for device '%2', but it seems to be not a function").arg(name, unitName),
         LogWarning);
    return true;
}

cLuaState::sCall cLuaEnvironment::execTest(const QString &name)
{
    cLuaState::sCall call;
    std::unique_lock<QMutex> locker(*m_lock, std::defer_lock);
    while (!locker.try_lock_for(std::chrono::milliseconds(100))) {
        if (m_quit->load())
            break;
    }
    if (locker.owns_lock() && m_lua) {
        call = m_lua->call("zt_exec_test", {name.toLocal8Bit()});
        m_lua->clearLimits();
    }
    if (!locker.owns_lock() || !call.called) {
        call.code = LUA_ERRRUN;
        call.error = QStringLiteral("no test environment");
    }
    return call;
}

void cLuaEnvironment::limitRunningScript(qint64 ms)
{
    if (m_lua)
        m_lua->setDeadline(ms);
}

void cLuaEnvironment::limitOutsideCall()
{
    m_lua->setDeadline(kOutsideCallMs);
}

QString cLuaEnvironment::endOutsideCall(const char *function)
{
    const bool late = m_lua->limitHit() == cLuaState::DeadlineLimit;
    m_lua->clearLimits();
    if (!late)
        return QString();
    const QString text = QStringLiteral("%1 did not return within %2 ms and was stopped")
                             .arg(QLatin1String(function))
                             .arg(kOutsideCallMs);
    note(text, LogError);
    qWarning("%s", qPrintable(text));
    return text;
}

QStringList cLuaEnvironment::enumerate(QString *failure)
{
    std::unique_lock<QMutex> locker(*m_lock, std::defer_lock);
    if (!locker.try_lock_for(kLuaWait)) {
        *failure = QStringLiteral("Tests not listed: the test runner is busy in a script");
        note(*failure, LogWarning);
        return {};
    }
    if (!m_lua)
        return {};
    bool ok = false;
    QString error;
    limitOutsideCall();
    QStringList names = m_lua->callForNames("zt_enumerate_tests", &ok, &error, kMaxTests);
    *failure = endOutsideCall("zt_enumerate_tests");
    locker.unlock();
    if (!error.isEmpty())
        note(QStringLiteral("zt_enumerate_tests failed: %1").arg(error), LogWarning);
    if (!ok || !failure->isEmpty())
        return {};
    if (names.size() >= kMaxTests)
        note(QStringLiteral("Only the first %1 tests are listed").arg(kMaxTests), LogWarning);
    return names;
}

bool cLuaEnvironment::restartAllowed(const QString &arg)
{
    std::unique_lock<QMutex> locker(*m_lock, std::defer_lock);
    if (!locker.try_lock_for(kLuaWait)) {
        note(QStringLiteral("Restart not allowed: the test runner is busy in a script"), LogWarning);
        return false;
    }
    if (!m_lua)
        return false;
    limitOutsideCall();
    const cLuaState::sCall call = m_lua->call("is_restart_allowed", {arg.toLocal8Bit()});
    endOutsideCall("is_restart_allowed");
    locker.unlock();
    if (call.code != 0) {
        note(QStringLiteral("Failed to call is_restart_allowed"), LogError);
        note(call.error, LogError);
        return false;
    }
    if (call.resultType != LUA_TBOOLEAN) {
        note(QStringLiteral("Function is_restart_allowed should return boolean"), LogError);
        return false;
    }
    return call.result;
}

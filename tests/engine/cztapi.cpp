#include "cztapi.h"

#include "platform/logging/ilogengine.h"
#include "platform/logging/logs.h"
#include "tests/engine/crunnershared.h"
#include "tests/engine/ctestrunner.h"
#include "tests/engine/testlog.h"
#include "tests/engine/testroles.h"
#include "tests/engine/ztportfunctions.h"

#include <QCoreApplication>
#include <QDateTime>

#include <lua.hpp>

#include <cxxabi.h>

#include <climits>
#include <cmath>
#include <cstring>

using namespace testmodel;

int ztlua::raise(lua_State *L, const QString &message)
{
    const QByteArray bytes = message.toLocal8Bit();
    lua_pushlstring(L, bytes.constData(), size_t(bytes.size()));
    return kRaise;
}

namespace {

using ztlua::kRaise;
using ztlua::raise;

constexpr int kMaxAskFields = 64;

int raiseFrame(lua_State *L, const char *function)
{
    return raise(L, QCoreApplication::translate("cZtApi", "[%1] incorrect argument").arg(QLatin1String(function)));
}

int raiseFrame(lua_State *L, const char *function, const char *what)
{
    return raise(L, QCoreApplication::translate("cZtApi", "[%1] incorrect argument: %2")
                        .arg(QLatin1String(function), QLatin1String(what)));
}

template <int (*F)(lua_State *)>
int guarded(lua_State *L)
{
    int result = kRaise;
    bool fault = false;
    try {
        result = F(L);
    } catch (const abi::__forced_unwind &) {
        throw;  // thread cancellation must unwind
    } catch (...) {
        fault = true;
    }
    if (fault) {
        lua_pushliteral(L, "internal error in the test runner");
        return lua_error(L);
    }
    if (result == kRaise)
        return lua_error(L);
    return result;
}

QString stringArg(lua_State *L, int index)
{
    size_t len = 0;
    const char *s = lua_tolstring(L, index, &len);
    return s ? QString::fromLocal8Bit(s, qsizetype(len)) : QString();
}

void writeLog(const QString &text, int level)
{
    cTestHandle test = cZtApi::currentTest();
    logs::get()->addMessage(text, level, QDateTime::currentDateTime(), test.name(), QStringLiteral("TEST"));
    test.markOutput();
    cZtApi::appendLog(text, level);
}

// ---- status, logging, progress, timing, cancellation ----

int logAt(lua_State *L, int level)
{
    if (lua_gettop(L) != 1 || !lua_isstring(L, 1))
        return raiseFrame(L, "log");
    writeLog(stringArg(L, 1), level);
    return 0;
}

int zLog(lua_State *L) { return logAt(L, LogTrace); }
int zLogNotice(lua_State *L) { return logAt(L, LogNotify); }
int zLogWarn(lua_State *L) { return logAt(L, LogWarning); }
int zLogErr(lua_State *L) { return logAt(L, LogError); }
int zLogDebug(lua_State *L) { return logAt(L, LogDebug); }

int zPrint(lua_State *L)
{
    const int n = lua_gettop(L);
    if (n == 0)
        return 0;
    QStringList pieces;
    for (int i = 1; i <= n; ++i) {
        const int type = lua_type(L, i);
        if (type == LUA_TSTRING || type == LUA_TNUMBER)
            pieces.append(stringArg(L, i));
    }
    writeLog(pieces.join(QStringLiteral("  ")), LogTrace);
    return 0;
}

int statusChange(lua_State *L, int code)
{
    const int n = lua_gettop(L);
    if (n > 1)
        return raiseFrame(L, "set_status", "count");
    cTestHandle test = cZtApi::currentTest();
    test.changeStatus(code);
    if (n == 1) {
        if (!lua_isstring(L, 1))
            return raiseFrame(L, "set_status", "string");
        test.setDetails(stringArg(L, 1));
    }
    if (code == StateError)
        cZtApi::markErrorSeen();
    return 0;
}

int zSetStatusOk(lua_State *L) { return statusChange(L, StateOk); }
int zSetStatusErr(lua_State *L) { return statusChange(L, StateError); }
int zSetStatusWarn(lua_State *L) { return statusChange(L, StateWarning); }

int zUpdateStatusText(lua_State *L)
{
    if (lua_gettop(L) != 1)
        return raiseFrame(L, "update_status_text", "count");
    if (!lua_isstring(L, 1))
        return raiseFrame(L, "update_status_text", "string");
    cZtApi::currentTest().setDetails(stringArg(L, 1));
    return 0;
}

int zProgress(lua_State *L)
{
    if (lua_gettop(L) != 1 || !lua_isnumber(L, 1))
        return raiseFrame(L, "progress");
    const double value = std::trunc(lua_tonumber(L, 1));
    int percent = 0;
    if (value >= double(INT_MAX))
        percent = INT_MAX;
    else if (value <= double(INT_MIN))
        percent = INT_MIN;
    else if (!std::isnan(value))
        percent = int(value);
    cZtApi::currentTest().setProgress(percent);
    return 0;
}

int zSleep(lua_State *L)
{
    if (lua_gettop(L) != 1 || !lua_isnumber(L, 1))
        return raiseFrame(L, "sleep");
    const double ms = lua_tonumber(L, 1);
    if (ms > 0)
        cZtApi::sleep(ms >= 9.0e15 ? qint64(9.0e15) : qint64(ms));
    return 0;
}

int zWasCanceled(lua_State *L)
{
    if (lua_gettop(L) != 0)
        return raiseFrame(L, "was_canceled");
    lua_pushboolean(L, cZtApi::canceled() ? 1 : 0);
    return 1;
}

int zAskUser(lua_State *L)
{
    if (lua_gettop(L) != 2)
        return raiseFrame(L, "ask_user", "count");
    if (!lua_isstring(L, 1))
        return raiseFrame(L, "ask_user", "string");
    if (!lua_istable(L, 2))
        return raiseFrame(L, "ask_user", "table");
    const QString question = stringArg(L, 1);
    QStringList fields;
    for (int i = 1; i <= kMaxAskFields; ++i) {
        lua_rawgeti(L, 2, i);
        const int type = lua_type(L, -1);
        if (type != LUA_TSTRING && type != LUA_TNUMBER) {
            lua_pop(L, 1);
            break;
        }
        fields.append(stringArg(L, -1));
        lua_pop(L, 1);
    }
    QStringList answers;
    if (!cZtApi::ask(question, fields, &answers)) {
        lua_pushnil(L);
        return 1;
    }
    lua_createtable(L, int(answers.size()), 0);
    for (int i = 0; i < answers.size(); ++i) {
        const QByteArray bytes = answers.at(i).toLocal8Bit();
        lua_pushlstring(L, bytes.constData(), size_t(bytes.size()));
        lua_rawseti(L, -2, i + 1);
    }
    return 1;
}

const luaL_Reg kZtFunctions[] = {
    {"progress", guarded<zProgress>},
    {"sleep", guarded<zSleep>},
    {"log", guarded<zLog>},
    {"log_notice", guarded<zLogNotice>},
    {"log_warn", guarded<zLogWarn>},
    {"log_err", guarded<zLogErr>},
    {"log_debug", guarded<zLogDebug>},
    {"set_status_ok", guarded<zSetStatusOk>},
    {"set_status_err", guarded<zSetStatusErr>},
    {"set_status_warn", guarded<zSetStatusWarn>},
    {"update_status_text", guarded<zUpdateStatusText>},
    {"was_canceled", guarded<zWasCanceled>},
    {"serial_open", guarded<ztport::zSerialOpen>},
    {"serial_close", guarded<ztport::zSerialClose>},
    {"serial_is_open", guarded<ztport::zSerialIsOpen>},
    {"is_open", guarded<ztport::zSerialIsOpen>},
    {"serial_flush", guarded<ztport::zSerialFlush>},
    {"serial_set_baud_rate", guarded<ztport::zSerialSetBaudRate>},
    {"serial_read", guarded<ztport::zSerialRead>},
    {"serial_write", guarded<ztport::zSerialWrite>},
    {"gpio_get_state", guarded<ztport::zGpioGetState>},
    {"gpio_set_state", guarded<ztport::zGpioSetState>},
    {"ask_user", guarded<zAskUser>},
    {nullptr, nullptr}};

const luaL_Reg kGpioFunctions[] = {
    {"get", guarded<ztport::zGpioGetState>},
    {"set", guarded<ztport::zGpioSetState>},
    {nullptr, nullptr}};

const luaL_Reg kI2cFunctions[] = {
    {"read", guarded<ztport::zI2cRead>},
    {"write", guarded<ztport::zI2cWrite>},
    {nullptr, nullptr}};

int installImpl(lua_State *L)
{
    void *context = lua_touserdata(L, 1);
    luaL_openlibs(L);
    luaL_register(L, "zt", kZtFunctions);
    lua_pop(L, 1);
    luaL_register(L, "zt.gpio", kGpioFunctions);
    lua_pop(L, 1);
    luaL_register(L, "zt.i2c", kI2cFunctions);
    lua_pop(L, 1);
    lua_pushlightuserdata(L, context);
    lua_setglobal(L, "call_ctx");
    return 0;
}

int installPrintImpl(lua_State *L)
{
    lua_pushcfunction(L, guarded<zPrint>);
    lua_setglobal(L, "print");
    return 0;
}

} // namespace

bool cZtApi::install(lua_State *L, void *callContext, QString *error)
{
    if (lua_cpcall(L, installImpl, callContext) != 0) {
        const char *message = lua_tostring(L, -1);
        *error = QString::fromLocal8Bit(message ? message : "?");
        lua_pop(L, 1);
        return false;
    }
    return true;
}

bool cZtApi::installPrint(lua_State *L, QString *error)
{
    if (lua_cpcall(L, installPrintImpl, nullptr) != 0) {
        const char *message = lua_tostring(L, -1);
        *error = QString::fromLocal8Bit(message ? message : "?");
        lua_pop(L, 1);
        return false;
    }
    return true;
}

QStringList cZtApi::functionNames(const char *library)
{
    const luaL_Reg *table = kZtFunctions;
    if (std::strcmp(library, "zt.gpio") == 0)
        table = kGpioFunctions;
    else if (std::strcmp(library, "zt.i2c") == 0)
        table = kI2cFunctions;
    QStringList names;
    for (const luaL_Reg *r = table; r->name; ++r)
        names.append(QLatin1String(r->name));
    return names;
}

// ---- the runner's side ----

cTestHandle cZtApi::currentTest()
{
    return cRunnerShared::currentTest();
}

void cZtApi::markErrorSeen()
{
    cRunnerShared::setErrorSeen(true);
}

void cZtApi::appendLog(const QString &text, int level)
{
    if (cTestRunner *runner = cRunnerShared::instance())
        runner->m_results.appendLog(text, level);
}

bool cZtApi::sleep(qint64 ms)
{
    if (cTestRunner *runner = cRunnerShared::instance())
        return runner->sleepFor(ms);
    return false;
}

bool cZtApi::canceled()
{
    cTestRunner *runner = cRunnerShared::instance();
    if (!runner)
        return false;
    watchLine(runner);
    return runner->cancelQuery();
}

// Plug-in calls fail without passing here, so scripts that only use them learn of a lost
// line when they ask was_canceled.
void cZtApi::watchLine(cTestRunner *runner)
{
    const bool known = runner->m_line.isLost();
    // A script that ignores the failures would otherwise go on for as long as it likes.
    if (runner->m_line.check(runner->device()) && !known)
        runner->m_lua.limitRunningScript(cLineWatch::kGraceMs);
}

void cZtApi::portFailed()
{
    if (cTestRunner *runner = cRunnerShared::instance())
        watchLine(runner);
}

void cZtApi::setLineClosedByScript(bool closed)
{
    if (cTestRunner *runner = cRunnerShared::instance())
        runner->m_line.setClosedByScript(closed);
}

bool cZtApi::ask(const QString &question, const QStringList &fields, QStringList *answers)
{
    if (cTestRunner *runner = cRunnerShared::instance())
        return runner->askOperator(question, fields, answers);
    return false;
}

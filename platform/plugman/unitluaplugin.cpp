#include "platform/plugman/unitluaplugin.h"

#include "platform/link/clinkclient.h"
#include "platform/plugman/clinksessions.h"
#include "platform/plugman/cpluginsettings.h"
#include "platform/plugman/csessionlock.h"
#include "platform/plugman/cplugman.h"
#include "platform/plugman/plugintables.h"
#include "platform/plugman/pluginnames.h"

#include <lua.hpp>

namespace {

constexpr int kLockWaitMs = 30000;

const sPluginSetting kSettings[] = {
    {"commandTimeoutMs", "Time-out of unit.command when the script gives none, in ms (3000)", 0, 0, 0},
};

void *handleArg(lua_State *L, int index)
{
    if (lua_islightuserdata(L, index))
        return lua_touserdata(L, index);
    return cLinkSessions::instance().lastOpened();
}

cContext *callContext(lua_State *L)
{
    lua_getglobal(L, "call_ctx");
    void *ctx = lua_islightuserdata(L, -1) ? lua_touserdata(L, -1) : nullptr;
    lua_pop(L, 1);
    return static_cast<cContext *>(ctx);
}

int failure(lua_State *L, const QString &error)
{
    lua_pushnil(L);
    const QByteArray e = error.toLatin1();
    lua_pushlstring(L, e.constData(), size_t(e.size()));
    return 2;
}

// Runs fn on the locked session of the handle. Returns the number of Lua results.
template <typename F>
int withClient(lua_State *L, void *handle, F fn)
{
    QByteArray result;
    QString error;
    bool ok = false;
    // Nothing touches the Lua stack while the session is held: a Lua error jumps past destructors.
    {
        const cSessionLock session(handle, kLockWaitMs);
        if (session.result() == cSessionLock::NoSession) {
            error = QStringLiteral("no unit link: open the transfer mode first");
        } else if (session.result() == cSessionLock::Busy) {
            error = QStringLiteral("the link is busy");
        } else {
            session.client()->setOptions(pluginsettings::linkOptions());
            ok = fn(*session.client(), &result);
            error = session.client()->lastError();
        }
    }
    if (!ok)
        return failure(L, error);
    lua_pushlstring(L, result.constData(), size_t(result.size()));
    return 1;
}

int unitCommand(lua_State *L)
{
    size_t len = 0;
    const char *text = luaL_checklstring(L, 1, &len);
    const int defaultTimeout = int(pluginsettings::integer(QString::fromLatin1(pluginnames::kLua),
                                                           QStringLiteral("commandTimeoutMs")));
    const int timeout = int(luaL_optinteger(L, 2, defaultTimeout));
    void *handle = handleArg(L, 3);
    const QByteArray command(text, int(len));
    const sLinkCallbacks cb = cPlugMan::callbacks(callContext(L));
    return withClient(L, handle, [&](cLinkClient &c, QByteArray *out) { return c.command(command, timeout, out, cb); });
}

int unitListDir(lua_State *L)
{
    size_t len = 0;
    const char *path = luaL_checklstring(L, 1, &len);
    const QByteArray p(path, int(len));
    const sLinkCallbacks cb = cPlugMan::callbacks(callContext(L));
    return withClient(L, handleArg(L, 2), [&](cLinkClient &c, QByteArray *out) { return c.listDir(p, out, cb); });
}

int unitGetFile(lua_State *L)
{
    size_t len = 0;
    const char *path = luaL_checklstring(L, 1, &len);
    const QByteArray p(path, int(len));
    const sLinkCallbacks cb = cPlugMan::callbacks(callContext(L));
    return withClient(L, handleArg(L, 2), [&](cLinkClient &c, QByteArray *out) { return c.getFile(p, out, cb); });
}

int unitPutFile(lua_State *L)
{
    size_t plen = 0;
    size_t dlen = 0;
    const char *path = luaL_checklstring(L, 1, &plen);
    const char *data = luaL_checklstring(L, 2, &dlen);
    const QByteArray p(path, int(plen));
    const QByteArray d(data, int(dlen));
    const sLinkCallbacks cb = cPlugMan::callbacks(callContext(L));
    const int n = withClient(L, handleArg(L, 3), [&](cLinkClient &c, QByteArray *) { return c.putFile(p, d, cb); });
    if (n == 1) {
        lua_pop(L, 1);
        lua_pushboolean(L, 1);
    }
    return n;
}

const luaL_Reg kFunctions[] = {
    {"command", unitCommand},
    {"list_dir", unitListDir},
    {"get_file", unitGetFile},
    {"put_file", unitPutFile},
    {nullptr, nullptr},
};

void addLuaFunctions(lua_State *L)
{
    if (!L)
        return;
    luaL_register(L, "unit", kFunctions);
    lua_pop(L, 1);
}

const sLuaPlugin kTable = {addLuaFunctions};

} // namespace

namespace unitluaplugin {

const sLuaPlugin *table() { return &kTable; }
const sPluginSetting *settings() { return kSettings; }
int settingsCount() { return int(sizeof(kSettings) / sizeof(kSettings[0])); }

} // namespace unitluaplugin

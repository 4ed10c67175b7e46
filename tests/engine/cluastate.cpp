#include "cluastate.h"

#include "platform/logging/logs.h"
#include "tests/engine/luasandbox.h"
#include "tests/engine/testlog.h"

#include <lua.hpp>

#include <chrono>
#include <cstdlib>

struct cLuaState::sAlloc
{
    std::size_t used = 0;
    std::size_t limit = 0;
    const std::atomic<bool> *quit = nullptr;
    // Set and read only by the thread inside the state.
    const std::atomic<bool> *stop = nullptr;
    qint64 deadline = 0;  // steady clock milliseconds; 0: none
    cLuaState::eLimit hit = cLuaState::NoLimit;
};

namespace {

constexpr int kHookCount = 1000;

qint64 nowMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void *cappedAlloc(void *ud, void *ptr, size_t osize, size_t nsize)
{
    auto *a = static_cast<cLuaState::sAlloc *>(ud);
    if (nsize == 0) {
        std::free(ptr);
        a->used -= ptr ? osize : 0;
        return nullptr;
    }
    const size_t old = ptr ? osize : 0;
    // Lua assumes that shrinking never fails, so only growth is refused.
    if (nsize > old && a->used + (nsize - old) > a->limit)
        return nullptr;
    void *p = std::realloc(ptr, nsize);
    if (p)
        a->used = a->used - old + nsize;
    return p;
}

int panicHandler(lua_State *L)
{
    const char *message = lua_tostring(L, -1);
    logs::add(QStringLiteral("Lua panic: %1").arg(QString::fromLocal8Bit(message ? message : "?")), LogError);
    return 0;
}

void quitHook(lua_State *L, lua_Debug *)
{
    void *ud = nullptr;
    lua_getallocf(L, &ud);
    auto *a = static_cast<cLuaState::sAlloc *>(ud);
    if (!a)
        return;
    const char *why = nullptr;
    if (a->quit && a->quit->load(std::memory_order_relaxed)) {
        a->hit = cLuaState::QuitLimit;
        why = "script ended: the test runner is stopping";
    } else if (a->stop && a->stop->load(std::memory_order_relaxed)) {
        a->hit = cLuaState::StopLimit;
        why = "script ended: stop requested";
    } else if (a->deadline != 0 && nowMs() >= a->deadline) {
        a->hit = cLuaState::DeadlineLimit;
        why = "script ended: it ran past its time limit";
    }
    if (why) {
        // From now on every instruction fails, so a script that catches the error with
        // pcall cannot go on: the first instruction after the pcall raises it again.
        lua_sethook(L, quitHook, LUA_MASKCOUNT, 1);
        luaL_error(L, "%s", why);
    }
}

void errorText(lua_State *L, int index, QString *out)
{
    size_t len = 0;
    const char *s = lua_tolstring(L, index, &len);
    *out = s ? QString::fromLocal8Bit(s, qsizetype(len)) : QStringLiteral("(error object is not a string)");
}

struct sRun
{
    const QByteArray *chunk;
    const char *name;
    bool sandboxed;
    cLuaState::Stage stage = cLuaState::Done;
    QString error;
};

int runImpl(lua_State *L)
{
    auto *r = static_cast<sRun *>(lua_touserdata(L, 1));
    if (r->sandboxed) {
        if (!luasandbox::pushRunner(L, &r->error)) {
            r->stage = cLuaState::RunFailed;
            return 0;
        }
    }
    if (luaL_loadbuffer(L, r->chunk->constData(), size_t(r->chunk->size()), r->name) != 0) {
        r->stage = cLuaState::LoadFailed;
        errorText(L, -1, &r->error);
        return 0;
    }
    if (lua_pcall(L, r->sandboxed ? 1 : 0, 0, 0) != 0) {
        r->stage = cLuaState::RunFailed;
        errorText(L, -1, &r->error);
    }
    return 0;
}

struct sCallArgs
{
    const char *function;
    const QList<QByteArray> *args;
    bool onlyIfFunction;
    bool withHandle;
    void *handle;
    cLuaState::sCall *out;
};

int callImpl(lua_State *L)
{
    auto *c = static_cast<sCallArgs *>(lua_touserdata(L, 1));
    lua_getglobal(L, c->function);
    c->out->globalType = lua_type(L, -1);
    if (c->onlyIfFunction && c->out->globalType != LUA_TFUNCTION)
        return 0;
    int n = 0;
    for (int i = 0; i < c->args->size(); ++i) {
        const QByteArray &arg = c->args->at(i);
        lua_pushlstring(L, arg.constData(), size_t(arg.size()));
        ++n;
    }
    if (c->withHandle) {
        lua_pushlightuserdata(L, c->handle);
        ++n;
    }
    c->out->called = true;
    c->out->code = lua_pcall(L, n, 1, 0);
    if (c->out->code != 0) {
        errorText(L, -1, &c->out->error);
        return 0;
    }
    c->out->resultType = lua_type(L, -1);
    c->out->result = lua_toboolean(L, -1) != 0;
    return 0;
}

struct sNames
{
    const char *function;
    int limit;
    QStringList *names;
    bool ok = false;
    QString error;
};

int namesImpl(lua_State *L)
{
    auto *n = static_cast<sNames *>(lua_touserdata(L, 1));
    lua_getglobal(L, n->function);
    if (lua_pcall(L, 0, 1, 0) != 0) {
        errorText(L, -1, &n->error);
        return 0;
    }
    if (!lua_istable(L, -1))
        return 0;
    n->ok = true;
    for (int i = 1; i <= n->limit; ++i) {
        lua_rawgeti(L, -1, i);
        const int type = lua_type(L, -1);
        if (type != LUA_TSTRING && type != LUA_TNUMBER)
            break;
        size_t len = 0;
        const char *s = lua_tolstring(L, -1, &len);
        if (!s || len == 0)
            break;
        n->names->append(QString::fromLocal8Bit(s, qsizetype(len)));
        lua_pop(L, 1);
    }
    return 0;
}

struct sGlobalBool
{
    const char *name;
    bool value;
};

int setBoolImpl(lua_State *L)
{
    auto *g = static_cast<sGlobalBool *>(lua_touserdata(L, 1));
    lua_pushboolean(L, g->value ? 1 : 0);
    lua_setglobal(L, g->name);
    return 0;
}

} // namespace

cLuaState::cLuaState(const std::atomic<bool> *quit, std::size_t memoryLimit)
    : m_alloc(std::make_unique<sAlloc>())
{
    m_alloc->limit = memoryLimit;
    m_alloc->quit = quit;
    m_L = lua_newstate(cappedAlloc, m_alloc.get());
    if (!m_L)
        return;
    lua_atpanic(m_L, panicHandler);
    lua_sethook(m_L, quitHook, LUA_MASKCOUNT, kHookCount);
}

cLuaState::~cLuaState()
{
    if (m_L)
        lua_close(m_L);
}

void cLuaState::abandon()
{
    // The allocator's record must outlive the leaked state.
    if (m_L)
        (void)m_alloc.release();
    m_L = nullptr;
}

void cLuaState::setStopFlag(const std::atomic<bool> *stop)
{
    m_alloc->stop = stop;
}

void cLuaState::setDeadline(qint64 ms)
{
    m_alloc->deadline = nowMs() + (ms > 0 ? ms : 0);
}

cLuaState::eLimit cLuaState::limitHit() const
{
    return m_alloc ? m_alloc->hit : NoLimit;
}

void cLuaState::clearLimits()
{
    m_alloc->stop = nullptr;
    m_alloc->deadline = 0;
    m_alloc->hit = NoLimit;
    if (m_L)
        lua_sethook(m_L, quitHook, LUA_MASKCOUNT, kHookCount);
}

std::size_t cLuaState::memoryUsed() const
{
    return m_alloc ? m_alloc->used : 0;
}

bool cLuaState::protect(int (*fn)(lua_State *), void *data, QString *error)
{
    if (!m_L)
        return false;
    if (lua_cpcall(m_L, fn, data) == 0)
        return true;
    if (error)
        errorText(m_L, -1, error);
    lua_pop(m_L, 1);
    return false;
}

cLuaState::Stage cLuaState::run(const QByteArray &chunk, const char *chunkName, bool sandboxed,
                                QString *error)
{
    if (!m_L) {
        *error = QStringLiteral("no Lua state");
        return LoadFailed;
    }
    // Precompiled chunks are not checked by Lua 5.1 and can break out of any sandbox.
    if (sandboxed && chunk.startsWith(LUA_SIGNATURE[0])) {
        *error = luasandbox::refusal(QStringLiteral("precompiled code"));
        return LoadFailed;
    }
    sRun r{&chunk, chunkName, sandboxed, Done, QString()};
    QString fault;
    if (!protect(runImpl, &r, &fault)) {
        *error = fault;
        return RunFailed;
    }
    *error = r.error;
    return r.stage;
}

cLuaState::sCall cLuaState::call(const char *function, const QList<QByteArray> &args,
                                 bool onlyIfFunction, bool withHandle, void *handle)
{
    sCall result;
    sCallArgs c{function, &args, onlyIfFunction, withHandle, handle, &result};
    QString fault;
    if (!protect(callImpl, &c, &fault)) {
        result.called = true;
        result.code = LUA_ERRRUN;
        result.error = fault;
    }
    return result;
}

QStringList cLuaState::callForNames(const char *function, bool *ok, QString *error, int limit)
{
    QStringList names;
    sNames n{function, limit, &names, false, QString()};
    QString fault;
    if (!protect(namesImpl, &n, &fault)) {
        *ok = false;
        *error = fault;
        return {};
    }
    *ok = n.ok;
    *error = n.error;
    return names;
}

bool cLuaState::setGlobalBool(const char *name, bool value)
{
    sGlobalBool g{name, value};
    return protect(setBoolImpl, &g);
}

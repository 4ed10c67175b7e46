#include "luasandbox.h"

#include <QByteArray>
#include <QList>

#include <lua.hpp>

#include <initializer_list>

namespace {

const char kRegistryKey[] = "zovan.sandbox";
// The global tables that code from the unit runs in, as weak keys.
const char kEnvsKey[] = "zovan.sandbox.envs";

// Runs once per state with the full libraries and keeps the originals in upvalues, so that
// what local scripts later do to the globals cannot widen the sandbox.
const char kBuilder[] = R"lua(
local ENVS = ...
local G = _G
local error, pairs, ipairs, rawget, rawset, setmetatable, getmetatable, setfenv, type, tostring =
      error, pairs, ipairs, rawget, rawset, setmetatable, getmetatable, setfenv, type, tostring
local SUFFIX = " is not allowed for code from the unit"

local function refuser(what)
  return function() error(what .. SUFFIX, 2) end
end

local function refusing_library(name)
  return setmetatable({}, {
    __index = function(_, k)
      if type(k) == "number" then return refuser(name .. "[" .. k .. "]") end
      return refuser(name .. "." .. tostring(k))
    end,
    __metatable = false })
end

local function copy(t)
  local c = {}
  if type(t) == "table" then
    for k, v in pairs(t) do c[k] = v end
  end
  return c
end

local REFUSED = {
  os = { "execute", "exit", "remove", "rename", "tmpname", "setlocale", "getenv" },
  io = { "open", "popen", "lines", "input", "output", "read", "write", "close", "tmpfile", "type",
         "stdin", "stdout", "stderr" },
  string = { "dump" },
}
local REFUSED_GLOBALS = { "loadstring", "load", "dofile", "loadfile", "getfenv", "setfenv",
                          "module", "newproxy", "require" }
local LIBRARIES = { "string", "table", "math", "coroutine", "os", "io" }
local EXPORTS = { "init_test_env", "deinit_test_env", "zt_enumerate_tests", "zt_exec_test",
                  "is_restart_allowed" }

-- Every privileged value and what the unit's code sees in its place.
local refused_values = {}
local function refuse_value(value, what)
  if value ~= nil then refused_values[value] = refuser(what) end
end
for lib, names in pairs(REFUSED) do
  for _, name in ipairs(names) do
    if G[lib] then refuse_value(G[lib][name], lib .. "." .. name) end
  end
end
for _, name in ipairs(REFUSED_GLOBALS) do refuse_value(G[name], name) end
if type(G.debug) == "table" then
  for name, fn in pairs(G.debug) do refuse_value(fn, "debug." .. name) end
end
if type(G.package) == "table" then
  for name, v in pairs(G.package) do
    if type(v) == "function" then refuse_value(v, "package." .. name) end
  end
  if type(G.package.loaders) == "table" then
    for i, fn in ipairs(G.package.loaders) do refuse_value(fn, "package.loaders[" .. i .. "]") end
  end
end

local originals = {}
for _, lib in ipairs(LIBRARIES) do originals[lib] = G[lib] end
local original_zt = G.zt

local function make()
  local S = {}
  local substitutes = {}
  for _, lib in ipairs(LIBRARIES) do
    S[lib] = copy(originals[lib])
    if originals[lib] then substitutes[originals[lib]] = S[lib] end
  end
  for lib, names in pairs(REFUSED) do
    for _, name in ipairs(names) do S[lib][name] = refuser(lib .. "." .. name) end
  end
  if originals.io and originals.io.write then
    local write = originals.io.write
    S.io.write = function(...) write(...) end
  end
  S.debug = refusing_library("debug")
  S.package = refusing_library("package")
  for _, name in ipairs(REFUSED_GLOBALS) do S[name] = refuser(name) end
  S.require = function(name)
    if name == "string" or name == "table" or name == "math" or name == "coroutine" or name == "zt" then
      return S[name]
    end
    error("require of '" .. tostring(name) .. "'" .. SUFFIX, 2)
  end
  S.getmetatable = function(o)
    -- The string metatable leads to the shared string library.
    if type(o) == "string" then return nil end
    return getmetatable(o)
  end
  if type(original_zt) == "table" then
    S.zt = copy(original_zt)
    substitutes[original_zt] = S.zt
    for _, sub in ipairs({ "gpio", "i2c" }) do
      if type(original_zt[sub]) == "table" then
        S.zt[sub] = copy(original_zt[sub])
        substitutes[original_zt[sub]] = S.zt[sub]
      end
    end
  end
  if type(G.debug) == "table" then substitutes[G.debug] = S.debug end
  if type(G.package) == "table" then
    substitutes[G.package] = S.package
    -- loaders, loaded, preload: each leads to native code or to the full libraries
    for name, v in pairs(G.package) do
      if type(v) == "table" then substitutes[v] = refusing_library("package." .. name) end
    end
  end
  S._G = S
  substitutes[G] = S
  ENVS[S] = true
  -- Globals of the local scripts stay readable, with privileged values swapped out.
  setmetatable(S, {
    __index = function(_, k)
      local v = rawget(G, k)
      if v == nil then return nil end
      local s = substitutes[v] or refused_values[v]
      if s ~= nil then return s end
      return v
    end,
    __metatable = false })
  return S
end

return function(chunk)
  local S = make()
  setfenv(chunk, S)
  chunk()
  for _, name in ipairs(EXPORTS) do
    local v = rawget(S, name)
    if v ~= nil then rawset(G, name, v) end
  end
end
)lua";

// True when the nearest Lua function on the stack runs in a sandbox, or when no Lua function
// can be seen at all (called from the host, or below a lost tail call).
bool calledFromUnit(lua_State *L)
{
    lua_Debug ar;
    for (int level = 1; lua_getstack(L, level, &ar); ++level) {
        if (!lua_getinfo(L, "Sf", &ar))
            return true;
        if (ar.what[0] == 'C') {
            lua_pop(L, 1);
            continue;
        }
        if (ar.what[0] == 't') {  // "tail": the caller is gone
            lua_pop(L, 1);
            return true;
        }
        lua_getfenv(L, -1);
        lua_getfield(L, LUA_REGISTRYINDEX, kEnvsKey);
        lua_pushvalue(L, -2);
        lua_rawget(L, -2);
        const bool unit = lua_toboolean(L, -1) != 0;
        lua_pop(L, 4);
        return unit;
    }
    return true;
}

// A privileged function as every path sees it: upvalue 1 the function, upvalue 2 its name.
// In C, so that a tail call from a local script keeps that script on the stack.
int privilegedGate(lua_State *L)
{
    if (calledFromUnit(L)) {
        lua_pushvalue(L, lua_upvalueindex(2));
        lua_pushliteral(L, " is not allowed for code from the unit");
        lua_concat(L, 2);
        return lua_error(L);
    }
    const int n = lua_gettop(L);
    lua_pushvalue(L, lua_upvalueindex(1));
    lua_insert(L, 1);
    lua_call(L, n, LUA_MULTRET);
    return lua_gettop(L);
}

// Replaces table[key] (table at an absolute index) with its gate.
void gateField(lua_State *L, int table, const char *key, const QByteArray &name)
{
    lua_getfield(L, table, key);
    if (lua_tocfunction(L, -1) == privilegedGate || !lua_isfunction(L, -1)) {
        lua_pop(L, 1);
        return;
    }
    lua_pushlstring(L, name.constData(), size_t(name.size()));
    lua_pushcclosure(L, privilegedGate, 2);
    lua_setfield(L, table, key);
}

void gateLibrary(lua_State *L, const char *library, std::initializer_list<const char *> keys)
{
    lua_getglobal(L, library);
    if (lua_istable(L, -1)) {
        const int table = lua_gettop(L);
        for (const char *key : keys)
            gateField(L, table, key, QByteArray(library) + '.' + key);
    }
    lua_pop(L, 1);
}

// Local scripts may keep privileged functions anywhere, in tables of tables or as results of
// their own functions; so the functions themselves refuse to serve code from the unit.
void gatePrivileged(lua_State *L)
{
    gateLibrary(L, "os", {"execute", "exit", "remove", "rename", "tmpname", "setlocale", "getenv"});
    gateLibrary(L, "io", {"open", "popen", "lines", "input", "output", "close", "tmpfile"});
    gateLibrary(L, "string", {"dump"});
    gateLibrary(L, "package", {"loadlib"});
    for (const char *name : {"loadstring", "load", "dofile", "loadfile", "getfenv", "setfenv", "module", "require"})
        gateField(L, LUA_GLOBALSINDEX, name, QByteArray(name));
    lua_getglobal(L, "package");
    if (lua_istable(L, -1)) {
        lua_getfield(L, -1, "loaders");
        if (lua_istable(L, -1)) {
            const int loaders = lua_gettop(L);
            for (int i = 1;; ++i) {
                lua_rawgeti(L, loaders, i);
                const bool more = lua_isfunction(L, -1);
                if (more && lua_tocfunction(L, -1) != privilegedGate) {
                    lua_pushstring(L, QByteArray("package.loaders[" + QByteArray::number(i) + ']').constData());
                    lua_pushcclosure(L, privilegedGate, 2);
                    lua_rawseti(L, loaders, i);
                } else {
                    lua_pop(L, 1);
                }
                if (!more)
                    break;
            }
        }
        lua_pop(L, 1);
    }
    lua_pop(L, 1);
    lua_getglobal(L, "debug");
    if (lua_istable(L, -1)) {
        const int debug = lua_gettop(L);
        QList<QByteArray> keys;
        lua_pushnil(L);
        while (lua_next(L, debug) != 0) {
            lua_pop(L, 1);
            if (lua_type(L, -1) == LUA_TSTRING)
                keys.append(QByteArray(lua_tostring(L, -1)));
        }
        for (const QByteArray &key : keys) {
            if (key != "traceback")  // only reads the stack; error handlers use it
                gateField(L, debug, key.constData(), "debug." + key);
        }
    }
    lua_pop(L, 1);
}

} // namespace

namespace luasandbox {

QString refusal(const QString &what)
{
    return what + QStringLiteral(" is not allowed for code from the unit");
}

bool install(lua_State *L, QString *error)
{
    if (!pushRunner(L, error))
        return false;
    lua_pop(L, 1);
    gatePrivileged(L);
    return true;
}

bool pushRunner(lua_State *L, QString *error)
{
    lua_getfield(L, LUA_REGISTRYINDEX, kRegistryKey);
    if (lua_isfunction(L, -1))
        return true;
    lua_pop(L, 1);
    if (luaL_loadbuffer(L, kBuilder, sizeof(kBuilder) - 1, "sandbox") != 0) {
        const char *message = lua_tostring(L, -1);
        *error = QString::fromLocal8Bit(message ? message : "sandbox set-up failed");
        lua_pop(L, 1);
        return false;
    }
    lua_newtable(L);  // the sandboxes, weak keys
    lua_createtable(L, 0, 1);
    lua_pushliteral(L, "k");
    lua_setfield(L, -2, "__mode");
    lua_setmetatable(L, -2);
    lua_pushvalue(L, -1);
    lua_setfield(L, LUA_REGISTRYINDEX, kEnvsKey);
    if (lua_pcall(L, 1, 1, 0) != 0) {
        const char *message = lua_tostring(L, -1);
        *error = QString::fromLocal8Bit(message ? message : "sandbox set-up failed");
        lua_pop(L, 1);
        return false;
    }
    lua_pushvalue(L, -1);
    lua_setfield(L, LUA_REGISTRYINDEX, kRegistryKey);
    return true;
}

} // namespace luasandbox

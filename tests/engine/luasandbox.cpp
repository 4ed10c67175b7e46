#include "luasandbox.h"

#include <lua.hpp>

namespace {

const char kRegistryKey[] = "zovan.sandbox";

// Runs once per state with the full libraries and keeps the originals in upvalues, so that
// what local scripts later do to the globals cannot widen the sandbox.
const char kBuilder[] = R"lua(
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
    return true;
}

bool pushRunner(lua_State *L, QString *error)
{
    lua_getfield(L, LUA_REGISTRYINDEX, kRegistryKey);
    if (lua_isfunction(L, -1))
        return true;
    lua_pop(L, 1);
    if (luaL_loadbuffer(L, kBuilder, sizeof(kBuilder) - 1, "sandbox") != 0
        || lua_pcall(L, 0, 1, 0) != 0) {
        const char *message = lua_tostring(L, -1);
        *error = QString::fromLatin1(message ? message : "sandbox set-up failed");
        lua_pop(L, 1);
        return false;
    }
    lua_pushvalue(L, -1);
    lua_setfield(L, LUA_REGISTRYINDEX, kRegistryKey);
    return true;
}

} // namespace luasandbox

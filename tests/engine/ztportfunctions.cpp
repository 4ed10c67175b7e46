#include "ztportfunctions.h"

#include "platform/port/port.h"
#include "tests/engine/cztapi.h"

#include <QCoreApplication>

#include <lua.hpp>

#include <climits>
#include <cstring>

using ztlua::kRaise;
using ztlua::raise;

namespace {

// No port answers anywhere near this much in one read.
constexpr lua_Integer kMaxReadSize = 16 * 1024 * 1024;
constexpr lua_Integer kMaxI2cCount = 65536;

lua_Integer clamped(lua_Integer value, lua_Integer low, lua_Integer high)
{
    return value < low ? low : (value > high ? high : value);
}

// Argument types after the handle: n number, s string, g GPIO name, b boolean state.
int checkPortArgs(lua_State *L, const char *function, const char *types)
{
    const int expected = 1 + int(std::strlen(types));
    QString detail;
    bool bad = false;
    if (lua_gettop(L) != expected) {
        detail = QCoreApplication::translate("cZtApi", "invalid argument count (expected to be %1)").arg(expected);
        bad = true;
    } else if (lua_type(L, 1) != LUA_TLIGHTUSERDATA) {
        detail = QCoreApplication::translate("cZtApi", "invalid handle (expected to be userdata, got %1)")
                     .arg(QLatin1String(lua_typename(L, lua_type(L, 1))));
        bad = true;
    } else {
        for (int i = 0; types[i] != '\0' && !bad; ++i) {
            const int index = i + 2;
            const char *typeName = lua_typename(L, lua_type(L, index));
            switch (types[i]) {
            case 'g':
                if (!lua_isstring(L, index)) {
                    detail = QCoreApplication::translate("cZtApi", "invalid GPIO name (expected to be string, got %1)")
                                 .arg(QLatin1String(typeName));
                    bad = true;
                }
                break;
            case 'b':
                if (!lua_isboolean(L, index)) {
                    detail = QCoreApplication::translate("cZtApi", "invalid state (expected to be boolean, got %1)")
                                 .arg(QLatin1String(typeName));
                    bad = true;
                }
                break;
            case 'n':
                bad = !lua_isnumber(L, index);
                break;
            default:
                bad = !lua_isstring(L, index);
                break;
            }
        }
    }
    if (!bad)
        return 0;
    return raise(L, QCoreApplication::translate("cZtApi", "[%1] incorrect argument: %2")
                        .arg(QLatin1String(function), detail));
}

// The port library returns 1 for success and anything else for failure. A failure may be
// the first sign that the unit went away, so the runner is told.
void pushStatus(lua_State *L, int status)
{
    if (status != 1)
        cZtApi::portFailed();
    lua_pushboolean(L, status == 1 ? 1 : 0);
}

void *handleArg(lua_State *L)
{
    return lua_touserdata(L, 1);
}

} // namespace

int ztport::zSerialOpen(lua_State *L)
{
    if (checkPortArgs(L, "serial_open", "") == kRaise)
        return kRaise;
    const int status = port::open(handleArg(L));
    if (status == 1)
        cZtApi::setLineClosedByScript(false);
    pushStatus(L, status);
    return 1;
}

int ztport::zSerialClose(lua_State *L)
{
    if (checkPortArgs(L, "serial_close", "") == kRaise)
        return kRaise;
    const int status = port::close(handleArg(L));
    if (status == 1)
        cZtApi::setLineClosedByScript(true);
    pushStatus(L, status);
    return 1;
}

int ztport::zSerialIsOpen(lua_State *L)
{
    if (checkPortArgs(L, "serial_is_open", "") == kRaise)
        return kRaise;
    pushStatus(L, port::is_open(handleArg(L)));
    return 1;
}

int ztport::zSerialFlush(lua_State *L)
{
    if (checkPortArgs(L, "serial_flush", "") == kRaise)
        return kRaise;
    pushStatus(L, port::flush(handleArg(L)));
    return 1;
}

int ztport::zSerialSetBaudRate(lua_State *L)
{
    if (checkPortArgs(L, "serial_set_baud_rate", "n") == kRaise)
        return kRaise;
    const lua_Integer rate = clamped(lua_tointeger(L, 2), 0, lua_Integer(UINT_MAX));
    pushStatus(L, port::set_baud_rate(handleArg(L), static_cast<unsigned int>(rate)));
    return 1;
}

int ztport::zSerialRead(lua_State *L)
{
    if (checkPortArgs(L, "serial_read", "nn") == kRaise)
        return kRaise;
    const int size = int(clamped(lua_tointeger(L, 2), 0, kMaxReadSize));
    const int timeout = int(clamped(lua_tointeger(L, 3), 0, INT_MAX));
    // A Lua-owned buffer: nothing leaks if pushing the result raises a memory error.
    char *buffer = static_cast<char *>(lua_newuserdata(L, size_t(size > 0 ? size : 1)));
    int count = 0;
    const int status = port::read(handleArg(L), buffer, size, &count, timeout);
    count = int(clamped(count, 0, size));
    pushStatus(L, status);
    lua_pushinteger(L, count);
    lua_pushlstring(L, buffer, size_t(count));
    return 3;
}

int ztport::zSerialWrite(lua_State *L)
{
    if (checkPortArgs(L, "serial_write", "s") == kRaise)
        return kRaise;
    size_t len = 0;
    const char *data = lua_tolstring(L, 2, &len);
    int written = 0;
    const int status = port::write(handleArg(L), data, int(len > size_t(INT_MAX) ? INT_MAX : len), &written);
    pushStatus(L, status);
    lua_pushinteger(L, written);
    return 2;
}

int ztport::zGpioGetState(lua_State *L)
{
    if (checkPortArgs(L, "gpio_get_state", "g") == kRaise)
        return kRaise;
    unsigned char state = 0;
    const int status = port::gpio_get_state(handleArg(L), lua_tostring(L, 2), &state);
    pushStatus(L, status);
    lua_pushboolean(L, state != 0 ? 1 : 0);
    return 2;
}

int ztport::zGpioSetState(lua_State *L)
{
    if (checkPortArgs(L, "gpio_set_state", "gb") == kRaise)
        return kRaise;
    const unsigned char state = lua_toboolean(L, 3) ? 1 : 0;
    pushStatus(L, port::gpio_set_state(handleArg(L), lua_tostring(L, 2), state));
    return 1;
}

int ztport::zI2cRead(lua_State *L)
{
    if (checkPortArgs(L, "i2c_read", "nn") == kRaise)
        return kRaise;
    const auto address = static_cast<unsigned char>(lua_tointeger(L, 2) & 0xff);
    const int count = int(clamped(lua_tointeger(L, 3), 0, kMaxI2cCount));
    char *buffer = static_cast<char *>(lua_newuserdata(L, size_t(count > 0 ? count : 1)));
    int read = 0;
    const int status = port::i2c_read(handleArg(L), address, buffer, count, &read);
    read = int(clamped(read, 0, count));
    pushStatus(L, status);
    lua_pushinteger(L, read);
    if (status == 1 && read > 0)
        lua_pushlstring(L, buffer, size_t(read));
    else
        lua_pushnil(L);
    return 3;
}

int ztport::zI2cWrite(lua_State *L)
{
    if (checkPortArgs(L, "i2c_write", "ns") == kRaise)
        return kRaise;
    const auto address = static_cast<unsigned char>(lua_tointeger(L, 2) & 0xff);
    size_t len = 0;
    const char *data = lua_tolstring(L, 3, &len);
    int written = 0;
    const int status = port::i2c_write(handleArg(L), address, data,
                                       int(len > size_t(INT_MAX) ? INT_MAX : len), &written);
    pushStatus(L, status);
    lua_pushinteger(L, written);
    return 2;
}

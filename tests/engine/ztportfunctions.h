#pragma once

struct lua_State;

/**
 * The zt functions that talk to the unit's hardware through the port library: serial port,
 * GPIO and I2C. Each checks its arguments first; on a bad argument it pushes the message
 * and returns ztlua::kRaise for the guard to raise.
 */
namespace ztport {

int zSerialOpen(lua_State *L);
int zSerialClose(lua_State *L);
int zSerialIsOpen(lua_State *L);
int zSerialFlush(lua_State *L);
int zSerialSetBaudRate(lua_State *L);
int zSerialRead(lua_State *L);
int zSerialWrite(lua_State *L);
int zGpioGetState(lua_State *L);
int zGpioSetState(lua_State *L);
int zI2cRead(lua_State *L);
int zI2cWrite(lua_State *L);

} // namespace ztport

#pragma once

#include <QString>

struct lua_State;

/**
 * The restricted global table that the unit's test package runs in: no processes, no native
 * code, no files, no way out of the state. Refused entries are functions that raise an error
 * naming what was refused. Local scripts keep the full libraries.
 */
namespace luasandbox {

/** "<what> is not allowed for code from the unit". */
QString refusal(const QString &what);

/**
 * Builds the sandbox maker while the globals are still the standard ones, and puts a gate
 * before every privileged function that refuses calls from code from the unit, however it
 * got hold of the function. Call only in protected mode, once the libraries and the zt
 * table exist.
 */
bool install(lua_State *L, QString *error);

/**
 * Pushes a function that runs the chunk given to it in a fresh sandbox and then makes the
 * script contract's functions that it defined global. Call only in protected mode.
 */
bool pushRunner(lua_State *L, QString *error);

} // namespace luasandbox

#pragma once

#include "tests/engine/ctesthandle.h"

#include <QString>
#include <QStringList>

class cTestRunner;
struct lua_State;

/** How the zt functions raise their errors. */
namespace ztlua {
/**
 * A function of the library returns this after pushing an error message; the guard then
 * raises it, once every C++ object of the function is gone (Lua errors are long jumps).
 */
constexpr int kRaise = -1;
/** Pushes the message (local 8-bit encoding) and returns kRaise. */
int raise(lua_State *L, const QString &message);
} // namespace ztlua

/**
 * The zt library that scripts call: status, logging, progress, timing, cancellation,
 * operator questions, serial port, GPIO and I2C. Its functions run on the runner's thread
 * and reach the runner through the process-wide instance.
 */
class cZtApi
{
public:
    /** Opens the standard libraries, registers zt, zt.gpio and zt.i2c and sets call_ctx. */
    static bool install(lua_State *L, void *callContext, QString *error);
    /** Replaces the global print with the runner's. */
    static bool installPrint(lua_State *L, QString *error);

    /** Names of the functions in zt, zt.gpio and zt.i2c, in registration order. */
    static QStringList functionNames(const char *library);

    // The runner's side, for the functions of the library.
    static cTestHandle currentTest();
    static void markErrorSeen();
    static void appendLog(const QString &text, int level);
    static bool sleep(qint64 ms);
    static bool canceled();
    /** A port call failed: the runner looks whether the unit's line went away. */
    static void portFailed();
    /** The script closed the unit's line itself (true) or opened it again (false). */
    static void setLineClosedByScript(bool closed);
    /** Asks the operator; false when cancelled or the runner is going away. */
    static bool ask(const QString &question, const QStringList &fields, QStringList *answers);

private:
    /** On the thread inside the script: whether the unit's line went away meanwhile. */
    static void watchLine(cTestRunner *runner);
};

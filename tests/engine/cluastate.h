#pragma once

#include <QByteArray>
#include <QtGlobal>
#include <QList>
#include <QString>
#include <QStringList>

#include <atomic>
#include <cstddef>
#include <memory>

struct lua_State;

/**
 * A Lua 5.1 state whose every entry goes through a protected call: no Lua error can reach
 * an unprotected call. Its memory is capped, and a count hook ends any script that is still
 * running once the quit flag is set, once the stop flag (when given) is set, or past the
 * deadline (when given). A script that catches the error cannot go on: every instruction
 * fails until the limits are cleared.
 */
class cLuaState
{
public:
    static constexpr std::size_t kDefaultMemoryLimit = std::size_t(512) * 1024 * 1024;

    explicit cLuaState(const std::atomic<bool> *quit, std::size_t memoryLimit = kDefaultMemoryLimit);
    ~cLuaState();
    Q_DISABLE_COPY_MOVE(cLuaState)

    bool isNull() const { return m_L == nullptr; }
    lua_State *handle() const { return m_L; }

    enum Stage { Done, LoadFailed, RunFailed };

    /**
     * Loads and runs a chunk. Sandboxed chunks run in a restricted global table and may not
     * be precompiled; what they define under the script contract's names is made global.
     */
    Stage run(const QByteArray &chunk, const char *chunkName, bool sandboxed, QString *error);

    struct sCall
    {
        int globalType = -1;  // Lua type of the global before the call (LUA_TNONE: not read)
        bool called = false;  // false when the global was not a function and only functions were asked for
        int code = 0;         // lua_pcall's code
        int resultType = -1;  // Lua type of the result (LUA_TNONE when there is none)
        bool result = false;  // the result as lua_toboolean reads it
        QString error;        // the Lua error message when code is not 0
    };

    /** Calls a global with string arguments and, when given, a light userdata handle last. */
    sCall call(const char *function, const QList<QByteArray> &args = {}, bool onlyIfFunction = false,
               bool withHandle = false, void *handle = nullptr);

    /**
     * Calls a global without arguments and reads its result as a list of names, up to the
     * first element that is not a non-empty string or number. ok is false when the call
     * failed or the result is no table.
     */
    QStringList callForNames(const char *function, bool *ok, QString *error, int limit);

    /** Runs fn(L, data) in protected mode; false (with the message) when it raised an error. */
    bool protect(int (*fn)(lua_State *), void *data, QString *error = nullptr);

    bool setGlobalBool(const char *name, bool value);

    enum eLimit { NoLimit, QuitLimit, StopLimit, DeadlineLimit };
    /** Scripts end while this flag is set (null: no such flag). */
    void setStopFlag(const std::atomic<bool> *stop);
    /** Scripts end once ms milliseconds have passed from now. */
    void setDeadline(qint64 ms);
    /** Which limit ended a script since the limits were last cleared. */
    eLimit limitHit() const;
    /** Drops the stop flag and the deadline and lets scripts run again. */
    void clearLimits();

    /** Forgets the state without closing it (its thread was killed inside it). */
    void abandon();

    /** Bytes the state holds now. */
    std::size_t memoryUsed() const;

    struct sAlloc;  // the allocator's and the hook's record

private:
    std::unique_ptr<sAlloc> m_alloc;
    lua_State *m_L = nullptr;
};

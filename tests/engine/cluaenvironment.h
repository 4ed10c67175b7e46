#pragma once

#include "platform/port/siodevice.h"
#include "tests/engine/cluastate.h"

#include <QMutex>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <memory>

class cContext;
class cUnitChannel;

/**
 * The runner's Lua environment: builds it for a unit (libraries, the zt API, plug-ins,
 * local scripts, the unit description, sub-device handles, the unit's test package) and
 * makes every call into it. Whoever is inside the state holds its lock; calls made from
 * outside the runner's thread are bounded in time.
 */
class cLuaEnvironment
{
public:
    explicit cLuaEnvironment(const std::atomic<bool> *quit);
    ~cLuaEnvironment();
    Q_DISABLE_COPY_MOVE(cLuaEnvironment)

    /** What the set-up needs from the runner. */
    struct sSetUp
    {
        QString appRoot;
        bool ownsPort = true;
        bool sandboxed = true;
        cContext *callContext = nullptr;
        cUnitChannel *channel = nullptr;
        std::function<sIODevice()> device;
        std::function<void(const sIODevice &)> setDevice;
    };

    /** The lock of the state; held by whoever runs the *Locked operations. */
    QMutex &lock() { return *m_lock; }

    /** Builds a fresh environment; false when the set-up failed (the state stays for closeLocked). */
    bool setUpLocked(const sSetUp &setUp);
    bool isOpenLocked() const { return m_lua != nullptr; }
    /** Calls init_test_env or deinit_test_env; a missing function counts as success. */
    bool callDeviceFunctionLocked(const char *function, const QString &unitName);
    void closeLocked();

    /** Runs zt_exec_test with the test's name; waits for the lock until quit is set. */
    cLuaState::sCall execTest(const QString &name);
    /**
     * The script running now may go on for ms milliseconds more and is stopped after that.
     * Only from inside a call, on the thread that runs it; execTest lifts the limit after.
     */
    void limitRunningScript(qint64 ms);

    /**
     * From another thread: the names zt_enumerate_tests lists. failure tells why none could
     * be read when the state was busy or the function ran past its bound.
     */
    QStringList enumerate(QString *failure);
    /** From another thread: what is_restart_allowed answers; false when it cannot answer. */
    bool restartAllowed(const QString &arg);

    /** After the runner's thread was killed: neither the state nor its lock can be trusted. */
    void abandon();

    /** How long a call from another thread may run; it is stopped after that. */
    static constexpr int kOutsideCallMs = 3000;

private:
    bool runScriptFolder(const QString &root, const QString &folder);
    bool runScriptFile(const QString &path);
    bool runDeviceDescription(const sIODevice &unit);
    bool setDeviceHandles(const sIODevice &unit);
    bool loadUnitPackage(const sSetUp &setUp, void *ioHandle, const sIODevice &unit, bool *loaded);
    /** Starts a bounded call from outside the runner's thread. */
    void limitOutsideCall();
    QString endOutsideCall(const char *function);

    const std::atomic<bool> *const m_quit;
    std::unique_ptr<QMutex> m_lock;
    std::unique_ptr<cLuaState> m_lua;
};

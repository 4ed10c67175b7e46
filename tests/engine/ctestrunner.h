#pragma once

#include "platform/port/siodevice.h"
#include "tests/engine/ctesthandle.h"
#include "tests/engine/itestrunner.h"

#include <QList>
#include <QMap>
#include <QMutex>
#include <QSemaphore>
#include <QString>
#include <QThread>
#include <QVariantList>
#include <QWaitCondition>

#include <atomic>
#include <memory>

class cContext;
class cLuaState;
class cZtApi;
struct sCmdPlugin;
struct sResPlugin;

/**
 * Runs the Lua test scripts of one attached unit in its own thread. Only one runner may
 * exist at a time: the functions registered in Lua reach it through a process-wide pointer.
 */
class cTestRunner : public QThread, public iTestRunner
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(cTestRunner)

public:
    explicit cTestRunner(QObject *parent = nullptr, bool ownsPort = true);
    ~cTestRunner() override;

    QObject *object() override;
    void init(const sIODevice &device, int runs) override;
    void deinit() override;
    void closePort(bool reboot) override;
    void restartThread() override;
    QStringList enumerateTests() override;
    bool isRestartAllowed(const QString &arg) override;
    void runTests(const QList<cTestHandle> &tests, int runs) override;
    void queueTest(const QModelIndex &name, const QModelIndex &status, const QModelIndex &time,
                   const QModelIndex &info, const QModelIndex &statistics) override;
    void cancelTest(const QModelIndex &name, const QModelIndex &status, const QModelIndex &time,
                    const QModelIndex &info, const QModelIndex &statistics) override;
    void cancelCurrentTest() override;
    void cancelAllTests() override;
    bool isBusy() const override;
    QString statisticsText() const override;
    QString resultsText() const override;
    QString logText() const override;
    void clearResults() override;
    bool hasErrors() const override;

    /** The folder that holds "scripts/general", "scripts/test" and "tests"; appRootDir() by default. */
    QString appRoot() const;
    void setAppRoot(const QString &root);

    /**
     * Whether the test package fetched from the unit runs with the full Lua libraries.
     * Off by default: the package runs sandboxed. Until set here, the settings key
     * "TestRunner/TrustUnitPackages" is read at every init.
     */
    bool trustUnitPackages() const;
    void setTrustUnitPackages(bool trusted);

    /** The one live runner, or null. */
    static cTestRunner *instance();

signals:
    void askUser(const QString &testName, const QString &question,
                 const QStringList &fields) override;
    void testFinished() override;
    void initFinished(int code) override;
    void deinitFinished(int code) override;
    void testsCanceled() override;
    void needRestart();

public slots:
    void stop();
    void stopInitOrDeinitProcess() override;
    void userReply(const QVariantList &reply) override;
    void restartRequested();

protected:
    void run() override;

private:
    friend class cZtApi;

    enum Action : int { ActionNone = 0, ActionIdle = 1, ActionInit = 2, ActionTest = 3,
                        ActionDeinit = 4, ActionStop = 5, ActionClosePort = 6 };

    struct sStats
    {
        int runs = 0;
        int ok = 0;
        int warnings = 0;
        int errors = 0;
    };

    void actionLoop();
    void doInit();
    void doDeinit();
    void doClosePort();
    void testLoop();
    bool waitTestPermit();
    void runOneTest(cTestHandle test);
    void repeatBatchIfDone();
    void reset(bool fatal);
    void stopThread();
    void startLater();

    // Environment set-up, step by step; false fails the set-up.
    bool setUpEnvironment();
    bool runScriptFolder(const QString &folder);
    bool runScriptFile(const QString &path);
    bool runDeviceDescription();
    bool setDeviceHandles();
    bool waitForApplication(void *ioHandle, const sCmdPlugin *cmd);
    bool loadUnitPackage(void *ioHandle, const sResPlugin *res, bool *loaded);
    bool callDeviceFunction(const char *function);
    void closeLua();

    void enqueueLocked(const cTestHandle &test);
    void appendLog(const QString &text, int level);
    void appendResults(const QString &text);
    bool sleepFor(qint64 ms);
    bool askOperator(const QString &question, const QStringList &fields, QStringList *answers);
    bool stopRequested() const;
    bool cancelQuery() const;
    bool sandboxPackages() const;
    sIODevice device() const;

    static int action();
    static void setAction(int action);
    static cTestHandle currentTest();
    static void setCurrentTest(const cTestHandle &test);
    static void setErrorSeen(bool seen);
    static void setStopRequest(bool stop);
    static bool cancelQueryEntry();

    QSemaphore m_testSemaphore;
    std::atomic<bool> m_interrupt{false};
    std::atomic<bool> m_quit{false};
    std::atomic<bool> m_busy{false};

    // Queue, batch list, remaining runs, batch-active and cancel-all share the queue lock,
    // so that a cancel can never interleave with the repeat of a batch.
    mutable QMutex m_queueLock;
    QList<cTestHandle> m_queue;
    QList<cTestHandle> m_batch;
    int m_remainingRuns = 1;
    bool m_batchActive = false;
    bool m_cancelAll = false;
    quint64 m_batchGeneration = 0;

    QSemaphore m_userReplySemaphore;
    mutable QMutex m_userReplyLock;
    QVariantList m_userReply;

    // Held by whichever thread is inside the Lua state; replaced if a killed thread held it.
    std::unique_ptr<QMutex> m_luaLock;
    std::unique_ptr<cLuaState> m_lua;

    mutable QMutex m_deviceLock;
    sIODevice m_device;

    std::atomic<bool> m_initialised{false};
    QSemaphore m_actionSemaphore;
    const bool m_ownsPort;

    mutable QMutex m_statsLock;
    QMap<QString, sStats> m_stats;
    mutable QMutex m_resultsLock;
    QString m_results;
    mutable QMutex m_logLock;
    QString m_log;

    std::atomic<const sCmdPlugin *> m_cmd{nullptr};
    std::atomic<bool> m_rebootOnClose{false};
    std::unique_ptr<cContext> m_callContext;

    // Wakes sleeping scripts when the runner goes away.
    QMutex m_sleepLock;
    QWaitCondition m_sleepWake;

    mutable QMutex m_settingsLock;
    QString m_appRoot;
    int m_trustOverride = -1;  // -1: read the settings at every init
    std::atomic<bool> m_sandboxed{true};
};

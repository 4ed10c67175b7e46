#pragma once

#include "platform/port/siodevice.h"
#include "tests/engine/cluaenvironment.h"
#include "tests/engine/coperatorquestion.h"
#include "tests/engine/ctesthandle.h"
#include "tests/engine/ctestqueue.h"
#include "tests/engine/ctestresults.h"
#include "tests/engine/cunitchannel.h"
#include "tests/engine/itestrunner.h"

#include <QList>
#include <QMutex>
#include <QSemaphore>
#include <QString>
#include <QThread>
#include <QVariantList>
#include <QWaitCondition>

#include <atomic>
#include <memory>

class cContext;
class cZtApi;

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
    /**
     * The tests' names; failure tells why none could be read when the scripts were busy or
     * zt_enumerate_tests ran past its bound and was stopped.
     */
    QStringList enumerateTests(QString *failure);
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
    friend class cRunnerShared;

    void actionLoop();
    void doInit();
    void doDeinit();
    void doClosePort();
    void testLoop();
    void runOneTest(cTestHandle test);
    void settleFailedCall(cTestHandle &test, const QString &name, int code, const QString &error);
    void settleCanceled(cTestHandle &test);
    void repeatBatchIfDone();
    void reset(bool fatal);
    void stopThread();
    void startLater();

    /** Posts an action for the worker; actions are carried out one after another, in order. */
    void post(int action);
    /** The next posted action, or -1 when none waits. */
    int takePosted();
    bool hasPosted() const;

    bool sleepFor(qint64 ms);
    bool askOperator(const QString &question, const QStringList &fields, QStringList *answers);
    bool cancelQuery() const;
    bool sandboxPackages() const;
    sIODevice device() const;
    void setDevice(const sIODevice &device);

    std::atomic<bool> m_interrupt{false};
    std::atomic<bool> m_quit{false};
    cTestQueue m_queue;
    cOperatorQuestion m_question;
    cLuaEnvironment m_lua{&m_quit};

    mutable QMutex m_deviceLock;
    sIODevice m_device;

    std::atomic<bool> m_initialised{false};
    QSemaphore m_actionSemaphore;
    mutable QMutex m_postedLock;
    QList<int> m_posted;
    const bool m_ownsPort;

    cTestResults m_results;

    std::atomic<bool> m_rebootOnClose{false};
    std::unique_ptr<cContext> m_callContext;
    cUnitChannel m_unit;

    // Wakes sleeping scripts when the runner goes away.
    QMutex m_sleepLock;
    QWaitCondition m_sleepWake;

    mutable QMutex m_settingsLock;
    QString m_appRoot;
    int m_trustOverride = -1;  // -1: read the settings at every init
};

#pragma once

#include "platform/port/siodevice.h"
#include "tests/engine/cactionqueue.h"
#include "tests/engine/clinewatch.h"
#include "tests/engine/cluaenvironment.h"
#include "tests/engine/coperatorquestion.h"
#include "tests/engine/crunnershared.h"
#include "tests/engine/crunnersettings.h"
#include "tests/engine/csleeper.h"
#include "tests/engine/ctesthandle.h"
#include "tests/engine/ctestqueue.h"
#include "tests/engine/ctestresults.h"
#include "tests/engine/cunitchannel.h"
#include "tests/engine/itestrunner.h"

#include <QList>
#include <QMutex>
#include <QString>
#include <QThread>
#include <QVariantList>

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
    bool isBusy() const override { return m_queue.isBusy(); }
    QString statisticsText() const override { return m_results.statisticsText(); }
    QString resultsText() const override { return m_results.resultsText(); }
    QString logText() const override { return m_results.logText(); }
    void clearResults() override { m_results.clear(); }
    bool hasErrors() const override { return cRunnerShared::errorSeen(); }

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
    void userReply(const QVariantList &reply) override { m_question.reply(reply); }
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
    void settleCanceled(cTestHandle &test);
    void settleLost(cTestHandle &test, const QString &name);
    void reportLost();
    void dropPending();
    void repeatBatchIfDone();
    void reset(bool fatal);
    void stopThread();
    void startLater();

    /** Posts an action for the worker and calls it out of the test loop. */
    void post(int action);

    bool sleepFor(qint64 ms);
    bool askOperator(const QString &question, const QStringList &fields, QStringList *answers);
    bool cancelQuery() const;
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
    cActionQueue m_actions;
    const bool m_ownsPort;

    cTestResults m_results;

    std::atomic<bool> m_rebootOnClose{false};
    std::unique_ptr<cContext> m_callContext;
    cUnitChannel m_unit;
    // The cancel query, a const look, notices a lost line too.
    mutable cLineWatch m_line;

    cSleeper m_sleeper{&m_quit};

    cRunnerSettings m_settings;
};

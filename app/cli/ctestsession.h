#pragma once

#include "app/cli/ccliarguments.h"
#include "tests/model/cjunitreport.h"
#include "platform/port/siodevice.h"

#include <QDateTime>
#include <QHash>
#include <QObject>
#include <QStringList>
#include <QTimer>

#include <memory>

class cConsolePrompt;
class cSignalWatcher;
class cTestRunner;
class cTestModel;

/**
 * One run of `zovan-tools-cli test`: connects to the unit through a test runner exactly as
 * the workbench does, runs the chosen tests into a test model and prints what happens.
 * Ends with finished(exit status).
 */
class cTestSession : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(cTestSession)

public:
    enum ExitCode { ExitOk = 0, ExitTestError = 1, ExitNoEnvironment = 2 };

    explicit cTestSession(const cCliArguments &args, QObject *parent = nullptr);
    ~cTestSession() override;

    /** Starts the session; call once, from a running event loop. */
    void start();

    /** How long a unit may take to become ready before the session gives up. */
    static constexpr int kInitBoundMs = 480000;
    static constexpr int kDeinitBoundMs = 10000;
    static constexpr int kInterruptBoundMs = 5000;

signals:
    void finished(int exitCode);

private:
    enum State { Idle, Initialising, Running, Deinitialising, Done };

    bool resolveDevice(QString *error);
    void onInitFinished(int code);
    void onTestFinished();
    void onDeinitFinished(int code);
    void onInterrupted(int count);
    void onRunnerFault();
    void onLogMessage(int level, const QString &text);

    bool chooseTests(const QStringList &available, QStringList *chosen, QString *error) const;
    void buildModel(const QStringList &names, const QStringList &chosen);
    void collectFinishedRuns();
    void printNewResults();
    void finishTests();
    void shutdown(int exitCode);
    void end(int exitCode);

    const cCliArguments m_args;
    State m_state = Idle;
    sIODevice m_device;
    bool m_simStarted = false;

    // The model outlives the runner: the runner writes rows until its thread is gone.
    std::unique_ptr<cTestModel> m_model;
    std::unique_ptr<cTestRunner> m_runner;
    cConsolePrompt *m_prompt = nullptr;
    cSignalWatcher *m_signals = nullptr;
    QTimer m_bound;

    QList<int> m_chosenRows;
    QHash<int, QDateTime> m_reportedStart; // row -> start time of the run last reported
    int m_expectedRuns = 0;
    int m_finishedRuns = 0;
    int m_printedResults = 0;
    bool m_errorSeen = false;
    bool m_interrupted = false;
    int m_exitAfterDeinit = ExitOk;
    std::unique_ptr<cJUnitReport> m_report;
};

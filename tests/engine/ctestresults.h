#pragma once

#include "tests/engine/ctesthandle.h"

#include <QMap>
#include <QMutex>
#include <QString>

/**
 * What the runs leave for the operator: per-test statistics, the results text (one result
 * line per test) and the log text, each under its own lock and each bounded in size.
 */
class cTestResults
{
public:
    cTestResults() = default;
    Q_DISABLE_COPY_MOVE(cTestResults)

    /** "Starting test" to the log engine and the log text. */
    void reportStart(const QString &name);
    /** Why zt_exec_test could not run, and the script's message, to the log engine. */
    static void reportFailedCall(const QString &name, int code, const QString &error);
    /**
     * A test that ran to its end: counted, its runs and OK count written to its row, the
     * report logged and its result line appended to the results text.
     */
    void reportFinished(cTestHandle &test, const QString &name);
    QString statisticsText() const;

    QString resultsText() const;
    void appendResults(const QString &text);

    QString logText() const;
    /** Appends "date  level-tag  text" to the log text. */
    void appendLog(const QString &text, int level);

    void clear();

private:
    struct sStats
    {
        int runs = 0;
        int ok = 0;
        int warnings = 0;
        int errors = 0;
    };

    mutable QMutex m_statsLock;
    QMap<QString, sStats> m_stats;
    mutable QMutex m_resultsLock;
    QString m_results;
    mutable QMutex m_logLock;
    QString m_log;
};

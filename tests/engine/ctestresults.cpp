#include "ctestresults.h"

#include "tests/engine/testlog.h"
#include "tests/engine/testroles.h"

#include <QDateTime>
#include <QMutexLocker>

#include <lua.hpp>

using namespace testmodel;

namespace {

// The log and results texts keep at most this many characters, dropping the oldest lines.
constexpr int kMaxText = 16 * 1024 * 1024;

void trimText(QString *text)
{
    if (text->size() <= kMaxText)
        return;
    qsizetype cut = text->indexOf(QLatin1Char('\n'), text->size() - kMaxText / 2);
    text->remove(0, cut < 0 ? text->size() - kMaxText / 2 : cut + 1);
}

} // namespace

void cTestResults::reportStart(const QString &name)
{
    const QString starting = QStringLiteral("Starting test '%1'").arg(name);
    testlog::note(starting, LogNotify);
    appendLog(starting, LogNotify);
}

void cTestResults::reportFailedCall(const QString &name, int code, const QString &error)
{
    const char *reason = nullptr;
    switch (code) {
    case LUA_ERRSYNTAX:
        reason = "Cannot start test '%1' (LUA_ERRSYNTAX: syntax error)";
        break;
    case LUA_ERRMEM:
        reason = "Cannot start test '%1' (LUA_ERRMEM: memory allocation error)";
        break;
    case LUA_ERRERR:
        reason = "Cannot start test '%1' (LUA_ERRERR: general error)";
        break;
    case LUA_YIELD:
        reason = "Cannot start test '%1' (LUA_YIELD: YIELD )";
        break;
    default:
        reason = "Cannot start test '%1' (LUA_ERRRUN: run error)";
        break;
    }
    testlog::noteTest(QString::fromLatin1(reason).arg(name), LogError, name);
    testlog::noteTest(error, LogError, name);
}

void cTestResults::reportFinished(cTestHandle &test, const QString &name)
{
    const int status = test.status();
    {
        QMutexLocker locker(&m_statsLock);
        sStats &stats = m_stats[name];
        ++stats.runs;
        if (status == StateOk)
            ++stats.ok;
        else if (status == StateError)
            ++stats.errors;
        else if (status == StateWarning)
            ++stats.warnings;
        test.setStatistics(stats.runs, stats.ok);
    }
    const QString details = test.details();
    const QString report = QStringLiteral("Test '%1' finished with status: %2%3")
                               .arg(name, cTestHandle::statusText(status),
                                    details.isEmpty() ? QString() : QStringLiteral(", description: %1").arg(details));
    testlog::noteTest(report, LogNotify, name);
    appendLog(report, LogNotify);
    appendResults(test.resultLine() + QLatin1Char('\n'));
}

QString cTestResults::statisticsText() const
{
    QMutexLocker locker(&m_statsLock);
    QString text;
    for (auto it = m_stats.cbegin(); it != m_stats.cend(); ++it) {
        text += it.key()
                + QStringLiteral(":\n    run count - %1\n    ok - %2\n    warnings - %3\n    errors - %4\n\n")
                      .arg(it->runs)
                      .arg(it->ok)
                      .arg(it->warnings)
                      .arg(it->errors);
    }
    return text;
}

QString cTestResults::resultsText() const
{
    QMutexLocker locker(&m_resultsLock);
    return m_results;
}

void cTestResults::appendResults(const QString &text)
{
    QMutexLocker locker(&m_resultsLock);
    m_results += text;
    trimText(&m_results);
}

QString cTestResults::logText() const
{
    QMutexLocker locker(&m_logLock);
    return m_log;
}

void cTestResults::appendLog(const QString &text, int level)
{
    const QString line = QStringLiteral("%1  %2  %3\n")
                             .arg(QDateTime::currentDateTime().toString(QStringLiteral("dd-MM-yyyy hh:mm-ss")),
                                  testlog::levelTag(level), text);
    QMutexLocker locker(&m_logLock);
    m_log += line;
    trimText(&m_log);
}

void cTestResults::clear()
{
    {
        QMutexLocker locker(&m_statsLock);
        m_stats.clear();
    }
    {
        QMutexLocker locker(&m_resultsLock);
        m_results.clear();
    }
    QMutexLocker locker(&m_logLock);
    m_log.clear();
}

#include "app/cli/ctestsession.h"

#include "app/cli/clilogmessages.h"
#include "app/cli/cliunit.h"
#include "app/cli/cconsoleprompt.h"
#include "app/cli/csignalwatcher.h"
#include "app/common/embeddedunit.h"
#include "platform/port/port.h"
#include "tests/engine/ctesthandle.h"
#include "tests/engine/ctestrunner.h"
#include "tests/engine/testroles.h"
#include "tests/model/ctestmodel.h"

#include <QSet>

#include <cstdio>

using namespace testmodel;

namespace {

void out(const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), stdout);
    std::fflush(stdout);
}

void err(const QString &text)
{
    std::fputs((text + QLatin1Char('\n')).toLocal8Bit().constData(), stderr);
    std::fflush(stderr);
}

bool isFinal(int state)
{
    return state == StateOk || state == StateError || state == StateWarning || state == StateCanceled;
}

} // namespace

cTestSession::cTestSession(const cCliArguments &args, QObject *parent)
    : QObject(parent)
    , m_args(args)
{
    m_bound.setSingleShot(true);
}

cTestSession::~cTestSession()
{
    // The runner's thread must be gone before the unit it talks to.
    m_runner.reset();
    m_model.reset();
    if (m_simStarted)
        stopEmbeddedUnit();
}

void cTestSession::start()
{
    m_signals = new cSignalWatcher(this);
    connect(m_signals, &cSignalWatcher::interrupted, this, &cTestSession::onInterrupted);

    // Set-up problems reach the operator through the log engine; show them on stderr.
    forwardCliLogMessages(this, [this](int level, const QString &text) { onLogMessage(level, text); });

    QString why;
    if (!resolveDevice(&why)) {
        err(QStringLiteral("error: ") + why);
        end(ExitNoEnvironment);
        return;
    }

    m_model = std::make_unique<cTestModel>(nullptr, nullptr);
    m_runner = std::make_unique<cTestRunner>(nullptr, true);
    if (!m_args.appDir().isEmpty())
        m_runner->setAppRoot(m_args.appDir());
    m_runner->setTrustUnitPackages(m_args.trustUnit());
    m_prompt = new cConsolePrompt(this);

    connect(m_runner.get(), &cTestRunner::initFinished, this, &cTestSession::onInitFinished);
    connect(m_runner.get(), &cTestRunner::testFinished, this, &cTestSession::onTestFinished);
    connect(m_runner.get(), &cTestRunner::deinitFinished, this, &cTestSession::onDeinitFinished);
    connect(m_runner.get(), &cTestRunner::needRestart, this, &cTestSession::onRunnerFault);
    connect(m_runner.get(), &cTestRunner::testsCanceled, this, [this] {
        if (m_state == Running && m_interrupted)
            finishTests();
    });
    connect(m_runner.get(), &cTestRunner::askUser, m_prompt, &cConsolePrompt::ask);
    connect(m_prompt, &cConsolePrompt::replied, this,
            [this](const QVariantList &reply) {
                if (m_runner)
                    m_runner->userReply(reply);
            });

    err(QStringLiteral("Connecting to %1 (%2)...").arg(m_device.name, m_device.id));
    m_state = Initialising;
    connect(&m_bound, &QTimer::timeout, this, [this] {
        if (m_state == Initialising) {
            if (m_interrupted)
                err(QStringLiteral("warning: the set-up did not stop in time"));
            else
                err(QStringLiteral("error: the unit did not get ready within %1 s").arg(kInitBoundMs / 1000));
            m_runner->stopInitOrDeinitProcess();
            end(m_interrupted ? ExitTestError : ExitNoEnvironment);
        } else if (m_state == Running && m_interrupted) {
            err(QStringLiteral("warning: the running test did not stop in time"));
            finishTests();
        } else if (m_state == Deinitialising) {
            err(QStringLiteral("warning: the unit was not released in time"));
            end(m_interrupted ? ExitTestError : m_exitAfterDeinit);
        }
    });
    m_bound.start(kInitBoundMs);
    m_runner->init(m_device, m_args.runs());
}

bool cTestSession::resolveDevice(QString *error)
{
    return resolveCliUnit(m_args.sim(), m_args.simOptions(), m_args.portId(), &m_device, &m_simStarted, error);
}

void cTestSession::onLogMessage(int level, const QString &text)
{
    // Once tests run, failures are the tests' own results; the port's messages about them
    // would only repeat them.
    if (m_state != Initialising && !m_args.verbose())
        return;
    if (level == 3)
        err(QStringLiteral("error: ") + text);
    else if (level == 2)
        err(QStringLiteral("warning: ") + text);
    else if (level == 1 && m_args.verbose())
        err(text);
}

void cTestSession::onInitFinished(int code)
{
    if (m_state != Initialising)
        return;
    m_bound.stop();
    if (m_interrupted) {
        end(ExitTestError);
        return;
    }
    if (code != 0) {
        err(QStringLiteral("error: cannot prepare the tests of %1 (%2)")
                .arg(m_device.name, code == 3 ? QStringLiteral("stopped") : QStringLiteral("set-up failed")));
        // A failed set-up leaves the runner idle with the port closed: nothing to release.
        end(ExitNoEnvironment);
        return;
    }
    m_state = Running;
    QString why;
    const QStringList names = m_runner->enumerateTests(&why);
    if (!why.isEmpty()) {
        // The unit's package did not list its tests within the bound: nothing can be run.
        err(QStringLiteral("error: cannot list the tests of %1 (%2)").arg(m_device.name, why));
        shutdown(ExitNoEnvironment);
        return;
    }
    QStringList chosen;
    if (!chooseTests(names, &chosen, &why)) {
        err(QStringLiteral("error: ") + why);
        shutdown(ExitNoEnvironment);
        return;
    }
    m_report = std::make_unique<cJUnitReport>(m_device.name, m_device.id);
    if (chosen.isEmpty()) {
        // An empty report still tells a CI job that the unit was reached.
        err(QStringLiteral("warning: the unit offers no tests"));
        finishTests();
        return;
    }
    buildModel(names, chosen);
    m_expectedRuns = chosen.size() * m_args.runs();
    err(QStringLiteral("Running %1 of %2 tests, %3 time(s)").arg(chosen.size()).arg(names.size()).arg(m_args.runs()));

    QList<cTestHandle> handles;
    for (int row : qAsConst(m_chosenRows)) {
        handles << cTestHandle::forRow(m_model->index(row, NameColumn));
    }
    m_runner->runTests(handles, m_args.runs());
}

bool cTestSession::chooseTests(const QStringList &available, QStringList *chosen, QString *error) const
{
    if (m_args.only().isEmpty()) {
        *chosen = available;
        return true;
    }
    QStringList unknown;
    for (const QString &name : m_args.only()) {
        if (!available.contains(name))
            unknown << QLatin1Char('\'') + name + QLatin1Char('\'');
    }
    if (!unknown.isEmpty()) {
        *error = QStringLiteral("unknown test %1; available tests: %2")
                     .arg(unknown.join(QStringLiteral(", ")), available.join(QStringLiteral(", ")));
        return false;
    }
    // The unit's order, as the workbench shows and runs them.
    for (const QString &name : available) {
        if (m_args.only().contains(name) && !chosen->contains(name))
            *chosen << name;
    }
    return true;
}

// The workbench's own rows, so the runner's handles write the same cells.
void cTestSession::buildModel(const QStringList &names, const QStringList &chosen)
{
    m_model->liteClear();
    for (const QString &name : names) {
        m_model->appendTest(name, true);
        if (chosen.contains(name)) {
            m_model->setData(m_model->index(m_model->rowCount() - 1, NameColumn), int(Qt::Checked), Qt::CheckStateRole);
            m_chosenRows << m_model->rowCount() - 1;
        }
    }
}

void cTestSession::onTestFinished()
{
    if (m_state != Running)
        return;
    ++m_finishedRuns;
    printNewResults();
    collectFinishedRuns();
    if (m_finishedRuns >= m_expectedRuns && !m_interrupted)
        finishTests();
}

void cTestSession::printNewResults()
{
    const QString results = m_runner->resultsText();
    if (results.size() < m_printedResults)
        m_printedResults = 0;
    out(results.mid(m_printedResults));
    m_printedResults = results.size();
}

// The model shows each row as it was when testFinished was emitted (the handle's writes
// arrive in order before the signal), so a final state with a start time not yet seen is
// the run that just ended.
void cTestSession::collectFinishedRuns()
{
    for (int row : qAsConst(m_chosenRows)) {
        const int state = m_model->index(row, StatusColumn).data(StateRole).toInt();
        const QDateTime started = m_model->index(row, TimeColumn).data(StartTimeRole).toDateTime();
        if (!isFinal(state) || !started.isValid() || m_reportedStart.value(row) == started)
            continue;
        m_reportedStart.insert(row, started);
        const QDateTime ended = m_model->index(row, TimeColumn).data(EndTimeRole).toDateTime();
        cJUnitReport::sCase c;
        c.name = m_model->index(row, NameColumn).data(TestNameRole).toString();
        c.status = state;
        c.details = m_model->index(row, InfoColumn).data(DetailsRole).toString();
        c.durationMs = ended.isValid() ? qMax<qint64>(0, started.msecsTo(ended)) : 0;
        m_report->addCase(c);
        if (state == StateError)
            m_errorSeen = true;
        if (state == StateCanceled)
            out(QStringLiteral("%1, %2\n").arg(c.name, cTestHandle::statusText(state)));
    }
}

void cTestSession::finishTests()
{
    out(QStringLiteral("\n") + m_runner->statisticsText());
    if (m_args.verbose())
        out(m_runner->logText());
    int code = (m_errorSeen || m_runner->hasErrors()) ? ExitTestError : ExitOk;
    if (m_interrupted)
        code = ExitTestError;
    if (m_report && !m_args.junitFile().isEmpty()) {
        QString why;
        if (!m_report->write(m_args.junitFile(), &why)) {
            err(QStringLiteral("error: cannot write %1: %2").arg(m_args.junitFile(), why));
            code = ExitNoEnvironment;
        }
    }
    shutdown(code);
}

void cTestSession::shutdown(int exitCode)
{
    if (m_state == Deinitialising || m_state == Done)
        return;
    m_exitAfterDeinit = exitCode;
    m_state = Deinitialising;
    m_bound.start(m_interrupted ? kInterruptBoundMs : kDeinitBoundMs);
    m_runner->deinit();
}

void cTestSession::onDeinitFinished(int code)
{
    if (m_state != Deinitialising)
        return;
    m_bound.stop();
    if (code != 0)
        err(QStringLiteral("warning: the test environment was not closed cleanly"));
    end(m_exitAfterDeinit);
}

void cTestSession::onInterrupted(int count)
{
    if (count > 1 || m_state == Idle || m_state == Done) {
        end(ExitTestError);
        return;
    }
    if (m_interrupted)
        return;
    m_interrupted = true;
    err(QStringLiteral("\ninterrupted: canceling the tests"));
    if (m_prompt)
        m_prompt->cancel();
    m_bound.start(kInterruptBoundMs);
    if (m_state == Initialising) {
        m_runner->stopInitOrDeinitProcess();
        return;
    }
    if (m_state == Running) {
        // The running script sees the cancel through was_canceled; testsCanceled follows once
        // it has returned (or at once when nothing runs), and the results are reported then.
        m_runner->cancelAllTests();
    }
}

void cTestSession::onRunnerFault()
{
    err(QStringLiteral("error: the test runner failed"));
    m_errorSeen = true;
    if (m_state == Running)
        finishTests();
}

void cTestSession::end(int exitCode)
{
    if (m_state == Done)
        return;
    m_state = Done;
    m_bound.stop();
    // The runner's thread goes first (bounded by its destructor), while the unit it may still
    // talk to is alive; the embedded unit is stopped when the application quits.
    if (m_prompt)
        m_prompt->cancel();
    m_runner.reset();
    m_model.reset();
    emit finished(exitCode);
}

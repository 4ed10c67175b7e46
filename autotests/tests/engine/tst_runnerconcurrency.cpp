// The runner under requests that cross its work: cancels at test start, requests posted
// during init, calls into scripts that never return, faults in native code, late replies.

#include "crunnerfixture.h"
#include "testmodelfixture.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>

#include <memory>

using namespace testmodel;

namespace {

void spinMicroseconds(int us)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.nsecsElapsed() < qint64(us) * 1000) {
    }
}

// A set-up script that waits for a file, so that the test posts requests while init runs.
QByteArray waitForFile(const QString &path)
{
    return "zt.log('setting up')\n"
           "local function ready() local f = io.open(" + cRunnerFixture::luaString(path).toUtf8() + ")\n"
           "  if f then f:close() return true end end\n"
           "while not ready() do zt.sleep(5) end\n";
}

} // namespace

class tst_RunnerConcurrency : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init() { f = std::make_unique<cRunnerFixture>(); }
    void cleanup() { f.reset(); }

    void cancelRightAfterQueueing();
    void canceledBeforeItStarts();
    void requestsDuringInit_data();
    void requestsDuringInit();
    void initAgainWhileWaitingForTests();
    void callsFromOutsideAreBounded_data();
    void callsFromOutsideAreBounded();
    void exceptionFromNativeCode();
    void lateReplyOfACanceledQuestion();

private:
    std::unique_ptr<cRunnerFixture> f;
};

void tst_RunnerConcurrency::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
}

// Whenever a cancel comes, the test ends canceled or leaves the queue; while it is queued or
// runs, the runner is busy. The delays sweep the moments the runner takes and settles a test.
void tst_RunnerConcurrency::cancelRightAfterQueueing()
{
    f->writeTests({{QStringLiteral("T"), QStringLiteral("while not zt.was_canceled() do zt.sleep(1) end return true")}});
    QCOMPARE(f->start(), 0);
    f->fillModel();
    const cTestHandle row = f->handle(0);  // reads the row's live state
    for (int i = 0; i < 400; ++i) {
        spinMicroseconds(i % 80);
        f->queue(0);
        QVERIFY2(f->runner()->isBusy(), qPrintable(QStringLiteral("pass %1").arg(i)));
        spinMicroseconds(i % 80);
        f->cancel(0);
        QVERIFY2(QTest::qWaitFor([&] { return row.status() == StateNone || row.status() == StateCanceled; }, 10000),
                 qPrintable(QStringLiteral("pass %1: status %2").arg(i).arg(row.status())));
    }
    QTRY_VERIFY(!f->runner()->isBusy());
}

// A test that is already canceling when its turn comes does not run: it ends canceled.
void tst_RunnerConcurrency::canceledBeforeItStarts()
{
    f->writeTests({{QStringLiteral("A"), QStringLiteral("zt.log('waiting') while not zt.was_canceled() do zt.sleep(5) end return true")},
                   {QStringLiteral("B"), QStringLiteral("zt.log('B ran') return true")}});
    QCOMPARE(f->start(), 0);
    f->fillModel();
    QSignalSpy finished(f->relay(), &cRunnerRelay::testFinished);
    QSignalSpy canceled(f->relay(), &cRunnerRelay::testsCanceled);
    QVERIFY(finished.isValid() && canceled.isValid());
    f->queue(0);
    f->queue(1);
    QVERIFY(f->waitLogged(QStringLiteral("waiting")));
    // B is queued behind A; a cancel lands on it as it is taken.
    QTRY_COMPARE(f->state(1), int(StateQueued));
    f->model()->setData(f->model()->index(1, StatusColumn), int(StateCanceling), StateRole);
    f->runner()->cancelCurrentTest();
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 2, 30000);
    QTRY_COMPARE(f->state(1), int(StateCanceled));
    QCOMPARE(canceled.count(), 2);
    QVERIFY(!f->logged(QStringLiteral("B ran")));
    QVERIFY(!f->runner()->resultsText().contains(QLatin1String("B, ")));
}

void tst_RunnerConcurrency::requestsDuringInit_data()
{
    QTest::addColumn<bool>("deinit");  // else close the port
    QTest::newRow("deinit") << true;
    QTest::newRow("close port") << false;
}

// A request posted while init runs is carried out after it.
void tst_RunnerConcurrency::requestsDuringInit()
{
    QFETCH(bool, deinit);
    const QString marker = f->path(QStringLiteral("tests"), QStringLiteral("go"));
    f->writeScript(QStringLiteral("scripts/general"), QStringLiteral("wait.lua"), waitForFile(marker));
    f->writeTests({{QStringLiteral("T"), QStringLiteral("return true")}});
    f->makeRunner(false);
    QSignalSpy inits(f->relay(), &cRunnerRelay::initFinished);
    QSignalSpy deinits(f->relay(), &cRunnerRelay::deinitFinished);
    QVERIFY(inits.isValid() && deinits.isValid());
    f->runner()->init(cRunnerFixture::defaultDevice(), 1);
    QVERIFY(f->waitLogged(QStringLiteral("setting up")));
    if (deinit)
        f->runner()->deinit();
    else
        f->runner()->closePort(false);
    QFile(marker).open(QIODevice::WriteOnly);
    QVERIFY(inits.wait(30000));
    QCOMPARE(inits.first().first().toInt(), 0);
    if (deinit) {
        QTRY_COMPARE_WITH_TIMEOUT(deinits.count(), 1, 30000);
        QCOMPARE(deinits.first().first().toInt(), 0);
        QVERIFY(f->runner()->enumerateTests().isEmpty());
    } else {
        QVERIFY(f->waitLogged(QStringLiteral("Close port branch")));
        QCOMPARE(f->runner()->enumerateTests(), QStringList{QStringLiteral("T")});
    }
}

void tst_RunnerConcurrency::initAgainWhileWaitingForTests()
{
    f->writeTests({{QStringLiteral("T"), QStringLiteral("return true")}});
    QCOMPARE(f->start(), 0);
    // The worker now waits in the test loop; a second init must reach it.
    QSignalSpy inits(f->relay(), &cRunnerRelay::initFinished);
    QVERIFY(inits.isValid());
    f->runner()->init(cRunnerFixture::defaultDevice(), 1);
    QVERIFY(inits.wait(30000));
    QCOMPARE(inits.first().first().toInt(), 0);
    QVERIFY(f->runOne(QStringLiteral("return true")));
}

void tst_RunnerConcurrency::callsFromOutsideAreBounded_data()
{
    QTest::addColumn<QString>("function");
    QTest::newRow("zt_enumerate_tests") << "zt_enumerate_tests";
    QTest::newRow("is_restart_allowed") << "is_restart_allowed";
}

// Unit code that never returns must not freeze the caller's thread: the call is stopped
// past its bound, even when the script catches errors, and the scripts stay usable.
void tst_RunnerConcurrency::callsFromOutsideAreBounded()
{
    QFETCH(QString, function);
    const QString answer = function == QLatin1String("zt_enumerate_tests") ? QStringLiteral("{ 'T' }")
                                                                           : QStringLiteral("true");
    f->writeTests({{QStringLiteral("T"), QStringLiteral("return true")}},
                  QStringLiteral("local calls = 0\n"
                                 "function %1()\n"
                                 "  calls = calls + 1\n"
                                 "  if calls == 1 then while true do pcall(function() while true do end end) end end\n"
                                 "  return %2\n"
                                 "end\n")
                      .arg(function, answer));
    QCOMPARE(f->start(), 0);
    const QString message = QStringLiteral("%1 did not return within 3000 ms and was stopped").arg(function);
    if (function == QLatin1String("zt_enumerate_tests")) {
        QString failure;
        QCOMPARE(f->runner()->enumerateTests(&failure), QStringList());
        QCOMPARE(failure, message);
        QCOMPARE(f->runner()->enumerateTests(&failure), QStringList{QStringLiteral("T")});
        QVERIFY(failure.isEmpty());
    } else {
        QVERIFY(!f->runner()->isRestartAllowed(QStringLiteral("x")));
        QVERIFY(f->runner()->isRestartAllowed(QStringLiteral("x")));
    }
    QVERIFY(f->logged(message, 3));
    // The tests still run.
    f->fillModel();
    QSignalSpy finished(f->relay(), &cRunnerRelay::testFinished);
    QVERIFY(finished.isValid());
    f->queue(0);
    QVERIFY(finished.wait(30000));
    QTRY_COMPARE(f->state(0), int(StateOk));
}

// A C++ exception from native code ends the worker with the fatal report, and leaves no lock
// held: the runner can still be destroyed.
void tst_RunnerConcurrency::exceptionFromNativeCode()
{
    f->writeTests({{QStringLiteral("T"), QStringLiteral("thrower() return true")}},
                  QStringLiteral("thrower = assert(package.loadlib(%1, 'zt_throw'))\n")
                      .arg(cRunnerFixture::luaString(QStringLiteral(ZT_THROWING_LUA))));
    QCOMPARE(f->start(), 0);
    f->fillModel();
    f->queue(0);
    QVERIFY(f->waitLogged(QStringLiteral("Restart is strongly recomended!")));
    QVERIFY(!f->runner()->isBusy());
    f->destroyRunner();  // hangs when the Lua lock was left locked
}

// A reply to a question that was given up answers nothing that comes later.
void tst_RunnerConcurrency::lateReplyOfACanceledQuestion()
{
    const QString ask = QStringLiteral("local r = zt.ask_user('Serial number?', { 'SN' })\n"
                                       "zt.update_status_text(r == nil and 'nil' or table.concat(r, ','))\n"
                                       "return true");
    f->writeTests({{QStringLiteral("A"), ask}, {QStringLiteral("B"), ask}});
    QCOMPARE(f->start(), 0);
    f->fillModel();
    QSignalSpy asked(f->relay(), &cRunnerRelay::askUser);
    QSignalSpy finished(f->relay(), &cRunnerRelay::testFinished);
    QVERIFY(asked.isValid() && finished.isValid());
    f->queue(0);
    f->queue(1);
    QVERIFY(asked.wait(30000));
    f->runner()->cancelCurrentTest();
    QTRY_COMPARE_WITH_TIMEOUT(asked.count(), 2, 30000);
    QCOMPARE(asked.at(1).first().toString(), QStringLiteral("B"));
    f->runner()->userReply({QStringLiteral("for A")});
    QTest::qWait(200);  // time enough for B to take it, were it taken
    QCOMPARE(f->state(1), int(StateRunning));
    f->runner()->userReply({QStringLiteral("for B")});
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 2, 30000);
    QTRY_COMPARE(f->state(1), int(StateOk));
    QCOMPARE(f->details(1), QStringLiteral("for B"));
    QCOMPARE(f->state(0), int(StateCanceled));
}

QTEST_GUILESS_MAIN(tst_RunnerConcurrency)
#include "tst_runnerconcurrency.moc"

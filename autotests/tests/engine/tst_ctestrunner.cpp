#include "crunnerfixture.h"
#include "testmodelfixture.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>
#include <QTranslator>

#include <memory>

using namespace testmodel;

namespace {

const QString kWaitForCancel = QStringLiteral("zt.log('waiting')\n"
                                              "while not zt.was_canceled() do zt.sleep(5) end\nreturn ");

} // namespace

class tst_cTestRunner : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init() { f = std::make_unique<cRunnerFixture>(); }
    void cleanup() { f.reset(); }

    void statusOfATest_data();
    void statusOfATest();
    void setUpFunctions_data();
    void setUpFunctions();
    void failingScriptEndsSetUp();
    void stopDuringSetUp_data();
    void stopDuringSetUp();
    void repeatsAndStatistics();
    void cancel_data();
    void cancel();
    void removedRowSkipped();
    void restartAllowed_data();
    void restartAllowed();
    void askUser_data();
    void askUser();
    void destructionEndsScripts_data();
    void destructionEndsScripts();
    void onlyMarkedTextsTranslated();

private:
    std::unique_ptr<cRunnerFixture> f;
};

void tst_cTestRunner::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication::setOrganizationName(QStringLiteral("ZovanToolsTests"));
    QCoreApplication::setApplicationName(QStringLiteral("tst_ctestrunner"));
}

void tst_cTestRunner::statusOfATest_data()
{
    QTest::addColumn<QString>("body");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QString>("details");
    QTest::addColumn<QString>("message");
    QTest::newRow("OK after warning stays warning")
        << "zt.set_status_warn('w') zt.set_status_ok('o') return true" << "WARNING" << "o" << QString();
    QTest::newRow("error always wins")
        << "zt.set_status_err('e') zt.set_status_ok('o') zt.set_status_warn('w') return true" << "ERROR" << "w" << QString();
    QTest::newRow("OK text, then false") << "zt.set_status_ok('fine') return false" << "ERROR" << "fine"
                                         << "Error executing test 'T'";
    QTest::newRow("nothing is an error") << "return" << "ERROR" << "" << "[zt_exec_test]: result is not a boolean type";
    QTest::newRow("raised error") << "error('boom', 0)" << "ERROR" << "" << "Cannot start test 'T' (LUA_ERRRUN: run error)";
    QTest::newRow("UTF-8 text") << "zt.log('Prüfung') zt.set_status_ok('Температура ä') return true" << "OK"
                                << "Температура ä" << "Prüfung";
    // Argument checks: the error raised, or what the call returned. call_ctx is a light userdata
    // that no port knows, so the call fails without harm.
    QTest::newRow("serial_close with text") << "return show('serial_close', 'h')" << "OK"
        << "[serial_close] incorrect argument: invalid handle (expected to be userdata, got string)" << QString();
    QTest::newRow("flush with full userdata") << "return show('serial_flush', io.stdout)" << "OK"
        << "[serial_flush] incorrect argument: invalid handle (expected to be userdata, got userdata)" << QString();
    QTest::newRow("gpio state number") << "return show('gpio_set_state', call_ctx, 'OUT1', 1)" << "OK"
        << "[gpio_set_state] incorrect argument: invalid state (expected to be boolean, got number)" << QString();
    QTest::newRow("huge read is bounded") << "return show('serial_read', call_ctx, 1e12, 1)" << "OK" << "false 0 ''"
                                          << QString();
}

void tst_cTestRunner::statusOfATest()
{
    QFETCH(QString, body);
    QFETCH(QString, status);
    QFETCH(QString, details);
    QFETCH(QString, message);
    f->writeScript(QStringLiteral("scripts/general"), QStringLiteral("show.lua"),
                   "function show(name, ...) local r = { pcall(zt[name], ...) }\n"
                   "  if not r[1] then zt.update_status_text(r[2]) return true end\n"
                   "  for i = 2, table.maxn(r) do r[i - 1] = type(r[i]) == 'string' and ('\\'' .. r[i] .. '\\'') or tostring(r[i]) end\n"
                   "  r[table.maxn(r)] = nil zt.update_status_text(table.concat(r, ' ')) return true end\n");
    QVERIFY(f->runOne(body));
    const int state = status == QLatin1String("OK") ? StateOk : status == QLatin1String("ERROR") ? StateError : StateWarning;
    QTRY_COMPARE(f->state(0), state);
    QCOMPARE(f->details(0), details);
    // Only a status the script set counts as an error seen; a failed run does not.
    QCOMPARE(f->runner()->hasErrors(), body.contains(QLatin1String("set_status_err")));
    QVERIFY2(message.isEmpty() || f->logged(message), qPrintable(message));
    QVERIFY(f->runner()->logText().contains(QStringLiteral("finished with status: ") + status));
    QVERIFY(details.isEmpty() || f->runner()->logText().contains(details));

    const QString tail = details.isEmpty() ? QString() : QStringLiteral(", ") + details;
    const QString report = QStringLiteral("Test 'T' finished with status: ") + status
                           + (details.isEmpty() ? QString() : QStringLiteral(", description: ") + details);
    QVERIFY2(f->logged(report, 1, QStringLiteral("T"), QStringLiteral("TEST")), qPrintable(report));
    const QString line = f->runner()->resultsText();
    QVERIFY2(QRegularExpression(QStringLiteral("^T, \\d\\d:\\d\\d:\\d\\d - \\d\\d:\\d\\d:\\d\\d, "))
                     .match(line).hasMatch() && line.endsWith(status + tail + QLatin1Char('\n')),
             qPrintable(line));
    QTRY_COMPARE(cellData(f->model(), 0, StatisticsColumn, Qt::DisplayRole).toString(),
                 QStringLiteral("Runs: 1, OK: %1").arg(state == StateOk ? 1 : 0));
}

void tst_cTestRunner::setUpFunctions_data()
{
    QTest::addColumn<QString>("handles");    // scripts/test/handles.lua
    QTest::addColumn<QString>("functions");  // beside the tests
    QTest::addColumn<int>("initCode");
    QTest::addColumn<int>("deinitCode");  // -1: not torn down
    QTest::addColumn<QString>("message");
    const QString yes = QStringLiteral("function set_device_handle() return true end");
    QTest::newRow("handle refused for one") << "function set_device_handle(n) return n ~= 'gpio' end" << "" << 2 << -1
        << "can't set handle for device 'Unit U - gpio'";
    QTest::newRow("handle nil fails") << "function set_device_handle() end" << "" << 2 << -1
        << "can't set handle for device 'Unit U - serial'";
    QTest::newRow("both true") << yes << "function init_test_env() return true end function deinit_test_env() return true end"
        << 0 << 0 << "Function 'deinit_test_env' was successfuly called for device 'Unit U'";
    QTest::newRow("init false") << yes << "function init_test_env() return false end" << 2 << -1
        << "Failed to init test environment for device 'Unit U'";
    QTest::newRow("deinit raises") << yes << "function deinit_test_env() error('stuck', 0) end" << 0 << 2
        << "Failed to deinit test environment for device 'Unit U'";
}

void tst_cTestRunner::setUpFunctions()
{
    QFETCH(QString, handles);
    QFETCH(QString, functions);
    QFETCH(int, initCode);
    QFETCH(int, deinitCode);
    QFETCH(QString, message);
    sIODevice device = cRunnerFixture::defaultDevice();
    for (const QString &name : {QStringLiteral("serial"), QStringLiteral("gpio")})
        device.devices.append(sIOSubDevice{nullptr, name, name, QString(), {}});
    f->writeScript(QStringLiteral("scripts/test"), QStringLiteral("handles.lua"), handles.toLatin1() + "\n");
    f->writeTests({{QStringLiteral("T"), QStringLiteral("return true")}}, functions);
    QCOMPARE(f->start(device), initCode);
    QCOMPARE(f->runner()->enumerateTests(), initCode == 0 ? QStringList{"T"} : QStringList());
    if (deinitCode >= 0) {
        QSignalSpy deinit(f->relay(), &cRunnerRelay::deinitFinished);
        QVERIFY(deinit.isValid());
        f->runner()->deinit();
        QVERIFY(deinit.wait(30000));
        QCOMPARE(deinit.first().first().toInt(), deinitCode);
        // Torn down whatever the script said.
        QVERIFY(f->runner()->enumerateTests().isEmpty());
    }
    QVERIFY2(f->logged(message), qPrintable(message));
    QCOMPARE(f->start(device), initCode);
}

// Scripts run sorted, general before test before tests; the first failure stops the rest.
void tst_cTestRunner::failingScriptEndsSetUp()
{
    const QByteArray append = "order = order or {}\norder[#order + 1] = ";
    const QString marker = f->path(QStringLiteral("tests"), QStringLiteral("c-ran"));
    f->writeScript(QStringLiteral("scripts/general"), QStringLiteral("b.lua"), "error('broken script')\n");
    f->writeScript(QStringLiteral("scripts/general"), QStringLiteral("a.lua"), append + "'general/a'\n");
    f->writeScript(QStringLiteral("scripts/general"), QStringLiteral("notes.txt"), "error('not a script')\n");
    f->writeScript(QStringLiteral("scripts/general"), QStringLiteral("c.lua"),
                   append + "'general/c'\nio.open(" + cRunnerFixture::luaString(marker).toLatin1() + ", 'w'):close()\n");
    f->writeScript(QStringLiteral("scripts/test"), QStringLiteral("a.lua"), append + "'test/a'\n");
    QDir(f->path(QStringLiteral("scripts"), QStringLiteral("general"))).mkpath(QStringLiteral("sub.lua"));
    f->writeScript(QStringLiteral("tests"), QStringLiteral("z.lua"), append + "'tests/z'\n");
    f->writeScript(QStringLiteral("tests"), QStringLiteral("y.lua"),
                   append + "'tests/y'\nfunction zt_enumerate_tests() return order end\n");
    QCOMPARE(f->start(), 2);
    const QString expected = QStringLiteral("TestRunner: error initializing LUA - can't execute script (%1)")
                                 .arg(f->path(QStringLiteral("scripts/general"), QStringLiteral("b.lua")));
    QVERIFY2(f->logged(expected, 3), qPrintable(expected));
    QVERIFY(!QFile::exists(marker));
    QVERIFY(f->runner()->enumerateTests().isEmpty());
    // The runner is idle again and a fixed script folder initialises.
    f->writeScript(QStringLiteral("scripts/general"), QStringLiteral("b.lua"), append + "'general/b'\n");
    QCOMPARE(f->start(), 0);
    QCOMPARE(f->runner()->enumerateTests(),
             QStringList({"general/a", "general/b", "general/c", "test/a", "tests/y", "tests/z"}));
}

void tst_cTestRunner::stopDuringSetUp_data()
{
    QTest::addColumn<QByteArray>("script");
    QTest::newRow("script that asks") << QByteArray("while not zt.was_canceled() do zt.sleep(5) end\n");
    QTest::newRow("script that loops without asking")
        << QByteArray("while true do pcall(function() while true do end end) end\n");
}

void tst_cTestRunner::stopDuringSetUp()
{
    QFETCH(QByteArray, script);
    f->writeScript(QStringLiteral("scripts/general"), QStringLiteral("wait.lua"), "zt.log('setting up')\n" + script);
    f->writeTests({{QStringLiteral("T"), QStringLiteral("return true")}});
    f->makeRunner(false);
    QSignalSpy spy(f->relay(), &cRunnerRelay::initFinished);
    QVERIFY(spy.isValid());
    f->runner()->init(cRunnerFixture::defaultDevice(), 1);
    QVERIFY(f->waitLogged(QStringLiteral("setting up")));
    f->runner()->stopInitOrDeinitProcess();
    QTRY_COMPARE_WITH_TIMEOUT(spy.count(), 1, 30000);
    // The set-up itself succeeded, but the stop request wins.
    QCOMPARE(spy.first().first().toInt(), 3);
    QVERIFY(f->runner()->enumerateTests().isEmpty());
}

void tst_cTestRunner::repeatsAndStatistics()
{
    f->writeTests({{QStringLiteral("A"), QStringLiteral("return true")},
                   {QStringLiteral("B"), QStringLiteral("zt.set_status_err('bad') return false")}});
    QCOMPARE(f->start(), 0);
    f->fillModel();
    QSignalSpy finished(f->relay(), &cRunnerRelay::testFinished);
    QVERIFY(finished.isValid());
    f->runner()->runTests({f->handle(0), f->handle(1)}, 0);  // nothing at all
    QTest::qWait(50);
    QCOMPARE(finished.count(), 0);

    f->runner()->runTests({f->handle(0), f->handle(1)}, 3);
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 6, 60000);
    QTRY_VERIFY(!f->runner()->isBusy());
    // Passes in order, an empty line between them.
    QString results = f->runner()->resultsText();
    results.replace(QRegularExpression(QStringLiteral("\\d\\d:\\d\\d:\\d\\d - \\d\\d:\\d\\d:\\d\\d")), QStringLiteral("t"));
    const QString pass = QStringLiteral("A, t, OK\nB, t, ERROR, bad\n");
    QCOMPARE(results, pass + QStringLiteral("\n\n") + pass + QStringLiteral("\n\n") + pass);
    QCOMPARE(f->runner()->statisticsText(),
             QStringLiteral("A:\n    run count - 3\n    ok - 3\n    warnings - 0\n    errors - 0\n\n"
                            "B:\n    run count - 3\n    ok - 0\n    warnings - 0\n    errors - 3\n\n"));
    QTRY_COMPARE(cellData(f->model(), 1, StatisticsColumn, Qt::DisplayRole).toString(), QStringLiteral("Runs: 3, OK: 0"));
    QCOMPARE(cellData(f->model(), 0, StatisticsColumn, Qt::DisplayRole).toString(), QStringLiteral("Runs: 3, OK: 3"));

    // A new batch starts from empty results.
    f->runner()->runTests({f->handle(0)}, 1);
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 7, 30000);
    QVERIFY(f->runner()->statisticsText().startsWith(QStringLiteral("A:\n    run count - 1\n")));
    QCOMPARE(f->runner()->resultsText().count(QLatin1Char('\n')), 1);
    f->runner()->clearResults();
    QCOMPARE(f->runner()->statisticsText() + f->runner()->resultsText() + f->runner()->logText(), QString());
}

void tst_cTestRunner::cancel_data()
{
    QTest::addColumn<int>("how");
    QTest::addColumn<QString>("result");
    QTest::newRow("cancelTest, script returns true") << 0 << "true";
    QTest::newRow("cancelCurrentTest, script returns false") << 1 << "false";
    QTest::newRow("cancelAllTests, script returns nothing") << 2 << "";
}

void tst_cTestRunner::cancel()
{
    QFETCH(int, how);
    QFETCH(QString, result);
    f->writeTests({{QStringLiteral("A"), kWaitForCancel + result},
                   {QStringLiteral("B"), QStringLiteral("return true")},
                   {QStringLiteral("C"), QStringLiteral("return true")}},
                  QStringLiteral("function is_restart_allowed() return true end\n"));
    QCOMPARE(f->start(), 0);
    f->fillModel();
    QSignalSpy finished(f->relay(), &cRunnerRelay::testFinished);
    QSignalSpy canceled(f->relay(), &cRunnerRelay::testsCanceled);
    QVERIFY(finished.isValid() && canceled.isValid());
    // A caller waiting for a cancel to be confirmed gets it even with nothing running.
    f->runner()->cancelCurrentTest();
    QTRY_COMPARE_WITH_TIMEOUT(canceled.count(), 1, 30000);
    f->cancel(0);  // neither running nor queued
    QCOMPARE(f->state(0), int(StateNone));

    for (int row = 0; row < 3; ++row)
        f->queue(row);
    QVERIFY(f->waitLogged(QStringLiteral("waiting")));
    QVERIFY(f->runner()->isBusy());
    if (how == 0) {
        // Calls into the busy script state give up after a bounded wait instead of hanging.
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(f->runner()->enumerateTests(), QStringList());
        QVERIFY(!f->runner()->isRestartAllowed(QStringLiteral("x")));
        QVERIFY2(timer.elapsed() >= 1500 && timer.elapsed() < 10000, qPrintable(QString::number(timer.elapsed())));
    }
    QTRY_COMPARE(f->state(1), int(StateQueued));
    f->cancel(1);
    QTRY_COMPARE(f->state(1), int(StateNone));
    if (how == 0)
        f->cancel(0);
    else if (how == 1)
        f->runner()->cancelCurrentTest();
    else
        f->runner()->cancelAllTests();
    QTRY_COMPARE(f->state(0), int(StateCanceled));
    QTRY_COMPARE_WITH_TIMEOUT(canceled.count(), 2, 30000);
    // Only cancelling all takes the queue along.
    QTRY_COMPARE_WITH_TIMEOUT(f->state(2), int(how == 2 ? StateCanceled : StateOk), 30000);
    QTRY_VERIFY(!f->runner()->isBusy());
    QCOMPARE(finished.count(), how == 2 ? 1 : 2);
    QVERIFY(!f->logged(QStringLiteral("Starting test 'B'")));
    QCOMPARE(f->state(1), int(StateNone));
    // A canceled test leaves no result behind.
    QVERIFY(!f->runner()->statisticsText().contains(QLatin1String("A:")));
    QVERIFY(!f->runner()->resultsText().contains(QLatin1String("A, ")));
    // The runner still takes tests after a cancel.
    QCOMPARE(f->runner()->enumerateTests(), QStringList({"A", "B", "C"}));
    QSignalSpy again(f->relay(), &cRunnerRelay::testFinished);
    QVERIFY(again.isValid());
    f->queue(1);
    QVERIFY(again.wait(60000));
    QTRY_COMPARE(f->state(1), int(StateOk));
}

void tst_cTestRunner::removedRowSkipped()
{
    f->writeTests({{QStringLiteral("A"), kWaitForCancel + QStringLiteral("true")},
                   {QStringLiteral("B"), QStringLiteral("return true")},
                   {QStringLiteral("C"), QStringLiteral("return true")}});
    QCOMPARE(f->start(), 0);
    f->fillModel();
    QSignalSpy finished(f->relay(), &cRunnerRelay::testFinished);
    QVERIFY(finished.isValid());
    for (int row = 0; row < 3; ++row)
        f->queue(row);
    QVERIFY(f->waitLogged(QStringLiteral("waiting")));
    f->model()->removeRow(1);
    f->runner()->cancelCurrentTest();
    QVERIFY(f->waitLogged(QStringLiteral("Invalid test skipped")));
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 2, 30000);
    QTRY_COMPARE(f->state(1), int(StateOk));  // C, moved up
    QVERIFY(!f->logged(QStringLiteral("Starting test 'B'")));
}

void tst_cTestRunner::restartAllowed_data()
{
    QTest::addColumn<QString>("function");
    QTest::addColumn<bool>("allowed");
    QTest::addColumn<QString>("message");
    QTest::newRow("allowed for the argument") << "function is_restart_allowed(a) return a == 'reboot' end" << true << "";
    QTest::newRow("not boolean") << "function is_restart_allowed() return 1 end" << false
                                 << "Function is_restart_allowed should return boolean";
    QTest::newRow("raises") << "function is_restart_allowed() error('x') end" << false << "Failed to call is_restart_allowed";
    QTest::newRow("missing") << "" << false << "Failed to call is_restart_allowed";
}

void tst_cTestRunner::restartAllowed()
{
    QFETCH(QString, function);
    QFETCH(bool, allowed);
    QFETCH(QString, message);
    QVERIFY(!cTestRunner(nullptr, false).isRestartAllowed(QStringLiteral("reboot")));  // no environment yet
    f->writeTests({}, function);
    QCOMPARE(f->start(), 0);
    QCOMPARE(f->runner()->isRestartAllowed(QStringLiteral("reboot")), allowed);
    QVERIFY(!f->runner()->isRestartAllowed(QStringLiteral("other")));
    QVERIFY2(message.isEmpty() || f->logged(message, 3), qPrintable(message));
}

void tst_cTestRunner::askUser_data()
{
    QTest::addColumn<QVariantList>("reply");
    QTest::addColumn<bool>("cancel");
    QTest::addColumn<QString>("details");
    QTest::addColumn<int>("status");
    QTest::newRow("answered") << QVariantList{QStringLiteral("123"), QStringLiteral("b")} << false << "123,b" << int(StateOk);
    QTest::newRow("empty reply is a cancel") << QVariantList() << false << "nil" << int(StateOk);
    QTest::newRow("operator cancels the test") << QVariantList() << true << "nil" << int(StateCanceled);
}

void tst_cTestRunner::askUser()
{
    QFETCH(QVariantList, reply);
    QFETCH(bool, cancel);
    QFETCH(QString, details);
    QFETCH(int, status);
    f->writeTests({{QStringLiteral("Ask"), QStringLiteral("local r = zt.ask_user('Serial number?', { 'SN', 'Batch' })\n"
                                                          "zt.update_status_text(r == nil and 'nil' or table.concat(r, ','))\n"
                                                          "return true")}});
    QCOMPARE(f->start(), 0);
    f->fillModel();
    QSignalSpy asked(f->relay(), &cRunnerRelay::askUser);
    QSignalSpy finished(f->relay(), &cRunnerRelay::testFinished);
    QVERIFY(asked.isValid() && finished.isValid());
    // A reply that nobody asked for is not taken as the answer.
    f->runner()->userReply({QStringLiteral("stale")});
    f->queue(0);
    QVERIFY(asked.wait(30000));
    QCOMPARE(asked.first(), QVariantList({"Ask", "Serial number?", QStringList({"SN", "Batch"})}));
    if (cancel)
        f->runner()->cancelCurrentTest();
    else
        f->runner()->userReply(reply);
    QVERIFY(finished.wait(30000));
    QTRY_COMPARE(f->state(0), status);
    QCOMPARE(f->details(0), details);
}

void tst_cTestRunner::destructionEndsScripts_data()
{
    QTest::addColumn<QString>("body");
    QTest::addColumn<bool>("setUp");  // in a set-up script, else in a test
    QTest::newRow("endless loop") << "zt.log('waiting') while true do end" << false;
    QTest::newRow("sleeping in a loop that catches errors")
        << "zt.log('waiting') while true do pcall(zt.sleep, 100000) end" << false;
    QTest::newRow("waiting for the operator") << "zt.log('waiting') zt.ask_user('q', { 'a' }) return true" << false;
    QTest::newRow("sleeping during set-up") << "zt.log('waiting') zt.sleep(60000)" << true;
}

void tst_cTestRunner::destructionEndsScripts()
{
    QFETCH(QString, body);
    QFETCH(bool, setUp);
    if (setUp) {
        f->writeScript(QStringLiteral("scripts/general"), QStringLiteral("slow.lua"), body.toLatin1());
        f->makeRunner(false)->init(cRunnerFixture::defaultDevice(), 1);
    } else {
        f->writeTests({{QStringLiteral("Stuck"), body}});
        QCOMPARE(f->start(), 0);
        f->fillModel();
        f->queue(0);
    }
    QVERIFY(f->waitLogged(QStringLiteral("waiting")));
    QTest::qWait(50);
    // Well inside the bound the destructor gives the thread before it terminates it.
    QElapsedTimer timer;
    timer.start();
    f->destroyRunner();
    QVERIFY2(timer.elapsed() < 2500, qPrintable(QString::number(timer.elapsed())));
    QVERIFY(!f->logged(QStringLiteral("Test runner thread did not stop within 3000 ms: terminating it")));
}

namespace {

// Marks every text it translates with its context.
class cMarkingTranslator : public QTranslator
{
public:
    QString translate(const char *context, const char *source, const char *, int) const override
    {
        return QStringLiteral("<%1>%2").arg(QLatin1String(context), QString::fromUtf8(source));
    }
    bool isEmpty() const override { return false; }
};

} // namespace

// Saved logs and reports read the same in every language; the errors of the zt functions
// are for the operator and are translated.
void tst_cTestRunner::onlyMarkedTextsTranslated()
{
    cMarkingTranslator translator;
    QVERIFY(QCoreApplication::installTranslator(&translator));
    const bool ran = f->runOne(QStringLiteral("local ok, e = pcall(zt.serial_open) zt.set_status_warn(e) return true"));
    QCoreApplication::removeTranslator(&translator);
    QVERIFY(ran);
    QTRY_COMPARE(f->state(0), int(StateWarning));
    const QString frame = QStringLiteral("<cZtApi>[serial_open] incorrect argument: "
                                         "<cZtApi>invalid argument count (expected to be 1)");
    QCOMPARE(f->details(0), frame);
    QVERIFY(f->logged(QStringLiteral("Starting test 'T'"), 1));
    QVERIFY(f->logged(QStringLiteral("Test 'T' finished with status: WARNING, description: ") + frame, 1));
}

QTEST_GUILESS_MAIN(tst_cTestRunner)
#include "tst_ctestrunner.moc"

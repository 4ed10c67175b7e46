#include "crunnerfixture.h"
#include "testmodelfixture.h"

#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>

#include <limits>
#include <memory>

using namespace testmodel;

namespace {

const QString kWaitForCancel = QStringLiteral("zt.log('waiting')\n"
                                              "while not zt.was_canceled() do zt.sleep(5) end\nreturn true");

QString statusName(int status)
{
    return QStringList{"?", "OK", "ERROR", "WARNING"}.value(status, QStringLiteral("?"));
}

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
    void apiCalls_data();
    void apiCalls();
    void scriptOutput_data();
    void scriptOutput();
    void unitDescriptionReachesScripts();
    void setUpFunctions_data();
    void setUpFunctions();
    void scriptOrder();
    void firstFailingScriptEndsSetUp_data();
    void firstFailingScriptEndsSetUp();
    void stopDuringSetUp();
    void repeatsAndStatistics();
    void cancel_data();
    void cancel();
    void invalidTestSkipped();
    void restartAllowed_data();
    void restartAllowed();
    void askUser_data();
    void askUser();
    void callerWaitsBoundedWhileScriptRuns();
    void destructionEndsScripts_data();
    void destructionEndsScripts();
    void closePortAndRestartKeepEnvironment();
    void trustSetting();

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
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("details");
    QTest::addColumn<QStringList>("messages");
    QTest::newRow("OK after warning stays warning")
        << "zt.set_status_warn('w') zt.set_status_ok('o') return true" << 3 << "o" << QStringList();
    QTest::newRow("error always wins")
        << "zt.set_status_err('e') zt.set_status_ok('o') zt.set_status_warn('w') return true" << 2 << "w"
        << QStringList();
    QTest::newRow("OK text, then false") << "zt.set_status_ok('fine') return false" << 2 << "fine"
                                         << QStringList{"Error executing test 'T'"};
    QTest::newRow("nothing is an error") << "return" << 2 << ""
        << QStringList{"[zt_exec_test]: result is not a boolean type", "Error executing test 'T'"};
    QTest::newRow("raised error") << "error('boom', 0)" << 2 << ""
                                  << QStringList{"Cannot start test 'T' (LUA_ERRRUN: run error)", "boom"};
}

void tst_cTestRunner::statusOfATest()
{
    QFETCH(QString, body);
    QFETCH(int, status);
    QFETCH(QString, details);
    QFETCH(QStringList, messages);
    QVERIFY(f->runOne(body));
    QTRY_COMPARE(f->state(0), status);
    QCOMPARE(f->details(0), details);
    // Only a status the script set counts as an error seen; a failed run does not.
    QCOMPARE(f->runner()->hasErrors(), body.contains(QLatin1String("set_status_err")));
    for (const QString &message : messages)
        QVERIFY2(f->logged(message), qPrintable(message));
    if (!messages.isEmpty() && messages.first().startsWith(QLatin1String("Cannot start")))
        QVERIFY(f->logged(messages.first(), 3, QStringLiteral("T"), QStringLiteral("TEST")));

    const QString tail = details.isEmpty() ? QString() : QStringLiteral(", ") + details;
    const QString report = QStringLiteral("Test 'T' finished with status: ") + statusName(status)
                           + (details.isEmpty() ? QString() : QStringLiteral(", description: ") + details);
    QVERIFY2(f->logged(report, 1, QStringLiteral("T"), QStringLiteral("TEST")), qPrintable(report));
    const QString line = f->runner()->resultsText();
    QVERIFY2(line.startsWith(QStringLiteral("T, ")) && line.endsWith(statusName(status) + tail + QLatin1Char('\n')),
             qPrintable(line));
    QTRY_VERIFY(cellData(f->model(), 0, TimeColumn, EndTimeRole).toDateTime().isValid());
    QCOMPARE(cellData(f->model(), 0, StatisticsColumn, Qt::DisplayRole).toString(),
             QStringLiteral("Runs: 1, OK: %1").arg(status == 1 ? 1 : 0));
}

void tst_cTestRunner::apiCalls_data()
{
    QTest::addColumn<QString>("call");
    QTest::addColumn<QString>("result");  // the error raised, or what the call returned
    QTest::newRow("progress with text") << "zt.progress('x')" << "[progress] incorrect argument";
    QTest::newRow("serial_close with text") << "zt.serial_close('h')"
        << "[serial_close] incorrect argument: invalid handle (expected to be userdata, got string)";
    QTest::newRow("flush with full userdata") << "zt.serial_flush(io.stdout)"
        << "[serial_flush] incorrect argument: invalid handle (expected to be userdata, got userdata)";
    QTest::newRow("gpio state number") << "zt.gpio_set_state(call_ctx, 'OUT1', 1)"
        << "[gpio_set_state] incorrect argument: invalid state (expected to be boolean, got number)";
    // call_ctx is a light userdata that no port knows: every port call fails without harm.
    QTest::newRow("serial_read fails") << "zt.serial_read(call_ctx, 16, 10)" << "false 0 ''";
    QTest::newRow("huge read is bounded") << "zt.serial_read(call_ctx, 1e12, 1)" << "false 0 ''";
}

void tst_cTestRunner::apiCalls()
{
    QFETCH(QString, call);
    QFETCH(QString, result);
    QVERIFY(f->runOne(QStringLiteral("local function show(ok, ...) if not ok then return (...) end local t = {}\n"
                                     "  for i = 1, select('#', ...) do local v = select(i, ...)\n"
                                     "    t[i] = type(v) == 'string' and ('\\'' .. v .. '\\'') or tostring(v) end\n"
                                     "  return table.concat(t, ' ') end\n"
                                     "zt.update_status_text(show(pcall(function() return %1 end)))\n"
                                     "return true").arg(call)));
    QTRY_COMPARE(f->details(0), result);
}

void tst_cTestRunner::scriptOutput_data()
{
    QTest::addColumn<QString>("body");
    QTest::addColumn<QString>("text");  // null: nothing logged
    QTest::addColumn<int>("level");
    QTest::addColumn<QString>("tag");
    QTest::addColumn<int>("progress");  // -1: never set
    QTest::newRow("print skips what is no text") << "print('x', nil, {}, 2.5)" << "x  2.5" << 0 << "TRACE  " << -1;
    QTest::newRow("log_err") << "zt.log_err('e')" << "e" << 3 << "ERROR  " << -1;
    QTest::newRow("latin-1 bytes") << "zt.log('Pr\\252fung')" << QString::fromLatin1("Pr\xfc" "fung") << 0
                                   << "TRACE  " << -1;
    QTest::newRow("progress: beyond int") << "zt.progress(1e12)" << QString() << -1 << QString()
                                          << std::numeric_limits<int>::max();
    QTest::newRow("progress: not a number") << "zt.progress(0/0)" << QString() << -1 << QString() << 0;
}

void tst_cTestRunner::scriptOutput()
{
    QFETCH(QString, body);
    QFETCH(QString, text);
    QFETCH(int, level);
    QFETCH(QString, tag);
    QFETCH(int, progress);
    QVERIFY(f->runOne(body + QStringLiteral("\nreturn true")));
    QTRY_COMPARE(f->state(0), 1);
    QCOMPARE(cellData(f->model(), 0, StatusColumn, ProgressRole).toInt(), progress);
    const QStringList lines = f->runner()->logText().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    const QRegularExpression stamp(QStringLiteral("^\\d\\d-\\d\\d-\\d{4} \\d\\d:\\d\\d-\\d\\d  "));
    for (const QString &line : lines)
        QVERIFY2(stamp.match(line).hasMatch(), qPrintable(line));
    QVERIFY(lines.first().endsWith(QStringLiteral("  NOTIFY   Starting test 'T'")));
    QVERIFY(lines.last().endsWith(QStringLiteral("  NOTIFY   Test 'T' finished with status: OK")));
    QCOMPARE(cellData(f->model(), 0, InfoColumn, OutputRole).toBool(), !text.isNull());
    if (text.isNull()) {
        QCOMPARE(lines.size(), 2);
        return;
    }
    QCOMPARE(lines.size(), 3);
    QVERIFY2(lines.at(1).endsWith(QStringLiteral("  ") + tag + QStringLiteral("  ") + text), qPrintable(lines.at(1)));
    QVERIFY(f->logged(text, level, QStringLiteral("T"), QStringLiteral("TEST")));
}

void tst_cTestRunner::unitDescriptionReachesScripts()
{
    sIODevice device = cRunnerFixture::defaultDevice();
    device.name = QStringLiteral("Bob's \"unit\" \\ 2\n");
    device.id = QStringLiteral("]] os.exit() --[[");
    device.devices = {sIOSubDevice{nullptr, QStringLiteral("serial"), QStringLiteral("serial"), QStringLiteral("/dev/ttyX'"), {}},
                      sIOSubDevice{nullptr, QStringLiteral("gpio 0"), QStringLiteral("gpio"), QStringLiteral("chip"),
                                   {QStringLiteral("IN1"), QStringLiteral("OUT'1")}}};
    f->writeScript(QStringLiteral("scripts/general"), QStringLiteral("handles.lua"),
                   "handles = {}\n"
                   "function set_device_handle(name, h) handles[#handles + 1] = name .. ':' .. type(h) return true end\n");
    f->writeTests({}, QStringLiteral("function zt_enumerate_tests()\n"
                                     "  local d = zt_io_device\n"
                                     "  return { d.name, d.id, d.devices.serial.id, d.devices['gpio 0'].gpio[2],\n"
                                     "           handles[1], handles[2], tostring(zt_already_in_cli_mode) }\n"
                                     "end\n"));
    QCOMPARE(f->start(device), 0);
    QCOMPARE(f->runner()->enumerateTests(),
             QStringList({device.name, device.id, "/dev/ttyX'", "OUT'1", "serial:userdata", "gpio 0:userdata", "nil"}));
}

void tst_cTestRunner::setUpFunctions_data()
{
    QTest::addColumn<QString>("handles");    // scripts/test/handles.lua
    QTest::addColumn<QString>("functions");  // beside the tests
    QTest::addColumn<int>("initCode");
    QTest::addColumn<int>("deinitCode");  // -1: not torn down
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QStringList>("tests");  // listed after the set-up
    const QString yes = QStringLiteral("function set_device_handle() return true end");
    const QStringList none;
    const QStringList t{QStringLiteral("T")};
    QTest::newRow("handle refused for one") << "function set_device_handle(n) return n ~= 'gpio' end" << "" << 2 << -1
        << QStringList{"can't set handle for device 'Unit U - gpio'"} << none;
    QTest::newRow("handle function missing") << "" << "" << 2 << -1
        << QStringList{"can't execute function to set handle for device 'Unit U - serial': code = 2"} << none;
    QTest::newRow("handle not boolean") << "function set_device_handle() return 'yes' end" << "" << 0 << 0
        << QStringList{"[set_device_handle]: result is not a boolean type"} << t;
    QTest::newRow("handle nil fails") << "function set_device_handle() end" << "" << 2 << -1
        << QStringList{"[set_device_handle]: result is not a boolean type", "can't set handle for device 'Unit U - serial'"} << none;
    QTest::newRow("both true") << yes << "function init_test_env() return true end function deinit_test_env() return true end"
        << 0 << 0 << QStringList{"Function 'init_test_env' was successfuly called for device 'Unit U'",
                                 "Function 'deinit_test_env' was successfuly called for device 'Unit U'"} << t;
    QTest::newRow("init false") << yes << "function init_test_env() return false end" << 2 << -1
        << QStringList{"Failed to init test environment for device 'Unit U'", "init result = 0"} << none;
    QTest::newRow("init not a function") << yes << "init_test_env = 5" << 0 << 0
        << QStringList{"Found code 'init_test_env' for device 'Unit U', but it seems to be not a function"} << t;
    QTest::newRow("deinit raises") << yes << "function deinit_test_env() error('stuck', 0) end" << 0 << 2
        << QStringList{"Failed to execute function 'deinit_test_env' for device 'Unit U': code = 2", "stuck",
                       "Failed to deinit test environment for device 'Unit U'"} << t;
}

void tst_cTestRunner::setUpFunctions()
{
    QFETCH(QString, handles);
    QFETCH(QString, functions);
    QFETCH(int, initCode);
    QFETCH(int, deinitCode);
    QFETCH(QStringList, messages);
    QFETCH(QStringList, tests);
    sIODevice device = cRunnerFixture::defaultDevice();
    for (const QString &name : {QStringLiteral("serial"), QStringLiteral("gpio")})
        device.devices.append(sIOSubDevice{nullptr, name, name, QString(), {}});
    f->writeScript(QStringLiteral("scripts/test"), QStringLiteral("handles.lua"), handles.toLatin1() + "\n");
    f->writeTests({{QStringLiteral("T"), QStringLiteral("return true")}}, functions);
    QCOMPARE(f->start(device), initCode);
    QCOMPARE(f->runner()->enumerateTests(), tests);
    if (deinitCode >= 0) {
        QSignalSpy deinit(f->relay(), &cRunnerRelay::deinitFinished);
        f->runner()->deinit();
        QVERIFY(deinit.wait(30000));
        QCOMPARE(deinit.first().first().toInt(), deinitCode);
        // Torn down whatever the script said.
        QVERIFY(f->runner()->enumerateTests().isEmpty());
        QVERIFY(!f->runner()->isBusy());
    }
    for (const QString &message : messages)
        QVERIFY2(f->logged(message), qPrintable(message));
    QCOMPARE(f->start(device), initCode);
}

void tst_cTestRunner::scriptOrder()
{
    const QByteArray append = "order = order or {}\norder[#order + 1] = ";
    f->writeScript(QStringLiteral("scripts/general"), QStringLiteral("b.lua"), append + "'general/b'\n");
    f->writeScript(QStringLiteral("scripts/general"), QStringLiteral("a.lua"), append + "'general/a'\n");
    f->writeScript(QStringLiteral("scripts/general"), QStringLiteral("notes.txt"), "error('not a script')\n");
    f->writeScript(QStringLiteral("scripts/test"), QStringLiteral("a.lua"), append + "'test/a'\n");
    QDir(f->root()).mkpath(QStringLiteral("scripts/general/sub.lua"));  // a folder, not a file
    f->writeScript(QStringLiteral("tests"), QStringLiteral("z.lua"), append + "'tests/z'\n");
    f->writeScript(QStringLiteral("tests"), QStringLiteral("y.lua"),
                   append + "'tests/y'\nfunction zt_enumerate_tests() return order end\n");
    QCOMPARE(f->start(), 0);
    QCOMPARE(f->runner()->enumerateTests(), QStringList({"general/a", "general/b", "test/a", "tests/y", "tests/z"}));
}

void tst_cTestRunner::firstFailingScriptEndsSetUp_data()
{
    QTest::addColumn<QByteArray>("failing");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("luaMessage");
    QTest::newRow("run error") << QByteArray("error('broken script')") << "can't execute script (%1)" << "broken script";
    QTest::newRow("empty") << QByteArray() << "script is empty (%1)" << QString();
}

void tst_cTestRunner::firstFailingScriptEndsSetUp()
{
    QFETCH(QByteArray, failing);
    QFETCH(QString, message);
    QFETCH(QString, luaMessage);
    const QString marker = f->path(QStringLiteral("tests"), QStringLiteral("c-ran"));
    f->writeScript(QStringLiteral("scripts/general"), QStringLiteral("a.lua"), "a = 1\n");
    f->writeScript(QStringLiteral("scripts/general"), QStringLiteral("b.lua"), failing);
    f->writeScript(QStringLiteral("scripts/general"), QStringLiteral("c.lua"),
                   "io.open(" + cRunnerFixture::luaString(marker).toLatin1() + ", 'w'):close()\n");
    f->writeTests({{QStringLiteral("T"), QStringLiteral("return true")}});
    QCOMPARE(f->start(), 2);
    const QString expected = QStringLiteral("TestRunner: error initializing LUA - ")
                             + message.arg(f->path(QStringLiteral("scripts/general"), QStringLiteral("b.lua")));
    QVERIFY2(f->logged(expected, 3), qPrintable(expected));
    if (!luaMessage.isEmpty()) {
        const QList<sLogged> lua = f->logsWith(luaMessage);
        QVERIFY(std::any_of(lua.cbegin(), lua.cend(), [](const sLogged &m) { return m.level == 3; }));
    }
    QVERIFY(!QFile::exists(marker));
    QVERIFY(f->logged(QStringLiteral("init result = 0")));
    QVERIFY(f->runner()->enumerateTests().isEmpty());
    // The runner is idle again and a fixed script folder initialises.
    f->writeScript(QStringLiteral("scripts/general"), QStringLiteral("b.lua"), "b = 2\n");
    QCOMPARE(f->start(), 0);
    QVERIFY(QFile::exists(marker));
}

void tst_cTestRunner::stopDuringSetUp()
{
    f->writeScript(QStringLiteral("scripts/general"), QStringLiteral("wait.lua"),
                   "zt.log('setting up')\nwhile not zt.was_canceled() do zt.sleep(5) end\n");
    f->writeTests({{QStringLiteral("T"), QStringLiteral("return true")}});
    f->makeRunner(false);
    QSignalSpy spy(f->relay(), &cRunnerRelay::initFinished);
    f->runner()->init(cRunnerFixture::defaultDevice(), 1);
    QVERIFY(f->waitLogged(QStringLiteral("setting up")));
    f->runner()->stopInitOrDeinitProcess();
    QTRY_COMPARE_WITH_TIMEOUT(spy.count(), 1, 30000);
    // The set-up itself succeeded, but the stop request wins.
    QCOMPARE(spy.first().first().toInt(), 3);
    QVERIFY(f->logged(QStringLiteral("Stop init or deinit process requested")));
    QVERIFY(f->runner()->enumerateTests().isEmpty());
}

void tst_cTestRunner::repeatsAndStatistics()
{
    f->writeTests({{QStringLiteral("A"), QStringLiteral("return true")},
                   {QStringLiteral("B"), QStringLiteral("zt.set_status_err('bad') return false")}});
    QCOMPARE(f->start(), 0);
    f->fillModel();
    QSignalSpy finished(f->relay(), &cRunnerRelay::testFinished);
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
    QVERIFY(f->runner()->hasErrors());
    QVERIFY(!f->runner()->isBusy());

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
    f->writeTests({{QStringLiteral("A"), QStringLiteral("zt.log('waiting')\n"
                                                        "while not zt.was_canceled() do zt.sleep(5) end\nreturn ")
                                             + result},
                   {QStringLiteral("B"), QStringLiteral("return true")},
                   {QStringLiteral("C"), QStringLiteral("return true")}});
    QCOMPARE(f->start(), 0);
    f->fillModel();
    QSignalSpy finished(f->relay(), &cRunnerRelay::testFinished);
    QSignalSpy canceled(f->relay(), &cRunnerRelay::testsCanceled);
    // A caller waiting for a cancel to be confirmed gets it even with nothing running.
    f->runner()->cancelCurrentTest();
    QTRY_COMPARE_WITH_TIMEOUT(canceled.count(), 1, 30000);
    f->cancel(0);  // neither running nor queued
    QCOMPARE(f->state(0), 0);

    for (int row = 0; row < 3; ++row)
        f->queue(row);
    QVERIFY(f->waitLogged(QStringLiteral("waiting")));
    QVERIFY(f->runner()->isBusy());
    QTRY_COMPARE(f->state(1), 4);
    f->cancel(1);
    QTRY_COMPARE(f->state(1), 0);
    QVERIFY(f->logged(QStringLiteral("Cancel was requested for test B")));
    if (how == 0)
        f->cancel(0);
    else if (how == 1)
        f->runner()->cancelCurrentTest();
    else
        f->runner()->cancelAllTests();
    QVERIFY(f->waitLogged(QStringLiteral("Cancel was requested for test A")));
    QTRY_COMPARE(f->state(0), 7);
    QTRY_COMPARE_WITH_TIMEOUT(canceled.count(), 2, 30000);
    // Only cancelling all takes the queue along.
    QTRY_COMPARE_WITH_TIMEOUT(f->state(2), how == 2 ? 7 : 1, 30000);
    QTRY_VERIFY(!f->runner()->isBusy());
    QCOMPARE(finished.count(), how == 2 ? 1 : 2);
    QCOMPARE(f->logged(QStringLiteral("Starting test 'C'")), how != 2);
    QVERIFY(!f->logged(QStringLiteral("Starting test 'B'")));
    QCOMPARE(f->state(1), 0);
    // A canceled test leaves no result behind.
    QVERIFY(!f->runner()->statisticsText().contains(QLatin1String("A:")));
    QVERIFY(!f->runner()->resultsText().contains(QLatin1String("A, ")));
    QVERIFY(!f->logged(QStringLiteral("Test 'A' finished with status: CANCELED")));
    // The runner still takes tests after a cancel.
    QVERIFY(f->run(1));
    QTRY_COMPARE(f->state(1), 1);
}

void tst_cTestRunner::invalidTestSkipped()
{
    // Quotes and brackets in a name must reach the script and the results as they are.
    const QString name = QStringLiteral("it's \"quoted\" \\ [[x]]");
    f->writeTests({{QStringLiteral("A"), kWaitForCancel},
                   {name, QStringLiteral("zt.set_status_ok(%1) return true").arg(cRunnerFixture::luaString(name))},
                   {QStringLiteral("B"), QStringLiteral("return true")}});
    QCOMPARE(f->start(), 0);
    QCOMPARE(f->fillModel(), QStringList({"A", name, "B"}));
    QSignalSpy finished(f->relay(), &cRunnerRelay::testFinished);
    f->queue(0);
    f->queue(2);
    f->queue(1);
    QVERIFY(f->waitLogged(QStringLiteral("waiting")));
    f->model()->removeRow(2);
    f->runner()->cancelCurrentTest();
    QVERIFY(f->waitLogged(QStringLiteral("Invalid test skipped")));
    QVERIFY(f->logged(QStringLiteral("Invalid test skipped"), 2));
    QVERIFY(!f->logged(QStringLiteral("Starting test 'B'")));
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 2, 30000);
    QTRY_COMPARE(f->state(1), 1);
    QCOMPARE(f->details(1), name);
    QVERIFY(f->logged(QStringLiteral("Starting test '%1'").arg(name), 1));
    QVERIFY(f->runner()->statisticsText().startsWith(name + QStringLiteral(":\n")));
}

void tst_cTestRunner::restartAllowed_data()
{
    QTest::addColumn<QString>("function");
    QTest::addColumn<QString>("arg");
    QTest::addColumn<bool>("allowed");
    QTest::addColumn<QStringList>("messages");
    const QString byArg = QStringLiteral("function is_restart_allowed(a) return a == 'reboot' end");
    QTest::newRow("allowed for the argument") << byArg << "reboot" << true << QStringList();
    QTest::newRow("refused") << byArg << "other" << false << QStringList();
    QTest::newRow("not boolean") << "function is_restart_allowed() return 1 end" << "x" << false
                                 << QStringList{"Function is_restart_allowed should return boolean"};
    QTest::newRow("missing") << "" << "x" << false << QStringList{"Failed to call is_restart_allowed"};
}

void tst_cTestRunner::restartAllowed()
{
    QFETCH(QString, function);
    QFETCH(QString, arg);
    QFETCH(bool, allowed);
    QFETCH(QStringList, messages);
    QVERIFY(!cTestRunner(nullptr, false).isRestartAllowed(arg));  // no environment yet
    f->writeTests({}, function);
    QCOMPARE(f->start(), 0);
    QCOMPARE(f->runner()->isRestartAllowed(arg), allowed);
    for (const QString &message : messages)
        QVERIFY2(f->logged(message, 3), qPrintable(message));
}

void tst_cTestRunner::askUser_data()
{
    QTest::addColumn<QVariantList>("reply");
    QTest::addColumn<bool>("cancel");
    QTest::addColumn<QString>("details");
    QTest::addColumn<int>("status");
    QTest::newRow("answered") << QVariantList{QStringLiteral("123"), QStringLiteral("b")} << false << "123,b" << 1;
    QTest::newRow("empty reply is a cancel") << QVariantList() << false << "nil" << 1;
    QTest::newRow("operator cancels the test") << QVariantList() << true << "nil" << 7;
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

void tst_cTestRunner::callerWaitsBoundedWhileScriptRuns()
{
    f->writeTests({{QStringLiteral("A"), kWaitForCancel}}, QStringLiteral("function is_restart_allowed() return true end\n"));
    QCOMPARE(f->start(), 0);
    f->fillModel();
    f->queue(0);
    QVERIFY(f->waitLogged(QStringLiteral("waiting")));
    QElapsedTimer timer;
    timer.start();
    QCOMPARE(f->runner()->enumerateTests(), QStringList());
    QVERIFY(!f->runner()->isRestartAllowed(QStringLiteral("x")));
    const qint64 elapsed = timer.elapsed();
    QVERIFY2(elapsed >= 1500 && elapsed < 10000, qPrintable(QString::number(elapsed)));
    QVERIFY(f->logged(QStringLiteral("Tests not listed: the test runner is busy in a script"), 2));
    f->runner()->cancelCurrentTest();
    QTRY_COMPARE(f->state(0), 7);
    QCOMPARE(f->runner()->enumerateTests(), QStringList{"A"});
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

void tst_cTestRunner::closePortAndRestartKeepEnvironment()
{
    f->writeTests({{QStringLiteral("A"), QStringLiteral("return true")}});
    QCOMPARE(f->start(), 0);
    f->runner()->closePort(false);
    QVERIFY(f->waitLogged(QStringLiteral("Close port branch")));
    QVERIFY(!f->logged(QStringLiteral("Trying to reboot device 'Unit U'")));
    QCOMPARE(f->runner()->enumerateTests(), QStringList{"A"});

    const int started = f->count(QStringLiteral("test thread started"));
    f->runner()->restartThread();
    QVERIFY(f->logged(QStringLiteral("Thread restart request"), 0));
    QTRY_VERIFY_WITH_TIMEOUT(f->count(QStringLiteral("test thread started")) > started, 30000);
    QVERIFY(f->runner()->isRunning());
    QCOMPARE(f->start(), 0);
    f->fillModel();
    QVERIFY(f->run(0));
}

// Code from the unit stays sandboxed unless the operator's settings say otherwise.
void tst_cTestRunner::trustSetting()
{
    const QString key = QStringLiteral("TestRunner/TrustUnitPackages");
    cTestRunner runner(nullptr, false);
    QSettings settings;
    settings.remove(key);
    QVERIFY(!runner.trustUnitPackages());
    settings.setValue(key, true);
    QVERIFY(runner.trustUnitPackages());
    runner.setTrustUnitPackages(false);
    QVERIFY(!runner.trustUnitPackages());
    settings.remove(key);
}

QTEST_GUILESS_MAIN(tst_cTestRunner)
#include "tst_ctestrunner.moc"

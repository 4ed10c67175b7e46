#include "crunnerfixture.h"
#include "testmodelfixture.h"

#include "sim/csimulatedunit.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <memory>

namespace {

const QString kTrustKey = QStringLiteral("TestRunner/TrustUnitPackages");

// Keeps the handles that the runner gives for the sub-devices.
const QByteArray kHandles = "handles = {}\nfunction set_device_handle(name, h) handles[name] = h return true end\n";

const QByteArray kHardwareTests = R"lua(
function zt_enumerate_tests() return { 'gpio', 'i2c' } end
local function all(...)
  local parts = {}
  for i = 1, select('#', ...) do parts[i] = tostring((select(i, ...))) end
  return table.concat(parts, ' ')
end
function zt_exec_test(name)
  local g, i = handles.gpio, handles.i2c
  if name == 'gpio' then
    local ok1 = zt.gpio.set(g, 'OUT2', true)
    local ok2, v = zt.gpio.get(g, 'IN2')
    local ok3 = zt.gpio_set_state(g, 'OUT2', false)
    local ok4, v2 = zt.gpio_get_state(g, 'IN2')
    zt.update_status_text(all(ok1, ok2, v, ok3, ok4, v2, zt.gpio.get(g, 'NO_SUCH_LINE'), zt.serial_is_open(handles.serial)))
  else
    local okw, nw = zt.i2c.write(i, 0x50, '\16hello')
    zt.i2c.write(i, 0x50, '\16')
    local okr, nr, data = zt.i2c.read(i, 0x50, 5)
    local okn, nn, none = zt.i2c.read(i, 0x33, 1)
    zt.update_status_text(all(okw, nw, okr, nr, data, okn, none))
  end
  return true
end
)lua";

// A package that tries what unit code may not do, beside a test that does not try.
const QByteArray kHostilePackage = R"lua(
local probe_ok, probe = pcall(function() return io.open('/etc/passwd') end)
function zt_enumerate_tests() return { 'Plain', 'Spawns', 'Probe' } end
function zt_exec_test(name)
  if name == 'Plain' then zt.set_status_ok('ran') return true end
  if name == 'Spawns' then os.execute('touch ' .. MARKER) return true end
  zt.set_status_ok(tostring(probe)) return true
end
)lua";

// Tests that talk to the unit until its line goes away; FLAG names a file the test makes.
const QString kVanishTests = QStringLiteral(R"lua(
local function read_until_gone()
  local from = os.time()
  while os.time() - from < 30 do
    if not zt.serial_read(handles.serial, 256, 50) then
      zt.set_status_err('read failed') return false
    end
  end
  zt.set_status_ok('the line stayed') return true
end
local function sleep_until_flag()
  for i = 1, 1500 do
    local f = io.open(FLAG)
    if f then f:close() break end
    zt.sleep(20)
  end
  if not zt.serial_write(handles.serial, 'ping\r\n') then
    zt.set_status_err('write failed') return false
  end
  zt.set_status_ok('the line stayed') return true
end
local function ignore_failures()
  while true do zt.serial_read(handles.serial, 256, 20) end
end
-- As the unit's package polls the network: through the unit plug-in, until canceled.
local function command_until_canceled()
  while not zt.was_canceled() do
    unit.command('ECHO x', 2000)
    zt.sleep(50)
  end
  zt.set_status_warn('canceled') return true
end
local bodies = { Reader = read_until_gone, Sleeper = sleep_until_flag, Stubborn = ignore_failures,
                 Commander = command_until_canceled, Next = function() zt.set_status_ok('fine') return true end }
bodies.Last = bodies.Next
function zt_enumerate_tests() return { 'Reader', 'Sleeper', 'Next', 'Last', 'Stubborn', 'Commander' } end
function zt_exec_test(name) zt.log('vanish point ' .. name) return bodies[name]() end
)lua");

const QString kLostMessage = QStringLiteral("Connection to device 'ZOVAN-SIM' lost");

} // namespace

class tst_cTestRunnerSim : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void runStateWait_data();
    void runStateWait();
    void packageFromUnit_data();
    void packageFromUnit();
    void badPackage_data();
    void badPackage();
    void waitForUnitEnds_data();
    void waitForUnitEnds();
    void hardwareThroughHandles();
    void rebootOnClosePort();
    void unitVanishes_data();
    void unitVanishes();
    void lineClosedByScriptIsNotLost();

private:
    bool startSim(const QStringList &options);
    sIODevice simDevice() const;
    void writePackage(const QByteArray &package);
    int runAll();
    int polls() const { return int(f->logsWith(QStringLiteral("GET_APP_RUN_STATE = '")).size()); }

    std::unique_ptr<cRunnerFixture> f;
    std::unique_ptr<cSimulatedUnit> m_sim;
    std::unique_ptr<QTemporaryDir> m_fs;
};

void tst_cTestRunnerSim::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication::setOrganizationName(QStringLiteral("ZovanToolsTests"));
    QCoreApplication::setApplicationName(QStringLiteral("tst_ctestrunnersim"));
}

void tst_cTestRunnerSim::init()
{
    QSettings().remove(kTrustKey);
    f = std::make_unique<cRunnerFixture>();
    m_fs = std::make_unique<QTemporaryDir>();
    QDir(m_fs->path()).mkpath(QStringLiteral("statfs"));
    f->writeScript(QStringLiteral("scripts/general"), QStringLiteral("handles.lua"), kHandles);
}

void tst_cTestRunnerSim::cleanup()
{
    QSettings().remove(kTrustKey);
    f.reset();
    m_sim.reset();
    m_fs.reset();
}

bool tst_cTestRunnerSim::startSim(const QStringList &options)
{
    m_sim = std::make_unique<cSimulatedUnit>();
    return m_sim->setOptions(options) && m_sim->start();
}

sIODevice tst_cTestRunnerSim::simDevice() const
{
    const QString adapter = QStringLiteral("sim:") + m_sim->adapterSocketPath();
    sIODevice device;
    device.id = m_sim->ptyPath();
    device.name = QStringLiteral("ZOVAN-SIM");
    device.devices = {sIOSubDevice{nullptr, QStringLiteral("serial"), QStringLiteral("serial"), m_sim->ptyPath(), {}},
                      sIOSubDevice{nullptr, QStringLiteral("gpio"), QStringLiteral("gpio"), adapter,
                                   {QStringLiteral("IN2"), QStringLiteral("OUT2")}},
                      sIOSubDevice{nullptr, QStringLiteral("i2c"), QStringLiteral("i2c"), adapter, {}}};
    return device;
}

void tst_cTestRunnerSim::writePackage(const QByteArray &package)
{
    QFile file(m_fs->path() + QStringLiteral("/statfs/zovan_tools_tests.out"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(package);
}

// Runs every row of the model once; returns how many finished.
int tst_cTestRunnerSim::runAll()
{
    QSignalSpy finished(f->relay(), &cRunnerRelay::testFinished);
    if (!finished.isValid())
        return -1;
    QList<cTestHandle> handles;
    for (int row = 0; row < f->model()->rowCount(); ++row)
        handles.append(f->handle(row));
    f->runner()->runTests(handles, 1);
    static_cast<void>(QTest::qWaitFor([&] { return finished.count() >= handles.size(); }, 30000));
    return int(finished.count());
}

void tst_cTestRunnerSim::runStateWait_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<bool>("supported");
    QTest::newRow("polled until DONE") << QStringList{"ready-ms=1600", "package=none"} << true;
    QTest::newRow("Unknown command ends the wait")
        << QStringList{"ready-ms=60000", "run-state=unsupported", "package=none"} << false;
}

void tst_cTestRunnerSim::runStateWait()
{
    QFETCH(QStringList, options);
    QFETCH(bool, supported);
    QVERIFY(startSim(options));
    f->writeTests({{QStringLiteral("T"), QStringLiteral("return true")}});
    QElapsedTimer timer;
    timer.start();
    QCOMPARE(f->start(simDevice(), true), 0);
    QVERIFY(timer.elapsed() < 20000);
    QCOMPARE(f->logged(QStringLiteral("Device started"), 0), supported);
    if (!supported) {
        QCOMPARE(polls(), 1);
        return;
    }
    QVERIFY(timer.elapsed() >= 1400);
    const QList<sLogged> answers = f->logsWith(QStringLiteral("GET_APP_RUN_STATE = '"));
    QVERIFY(answers.size() >= 3);
    for (int i = 0; i < answers.size(); ++i)
        QCOMPARE(answers.at(i).text.contains(QLatin1String("DONE")), i == answers.size() - 1);
    QVERIFY(f->logged(QStringLiteral("TestRunner: error initializing LUA - can't load tests from device, using local tests"), 2));
    QCOMPARE(f->fillModel(), QStringList{"T"});
}

void tst_cTestRunnerSim::packageFromUnit_data()
{
    QTest::addColumn<bool>("trusted");
    QTest::newRow("sandboxed by default") << false;
    QTest::newRow("trusted in the settings") << true;
}

void tst_cTestRunnerSim::packageFromUnit()
{
    QFETCH(bool, trusted);
    const QString marker = f->path(QStringLiteral("tests"), QStringLiteral("spawned"));
    writePackage("MARKER = " + cRunnerFixture::luaString(marker).toLatin1() + "\n" + kHostilePackage);
    // Local fall-back tests that must not be used when the unit has its own.
    f->writeTests({{QStringLiteral("Local"), QStringLiteral("return true")}});
    QVERIFY(startSim({QStringLiteral("ready-ms=200"), QStringLiteral("fs=") + m_fs->path()}));
    if (trusted)
        QSettings().setValue(kTrustKey, true);
    QCOMPARE(f->start(simDevice(), true), 0);
    QCOMPARE(f->fillModel(), QStringList({"Plain", "Spawns", "Probe"}));
    QCOMPARE(runAll(), 3);
    QTRY_COMPARE(f->state(0), int(testmodel::StateOk));
    QCOMPARE(f->details(0), QStringLiteral("ran"));
    QTRY_COMPARE(f->state(1), int(trusted ? testmodel::StateOk : testmodel::StateError));
    QCOMPARE(QFile::exists(marker), trusted);
    QCOMPARE(f->details(2).contains(QLatin1String("io.open is not allowed for code from the unit")), !trusted);
    const QList<sLogged> refused = f->logsWith(QStringLiteral("os.execute is not allowed for code from the unit"));
    QCOMPARE(std::any_of(refused.cbegin(), refused.cend(),
                         [](const sLogged &m) { return m.source == QLatin1String("Spawns") && m.level == 3; }),
             !trusted);
}

void tst_cTestRunnerSim::badPackage_data()
{
    QTest::addColumn<QByteArray>("package");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QStringList>("tests");
    QTest::newRow("not Lua") << QByteArray("\x7f" "ELF\x02\x01\x01\0\0\0garbage", 18) << 2
        << "TestRunner: error initializing LUA - can't load script (/statfs/zovan_tools_tests.out)" << QStringList();
    QTest::newRow("raises") << QByteArray("error('package broken')") << 2
        << "TestRunner: error initializing LUA - can't exec script (/statfs/zovan_tools_tests.out)" << QStringList();
    // The package replaces the local tests, init_test_env included.
    QTest::newRow("two megabytes") << "local big = '" + QByteArray(2 * 1024 * 1024, 'z')
                                          + "'\nfunction zt_enumerate_tests() return { 'Large ' .. #big } end\n"
                                   << 0 << "No function 'init_test_env' found for device 'ZOVAN-SIM'. Skipping init..."
                                   << QStringList{QStringLiteral("Large %1").arg(2 * 1024 * 1024)};
}

void tst_cTestRunnerSim::badPackage()
{
    QFETCH(QByteArray, package);
    QFETCH(int, code);
    QFETCH(QString, message);
    QFETCH(QStringList, tests);
    writePackage(package);
    f->writeTests({{QStringLiteral("Local"), QStringLiteral("return true")}},
                  QStringLiteral("function init_test_env() return true end\n"));
    QVERIFY(startSim({QStringLiteral("ready-ms=200"), QStringLiteral("fs=") + m_fs->path()}));
    QCOMPARE(f->start(simDevice(), true), code);
    QVERIFY2(f->logged(message), qPrintable(message));
    QCOMPARE(f->runner()->enumerateTests(), tests);
}

void tst_cTestRunnerSim::waitForUnitEnds_data()
{
    QTest::addColumn<bool>("unitVanishes");
    QTest::addColumn<int>("code");
    QTest::newRow("operator stops") << false << 3;
    QTest::newRow("unit goes away") << true << 2;
}

// The set-up polls the unit until it runs; an operator's stop or a unit that goes away ends it.
void tst_cTestRunnerSim::waitForUnitEnds()
{
    QFETCH(bool, unitVanishes);
    QFETCH(int, code);
    QVERIFY(startSim({QStringLiteral("ready-ms=600000")}));
    f->writeTests({{QStringLiteral("T"), QStringLiteral("return true")}});
    f->makeRunner(true);
    QSignalSpy inited(f->relay(), &cRunnerRelay::initFinished);
    QVERIFY(inited.isValid());
    f->runner()->init(simDevice(), 1);
    QTRY_VERIFY_WITH_TIMEOUT(polls() > 0, 20000);
    if (unitVanishes)
        m_sim->stop();
    else
        f->runner()->stopInitOrDeinitProcess();
    QVERIFY(inited.wait(20000));
    QCOMPARE(inited.first().first().toInt(), code);
    if (unitVanishes) {
        QVERIFY(f->logged(QStringLiteral("Connection to device 'ZOVAN-SIM' lost while it was being set up: "
                                         "its serial line closed (cable pulled or unit switched off)."), 3));
        return;
    }
    // The port was closed: a new runner can open it again.
    f->destroyRunner();
    cRunnerFixture again;
    again.writeScript(QStringLiteral("scripts/general"), QStringLiteral("handles.lua"), kHandles);
    QVERIFY(startSim({QStringLiteral("ready-ms=100"), QStringLiteral("package=none")}));
    QCOMPARE(again.start(simDevice(), true), 0);
}

void tst_cTestRunnerSim::hardwareThroughHandles()
{
    QVERIFY(startSim({QStringLiteral("ready-ms=100"), QStringLiteral("package=none")}));
    f->writeScript(QStringLiteral("tests"), QStringLiteral("hardware.lua"), kHardwareTests);
    QCOMPARE(f->start(simDevice(), true), 0);
    QCOMPARE(f->fillModel(), QStringList({"gpio", "i2c"}));
    QCOMPARE(runAll(), 2);
    QTRY_COMPARE(f->details(1), QStringLiteral("true 6 true 5 hello false nil"));
    QCOMPARE(f->details(0), QStringLiteral("true true true true true false false true"));
}

void tst_cTestRunnerSim::rebootOnClosePort()
{
    QVERIFY(startSim({QStringLiteral("ready-ms=100"), QStringLiteral("package=none")}));
    f->writeTests({{QStringLiteral("T"), QStringLiteral("return true")}});
    QCOMPARE(f->start(simDevice(), true), 0);
    const quint64 reboots = m_sim->stats().reboots;
    f->runner()->closePort(true);
    QVERIFY(f->waitLogged(QStringLiteral("Trying to reboot device 'ZOVAN-SIM'")));
    QTRY_VERIFY_WITH_TIMEOUT(m_sim->stats().reboots > reboots, 15000);
    QCOMPARE(f->logsWith(QStringLiteral("Close port branch")).size(), 1);
}

void tst_cTestRunnerSim::unitVanishes_data()
{
    QTest::addColumn<int>("vanishing");  // the row of the test that meets the lost line
    QTest::addColumn<bool>("betweenTests");
    QTest::newRow("during a serial read") << 0 << false;
    QTest::newRow("during a sleep") << 1 << false;
    QTest::newRow("between tests") << 0 << true;
    // Stopped once the line has been lost for a while.
    QTest::newRow("script ignoring the failures") << 4 << false;
    QTest::newRow("during unit commands") << 5 << false;
}

// The unit goes away as when its cable is pulled: the test that meets it ends in error, the
// queued ones and the repeats are canceled, and a unit that comes back can be connected again.
void tst_cTestRunnerSim::unitVanishes()
{
    QFETCH(int, vanishing);
    QFETCH(bool, betweenTests);
    const QString flag = f->path(QStringLiteral("tests"), QStringLiteral("flag"));
    f->writeScript(QStringLiteral("tests"), QStringLiteral("tests.lua"),
                   ("FLAG = " + cRunnerFixture::luaString(flag) + kVanishTests).toUtf8());
    QVERIFY(startSim({QStringLiteral("ready-ms=100"), QStringLiteral("package=none")}));
    QCOMPARE(f->start(simDevice(), true), 0);
    QCOMPARE(f->fillModel(), QStringList({"Reader", "Sleeper", "Next", "Last", "Stubborn", "Commander"}));
    QSignalSpy finished(f->relay(), &cRunnerRelay::testFinished);
    QVERIFY(finished.isValid());
    const QList<cTestHandle> batch{f->handle(vanishing), f->handle(2), f->handle(3)};
    if (betweenTests) {
        f->runner()->runTests({f->handle(2)}, 1);
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 20000);
        QTRY_VERIFY(!f->runner()->isBusy());
        m_sim->stop();
        finished.clear();
    }
    f->runner()->runTests(batch, 2);
    if (!betweenTests) {
        QVERIFY(f->waitLogged(QStringLiteral("vanish point ") + f->handle(vanishing).name()));
        m_sim->stop();
        QFile(flag).open(QIODevice::WriteOnly);
    }

    // Every run of the batch ends: the one that met the loss, the rest canceled.
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 6, 20000);
    QTRY_VERIFY(!f->runner()->isBusy());
    QCOMPARE(f->state(vanishing), int(testmodel::StateError));
    QVERIFY2(f->details(vanishing).startsWith(QStringLiteral("The unit's serial line was lost")),
             qPrintable(f->details(vanishing)));
    QCOMPARE(f->state(2), int(testmodel::StateCanceled));
    QCOMPARE(f->state(3), int(testmodel::StateCanceled));
    QVERIFY(f->runner()->hasErrors());
    QVERIFY(f->runner()->statisticsText().contains(f->handle(vanishing).name()
                                                   + QStringLiteral(":\n    run count - 1\n    ok - 0\n")));
    QCOMPARE(f->logsWith(kLostMessage).size(), 1);
    QCOMPARE(f->logsWith(kLostMessage).first().level, 3);
    QVERIFY(f->runner()->logText().contains(kLostMessage));

    // Disconnect, and connect again to the unit that came back on another line.
    QSignalSpy deinited(f->relay(), &cRunnerRelay::deinitFinished);
    QVERIFY(deinited.isValid());
    f->runner()->deinit();
    QVERIFY(deinited.wait(10000));
    QVERIFY(startSim({QStringLiteral("ready-ms=100"), QStringLiteral("package=none")}));
    QCOMPARE(f->start(simDevice(), true), 0);
    QCOMPARE(f->fillModel().size(), 6);
    finished.clear();
    QFile(flag).open(QIODevice::WriteOnly);
    f->queue(1);
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 20000);
    QTRY_COMPARE(f->state(1), int(testmodel::StateOk));
    QCOMPARE(f->details(1), QStringLiteral("the line stayed"));
}


// A script may close and reopen the line itself; its failing calls meanwhile are no loss.
void tst_cTestRunnerSim::lineClosedByScriptIsNotLost()
{
    QVERIFY(startSim({QStringLiteral("ready-ms=100"), QStringLiteral("package=none")}));
    f->writeTests({{QStringLiteral("Closes"), QStringLiteral(
                       "local h = handles.serial\n"
                       "zt.serial_close(h)\n"
                       "local readable = zt.serial_read(h, 16, 10)\n"
                       "local reopened = zt.serial_open(h)\n"
                       "zt.set_status_ok(tostring(readable) .. ' ' .. tostring(reopened)) return true")},
                   {QStringLiteral("Writes"), QStringLiteral(
                       "zt.set_status_ok(tostring(zt.serial_write(handles.serial, '\\r\\n'))) return true")}});
    QCOMPARE(f->start(simDevice(), true), 0);
    QCOMPARE(f->fillModel().size(), 2);
    QCOMPARE(runAll(), 2);
    QTRY_COMPARE(f->state(1), int(testmodel::StateOk));
    QCOMPARE(f->details(0), QStringLiteral("false true"));
    QCOMPARE(f->state(0), int(testmodel::StateOk));
    QCOMPARE(f->details(1), QStringLiteral("true"));
    QVERIFY(f->logsWith(QStringLiteral("lost")).isEmpty());
}

QTEST_GUILESS_MAIN(tst_cTestRunnerSim)
#include "tst_ctestrunnersim.moc"

#include "crunnerfixture.h"
#include "testmodelfixture.h"

#include "sim/csimulatedunit.h"
#include "tests/engine/ctestrunner.h"
#include "tests/engine/testroles.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace testmodel;

namespace {

// Keeps the handles that the runner gives for the sub-devices.
const QByteArray kHandles =
    "handles = {}\n"
    "function set_device_handle(name, h) handles[name] = h return true end\n";

const QByteArray kHardwareTests = R"lua(
function zt_enumerate_tests() return { 'gpio', 'i2c', 'serial' } end
local function all(...)
  local parts = {}
  for i = 1, select('#', ...) do parts[i] = tostring((select(i, ...))) end
  return table.concat(parts, ' ')
end
function zt_exec_test(name)
  if name == 'gpio' then
    local ok1 = zt.gpio.set(handles.gpio, 'OUT2', true)
    local ok2, v = zt.gpio.get(handles.gpio, 'IN2')
    local ok3 = zt.gpio_set_state(handles.gpio, 'OUT2', false)
    local ok4, v2 = zt.gpio_get_state(handles.gpio, 'IN2')
    local bad = zt.gpio.get(handles.gpio, 'NO_SUCH_LINE')
    zt.update_status_text(all(ok1, ok2, v, ok3, ok4, v2, bad))
  elseif name == 'i2c' then
    local okw, nw = zt.i2c.write(handles.i2c, 0x50, '\16hello')
    zt.i2c.write(handles.i2c, 0x50, '\16')
    local okr, nr, data = zt.i2c.read(handles.i2c, 0x50, 5)
    local okt, nt, temp = zt.i2c.read(handles.i2c, 0x48, 2)
    local okn, nn, none = zt.i2c.read(handles.i2c, 0x33, 1)
    zt.update_status_text(all(okw, nw, okr, nr, data, okt, nt, #temp, okn, none))
  else
    zt.update_status_text(all(zt.serial_is_open(handles.serial), zt.is_open(handles.serial)))
  end
  return true
end
)lua";

// A package that tries what unit code may not do, beside tests that do not try.
const QByteArray kHostilePackage = R"lua(
local probe_ok, probe = pcall(function() return io.open('/etc/passwd') end)
function zt_enumerate_tests() return { 'Plain', 'Spawns', 'Probe', 'Cli' } end
function zt_exec_test(name)
  if name == 'Plain' then zt.set_status_ok('ran') return true end
  if name == 'Spawns' then os.execute('touch ' .. MARKER) return true end
  if name == 'Probe' then zt.set_status_ok(tostring(probe)) return true end
  if name == 'Cli' then zt.set_status_ok(tostring(zt_already_in_cli_mode)) return true end
  return false
end
)lua";

} // namespace

class tst_cTestRunnerSim : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void runStatePolling();
    void unknownCommandShortcut();
    void packageFromUnit_data();
    void packageFromUnit();
    void badPackage_data();
    void badPackage();
    void stopWhileWaitingForUnit();
    void hardwareThroughHandles();
    void rebootOnClosePort();

private:
    bool startSim(const QStringList &options);
    sIODevice simDevice() const;
    void writePackage(const QByteArray &package);
    int runAll(int expected);

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
    f = std::make_unique<cRunnerFixture>();
    m_fs = std::make_unique<QTemporaryDir>();
    QDir(m_fs->path()).mkpath(QStringLiteral("statfs"));
    f->writeScript(QStringLiteral("scripts/general"), QStringLiteral("handles.lua"), kHandles);
}

void tst_cTestRunnerSim::cleanup()
{
    f.reset();
    if (m_sim)
        m_sim->stop();
    m_sim.reset();
    m_fs.reset();
}

bool tst_cTestRunnerSim::startSim(const QStringList &options)
{
    m_sim = std::make_unique<cSimulatedUnit>();
    if (!m_sim->setOptions(options) || !m_sim->start()) {
        qWarning() << m_sim->errorString();
        return false;
    }
    return true;
}

sIODevice tst_cTestRunnerSim::simDevice() const
{
    const QString adapter = QStringLiteral("sim:") + m_sim->adapterSocketPath();
    sIODevice device;
    device.id = m_sim->ptyPath();
    device.name = QStringLiteral("ZOVAN-SIM");
    device.devices.append(sIOSubDevice{nullptr, QStringLiteral("serial"), QStringLiteral("serial"), m_sim->ptyPath(), {}});
    device.devices.append(sIOSubDevice{nullptr, QStringLiteral("gpio"), QStringLiteral("gpio"), adapter,
                                       {QStringLiteral("IN1"), QStringLiteral("IN2"), QStringLiteral("OUT1"),
                                        QStringLiteral("OUT2"), QStringLiteral("IGN"), QStringLiteral("LED")}});
    device.devices.append(sIOSubDevice{nullptr, QStringLiteral("i2c"), QStringLiteral("i2c"), adapter, {}});
    return device;
}

void tst_cTestRunnerSim::writePackage(const QByteArray &package)
{
    QFile file(m_fs->path() + QStringLiteral("/statfs/zovan_tools_tests.out"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(package);
}

// Runs every row of the model and waits for them; returns how many finished.
int tst_cTestRunnerSim::runAll(int expected)
{
    QSignalSpy finished(f->relay(), &cRunnerRelay::testFinished);
    QList<cTestHandle> handles;
    for (int row = 0; row < f->model()->rowCount(); ++row)
        handles.append(f->handle(row));
    f->runner()->runTests(handles, 1);
    QElapsedTimer timer;
    timer.start();
    while (finished.count() < expected && timer.elapsed() < 30000)
        QTest::qWait(20);
    return int(finished.count());
}

void tst_cTestRunnerSim::runStatePolling()
{
    QVERIFY(startSim({QStringLiteral("ready-ms=1600"), QStringLiteral("package=none")}));
    f->writeTests({{QStringLiteral("T"), QStringLiteral("return true")}});
    QElapsedTimer timer;
    timer.start();
    QCOMPARE(f->start(simDevice(), true), 0);
    QVERIFY(timer.elapsed() >= 1400);
    QVERIFY(f->logged(QStringLiteral("Res transver inited"), 4));
    QStringList answers;
    for (const sLogged &m : f->logs()) {
        if (m.text.startsWith(QLatin1String("GET_APP_RUN_STATE = '")))
            answers.append(m.text);
    }
    QVERIFY2(answers.size() >= 3, qPrintable(answers.join(QLatin1Char('|'))));
    for (int i = 0; i < answers.size() - 1; ++i)
        QVERIFY(!answers.at(i).contains(QLatin1String("DONE")));
    QVERIFY(answers.last().contains(QLatin1String("DONE")));
    QVERIFY(f->logged(QStringLiteral("Device started"), 0));
    QVERIFY(f->logged(QStringLiteral("TestRunner: error initializing LUA - can't load tests from device, using local tests"), 2));
    QCOMPARE(f->fillModel(), QStringList{"T"});
}

void tst_cTestRunnerSim::unknownCommandShortcut()
{
    QVERIFY(startSim({QStringLiteral("ready-ms=60000"), QStringLiteral("run-state=unsupported"),
                      QStringLiteral("package=none")}));
    f->writeTests({{QStringLiteral("T"), QStringLiteral("return true")}});
    QElapsedTimer timer;
    timer.start();
    QCOMPARE(f->start(simDevice(), true), 0);
    QVERIFY(timer.elapsed() < 20000);
    QVERIFY(f->logged(QStringLiteral("Checking of device status not supported by firmware"), 4));
    int polls = 0;
    for (const sLogged &m : f->logs())
        polls += m.text.startsWith(QLatin1String("GET_APP_RUN_STATE = '")) ? 1 : 0;
    QCOMPARE(polls, 1);
    QVERIFY(!f->logged(QStringLiteral("Device started")));
}

void tst_cTestRunnerSim::packageFromUnit_data()
{
    QTest::addColumn<bool>("trusted");
    QTest::newRow("sandboxed") << false;
    QTest::newRow("trusted unit") << true;
}

void tst_cTestRunnerSim::packageFromUnit()
{
    QFETCH(bool, trusted);
    const QString marker = f->path(QStringLiteral("tests"), QStringLiteral("spawned"));
    QByteArray package = "MARKER = " + cRunnerFixture::luaString(marker).toLatin1() + "\n" + kHostilePackage;
    // Local fall-back tests that must not be used when the unit has its own.
    f->writeTests({{QStringLiteral("Local"), QStringLiteral("return true")}});
    writePackage(package);
    QVERIFY(startSim({QStringLiteral("ready-ms=200"), QStringLiteral("fs=") + m_fs->path()}));
    f->makeRunner(true)->setTrustUnitPackages(trusted);
    QCOMPARE(f->start(simDevice(), true), 0);
    QCOMPARE(f->fillModel(), QStringList({"Plain", "Spawns", "Probe", "Cli"}));
    QCOMPARE(runAll(4), 4);
    QTRY_COMPARE(f->state(0), 1);
    QCOMPARE(f->details(0), QStringLiteral("ran"));
    QCOMPARE(f->details(3), QStringLiteral("true"));
    if (trusted) {
        QTRY_COMPARE(f->state(1), 1);
        QVERIFY(QFile::exists(marker));
        QVERIFY(!f->details(2).contains(QLatin1String("not allowed")));
    } else {
        QTRY_COMPARE(f->state(1), 2);
        QVERIFY(!QFile::exists(marker));
        bool named = false;
        for (const sLogged &m : f->logs())
            named = named || (m.source == QLatin1String("Spawns") && m.group == QLatin1String("TEST") && m.level == 3
                              && m.text.contains(QLatin1String("os.execute is not allowed for code from the unit")));
        QVERIFY(named);
        QVERIFY2(f->details(2).contains(QLatin1String("io.open is not allowed for code from the unit")),
                 qPrintable(f->details(2)));
    }
}

void tst_cTestRunnerSim::badPackage_data()
{
    QTest::addColumn<QByteArray>("package");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("message");
    QTest::newRow("not Lua") << QByteArray("\x7f" "ELF\x02\x01\x01\0\0\0garbage", 18) << 2
                             << "TestRunner: error initializing LUA - can't load script (/statfs/zovan_tools_tests.out)";
    QTest::newRow("raises") << QByteArray("error('package broken')") << 2
                            << "TestRunner: error initializing LUA - can't exec script (/statfs/zovan_tools_tests.out)";
    QTest::newRow("refused at load time") << QByteArray("os.exit(3)") << 2
                                          << "TestRunner: error initializing LUA - can't exec script (/statfs/zovan_tools_tests.out)";
    QTest::newRow("missing") << QByteArray() << 0
                             << "TestRunner: error initializing LUA - can't load tests from device, using local tests";
    QByteArray large = "local big = '" + QByteArray(2 * 1024 * 1024, 'z')
                       + "'\nfunction zt_enumerate_tests() return { 'Large ' .. #big } end\n";
    // The package replaces the local tests, init_test_env included.
    QTest::newRow("two megabytes") << large << 0 << "No function 'init_test_env' found for device 'ZOVAN-SIM'. Skipping init...";
}

void tst_cTestRunnerSim::badPackage()
{
    QFETCH(QByteArray, package);
    QFETCH(int, code);
    QFETCH(QString, message);
    if (!package.isEmpty())
        writePackage(package);
    f->writeTests({{QStringLiteral("Local"), QStringLiteral("return true")}},
                  QStringLiteral("function init_test_env() return true end\n"));
    QVERIFY(startSim({QStringLiteral("ready-ms=200"), QStringLiteral("fs=") + m_fs->path()}));
    QCOMPARE(f->start(simDevice(), true), code);
    QVERIFY2(f->logged(message), qPrintable(message));
    if (code == 0 && package.isEmpty())
        QCOMPARE(f->runner()->enumerateTests(), QStringList{"Local"});
    if (code == 0 && !package.isEmpty())
        QCOMPARE(f->runner()->enumerateTests(), QStringList{QStringLiteral("Large %1").arg(2 * 1024 * 1024)});
}

void tst_cTestRunnerSim::stopWhileWaitingForUnit()
{
    QVERIFY(startSim({QStringLiteral("ready-ms=600000")}));
    f->writeTests({{QStringLiteral("T"), QStringLiteral("return true")}});
    f->makeRunner(true);
    QSignalSpy inited(f->relay(), &cRunnerRelay::initFinished);
    f->runner()->init(simDevice(), 1);
    QElapsedTimer timer;
    timer.start();
    bool polling = false;
    while (!polling && timer.elapsed() < 20000) {
        for (const sLogged &m : f->logs())
            polling = polling || m.text.startsWith(QLatin1String("GET_APP_RUN_STATE = '"));
        QTest::qWait(20);
    }
    QVERIFY(polling);
    f->runner()->stopInitOrDeinitProcess();
    QVERIFY(inited.wait(10000));
    QCOMPARE(inited.first().first().toInt(), 3);
    QVERIFY(f->logged(QStringLiteral("Canceled by user"), 4));
    // The port was closed: a new runner can open it again.
    f->destroyRunner();
    cRunnerFixture again;
    again.writeScript(QStringLiteral("scripts/general"), QStringLiteral("handles.lua"), kHandles);
    m_sim->stop();
    QVERIFY(startSim({QStringLiteral("ready-ms=100"), QStringLiteral("package=none")}));
    QCOMPARE(again.start(simDevice(), true), 0);
}

void tst_cTestRunnerSim::hardwareThroughHandles()
{
    QVERIFY(startSim({QStringLiteral("ready-ms=100"), QStringLiteral("package=none")}));
    f->writeScript(QStringLiteral("tests"), QStringLiteral("hardware.lua"), kHardwareTests);
    QCOMPARE(f->start(simDevice(), true), 0);
    QCOMPARE(f->fillModel(), QStringList({"gpio", "i2c", "serial"}));
    QCOMPARE(runAll(3), 3);
    QTRY_COMPARE(f->details(2), QStringLiteral("true true"));
    QCOMPARE(f->details(0), QStringLiteral("true true true true true false false"));
    QCOMPARE(f->details(1), QStringLiteral("true 6 true 5 hello true 2 2 false nil"));
}

void tst_cTestRunnerSim::rebootOnClosePort()
{
    QVERIFY(startSim({QStringLiteral("ready-ms=100"), QStringLiteral("package=none")}));
    f->writeTests({{QStringLiteral("T"), QStringLiteral("return true")}});
    QCOMPARE(f->start(simDevice(), true), 0);
    const quint64 reboots = m_sim->stats().reboots;
    f->runner()->closePort(true);
    QVERIFY(f->waitLogged(QStringLiteral("Trying to reboot device 'ZOVAN-SIM'")));
    QElapsedTimer timer;
    timer.start();
    bool restarted = false;
    while (!restarted && timer.elapsed() < 15000) {
        for (const sLogged &m : f->logs())
            restarted = restarted || m.text.startsWith(QLatin1String("restart: "));
        QTest::qWait(20);
    }
    QVERIFY(restarted);
    QVERIFY(f->count(QStringLiteral("Close port branch")) == 1);
    bool cli = false;
    for (const sLogged &m : f->logs())
        cli = cli || m.text.startsWith(QLatin1String("CLI: "));
    QVERIFY(cli);
    QTRY_VERIFY_WITH_TIMEOUT(m_sim->stats().reboots > reboots, 10000);
}

QTEST_GUILESS_MAIN(tst_cTestRunnerSim)
#include "tst_ctestrunnersim.moc"

// The shipped scripts as the workbench runs them: the real test runner with its Lua API and
// plug-ins, against the simulated unit on a pseudo-terminal with its GPIO lines, I2C devices
// and its own test package. Faults are put where the hardware answers: a trusted script wraps
// the zt functions and the unit command the scripts call.

#include "platform/port/siodevice.h"
#include "sim/csimulatedunit.h"
#include "tests/engine/ctesthandle.h"
#include "tests/engine/ctestrunner.h"
#include "tests/engine/testroles.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QSet>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <lua.hpp>

#include <algorithm>
#include <memory>

using namespace testmodel;

namespace {

using tOutcomes = QMap<QString, int>;

// Reads the fault's name from a file at every call, so that one runner serves every case.
// Loaded after ztlib.lua (folder order), before the unit's package copies zt into its sandbox.
const char kFaults[] = R"lua(
local open, FILE = io.open, %1
local function fault()
  local f = open(FILE, 'r')
  if not f then return '' end
  local name = f:read('*l') or ''
  f:close()
  return name
end
local gpio_get, i2c_read, i2c_write, unit_command = zt.gpio.get, zt.i2c.read, zt.i2c.write, ztl.unit_command
zt.gpio.get = function(h, name)
  local ok, level = gpio_get(h, name)
  if fault() == 'IN3 stuck' and name == 'IN3' then level = false end
  return ok, level
end
zt.i2c.write = function(h, address, data)
  if fault() == 'EEPROM ignores writes' and address == 0x50 and #data > 1 then
    local ok = i2c_write(h, address, data:sub(1, 1))
    return ok, ok and #data or 0
  end
  return i2c_write(h, address, data)
end
zt.i2c.read = function(h, address, count)
  if fault() == 'board too hot' and address == 0x48 and count == 2 then return true, 2, string.char(95, 0) end
  return i2c_read(h, address, count)
end
local answers = {
  ['supply too low'] = { GET_POWER = 'VBAT=8.20 V, VEXT=0.00 V' },
  ['supply in millivolts'] = { GET_POWER = 'POWER 12450 mV' },
  ['sent more than stored'] = { GET_STORAGE = 'STORAGE: STORED=10 SENT=11 FREE=5' },
  ['echo garbled'] = { ['ECHO'] = 'EHCO' },
}
ztl.unit_command = function(cmd, timeout_ms)
  local a = answers[fault()]
  if a and (a[cmd] or a[cmd:match('^%S+')]) then return a[cmd] or a[cmd:match('^%S+')] end
  return unit_command(cmd, timeout_ms)
end
)lua";

// Test cases of the contract's own rules, beside the local tests.
const char kContractCases[] = R"lua(
register_test('twice', function() return true end)
register_test('returns nothing', function() end)
register_test('returns false', function() return false end)
register_test('fails with a reason', function() zt.set_status_err('broken wire') return false end)
register_test('raises', function() error('boom', 0) end)
register_test('warns, then passes', function() zt.set_status_warn('slow') zt.set_status_ok('fine') return true end)
register_test('twice', function() zt.set_status_warn('newer') return true end)
)lua";

/** The runner's signals re-emitted in the test's thread, so that spies do not race the runner. */
class cRelay : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(cRelay)

public:
    explicit cRelay(cTestRunner *runner)
    {
        connect(runner, &cTestRunner::initFinished, this, &cRelay::initFinished, Qt::QueuedConnection);
        connect(runner, &cTestRunner::testFinished, this, &cRelay::testFinished, Qt::QueuedConnection);
        // The operator's answer, or a cancelled question when there is none.
        connect(runner, &cTestRunner::askUser, this, [this, runner] { runner->userReply(answer); },
                Qt::QueuedConnection);
    }
    QVariantList answer;

signals:
    void initFinished(int code);
    void testFinished();
};

/** A simulated unit, an application folder with the shipped scripts, and a runner connected to both. */
class cBench
{
public:
    explicit cBench(bool unitPackage) : m_unitPackage(unitPackage) {}
    ~cBench()
    {
        m_relay.reset();
        m_runner.reset();
        m_unit.stop();
    }
    Q_DISABLE_COPY_MOVE(cBench)

    bool unitPackage() const { return m_unitPackage; }

    // Empty on success, else what went wrong.
    QString start()
    {
        const QString root = m_dir.path();
        const QList<QPair<QString, QString>> scripts = {{"general/ztlib.lua", "scripts/general/ztlib.lua"},
                                                        {"test/contract.lua", "scripts/test/contract.lua"},
                                                        {"tests/local_tests.lua", "tests/local_tests.lua"}};
        for (const auto &script : scripts) {
            const QString target = root + QLatin1Char('/') + script.second;
            if (!QDir().mkpath(QFileInfo(target).path())
                || !QFile::copy(QStringLiteral(ZT_LUA_SOURCE_DIR "/") + script.first, target))
                return QStringLiteral("cannot copy ") + script.first;
        }
        const QString faults = QString::fromLatin1(kFaults).arg(QLatin1Char('\'') + faultFile() + QLatin1Char('\''));
        if (!write(QStringLiteral("scripts/general/zz_faults.lua"), faults.toUtf8())
            || !write(QStringLiteral("tests/zz_contract_cases.lua"), kContractCases))
            return QStringLiteral("cannot write the test scripts");
        if (!m_unit.setOptions({QStringLiteral("ready-ms=0"), QStringLiteral("log-rate=5"),
                                m_unitPackage ? QStringLiteral("package=default") : QStringLiteral("package=none")})
            || !m_unit.start())
            return m_unit.errorString();

        m_runner = std::make_unique<cTestRunner>(nullptr, true);
        m_runner->setAppRoot(root);
        m_runner->setTrustUnitPackages(false);
        m_relay = std::make_unique<cRelay>(m_runner.get());
        QSignalSpy init(m_relay.get(), &cRelay::initFinished);
        if (!init.isValid())
            return QStringLiteral("no initFinished signal");
        m_runner->init(device(), 1);
        if (!init.wait(60000))
            return QStringLiteral("the runner did not finish its set-up");
        if (init.first().first().toInt() != 0)
            return QStringLiteral("set-up failed with %1").arg(init.first().first().toInt());

        m_names = m_runner->enumerateTests();
        m_model = std::make_unique<QStandardItemModel>(0, ColumnCount);
        const int types[ColumnCount] = {TestNameCell, StatisticsCell, TimeCell, StatusCell, InfoCell};
        for (const QString &name : qAsConst(m_names)) {
            QList<QStandardItem *> row;
            for (int type : types) {
                row.append(new QStandardItem);
                row.last()->setData(type, ItemTypeRole);
            }
            row[NameColumn]->setText(name);
            row[NameColumn]->setData(name, TestNameRole);
            m_model->appendRow(row);
        }
        return QString();
    }

    QStringList names() const { return m_names; }
    void setFault(const QByteArray &fault) { write(QStringLiteral("fault"), fault); }
    void setAnswer(const QVariantList &answer) { m_relay->answer = answer; }

    /** Runs the tests of the names once, in their order; false when one did not finish. */
    bool run(const QStringList &names)
    {
        QSignalSpy finished(m_relay.get(), &cRelay::testFinished);
        if (!finished.isValid())
            return false;
        QList<cTestHandle> handles;
        for (const QString &name : names) {
            const int row = int(m_names.indexOf(name));
            if (row < 0)
                return false;
            const auto cell = [&](int column) { return m_model->index(row, column); };
            handles.append(cTestHandle(cell(NameColumn), cell(StatusColumn), cell(TimeColumn), cell(InfoColumn),
                                       cell(StatisticsColumn)));
        }
        m_runner->runTests(handles, 1);
        while (finished.count() < handles.size()) {
            if (!finished.wait(30000))
                return false;
        }
        return true;
    }

    int state(const QString &name) const { return cell(name, StatusColumn, StateRole).toInt(); }
    QString details(const QString &name) const { return cell(name, InfoColumn, DetailsRole).toString(); }

private:
    QString faultFile() const { return m_dir.filePath(QStringLiteral("fault")); }

    bool write(const QString &relative, const QByteArray &text)
    {
        QFile file(m_dir.filePath(relative));
        return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(text) == text.size();
    }

    QVariant cell(const QString &name, int column, int role) const
    {
        return m_model->index(int(m_names.indexOf(name)), column).data(role);
    }

    sIODevice device() const
    {
        const QString adapter = QStringLiteral("sim:") + m_unit.adapterSocketPath();
        sIODevice d;
        d.id = m_unit.ptyPath();
        d.name = QStringLiteral("ZOVAN-SIM");
        d.devices = {sIOSubDevice{nullptr, QStringLiteral("serial"), QStringLiteral("serial"), m_unit.ptyPath(), {}},
                     sIOSubDevice{nullptr, QStringLiteral("gpio"), QStringLiteral("gpio"), adapter, {}},
                     sIOSubDevice{nullptr, QStringLiteral("i2c"), QStringLiteral("i2c"), adapter, {}}};
        return d;
    }

    const bool m_unitPackage;
    QTemporaryDir m_dir;
    cSimulatedUnit m_unit;
    std::unique_ptr<cTestRunner> m_runner;
    std::unique_ptr<cRelay> m_relay;
    std::unique_ptr<QStandardItemModel> m_model;
    QStringList m_names;
};

// A bare Lua state with the helper library only, for its pure functions.
QString evalHelper(const QByteArray &expr)
{
    lua_State *L = luaL_newstate();
    luaL_openlibs(L);
    QFile lib(QStringLiteral(ZT_LUA_SOURCE_DIR "/general/ztlib.lua"));
    const QByteArray code = lib.open(QIODevice::ReadOnly) ? lib.readAll() : QByteArray();
    const QByteArray call = "return tostring(" + expr + ")";
    QString result;
    if (luaL_loadbuffer(L, code.constData(), size_t(code.size()), "ztlib") != 0 || lua_pcall(L, 0, 0, 0) != 0
        || luaL_loadstring(L, call.constData()) != 0 || lua_pcall(L, 0, 1, 0) != 0)
        result = QStringLiteral("error: ");
    result += QString::fromLatin1(lua_tostring(L, -1));
    lua_close(L);
    return result;
}

} // namespace

class tst_Scripts : public QObject
{
    Q_OBJECT

    std::unique_ptr<cBench> m_bench;

    // The bench of the kind asked for; only one runner may exist at a time.
    cBench *bench(bool unitPackage)
    {
        if (m_bench && m_bench->unitPackage() == unitPackage)
            return m_bench.get();
        m_bench.reset();
        m_bench = std::make_unique<cBench>(unitPackage);
        const QString error = m_bench->start();
        if (!error.isEmpty()) {
            m_bench.reset();
            qWarning("%s", qPrintable(error));
        }
        return m_bench.get();
    }

private slots:
    void initTestCase();
    void cleanupTestCase() { m_bench.reset(); }
    void helpers_data();
    void helpers();
    void outcomes_data();
    void outcomes();
    void contract_data();
    void contract();
};

void tst_Scripts::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication::setOrganizationName(QStringLiteral("ZovanToolsTests"));
    QCoreApplication::setApplicationName(QStringLiteral("tst_scripts"));
}

void tst_Scripts::helpers_data()
{
    QTest::addColumn<QByteArray>("expr");
    QTest::addColumn<QString>("expected");
    QTest::newRow("to_hex keeps two digits") << QByteArray("ztl.to_hex('\\0\\1\\171\\255')") << "0001abff";
    QTest::newRow("hex round trip") << QByteArray("ztl.from_hex(ztl.to_hex('\\0a\\255z')) == '\\0a\\255z'") << "true";
    QTest::newRow("from_hex: case and spaces") << QByteArray("ztl.to_hex(ztl.from_hex('AB 0c'))") << "ab0c";
    QTest::newRow("from_hex: odd digit count") << QByteArray("ztl.from_hex('abc')") << "nil";
    QTest::newRow("number after key") << QByteArray("ztl.number_after('VBAT=12.6 VIN=3', 'VIN')") << "3";
    QTest::newRow("first number without key") << QByteArray("ztl.number_after('power 13800 mV')") << "13800";
    QTest::newRow("range: low bound") << QByteArray("ztl.in_range(9, 9, 32, 'supply')") << "true";
    QTest::newRow("range: nan") << QByteArray("ztl.in_range(0/0, 9, 32, 'supply')") << "false";
    QTest::newRow("range: nil") << QByteArray("ztl.in_range(nil, 9, 32, 'supply')") << "false";
}

void tst_Scripts::helpers()
{
    QFETCH(QByteArray, expr);
    QFETCH(QString, expected);
    QCOMPARE(evalHelper(expr), expected);
}

void tst_Scripts::outcomes_data()
{
    QTest::addColumn<bool>("unitPackage");   // else the local fall-back tests
    QTest::addColumn<QByteArray>("fault");
    QTest::addColumn<QVariantList>("answer"); // the operator's; empty cancels the question
    QTest::addColumn<tOutcomes>("expected");  // the tests run, and how each ends
    QTest::newRow("healthy unit") << true << QByteArray() << QVariantList()
                                  << tOutcomes{{"Supply voltage", StateOk}, {"GSM registration", StateOk},
                                               {"GPIO loop-back", StateOk}, {"EEPROM write and read back", StateOk},
                                               {"Board temperature", StateOk}, {"Serial echo", StateOk},
                                               {"Storage counters", StateOk}, {"LED indicator", StateWarning},
                                               {"Accelerometer", StateError}};
    QTest::newRow("operator confirms the LED") << true << QByteArray() << QVariantList{"yes"}
                                               << tOutcomes{{"LED indicator", StateOk}};
    QTest::newRow("operator saw no LED") << true << QByteArray() << QVariantList{"no"}
                                         << tOutcomes{{"LED indicator", StateError}};
    QTest::newRow("IN3 stuck") << true << QByteArray("IN3 stuck") << QVariantList()
                               << tOutcomes{{"GPIO loop-back", StateError}};
    QTest::newRow("EEPROM ignores writes") << true << QByteArray("EEPROM ignores writes") << QVariantList()
                                           << tOutcomes{{"EEPROM write and read back", StateError}};
    QTest::newRow("board too hot") << true << QByteArray("board too hot") << QVariantList()
                                   << tOutcomes{{"Board temperature", StateError}};
    QTest::newRow("supply too low") << true << QByteArray("supply too low") << QVariantList()
                                    << tOutcomes{{"Supply voltage", StateError}};
    QTest::newRow("supply in millivolts") << true << QByteArray("supply in millivolts") << QVariantList()
                                          << tOutcomes{{"Supply voltage", StateOk}};
    QTest::newRow("sent more than stored") << true << QByteArray("sent more than stored") << QVariantList()
                                           << tOutcomes{{"Storage counters", StateError}};
    QTest::newRow("echo garbled") << true << QByteArray("echo garbled") << QVariantList()
                                  << tOutcomes{{"Serial echo", StateError}};
    QTest::newRow("local: healthy unit") << false << QByteArray() << QVariantList()
                                         << tOutcomes{{"Port is open", StateOk}, {"GPIO loop-back OUT1->IN1", StateOk},
                                                      {"EEPROM read", StateOk}, {"Temperature plausible", StateOk},
                                                      {"Operator: unit label", StateWarning}};
    QTest::newRow("local: too hot") << false << QByteArray("board too hot") << QVariantList()
                                    << tOutcomes{{"Temperature plausible", StateError}};
    QTest::newRow("local: operator answers") << false << QByteArray() << QVariantList{"ZV-000417"}
                                             << tOutcomes{{"Operator: unit label", StateOk}};
}

void tst_Scripts::outcomes()
{
    QFETCH(bool, unitPackage);
    QFETCH(QByteArray, fault);
    QFETCH(QVariantList, answer);
    QFETCH(tOutcomes, expected);
    cBench *b = bench(unitPackage);
    QVERIFY(b);
    const QStringList offered = b->names();
    // The package replaces the local tests it is loaded after.
    if (unitPackage && expected.size() > 1)
        QCOMPARE(QSet<QString>(offered.cbegin(), offered.cend()), QSet<QString>(expected.keyBegin(), expected.keyEnd()));
    b->setFault(fault);
    b->setAnswer(answer);
    QStringList names = expected.keys();
    // In the order they are offered, as the workbench runs them.
    std::sort(names.begin(), names.end(), [&offered](const QString &x, const QString &y) {
        return offered.indexOf(x) < offered.indexOf(y);
    });
    QVERIFY(b->run(names));
    for (const QString &name : qAsConst(names)) {
        const QString details = b->details(name);
        QVERIFY2(b->state(name) == expected.value(name),
                 qPrintable(QStringLiteral("%1: state %2, details '%3'").arg(name).arg(b->state(name)).arg(details)));
        if (b->state(name) != StateOk)
            QVERIFY2(!details.isEmpty(), qPrintable(name + QStringLiteral(" failed without a reason")));
    }
}

void tst_Scripts::contract_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("state");
    QTest::addColumn<QString>("details");
    QTest::newRow("no return value counts as passed") << "returns nothing" << int(StateOk) << "";
    QTest::newRow("false without status is an error") << "returns false" << int(StateError) << "";
    QTest::newRow("false keeps the reason given") << "fails with a reason" << int(StateError) << "broken wire";
    QTest::newRow("raised error becomes the details") << "raises" << int(StateError) << "script error: boom";
    QTest::newRow("OK does not undo a warning") << "warns, then passes" << int(StateWarning) << "fine";
    QTest::newRow("a name given again runs the newer test") << "twice" << int(StateWarning) << "newer";
}

void tst_Scripts::contract()
{
    QFETCH(QString, name);
    QFETCH(int, state);
    QFETCH(QString, details);
    cBench *b = bench(false);
    QVERIFY(b);
    // A name given twice keeps its first place.
    QCOMPARE(b->names().filter(QStringLiteral("twice")).size(), 1);
    QVERIFY(b->names().indexOf(QStringLiteral("twice")) < b->names().indexOf(QStringLiteral("returns nothing")));
    QVERIFY(b->run({name}));
    QCOMPARE(b->state(name), state);
    QCOMPARE(b->details(name), details);
}

QTEST_GUILESS_MAIN(tst_Scripts)
#include "tst_scripts.moc"

// The shipped scripts, run in a bare Lua 5.1 state against a stand-in `zt` library and a fake
// adapter (loop-back GPIO, EEPROM, temperature sensor, a unit command line), so that their
// logic is checked without a runner or a unit.

#include <QFile>
#include <QMap>
#include <QObject>
#include <QSet>
#include <QStringList>
#include <QTest>

#include <lua.hpp>

namespace {

enum Status { Ok = 1, Error = 2, Warning = 3, Running = 5 };

// The stand-in, in Lua so that the test reads and sets its state with one expression.
// Everything the scripts can reach is kept in `bench`.
const char kBench[] = R"lua(
bench = { status = 5, details = '', progress = {}, canceled = false, cancel_after = -1,
          outputs = {}, rx = '', rx_chunk = 7, written = '', command_line = {}, silent = false,
          eeprom = {}, eeprom_addr = 0, drops_writes = false, temperature = 0x1980,
          unit_commands = {}, echoes = true }
local b = bench
for i = 0, 255 do b.eeprom[i] = 255 end
local H = { serial = newproxy(), gpio = newproxy(), i2c = newproxy() }

-- The runner's precedence: an error always wins, a warning beats OK, and nothing beats a warning.
local function status(code)
  return function(text)
    local old = b.status
    if code == 2 or (old == 1 and code == 3) or old == 0 or old == 4 or old == 5 then b.status = code end
    if type(text) == 'string' then b.details = text end
  end
end
local function nothing() end
local function is_open(h) return h == H.serial end
local function gpio_get(h, name)
  if h ~= H.gpio or type(name) ~= 'string' or name:sub(1, 2) ~= 'IN' then return false, false end
  local level = b.outputs['OUT' .. name:sub(3)] == true
  if name == b.broken_input then level = not level end
  return true, level
end
local function gpio_set(h, name, level)
  local ok = h == H.gpio and type(level) == 'boolean'
  if ok then b.outputs[name] = level end
  return ok
end
local function i2c_read(h, addr, count)
  local out = {}
  if h == H.i2c and addr == 0x50 then
    for i = 1, count do
      out[i] = string.char(b.eeprom[b.eeprom_addr])
      b.eeprom_addr = (b.eeprom_addr + 1) % 256
    end
  elseif h == H.i2c and addr == 0x48 and count == 2 then
    local raw = b.temperature % 65536
    out[1] = string.char(math.floor(raw / 256), raw % 256)
  end
  if #out == 0 then return false, 0, nil end
  local data = table.concat(out)
  return true, #data, data
end
local function i2c_write(h, addr, data)
  local ok = h == H.i2c and addr == 0x50 and #data > 0
  if ok then
    b.eeprom_addr = data:byte(1)
    for i = 2, b.drops_writes and 1 or #data do
      b.eeprom[b.eeprom_addr] = data:byte(i)
      b.eeprom_addr = (b.eeprom_addr + 1) % 256
    end
  end
  return ok, ok and #data or 0
end

zt = {
  set_status_ok = status(1), set_status_err = status(2), set_status_warn = status(3),
  update_status_text = function(text) b.details = tostring(text or '') end,
  log = nothing, log_notice = nothing, log_warn = nothing, log_err = nothing, log_debug = nothing,
  sleep = nothing,
  progress = function(p)
    b.progress[#b.progress + 1] = p
    if b.cancel_after >= 0 and #b.progress > b.cancel_after then b.canceled = true end
  end,
  was_canceled = function() return b.canceled end,
  serial_is_open = is_open, is_open = is_open,
  serial_flush = function(h) b.rx = '' return is_open(h) end,
  -- The unit's command line echoes the line, answers it and shows its prompt; answers come
  -- in pieces of rx_chunk bytes.
  serial_write = function(h, data)
    b.written = b.written .. data
    if not b.silent then
      local cmd = data:match('^%s*(.-)%s*$')
      b.rx = b.rx .. cmd .. '\r\n' .. (b.command_line[cmd] or 'Unknown command') .. '\r\n> '
    end
    return is_open(h), #data
  end,
  serial_read = function(h, size)
    local piece = b.rx:sub(1, math.min(size, b.rx_chunk))
    b.rx = b.rx:sub(#piece + 1)
    return is_open(h), #piece, piece
  end,
  gpio_get_state = gpio_get, gpio_set_state = gpio_set,
  gpio = { get = gpio_get, set = gpio_set },
  i2c = { read = i2c_read, write = i2c_write },
  ask_user = function(question, fields)
    if b.answer == nil then return nil end
    return { [fields[1]] = b.answer }
  end,
}
print = nothing
unit = { command = function(cmd)
  if b.echoes and cmd:sub(1, 5) == 'ECHO ' then return cmd:sub(6) end
  if b.unit_commands[cmd] == nil then return nil, 'Unknown command' end
  return b.unit_commands[cmd]
end }

function bench.connect()
  for _, name in ipairs({ 'serial', 'gpio', 'i2c' }) do
    if not set_device_handle(name, H[name]) then return false end
  end
  return true
end

function bench.healthy()
  b.unit_commands = { GET_POWER = 'VBAT=13.85 V, VEXT=24.10 V, VSCAP=2.75 V',
                      GET_GSM = 'GSM: REGISTERED, NET=Beeline, CSQ=14',
                      GET_STORAGE = 'STORAGE: STORED=233019 SENT=233010 FREE=90' }
end

-- Runs one test as the runner does: false or a raised error is an error, true without a
-- status is OK.
function bench.exec(name)
  b.status, b.details, b.progress = 5, '', {}
  local ok, result = pcall(zt_exec_test, name)
  if not ok then
    b.status, b.details = 2, tostring(result)
    return false
  end
  if not result then b.status = 2 elseif b.status == 5 then b.status = 1 end
  return result and true or false
end

function bench.names()
  local ok, names = pcall(zt_enumerate_tests)
  return ok and type(names) == 'table' and table.concat(names, '\n') or ''
end
)lua";

QByteArray readScript(const QString &relative)
{
    QFile f(QStringLiteral(ZT_LUA_SOURCE_DIR "/") + relative);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A Lua state with the stand-in, the helpers and the contract, the handles handed over as
// the runner would.
class cLuaBench
{
public:
    explicit cLuaBench(bool withUnitPlugin = true) : L(luaL_newstate())
    {
        luaL_openlibs(L);
        // One statement each: the operands of + have no set order of evaluation.
        m_loadError = run(kBench, "bench");
        m_loadError += run(withUnitPlugin ? "" : "unit = nil");
        m_loadError += runFile(QStringLiteral("general/ztlib.lua"));
        m_loadError += runFile(QStringLiteral("test/contract.lua"));
        m_loadError += run("assert(bench.connect(), 'handles refused')");
    }
    ~cLuaBench() { lua_close(L); }
    Q_DISABLE_COPY_MOVE(cLuaBench)

    QString loadError() const { return m_loadError; }

    // Runs a chunk; empty on success, else the Lua error.
    QString run(const QByteArray &code, const char *chunk = "test")
    {
        QString error;
        if (luaL_loadbuffer(L, code.constData(), size_t(code.size()), chunk) != 0 || lua_pcall(L, 0, 0, 0) != 0)
            error = QString::fromLatin1(lua_tostring(L, -1)) + QLatin1Char(' ');
        lua_settop(L, 0);
        return error;
    }

    QString runFile(const QString &relative)
    {
        const QByteArray code = readScript(relative);
        return code.isEmpty() ? QStringLiteral("missing script ") + relative
                              : run(code, relative.toLatin1().constData());
    }

    // The value of a Lua expression as text (nil gives "nil").
    QString eval(const QByteArray &expr)
    {
        const QByteArray code = "return tostring(" + expr + ")";
        const bool ok = luaL_loadstring(L, code.constData()) == 0 && lua_pcall(L, 0, 1, 0) == 0;
        size_t len = 0;
        const char *text = lua_tolstring(L, -1, &len);
        const QString value = (ok ? QString() : QStringLiteral("error: ")) + QString::fromLatin1(text, int(len));
        lua_settop(L, 0);
        return value;
    }

    QStringList enumerate()
    {
        const QString names = eval("bench.names()");
        return names.isEmpty() ? QStringList() : names.split(QLatin1Char('\n'));
    }
    bool exec(const QString &name) { return eval("bench.exec('" + name.toLatin1() + "')") == QLatin1String("true"); }
    int status() { return eval("bench.status").toInt(); }
    QString details() { return eval("bench.details"); }

private:
    lua_State *L;
    QString m_loadError;
};

} // namespace

using tOutcomes = QMap<QString, int>;

class tst_Scripts : public QObject
{
    Q_OBJECT

private slots:
    void helpers_data();
    void helpers();
    void rangeCheck_data();
    void rangeCheck();
    void withProgress_data();
    void withProgress();
    void serialCommand_data();
    void serialCommand();
    void registry();
    void execOutcomes_data();
    void execOutcomes();
    void deviceHandles();
    void outcomes_data();
    void outcomes();
    void unitPackageRestoresEeprom();
};

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
}

void tst_Scripts::helpers()
{
    QFETCH(QByteArray, expr);
    QFETCH(QString, expected);
    cLuaBench lua;
    QCOMPARE(lua.loadError() + lua.eval(expr), expected);
}

void tst_Scripts::rangeCheck_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<bool>("inRange");
    QTest::newRow("low bound") << QByteArray("9") << true;
    QTest::newRow("below") << QByteArray("8.99") << false;
    QTest::newRow("nan") << QByteArray("0/0") << false;
    QTest::newRow("nil") << QByteArray("nil") << false;
}

void tst_Scripts::rangeCheck()
{
    QFETCH(QByteArray, value);
    QFETCH(bool, inRange);
    cLuaBench lua;
    QCOMPARE(lua.loadError(), QString());
    const QString expected = inRange ? QStringLiteral("true") : QStringLiteral("false");
    QCOMPARE(lua.eval("(ztl.in_range(" + value + ", 9, 32, 'supply'))"), expected);
    // expect_range reports a failure as an error with the reason, and nothing on success.
    QCOMPARE(lua.eval("ztl.expect_range(" + value + ", 9, 32, 'supply')"), expected);
    QCOMPARE(lua.status(), inRange ? int(Running) : int(Error));
    if (!inRange)
        QVERIFY2(lua.details().startsWith(QLatin1String("supply")), qPrintable(lua.details()));
}

void tst_Scripts::withProgress_data()
{
    QTest::addColumn<int>("steps");
    QTest::addColumn<int>("failAt");        // step whose function returns false; 0 none
    QTest::addColumn<int>("cancelAfter");   // cancel after this many progress calls; -1 never
    QTest::addColumn<bool>("result");
    QTest::addColumn<int>("stepsRun");
    QTest::addColumn<QString>("progress");
    QTest::newRow("all steps") << 4 << 0 << -1 << true << 4 << "0,25,50,75,100";
    QTest::newRow("failing step stops") << 4 << 2 << -1 << false << 2 << "0,25";
    QTest::newRow("cancel stops") << 4 << 0 << 2 << false << 2 << "0,25,50";
    QTest::newRow("no steps") << 0 << 0 << -1 << true << 0 << "100";
}

void tst_Scripts::withProgress()
{
    QFETCH(int, steps);
    QFETCH(int, failAt);
    QFETCH(int, cancelAfter);
    QFETCH(bool, result);
    QFETCH(int, stepsRun);
    QFETCH(QString, progress);
    cLuaBench lua;
    QCOMPARE(lua.loadError(), QString());
    QCOMPARE(lua.run(QStringLiteral("bench.cancel_after = %1; ran = 0\n"
                                    "result = ztl.with_progress(%2, function(i) ran = i; return i ~= %3 end)")
                         .arg(cancelAfter).arg(steps).arg(failAt).toLatin1()),
             QString());
    QCOMPARE(lua.eval("result"), result ? QStringLiteral("true") : QStringLiteral("false"));
    QCOMPARE(lua.eval("ran").toInt(), stepsRun);
    QCOMPARE(lua.eval("table.concat(bench.progress, ',')"), progress);
}

void tst_Scripts::serialCommand_data()
{
    QTest::addColumn<QByteArray>("answer");  // a Lua literal
    QTest::addColumn<int>("chunk");
    QTest::addColumn<bool>("silent");
    QTest::addColumn<QString>("expected");
    QTest::newRow("answer in small pieces") << QByteArray("'VBAT=12.6'") << 3 << false << "VBAT=12.6";
    QTest::newRow("no prompt: time-out") << QByteArray("'x'") << 4 << true << "nil";
}

// Without the unit plug-in a unit command goes over the serial command line.
void tst_Scripts::serialCommand()
{
    QFETCH(QByteArray, answer);
    QFETCH(int, chunk);
    QFETCH(bool, silent);
    QFETCH(QString, expected);
    cLuaBench lua(false);
    QCOMPARE(lua.loadError(), QString());
    // The stale line must not be taken for the answer.
    QCOMPARE(lua.run("bench.rx_chunk = " + QByteArray::number(chunk) + "; bench.silent = " + (silent ? "true" : "false")
                     + "; bench.command_line.GET_POWER = " + answer + "; bench.rx = 'stale log line\\r\\n'"),
             QString());
    QCOMPARE(lua.eval("ztl.unit_command('GET_POWER', 300)"), expected);
    QCOMPARE(lua.eval("bench.written"), QStringLiteral("GET_POWER\r\n"));
}

void tst_Scripts::registry()
{
    cLuaBench lua;
    QCOMPARE(lua.loadError(), QString());
    QCOMPARE(lua.enumerate(), QStringList());
    QCOMPARE(lua.run("register_test('b', function() return true end)\n"
                     "register_test('a', function() return true end)\n"
                     "register_test('b', function() zt.set_status_warn('newer') return true end)"),
             QString());
    // A name given again keeps its place and runs the newer function.
    QCOMPARE(lua.enumerate(), QStringList({"b", "a"}));
    QVERIFY(lua.exec(QStringLiteral("b")));
    QCOMPARE(lua.status(), int(Warning));
    QCOMPARE(lua.details(), QStringLiteral("newer"));

    QVERIFY(lua.run("register_test('', function() end)").contains(QLatin1String("non-empty")));
    QVERIFY(lua.run("register_test('c', 5)").contains(QLatin1String("needs a function")));
    QCOMPARE(lua.enumerate().size(), 2);
    QCOMPARE(lua.run("clear_tests() register_test('only', function() end)"), QString());
    QCOMPARE(lua.enumerate(), QStringList{"only"});

    // A restart in the middle of a test is refused, before and after it is allowed.
    QCOMPARE(lua.run("register_test('t', function() inside = is_restart_allowed('reboot') return true end)"), QString());
    QCOMPARE(lua.eval("is_restart_allowed('reboot') and bench.exec('t') and inside == false and is_restart_allowed('x')"),
             QStringLiteral("true"));
}

void tst_Scripts::execOutcomes_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<bool>("result");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("details");
    QTest::newRow("no return value counts as passed") << QByteArray("") << true << int(Ok) << "";
    QTest::newRow("false without status is an error") << QByteArray("return false") << false << int(Error) << "";
    QTest::newRow("false keeps the reason given")
        << QByteArray("zt.set_status_err('broken wire') return false") << false << int(Error) << "broken wire";
    QTest::newRow("raised error becomes the details") << QByteArray("error('boom', 0)") << false << int(Error)
                                                      << "script error: boom";
}

void tst_Scripts::execOutcomes()
{
    QFETCH(QByteArray, body);
    QFETCH(bool, result);
    QFETCH(int, status);
    QFETCH(QString, details);
    cLuaBench lua;
    QCOMPARE(lua.loadError(), QString());
    QCOMPARE(lua.run("register_test('t', function() " + body + " end)"), QString());
    QCOMPARE(lua.exec(QStringLiteral("t")), result);
    QCOMPARE(lua.status(), status);
    QCOMPARE(lua.details(), details);
}

void tst_Scripts::deviceHandles()
{
    cLuaBench lua;
    QCOMPARE(lua.loadError(), QString());
    QCOMPARE(lua.eval("devices.gpio ~= nil and devices.serial ~= devices.i2c"), QStringLiteral("true"));
    QCOMPARE(lua.eval("set_device_handle('x', 'not a handle') or set_device_handle('', devices.gpio) or devices.x"),
             QStringLiteral("nil"));
    // init switches the ignition on and the outputs off; deinit switches the ignition off.
    QCOMPARE(lua.eval("(function() bench.outputs.OUT2 = true\n"
                      "  return init_test_env() and bench.outputs.IGN == true and bench.outputs.OUT2 == false\n"
                      "    and deinit_test_env() and bench.outputs.IGN == false end)()"),
             QStringLiteral("true"));
    // Without a serial line there is nothing to test.
    QCOMPARE(lua.eval("(function() devices.serial = nil return init_test_env() end)()"), QStringLiteral("false"));
}

void tst_Scripts::outcomes_data()
{
    QTest::addColumn<bool>("unitPackage");  // else the local fall-back tests
    QTest::addColumn<QByteArray>("fault");  // Lua run on a healthy unit before the tests
    QTest::addColumn<tOutcomes>("changed"); // tests whose status differs from the healthy unit
    QTest::newRow("healthy unit") << true << QByteArray() << tOutcomes{};
    QTest::newRow("operator confirms the LED") << true << QByteArray("bench.answer = 'yes'")
                                               << tOutcomes{{"LED indicator", Ok}};
    QTest::newRow("IN3 stuck") << true << QByteArray("bench.broken_input = 'IN3'") << tOutcomes{{"GPIO loop-back", Error}};
    QTest::newRow("EEPROM ignores writes") << true << QByteArray("bench.drops_writes = true")
                                           << tOutcomes{{"EEPROM write and read back", Error}};
    QTest::newRow("board too hot") << true << QByteArray("bench.temperature = 95 * 256")
                                   << tOutcomes{{"Board temperature", Error}};
    QTest::newRow("supply too low") << true << QByteArray("bench.unit_commands.GET_POWER = 'VBAT=8.20 V, VEXT=0.00 V'")
                                    << tOutcomes{{"Supply voltage", Error}};
    QTest::newRow("supply in millivolts") << true << QByteArray("bench.unit_commands.GET_POWER = 'POWER 12450 mV'")
                                          << tOutcomes{};
    QTest::newRow("sent more than stored")
        << true << QByteArray("bench.unit_commands.GET_STORAGE = 'STORAGE: STORED=10 SENT=11 FREE=5'")
        << tOutcomes{{"Storage counters", Error}};
    QTest::newRow("no network") << true
                                << QByteArray("bench.unit_commands.GET_GSM = 'GSM: NOT REGISTERED, searching'")
                                << tOutcomes{{"GSM registration", Error}};
    QTest::newRow("firmware without these commands")
        << true << QByteArray("bench.unit_commands = {} bench.echoes = false")
        << tOutcomes{{"Supply voltage", Error}, {"GSM registration", Error}, {"Storage counters", Error},
                     {"Serial echo", Error}};
    QTest::newRow("local: healthy unit") << false << QByteArray() << tOutcomes{};
    QTest::newRow("local: too hot") << false << QByteArray("bench.temperature = 95 * 256")
                                    << tOutcomes{{"Temperature plausible", Error}};
    QTest::newRow("local: operator answers") << false << QByteArray("bench.answer = 'yes'")
                                             << tOutcomes{{"Operator: unit label", Ok}};
}

void tst_Scripts::outcomes()
{
    QFETCH(bool, unitPackage);
    QFETCH(QByteArray, fault);
    QFETCH(tOutcomes, changed);
    cLuaBench lua(unitPackage);
    QCOMPARE(lua.loadError(), QString());
    // The package runs sandboxed on the unit's behalf: it must not need os, io, debug or package.
    if (unitPackage)
        QCOMPARE(lua.run("os, io, debug, package, require, dofile, loadfile = nil"), QString());
    // The package replaces the local tests it is loaded after.
    QCOMPARE(lua.runFile(QStringLiteral("tests/local_tests.lua")), QString());
    if (unitPackage)
        QCOMPARE(lua.runFile(QStringLiteral("unit/zovan_tools_tests.lua")), QString());
    QCOMPARE(lua.run("bench.healthy() " + fault), QString());

    tOutcomes expected = unitPackage
        ? tOutcomes{{"Supply voltage", Ok}, {"GSM registration", Ok}, {"GPIO loop-back", Ok},
                    {"EEPROM write and read back", Ok}, {"Board temperature", Ok}, {"Serial echo", Ok},
                    {"Storage counters", Ok}, {"LED indicator", Warning}, {"Accelerometer", Error}}
        : tOutcomes{{"Port is open", Ok}, {"GPIO loop-back OUT1->IN1", Ok}, {"EEPROM read", Ok},
                    {"Temperature plausible", Ok}, {"Operator: unit label", Warning}};
    for (auto it = changed.cbegin(); it != changed.cend(); ++it)
        expected[it.key()] = it.value();

    const QStringList names = lua.enumerate();
    QCOMPARE(QSet<QString>(names.cbegin(), names.cend()), QSet<QString>(expected.keyBegin(), expected.keyEnd()));
    for (const QString &name : names) {
        lua.exec(name);
        const QString details = lua.details();
        QVERIFY2(lua.status() == expected.value(name),
                 qPrintable(QStringLiteral("%1: status %2, details '%3'").arg(name).arg(lua.status()).arg(details)));
        if (lua.status() != Ok)
            QVERIFY2(!details.isEmpty(), qPrintable(name + QStringLiteral(" failed without a reason")));
    }
}

void tst_Scripts::unitPackageRestoresEeprom()
{
    cLuaBench lua;
    QCOMPARE(lua.loadError(), QString());
    QCOMPARE(lua.runFile(QStringLiteral("unit/zovan_tools_tests.lua")), QString());
    QCOMPARE(lua.run("for i = 0, 255 do bench.eeprom[i] = i end"), QString());
    QVERIFY(lua.exec(QStringLiteral("EEPROM write and read back")));
    QCOMPARE(lua.status(), int(Ok));
    QCOMPARE(lua.eval("(function() for i = 0, 255 do if bench.eeprom[i] ~= i then return i end end return nil end)()"),
             QStringLiteral("nil"));
}

QTEST_GUILESS_MAIN(tst_Scripts)
#include "tst_scripts.moc"

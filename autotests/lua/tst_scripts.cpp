// The shipped scripts, run in a bare Lua 5.1 state against a stand-in `zt` library and a fake
// adapter (loop-back GPIO, EEPROM, temperature sensor, a unit command line), so that their
// logic is checked without a runner or a unit.

#include <QByteArray>
#include <QFile>
#include <QHash>
#include <QList>
#include <QMap>
#include <QObject>
#include <QStringList>
#include <QTest>

#include <lua.hpp>

namespace {

enum Status { None = 0, Ok = 1, Error = 2, Warning = 3, Running = 5 };

// Everything the scripts can reach, kept in plain members the test inspects afterwards.
struct sBench
{
    int status = Running;
    QString details;
    QList<int> progress;
    QStringList logs;
    bool canceled = false;
    int cancelAfterProgress = -1; // the cancel request comes with this progress call

    // adapter
    int serialTag = 1, gpioTag = 2, i2cTag = 3;
    QHash<QString, bool> outputs;
    QString brokenInput;        // this input reads the opposite of its output
    bool serialOpen = true;
    QByteArray rx;              // what the unit has sent and the script not yet read
    int rxChunk = 7;            // bytes per read, so answers arrive in pieces
    QByteArray written;
    QMap<QByteArray, QByteArray> commandLine; // command -> answer on the serial line
    bool commandLineSilent = false;
    QByteArray eeprom = QByteArray(256, char(0xff));
    int eepromAddr = 0;
    bool eepromDropsWrites = false;
    qint16 temperatureRaw = 0x1980; // 25.5 C
    QMap<QString, QString> unitCommands; // unit.command answers; missing = nil, err
    bool unitEchoes = true;     // unit.command('ECHO x') answers x
    QStringList askedQuestions;
    QString operatorAnswer;     // empty: the question is cancelled (nil)

    void setStatus(int code)
    {
        const int old = status;
        if ((old == Ok && (code == Warning || code == Error)) || code == Error
            || old == None || old == Running || old == 4)
            status = code;
    }
};

sBench *bench(lua_State *L)
{
    return static_cast<sBench *>(lua_touserdata(L, lua_upvalueindex(1)));
}

QString argText(lua_State *L, int i)
{
    size_t len = 0;
    const char *s = lua_tolstring(L, i, &len);
    return s ? QString::fromLatin1(s, int(len)) : QString();
}

int statusFn(lua_State *L, int code)
{
    sBench *b = bench(L);
    b->setStatus(code);
    if (lua_gettop(L) >= 1 && lua_isstring(L, 1))
        b->details = argText(L, 1);
    return 0;
}

int zOk(lua_State *L) { return statusFn(L, Ok); }
int zErr(lua_State *L) { return statusFn(L, Error); }
int zWarn(lua_State *L) { return statusFn(L, Warning); }

int zText(lua_State *L)
{
    bench(L)->details = argText(L, 1);
    return 0;
}

int zLog(lua_State *L)
{
    QStringList parts;
    for (int i = 1; i <= lua_gettop(L); ++i)
        parts << argText(L, i);
    bench(L)->logs << parts.join(QStringLiteral("  "));
    return 0;
}

int zProgress(lua_State *L)
{
    sBench *b = bench(L);
    b->progress << int(lua_tointeger(L, 1));
    if (b->cancelAfterProgress >= 0 && b->progress.size() > b->cancelAfterProgress)
        b->canceled = true;
    return 0;
}

int zNothing(lua_State *) { return 0; }

int zCanceled(lua_State *L)
{
    lua_pushboolean(L, bench(L)->canceled);
    return 1;
}

bool isHandle(lua_State *L, int tag)
{
    return lua_type(L, 1) == LUA_TLIGHTUSERDATA && *static_cast<int *>(lua_touserdata(L, 1)) == tag;
}

int zIsOpen(lua_State *L)
{
    lua_pushboolean(L, isHandle(L, bench(L)->serialTag) && bench(L)->serialOpen);
    return 1;
}

int zFlush(lua_State *L)
{
    bench(L)->rx.clear();
    lua_pushboolean(L, isHandle(L, bench(L)->serialTag));
    return 1;
}

int zWrite(lua_State *L)
{
    sBench *b = bench(L);
    size_t len = 0;
    const char *s = lua_tolstring(L, 2, &len);
    const QByteArray data(s, int(len));
    b->written += data;
    // The unit's command line echoes the line, answers it and shows its prompt.
    const QByteArray cmd = data.trimmed();
    if (!b->commandLineSilent) {
        b->rx += cmd + "\r\n";
        b->rx += b->commandLine.value(cmd, QByteArray("Unknown command")) + "\r\n> ";
    }
    lua_pushboolean(L, isHandle(L, b->serialTag));
    lua_pushinteger(L, lua_Integer(len));
    return 2;
}

int zRead(lua_State *L)
{
    sBench *b = bench(L);
    const int size = int(lua_tointeger(L, 2));
    const QByteArray piece = b->rx.left(qMin(size, b->rxChunk));
    b->rx.remove(0, piece.size());
    lua_pushboolean(L, isHandle(L, b->serialTag));
    lua_pushinteger(L, piece.size());
    lua_pushlstring(L, piece.constData(), size_t(piece.size()));
    return 3;
}

int zGpioGet(lua_State *L)
{
    sBench *b = bench(L);
    const QString name = argText(L, 2);
    if (!isHandle(L, b->gpioTag) || !name.startsWith(QLatin1String("IN"))) {
        lua_pushboolean(L, false);
        lua_pushboolean(L, false);
        return 2;
    }
    bool level = b->outputs.value(QStringLiteral("OUT") + name.mid(2));
    if (name == b->brokenInput)
        level = !level;
    lua_pushboolean(L, true);
    lua_pushboolean(L, level);
    return 2;
}

int zGpioSet(lua_State *L)
{
    sBench *b = bench(L);
    const bool ok = isHandle(L, b->gpioTag) && lua_isboolean(L, 3);
    if (ok)
        b->outputs[argText(L, 2)] = lua_toboolean(L, 3);
    lua_pushboolean(L, ok);
    return 1;
}

int zI2cRead(lua_State *L)
{
    sBench *b = bench(L);
    const int addr = int(lua_tointeger(L, 2));
    const int count = int(lua_tointeger(L, 3));
    QByteArray out;
    if (isHandle(L, b->i2cTag) && addr == 0x50) {
        for (int i = 0; i < count; ++i) {
            out += b->eeprom.at(b->eepromAddr);
            b->eepromAddr = (b->eepromAddr + 1) % 256;
        }
    } else if (isHandle(L, b->i2cTag) && addr == 0x48 && count == 2) {
        out += char((b->temperatureRaw >> 8) & 0xff);
        out += char(b->temperatureRaw & 0xff);
    }
    lua_pushboolean(L, !out.isEmpty());
    lua_pushinteger(L, out.size());
    if (out.isEmpty())
        lua_pushnil(L);
    else
        lua_pushlstring(L, out.constData(), size_t(out.size()));
    return 3;
}

int zI2cWrite(lua_State *L)
{
    sBench *b = bench(L);
    const int addr = int(lua_tointeger(L, 2));
    size_t len = 0;
    const char *s = lua_tolstring(L, 3, &len);
    const bool ok = isHandle(L, b->i2cTag) && addr == 0x50 && len > 0;
    if (ok) {
        b->eepromAddr = quint8(s[0]);
        for (size_t i = 1; i < len && !b->eepromDropsWrites; ++i) {
            b->eeprom[b->eepromAddr] = s[i];
            b->eepromAddr = (b->eepromAddr + 1) % 256;
        }
    }
    lua_pushboolean(L, ok);
    lua_pushinteger(L, ok ? lua_Integer(len) : 0);
    return 2;
}

int zAskUser(lua_State *L)
{
    sBench *b = bench(L);
    b->askedQuestions << argText(L, 1);
    if (b->operatorAnswer.isEmpty()) {
        lua_pushnil(L);
        return 1;
    }
    lua_newtable(L);
    lua_rawgeti(L, 2, 1);
    lua_pushstring(L, b->operatorAnswer.toLatin1().constData());
    lua_settable(L, -3);
    return 1;
}

int unitCommand(lua_State *L)
{
    sBench *b = bench(L);
    const QString cmd = argText(L, 1);
    if (b->unitEchoes && cmd.startsWith(QLatin1String("ECHO "))) {
        lua_pushstring(L, cmd.mid(5).toLatin1().constData());
        return 1;
    }
    if (!b->unitCommands.contains(cmd)) {
        lua_pushnil(L);
        lua_pushstring(L, "Unknown command");
        return 2;
    }
    lua_pushstring(L, b->unitCommands.value(cmd).toLatin1().constData());
    return 1;
}

void setFn(lua_State *L, sBench *b, const char *name, lua_CFunction fn)
{
    lua_pushlightuserdata(L, b);
    lua_pushcclosure(L, fn, 1);
    lua_setfield(L, -2, name);
}

QByteArray readScript(const QString &relative)
{
    QFile f(QStringLiteral(ZT_LUA_SOURCE_DIR "/") + relative);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    return f.readAll();
}

// A Lua state with the stand-in API and the bench.
class cLuaBench
{
public:
    explicit cLuaBench(bool withUnitPlugin = true)
        : L(luaL_newstate())
    {
        luaL_openlibs(L);
        lua_newtable(L);
        setFn(L, &b, "set_status_ok", zOk);
        setFn(L, &b, "set_status_err", zErr);
        setFn(L, &b, "set_status_warn", zWarn);
        setFn(L, &b, "update_status_text", zText);
        for (const char *n : { "log", "log_notice", "log_warn", "log_err", "log_debug" })
            setFn(L, &b, n, zLog);
        setFn(L, &b, "progress", zProgress);
        setFn(L, &b, "sleep", zNothing);
        setFn(L, &b, "was_canceled", zCanceled);
        setFn(L, &b, "serial_is_open", zIsOpen);
        setFn(L, &b, "is_open", zIsOpen);
        setFn(L, &b, "serial_flush", zFlush);
        setFn(L, &b, "serial_write", zWrite);
        setFn(L, &b, "serial_read", zRead);
        setFn(L, &b, "gpio_get_state", zGpioGet);
        setFn(L, &b, "gpio_set_state", zGpioSet);
        setFn(L, &b, "ask_user", zAskUser);
        lua_newtable(L);
        setFn(L, &b, "get", zGpioGet);
        setFn(L, &b, "set", zGpioSet);
        lua_setfield(L, -2, "gpio");
        lua_newtable(L);
        setFn(L, &b, "read", zI2cRead);
        setFn(L, &b, "write", zI2cWrite);
        lua_setfield(L, -2, "i2c");
        lua_setglobal(L, "zt");
        lua_pushlightuserdata(L, &b);
        lua_pushcclosure(L, zLog, 1);
        lua_setglobal(L, "print");
        if (withUnitPlugin) {
            lua_newtable(L);
            setFn(L, &b, "command", unitCommand);
            lua_setglobal(L, "unit");
        }
    }
    ~cLuaBench() { lua_close(L); }
    Q_DISABLE_COPY_MOVE(cLuaBench)

    // Runs a chunk; empty on success, else the Lua error.
    QString run(const QByteArray &code, const char *chunk = "test")
    {
        if (luaL_loadbuffer(L, code.constData(), size_t(code.size()), chunk) != 0
            || lua_pcall(L, 0, LUA_MULTRET, 0) != 0) {
            const QString err = argText(L, -1);
            lua_settop(L, 0);
            return err.isEmpty() ? QStringLiteral("error") : err;
        }
        lua_settop(L, 0);
        return QString();
    }

    QString runFile(const QString &relative)
    {
        const QByteArray code = readScript(relative);
        if (code.isEmpty())
            return QStringLiteral("missing script ") + relative;
        return run(code, relative.toLatin1().constData());
    }

    // Loads the helpers and the contract, then hands the handles over as the runner would.
    void loadContract()
    {
        QCOMPARE(runFile(QStringLiteral("general/ztlib.lua")), QString());
        QCOMPARE(runFile(QStringLiteral("test/contract.lua")), QString());
        const QPair<const char *, int *> handles[] = {
            { "serial", &b.serialTag }, { "gpio", &b.gpioTag }, { "i2c", &b.i2cTag } };
        for (const auto &h : handles) {
            lua_getglobal(L, "set_device_handle");
            lua_pushstring(L, h.first);
            lua_pushlightuserdata(L, h.second);
            QCOMPARE(lua_pcall(L, 2, 1, 0), 0);
            QVERIFY(lua_toboolean(L, -1));
            lua_pop(L, 1);
        }
    }

    QStringList enumerate()
    {
        QStringList names;
        lua_getglobal(L, "zt_enumerate_tests");
        if (lua_pcall(L, 0, 1, 0) != 0 || !lua_istable(L, -1)) {
            lua_settop(L, 0);
            return names;
        }
        for (int i = 1;; ++i) {
            lua_rawgeti(L, -1, i);
            const QString name = argText(L, -1);
            lua_pop(L, 1);
            if (name.isEmpty())
                break;
            names << name;
        }
        lua_settop(L, 0);
        return names;
    }

    // Runs one test as the runner does; the test's result, status and details are in `b`.
    bool exec(const QString &name)
    {
        b.status = Running;
        b.details.clear();
        b.progress.clear();
        lua_getglobal(L, "zt_exec_test");
        lua_pushstring(L, name.toLatin1().constData());
        if (lua_pcall(L, 1, 1, 0) != 0) {
            b.details = argText(L, -1);
            b.status = Error;
            lua_settop(L, 0);
            return false;
        }
        const bool result = lua_toboolean(L, -1);
        lua_settop(L, 0);
        if (!result)
            b.status = Error;
        else if (b.status == Running)
            b.status = Ok;
        return result;
    }

    bool callBool(const char *fn, const char *arg = nullptr)
    {
        lua_getglobal(L, fn);
        int n = 0;
        if (arg) {
            lua_pushstring(L, arg);
            n = 1;
        }
        const bool ok = lua_pcall(L, n, 1, 0) == 0 && lua_toboolean(L, -1);
        lua_settop(L, 0);
        return ok;
    }

    // The value of a Lua expression as text (nil gives "nil").
    QString eval(const QByteArray &expr)
    {
        const QByteArray code = "return tostring(" + expr + ")";
        if (luaL_loadstring(L, code.constData()) != 0 || lua_pcall(L, 0, 1, 0) != 0) {
            const QString err = QStringLiteral("error: ") + argText(L, -1);
            lua_settop(L, 0);
            return err;
        }
        const QString v = argText(L, -1);
        lua_settop(L, 0);
        return v;
    }

    lua_State *L;
    sBench b;
};

// What a healthy simulated unit answers.
void healthyUnit(sBench &b)
{
    b.unitCommands = {
        { QStringLiteral("GET_POWER"), QStringLiteral("VBAT=13.85 V, VEXT=24.10 V, VSCAP=2.75 V") },
        { QStringLiteral("GET_GSM"), QStringLiteral("GSM: REGISTERED, NET=Beeline, CSQ=14") },
        { QStringLiteral("GET_STORAGE"), QStringLiteral("STORAGE: STORED=233019 SENT=233010 FREE=90") },
    };
    b.unitEchoes = true;
}

} // namespace

class tst_Scripts : public QObject
{
    Q_OBJECT

private slots:
    void hexHelpers_data();
    void hexHelpers();
    void rangeCheck_data();
    void rangeCheck();
    void numberAfter_data();
    void numberAfter();
    void withProgress_data();
    void withProgress();
    void serialCommand_data();
    void serialCommand();
    void registry();
    void execOutcomes_data();
    void execOutcomes();
    void deviceHandles();
    void restartRefusedWhileTesting();
    void unitPackageOutcomes_data();
    void unitPackageOutcomes();
    void unitPackageRestoresEeprom();
    void localTestOutcomes_data();
    void localTestOutcomes();
};

void tst_Scripts::hexHelpers_data()
{
    QTest::addColumn<QByteArray>("expr");
    QTest::addColumn<QString>("expected");
    QTest::newRow("to hex, all byte values keep two digits")
        << QByteArray("ztl.to_hex('\\0\\1\\171\\255')") << QStringLiteral("0001abff");
    QTest::newRow("to hex of nothing") << QByteArray("ztl.to_hex('')") << QString();
    QTest::newRow("round trip") << QByteArray("ztl.from_hex(ztl.to_hex('\\0a\\255z')) == '\\0a\\255z'")
                                << QStringLiteral("true");
    QTest::newRow("upper case and spaces") << QByteArray("ztl.to_hex(ztl.from_hex('AB 0c'))")
                                           << QStringLiteral("ab0c");
    QTest::newRow("odd digit count refused") << QByteArray("ztl.from_hex('abc')") << QStringLiteral("nil");
    QTest::newRow("non-hex refused") << QByteArray("ztl.from_hex('0g')") << QStringLiteral("nil");
    QTest::newRow("not a string refused") << QByteArray("ztl.from_hex(12)") << QStringLiteral("nil");
}

void tst_Scripts::hexHelpers()
{
    QFETCH(QByteArray, expr);
    QFETCH(QString, expected);
    cLuaBench lua;
    lua.loadContract();
    QCOMPARE(lua.eval(expr), expected);
}

void tst_Scripts::rangeCheck_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<bool>("inRange");
    QTest::newRow("inside") << QByteArray("12") << true;
    QTest::newRow("low bound") << QByteArray("9") << true;
    QTest::newRow("high bound") << QByteArray("32") << true;
    QTest::newRow("below") << QByteArray("8.99") << false;
    QTest::newRow("above") << QByteArray("32.01") << false;
    QTest::newRow("not a number") << QByteArray("'12'") << false;
    QTest::newRow("nan") << QByteArray("0/0") << false;
    QTest::newRow("nil") << QByteArray("nil") << false;
}

void tst_Scripts::rangeCheck()
{
    QFETCH(QByteArray, value);
    QFETCH(bool, inRange);
    cLuaBench lua;
    lua.loadContract();
    QCOMPARE(lua.eval("(ztl.in_range(" + value + ", 9, 32, 'supply'))"),
             inRange ? QStringLiteral("true") : QStringLiteral("false"));
    // expect_range reports the failure as an error with the reason, and nothing on success.
    QCOMPARE(lua.eval("ztl.expect_range(" + value + ", 9, 32, 'supply')"),
             inRange ? QStringLiteral("true") : QStringLiteral("false"));
    QCOMPARE(lua.b.status, inRange ? int(Running) : int(Error));
    if (!inRange)
        QVERIFY2(lua.b.details.startsWith(QLatin1String("supply")), qPrintable(lua.b.details));
}

void tst_Scripts::numberAfter_data()
{
    QTest::addColumn<QByteArray>("args");
    QTest::addColumn<QString>("expected");
    QTest::newRow("after key") << QByteArray("'VBAT=12.6 VIN=3', 'VBAT'") << QStringLiteral("12.6");
    QTest::newRow("second key") << QByteArray("'VBAT=12.6 VIN=3', 'VIN'") << QStringLiteral("3");
    QTest::newRow("negative") << QByteArray("'T=-4.5', 'T'") << QStringLiteral("-4.5");
    QTest::newRow("first number without key") << QByteArray("'power 13800 mV'") << QStringLiteral("13800");
    QTest::newRow("missing key") << QByteArray("'VBAT=12.6', 'SENT'") << QStringLiteral("nil");
    QTest::newRow("no number") << QByteArray("'SENT=none', 'SENT'") << QStringLiteral("nil");
    QTest::newRow("not text") << QByteArray("nil, 'X'") << QStringLiteral("nil");
}

void tst_Scripts::numberAfter()
{
    QFETCH(QByteArray, args);
    QFETCH(QString, expected);
    cLuaBench lua;
    lua.loadContract();
    QCOMPARE(lua.eval("ztl.number_after(" + args + ")"), expected);
}

void tst_Scripts::withProgress_data()
{
    QTest::addColumn<int>("steps");
    QTest::addColumn<int>("failAt");        // step whose function returns false; 0 none
    QTest::addColumn<int>("cancelAfter");   // cancel after this many progress calls; -1 never
    QTest::addColumn<bool>("result");
    QTest::addColumn<int>("stepsRun");
    QTest::addColumn<QList<int>>("progress");
    QTest::newRow("all steps") << 4 << 0 << -1 << true << 4 << QList<int>{ 0, 25, 50, 75, 100 };
    QTest::newRow("three steps round down") << 3 << 0 << -1 << true << 3 << QList<int>{ 0, 33, 66, 100 };
    QTest::newRow("failing step stops") << 4 << 2 << -1 << false << 2 << QList<int>{ 0, 25 };
    QTest::newRow("cancel stops") << 4 << 0 << 2 << false << 2 << QList<int>{ 0, 25, 50 };
    QTest::newRow("no steps") << 0 << 0 << -1 << true << 0 << QList<int>{ 100 };
}

void tst_Scripts::withProgress()
{
    QFETCH(bool, result);
    QFETCH(int, stepsRun);
    QFETCH(QList<int>, progress);
    QFETCH(int, steps);
    QFETCH(int, failAt);
    QFETCH(int, cancelAfter);
    cLuaBench lua;
    lua.loadContract();
    lua.b.cancelAfterProgress = cancelAfter;
    const QByteArray code = "ran = 0; result = ztl.with_progress(" + QByteArray::number(steps)
                            + ", function(i) ran = i; return i ~= " + QByteArray::number(failAt) + " end)";
    QCOMPARE(lua.run(code), QString());
    QCOMPARE(lua.eval("result"), result ? QStringLiteral("true") : QStringLiteral("false"));
    QCOMPARE(lua.eval("ran").toInt(), stepsRun);
    QCOMPARE(lua.b.progress, progress);
}

void tst_Scripts::serialCommand_data()
{
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<int>("chunk");
    QTest::addColumn<bool>("silent");
    QTest::addColumn<QString>("expected");
    QTest::newRow("answer in small pieces") << QByteArray("VBAT=12.6") << 3 << false << QStringLiteral("VBAT=12.6");
    QTest::newRow("answer in one read") << QByteArray("VBAT=12.6") << 256 << false << QStringLiteral("VBAT=12.6");
    QTest::newRow("several lines") << QByteArray("A=1\r\nB=2") << 5 << false << QStringLiteral("A=1\r\nB=2");
    QTest::newRow("empty answer") << QByteArray() << 4 << false << QString();
    QTest::newRow("no prompt: time-out") << QByteArray("x") << 4 << true << QStringLiteral("nil");
}

void tst_Scripts::serialCommand()
{
    QFETCH(QString, expected);
    QFETCH(QByteArray, answer);
    cLuaBench lua(false);
    lua.loadContract();
    QFETCH(int, chunk);
    QFETCH(bool, silent);
    lua.b.rxChunk = chunk;
    lua.b.commandLineSilent = silent;
    lua.b.commandLine.insert("GET_POWER", answer);
    lua.b.rx = "stale log line\r\n"; // must not be taken for the answer
    QCOMPARE(lua.eval("ztl.unit_command('GET_POWER', 300)"), expected);
    QCOMPARE(lua.b.written, QByteArray("GET_POWER\r\n"));
}

void tst_Scripts::registry()
{
    cLuaBench lua;
    lua.loadContract();
    QCOMPARE(lua.enumerate(), QStringList());
    QCOMPARE(lua.run("register_test('b', function() return true end)\n"
                     "register_test('a', function() return true end)\n"
                     "register_test('b', function() zt.set_status_warn('newer') return true end)"),
             QString());
    // A name given again keeps its place and runs the newer function.
    QCOMPARE(lua.enumerate(), (QStringList{ QStringLiteral("b"), QStringLiteral("a") }));
    QVERIFY(lua.exec(QStringLiteral("b")));
    QCOMPARE(lua.b.status, int(Warning));
    QCOMPARE(lua.b.details, QStringLiteral("newer"));

    QVERIFY(lua.run("register_test('', function() end)").contains(QLatin1String("non-empty")));
    QVERIFY(lua.run("register_test('c', 5)").contains(QLatin1String("needs a function")));
    QCOMPARE(lua.enumerate().size(), 2);

    QCOMPARE(lua.run("clear_tests() register_test('only', function() end)"), QString());
    QCOMPARE(lua.enumerate(), QStringList{ QStringLiteral("only") });
}

void tst_Scripts::execOutcomes_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<bool>("result");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("details");
    QTest::newRow("true without status is OK") << QByteArray("return true") << true << int(Ok) << QString();
    QTest::newRow("no return value counts as passed") << QByteArray("") << true << int(Ok) << QString();
    QTest::newRow("false without status is an error") << QByteArray("return false") << false << int(Error)
                                                      << QString();
    QTest::newRow("false keeps the reason given")
        << QByteArray("zt.set_status_err('broken wire') return false") << false << int(Error)
        << QStringLiteral("broken wire");
    QTest::newRow("warning then true") << QByteArray("zt.set_status_warn('low') return true") << true
                                       << int(Warning) << QStringLiteral("low");
    QTest::newRow("raised error becomes the details")
        << QByteArray("error('boom', 0)") << false << int(Error) << QStringLiteral("script error: boom");
}

void tst_Scripts::execOutcomes()
{
    QFETCH(bool, result);
    QFETCH(int, status);
    QFETCH(QString, details);
    QFETCH(QByteArray, body);
    cLuaBench lua;
    lua.loadContract();
    QCOMPARE(lua.run("register_test('t', function() " + body + " end)"), QString());
    QCOMPARE(lua.exec(QStringLiteral("t")), result);
    QCOMPARE(lua.b.status, status);
    QCOMPARE(lua.b.details, details);
}

void tst_Scripts::deviceHandles()
{
    cLuaBench lua;
    lua.loadContract();
    QCOMPARE(lua.eval("devices.gpio ~= nil and devices.serial ~= devices.i2c"), QStringLiteral("true"));
    QCOMPARE(lua.eval("set_device_handle('x', 'not a handle')"), QStringLiteral("false"));
    QCOMPARE(lua.eval("set_device_handle('', devices.gpio)"), QStringLiteral("false"));
    QCOMPARE(lua.eval("devices.x"), QStringLiteral("nil"));

    // init switches the ignition on and the outputs off; deinit switches the ignition off.
    lua.b.outputs.insert(QStringLiteral("OUT2"), true);
    QVERIFY(lua.callBool("init_test_env"));
    QCOMPARE(lua.b.outputs.value(QStringLiteral("IGN")), true);
    QCOMPARE(lua.b.outputs.value(QStringLiteral("OUT2"), true), false);
    QVERIFY(lua.callBool("deinit_test_env"));
    QCOMPARE(lua.b.outputs.value(QStringLiteral("IGN"), true), false);

    // Without a serial line there is nothing to test.
    QCOMPARE(lua.run("devices.serial = nil"), QString());
    QVERIFY(!lua.callBool("init_test_env"));
}

void tst_Scripts::restartRefusedWhileTesting()
{
    cLuaBench lua;
    lua.loadContract();
    QVERIFY(lua.callBool("is_restart_allowed", "reboot"));
    QCOMPARE(lua.run("register_test('t', function() inside = is_restart_allowed('reboot') return true end)"),
             QString());
    QVERIFY(lua.exec(QStringLiteral("t")));
    QCOMPARE(lua.eval("inside"), QStringLiteral("false"));
    QVERIFY(lua.callBool("is_restart_allowed", "reboot"));
}

enum Fault { NoFault, BrokenIn3, EepromDropsWrites, NoUnitAnswers, HotBoard, NotRegistered, OperatorSaysYes,
             LowSupply, MillivoltSupply, SentAheadOfStored, StorageFull };
Q_DECLARE_METATYPE(Fault)

using tOutcomes = QMap<QString, int>;

static void applyFault(sBench &b, Fault fault)
{
    healthyUnit(b);
    switch (fault) {
    case NoFault: break;
    case BrokenIn3: b.brokenInput = QStringLiteral("IN3"); break;
    case EepromDropsWrites: b.eepromDropsWrites = true; break;
    case NoUnitAnswers:
        b.unitCommands.clear();
        b.unitEchoes = false;
        break;
    case HotBoard: b.temperatureRaw = qint16(95 * 256); break;
    case NotRegistered:
        b.unitCommands[QStringLiteral("GET_GSM")] = QStringLiteral("GSM: NOT REGISTERED, searching");
        break;
    case LowSupply: b.unitCommands[QStringLiteral("GET_POWER")] = QStringLiteral("VBAT=8.20 V, VEXT=0.00 V"); break;
    case MillivoltSupply: b.unitCommands[QStringLiteral("GET_POWER")] = QStringLiteral("POWER 12450 mV"); break;
    case SentAheadOfStored:
        b.unitCommands[QStringLiteral("GET_STORAGE")] = QStringLiteral("STORAGE: STORED=10 SENT=11 FREE=5");
        break;
    case StorageFull:
        b.unitCommands[QStringLiteral("GET_STORAGE")] = QStringLiteral("STORAGE: STORED=10 SENT=9 FREE=0");
        break;
    case OperatorSaysYes: b.operatorAnswer = QStringLiteral("yes"); break;
    }
}

void tst_Scripts::unitPackageOutcomes_data()
{
    QTest::addColumn<Fault>("fault");
    QTest::addColumn<tOutcomes>("changed"); // tests whose status differs from the healthy unit
    QTest::newRow("healthy unit") << NoFault << tOutcomes{};
    QTest::newRow("operator confirms the LED") << OperatorSaysYes
                                               << tOutcomes{ { QStringLiteral("LED indicator"), Ok } };
    QTest::newRow("IN3 stuck") << BrokenIn3 << tOutcomes{ { QStringLiteral("GPIO loop-back"), Error } };
    QTest::newRow("EEPROM ignores writes")
        << EepromDropsWrites << tOutcomes{ { QStringLiteral("EEPROM write and read back"), Error } };
    QTest::newRow("board too hot") << HotBoard << tOutcomes{ { QStringLiteral("Board temperature"), Error } };
    QTest::newRow("supply too low") << LowSupply << tOutcomes{ { QStringLiteral("Supply voltage"), Error } };
    QTest::newRow("supply in millivolts") << MillivoltSupply << tOutcomes{};
    QTest::newRow("sent more than stored")
        << SentAheadOfStored << tOutcomes{ { QStringLiteral("Storage counters"), Error } };
    QTest::newRow("storage full") << StorageFull << tOutcomes{ { QStringLiteral("Storage counters"), Error } };
    QTest::newRow("no network") << NotRegistered << tOutcomes{ { QStringLiteral("GSM registration"), Error } };
    QTest::newRow("firmware without these commands")
        << NoUnitAnswers
        << tOutcomes{ { QStringLiteral("Supply voltage"), Error }, { QStringLiteral("GSM registration"), Error },
                      { QStringLiteral("Storage counters"), Error }, { QStringLiteral("Serial echo"), Error } };
}

// The package runs sandboxed on the unit's behalf: it must not need os, io, debug or package.
void tst_Scripts::unitPackageOutcomes()
{
    QFETCH(Fault, fault);
    QFETCH(tOutcomes, changed);
    cLuaBench lua;
    lua.loadContract();
    QCOMPARE(lua.run("os, io, debug, package, require, dofile, loadfile = nil"), QString());
    QCOMPARE(lua.runFile(QStringLiteral("tests/local_tests.lua")), QString());
    QCOMPARE(lua.runFile(QStringLiteral("unit/zovan_tools_tests.lua")), QString());
    applyFault(lua.b, fault);

    tOutcomes expected{
        { QStringLiteral("Supply voltage"), Ok },      { QStringLiteral("GSM registration"), Ok },
        { QStringLiteral("GPIO loop-back"), Ok },      { QStringLiteral("EEPROM write and read back"), Ok },
        { QStringLiteral("Board temperature"), Ok },   { QStringLiteral("Serial echo"), Ok },
        { QStringLiteral("Storage counters"), Ok },    { QStringLiteral("LED indicator"), Warning },
        { QStringLiteral("Accelerometer"), Error },
    };
    for (auto it = changed.cbegin(); it != changed.cend(); ++it)
        expected[it.key()] = it.value();

    const QStringList names = lua.enumerate();
    QCOMPARE(QSet<QString>(names.cbegin(), names.cend()),
             QSet<QString>(expected.keyBegin(), expected.keyEnd()));
    for (const QString &name : names) {
        lua.exec(name);
        QVERIFY2(lua.b.status == expected.value(name),
                 qPrintable(QStringLiteral("%1: status %2, details '%3'")
                                .arg(name).arg(lua.b.status).arg(lua.b.details)));
        if (lua.b.status != Ok)
            QVERIFY2(!lua.b.details.isEmpty(), qPrintable(name + QStringLiteral(" failed without a reason")));
        applyFault(lua.b, fault);
    }
}

void tst_Scripts::unitPackageRestoresEeprom()
{
    cLuaBench lua;
    lua.loadContract();
    QCOMPARE(lua.runFile(QStringLiteral("unit/zovan_tools_tests.lua")), QString());
    for (int i = 0; i < 256; ++i)
        lua.b.eeprom[i] = char(i);
    const QByteArray before = lua.b.eeprom;
    QVERIFY(lua.exec(QStringLiteral("EEPROM write and read back")));
    QCOMPARE(lua.b.status, int(Ok));
    QCOMPARE(lua.b.eeprom, before);
}

void tst_Scripts::localTestOutcomes_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<Fault>("fault");
    QTest::addColumn<int>("status");
    QTest::newRow("port open") << QStringLiteral("Port is open") << NoFault << int(Ok);
    QTest::newRow("loop-back") << QStringLiteral("GPIO loop-back OUT1->IN1") << NoFault << int(Ok);
    QTest::newRow("loop-back of another line broken") << QStringLiteral("GPIO loop-back OUT1->IN1") << BrokenIn3
                                                      << int(Ok);
    QTest::newRow("EEPROM read") << QStringLiteral("EEPROM read") << NoFault << int(Ok);
    QTest::newRow("temperature") << QStringLiteral("Temperature plausible") << NoFault << int(Ok);
    QTest::newRow("temperature too high") << QStringLiteral("Temperature plausible") << HotBoard << int(Error);
    QTest::newRow("no operator") << QStringLiteral("Operator: unit label") << NoFault << int(Warning);
    QTest::newRow("operator answers") << QStringLiteral("Operator: unit label") << OperatorSaysYes << int(Ok);
}

void tst_Scripts::localTestOutcomes()
{
    QFETCH(int, status);
    QFETCH(QString, name);
    QFETCH(Fault, fault);
    cLuaBench lua(false);
    lua.loadContract();
    QCOMPARE(lua.runFile(QStringLiteral("tests/local_tests.lua")), QString());
    applyFault(lua.b, fault);
    lua.exec(name);
    QVERIFY2(lua.b.status == status, qPrintable(lua.b.details));
}

QTEST_GUILESS_MAIN(tst_Scripts)
#include "tst_scripts.moc"

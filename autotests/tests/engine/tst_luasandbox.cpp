#include "tests/engine/cluastate.h"
#include "tests/engine/cztapi.h"
#include "tests/engine/luasandbox.h"

#include <QElapsedTimer>
#include <QTest>
#include <QThread>

#include <lua.hpp>

#include <atomic>
#include <memory>

namespace {

const char kUnit[] = "zovan_tools_tests";

// What the local scripts of a unit might leave in the globals before the package runs.
const char kTrustedPrelude[] = R"lua(
shared_value = 42
registry = {}
function reg(name) registry[#registry + 1] = name end
my_os, my_exec, my_loaders = os, os.execute, package.loaders
dumped = string.dump(function() return 1 end)
)lua";

int installSandbox(lua_State *L)
{
    luasandbox::install(L, static_cast<QString *>(lua_touserdata(L, 1)));
    return 0;
}

std::unique_ptr<cLuaState> preparedState(const std::atomic<bool> *quit, std::size_t limit = cLuaState::kDefaultMemoryLimit)
{
    auto state = std::make_unique<cLuaState>(quit, limit);
    QString error;
    QString fault;
    if (state->isNull() || !cZtApi::install(state->handle(), nullptr, &error)
        || !state->protect(&installSandbox, &error, &fault) || !error.isEmpty()
        || state->run(kTrustedPrelude, "prelude", false, &error) != cLuaState::Done)
        return nullptr;
    return state;
}

} // namespace

class tst_LuaSandbox : public QObject
{
    Q_OBJECT

private slots:
    void refusedForUnitCode_data();
    void refusedForUnitCode();
    void allowedForUnitCode_data();
    void allowedForUnitCode();
    void contractFunctionsBecomeGlobal();
    void sharedLibrariesStayIntact();
    void precompiledPackageRefused();
    void badChunks_data();
    void badChunks();
    void memoryIsCapped();
    void enumerationReading_data();
    void enumerationReading();
    void quitEndsRunawayScripts_data();
    void quitEndsRunawayScripts();
    void libraryHoldsItsFunctions();
};

void tst_LuaSandbox::refusedForUnitCode_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("refused");
    QTest::newRow("os.execute") << "os.execute('true')" << "os.execute";
    QTest::newRow("os.exit") << "os.exit(1)" << "os.exit";
    QTest::newRow("os.getenv") << "os.getenv('HOME')" << "os.getenv";
    QTest::newRow("io.popen") << "io.popen('ls')" << "io.popen";
    QTest::newRow("io.open") << "io.open('/etc/passwd')" << "io.open";
    QTest::newRow("io.lines") << "for l in io.lines('/etc/passwd') do end" << "io.lines";
    QTest::newRow("package.loadlib") << "package.loadlib('libc.so.6', 'system')" << "package.loadlib";
    QTest::newRow("require") << "require('os')" << "require of 'os'";
    QTest::newRow("loadstring") << "loadstring('return 1')" << "loadstring";
    QTest::newRow("load") << "load(function() return nil end)" << "load";
    QTest::newRow("loadfile") << "loadfile('/etc/passwd')" << "loadfile";
    QTest::newRow("dofile") << "dofile('/etc/passwd')" << "dofile";
    QTest::newRow("getfenv") << "getfenv(0)" << "getfenv";
    QTest::newRow("setfenv") << "setfenv(1, {})" << "setfenv";
    QTest::newRow("module") << "module('x')" << "module";
    QTest::newRow("newproxy") << "newproxy(true)" << "newproxy";
    QTest::newRow("debug.getinfo") << "debug.getinfo(1)" << "debug.getinfo";
    QTest::newRow("string.dump") << "string.dump(print)" << "string.dump";
    QTest::newRow("through _G") << "_G.os.execute('true')" << "os.execute";
    QTest::newRow("through rawget") << "rawget(_G, 'io').popen('ls')" << "io.popen";
    QTest::newRow("alias of a function") << "my_exec('true')" << "os.execute";
    QTest::newRow("alias of a library") << "my_os.execute('true')" << "os.execute";
    QTest::newRow("alias of a loader list") << "my_loaders[2]('x')" << "package.loaders[2]";
    QTest::newRow("inside a defined function") << "function zt_exec_test() return os.execute('true') end zt_exec_test()"
                                               << "os.execute";
}

void tst_LuaSandbox::refusedForUnitCode()
{
    QFETCH(QString, code);
    QFETCH(QString, refused);
    const std::atomic<bool> quit{false};
    auto state = preparedState(&quit);
    QVERIFY(state);
    QString error;
    QCOMPARE(state->run(code.toLatin1(), kUnit, true, &error), cLuaState::RunFailed);
    QVERIFY2(error.contains(refused + QStringLiteral(" is not allowed for code from the unit")), qPrintable(error));
    // Refusing leaves the state usable for the tests that do not try.
    QCOMPARE(state->run("function zt_exec_test() return true end", kUnit, true, &error), cLuaState::Done);
    QVERIFY(state->call("zt_exec_test").result);
}

void tst_LuaSandbox::allowedForUnitCode_data()
{
    QTest::addColumn<QString>("code");
    QTest::newRow("string, table, math") << "assert(('abc'):upper() == 'ABC' and string.format('%02x', 10) == '0a'"
                                            " and table.concat({1, 2}, ',') == '1,2' and math.floor(2.5) == 2)";
    QTest::newRow("time") << "assert(type(os.time()) == 'number' and type(os.date('%Y')) == 'string' and os.clock() >= 0)";
    QTest::newRow("protected calls") << "local ok, e = pcall(error, {code = 1}); assert(not ok and e.code == 1)";
    QTest::newRow("coroutines") << "local co = coroutine.wrap(function() coroutine.yield(1) end); assert(co() == 1)";
    QTest::newRow("metatables of tables") << "assert(setmetatable({}, {__index = function() return 7 end}).x == 7)";
    QTest::newRow("string metatable hidden") << "assert(getmetatable('') == nil)";
    QTest::newRow("what local scripts left") << "reg('a'); reg('b'); assert(#registry == 2 and shared_value == 42)";
    QTest::newRow("zt library") << "assert(type(zt.gpio.get) == 'function' and require('zt').log == zt.log)";
    QTest::newRow("call_ctx") << "assert(type(call_ctx) == 'userdata')";
    QTest::newRow("_G is the sandbox") << "x_local = 1; assert(_G.x_local == 1)";
}

void tst_LuaSandbox::allowedForUnitCode()
{
    QFETCH(QString, code);
    const std::atomic<bool> quit{false};
    auto state = preparedState(&quit);
    QVERIFY(state);
    QString error;
    QCOMPARE(state->run(code.toLatin1(), kUnit, true, &error), cLuaState::Done);
    QVERIFY2(error.isEmpty(), qPrintable(error));
}

void tst_LuaSandbox::contractFunctionsBecomeGlobal()
{
    const std::atomic<bool> quit{false};
    auto state = preparedState(&quit);
    QVERIFY(state);
    QString error;
    QCOMPARE(state->run("function zt_enumerate_tests() return { 'from unit', tostring(shared_value) } end\n"
                        "function zt_exec_test(name) return name == 'from unit' end\n"
                        "function init_test_env() return true end\n"
                        "function helper() return 1 end\n",
                        kUnit, true, &error),
             cLuaState::Done);
    const auto type = [&](const char *name) {
        lua_getglobal(state->handle(), name);
        const QString t = QString::fromLatin1(luaL_typename(state->handle(), -1));
        lua_pop(state->handle(), 1);
        return t;
    };
    QCOMPARE(type("init_test_env"), QStringLiteral("function"));
    QCOMPARE(type("helper"), QStringLiteral("nil"));
    bool ok = false;
    QCOMPARE(state->callForNames("zt_enumerate_tests", &ok, &error, 100), QStringList({"from unit", "42"}));
    QVERIFY(ok);
    const cLuaState::sCall call = state->call("zt_exec_test", {QByteArrayLiteral("from unit")});
    QCOMPARE(call.code, 0);
    QVERIFY(call.result);
}

void tst_LuaSandbox::sharedLibrariesStayIntact()
{
    const std::atomic<bool> quit{false};
    auto state = preparedState(&quit);
    QVERIFY(state);
    QString error;
    QCOMPARE(state->run("string.upper = nil; math.pi = 0; zt.log = nil; os = nil; shared_value = 1", kUnit, true, &error),
             cLuaState::Done);
    // Local scripts still see their libraries whole, the unsafe parts included.
    QCOMPARE(state->run("assert(type(string.upper) == 'function' and math.pi > 3 and type(zt.log) == 'function'"
                        " and type(os.execute) == 'function' and shared_value == 42 and type(io.popen) == 'function'"
                        " and type(debug.getinfo) == 'function' and loadstring('return 5')() == 5)",
                        "local", false, &error),
             cLuaState::Done);
    QVERIFY2(error.isEmpty(), qPrintable(error));
}

void tst_LuaSandbox::precompiledPackageRefused()
{
    const std::atomic<bool> quit{false};
    auto state = preparedState(&quit);
    QVERIFY(state);
    lua_getglobal(state->handle(), "dumped");
    size_t len = 0;
    const char *bytes = lua_tolstring(state->handle(), -1, &len);
    const QByteArray binary(bytes, int(len));
    lua_pop(state->handle(), 1);
    QString error;
    QCOMPARE(state->run(binary, kUnit, true, &error), cLuaState::LoadFailed);
    QCOMPARE(error, QStringLiteral("precompiled code is not allowed for code from the unit"));
    // A trusted unit may ship precompiled tests.
    QCOMPARE(state->run(binary, kUnit, false, &error), cLuaState::Done);
}

void tst_LuaSandbox::badChunks_data()
{
    QTest::addColumn<QByteArray>("chunk");
    QTest::addColumn<bool>("sandboxed");
    QTest::addColumn<int>("stage");
    QTest::addColumn<QString>("message");
    QTest::newRow("not Lua") << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16) << true << int(cLuaState::LoadFailed)
                             << QStringLiteral("zovan_tools_tests");
    QTest::newRow("syntax error") << QByteArray("function (") << false << int(cLuaState::LoadFailed)
                                  << QStringLiteral("'<name>' expected");
    QTest::newRow("run error") << QByteArray("local x = nil; x.y = 1") << true << int(cLuaState::RunFailed)
                               << QStringLiteral("attempt to index");
    QTest::newRow("error with a table") << QByteArray("error({})") << false << int(cLuaState::RunFailed)
                                        << QStringLiteral("(error object is not a string)");
}

void tst_LuaSandbox::badChunks()
{
    QFETCH(QByteArray, chunk);
    QFETCH(bool, sandboxed);
    QFETCH(int, stage);
    QFETCH(QString, message);
    const std::atomic<bool> quit{false};
    auto state = preparedState(&quit);
    QVERIFY(state);
    QString error;
    QCOMPARE(int(state->run(chunk, kUnit, sandboxed, &error)), stage);
    QVERIFY2(error.contains(message), qPrintable(error));
    QCOMPARE(state->run("x = 1", "after", sandboxed, &error), cLuaState::Done);
}

void tst_LuaSandbox::memoryIsCapped()
{
    const std::atomic<bool> quit{false};
    auto state = preparedState(&quit, 32 * 1024 * 1024);
    QVERIFY(state);
    QString error;
    QCOMPARE(state->run("local t = {} for i = 1, 1e8 do t[i] = tostring(i) .. 'padding' end", kUnit, true, &error),
             cLuaState::RunFailed);
    QVERIFY2(error.contains(QStringLiteral("not enough memory")), qPrintable(error));
    QVERIFY(state->memoryUsed() <= 32u * 1024 * 1024);
    lua_gc(state->handle(), LUA_GCCOLLECT, 0);
    QCOMPARE(state->run("y = 2", "after", false, &error), cLuaState::Done);
}

void tst_LuaSandbox::enumerationReading_data()
{
    QTest::addColumn<QString>("function");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<bool>("ok");
    QTest::newRow("stops at an empty name") << "return { 'a', 'b', '', 'c' }" << QStringList{"a", "b"} << true;
    QTest::newRow("numbers are names") << "return { 'a', 5, 'b' }" << QStringList{"a", "5", "b"} << true;
    QTest::newRow("stops at a table") << "return { 'a', {}, 'b' }" << QStringList{"a"} << true;
    QTest::newRow("stops at a hole") << "return { 'a', nil, 'b' }" << QStringList{"a"} << true;
    QTest::newRow("keys are ignored") << "return { x = 'a', 'b' }" << QStringList{"b"} << true;
    QTest::newRow("quotes in names") << "return { \"it's\", 'back\\\\slash' }" << QStringList{"it's", "back\\slash"} << true;
    QTest::newRow("not a table") << "return 'a'" << QStringList() << false;
    QTest::newRow("nothing") << "return" << QStringList() << false;
    QTest::newRow("raises") << "error('broken')" << QStringList() << false;
    // The raise inside the read is caught: no Lua error may reach an unprotected call.
    QTest::newRow("metatable that raises") << "return setmetatable({}, {__index = function() error('x') end})"
                                           << QStringList() << true;
}

void tst_LuaSandbox::enumerationReading()
{
    QFETCH(QString, function);
    QFETCH(QStringList, names);
    QFETCH(bool, ok);
    const std::atomic<bool> quit{false};
    auto state = preparedState(&quit);
    QVERIFY(state);
    QString error;
    QCOMPARE(state->run("function zt_enumerate_tests() " + function.toLatin1() + " end", "tests", false, &error),
             cLuaState::Done);
    bool read = !ok;
    QCOMPARE(state->callForNames("zt_enumerate_tests", &read, &error, 100), names);
    QCOMPARE(read, ok);
}

void tst_LuaSandbox::quitEndsRunawayScripts_data()
{
    QTest::addColumn<QByteArray>("code");
    QTest::newRow("endless loop") << QByteArray("while true do end");
    QTest::newRow("loop that catches errors") << QByteArray("while true do pcall(function() while true do end end) end");
    QTest::newRow("endless coroutine") << QByteArray("coroutine.wrap(function() while true do end end)()");
    QTest::newRow("endless recursion in pcall") << QByteArray("local function f() pcall(f) f() end while true do pcall(f) end");
}

void tst_LuaSandbox::quitEndsRunawayScripts()
{
    QFETCH(QByteArray, code);
    std::atomic<bool> quit{false};
    std::atomic<int> stage{-1};
    QString error;
    std::unique_ptr<QThread> worker(QThread::create([&] {
        if (auto state = preparedState(&quit))
            stage = int(state->run(code, kUnit, true, &error));
    }));
    worker->start();
    QTest::qWait(200);
    QVERIFY(worker->isRunning());
    QElapsedTimer timer;
    timer.start();
    quit = true;
    QVERIFY(worker->wait(5000));
    QVERIFY2(timer.elapsed() < 1000, qPrintable(QString::number(timer.elapsed())));
    QCOMPARE(stage.load(), int(cLuaState::RunFailed));
}

void tst_LuaSandbox::libraryHoldsItsFunctions()
{
    QStringList zt = cZtApi::functionNames("zt");
    zt.sort();
    QCOMPARE(zt, QStringList({"ask_user", "gpio_get_state", "gpio_set_state", "is_open", "log", "log_debug", "log_err",
                              "log_notice", "log_warn", "progress", "serial_close", "serial_flush", "serial_is_open",
                              "serial_open", "serial_read", "serial_set_baud_rate", "serial_write", "set_status_err",
                              "set_status_ok", "set_status_warn", "sleep", "update_status_text", "was_canceled"}));
    QCOMPARE(cZtApi::functionNames("zt.gpio"), QStringList({"get", "set"}));
    QCOMPARE(cZtApi::functionNames("zt.i2c"), QStringList({"read", "write"}));
}

QTEST_GUILESS_MAIN(tst_LuaSandbox)
#include "tst_luasandbox.moc"

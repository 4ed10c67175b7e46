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
helpers = { run = os.execute, deeper = { popen = io.popen, loadlib = package.loadlib, env = setfenv } }
function helpers.label(text) return 'label:' .. text end
function helpers.get() return os.execute end
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

QByteArray precompiled()
{
    const std::unique_ptr<lua_State, void (*)(lua_State *)> L(luaL_newstate(), lua_close);
    luaL_openlibs(L.get());
    size_t len = 0;
    const char *bytes = luaL_dostring(L.get(), "return string.dump(function() return 1 end)") == 0
                            ? lua_tolstring(L.get(), -1, &len) : nullptr;
    return QByteArray(bytes, int(len));
}

QString refused(const char *what)
{
    return QLatin1String(what) + QStringLiteral(" is not allowed for code from the unit");
}

} // namespace

class tst_LuaSandbox : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_state = preparedState(&m_quit); }
    void cleanup() { m_state.reset(); }

    void unitCode_data();
    void unitCode();
    void unitDefinitionsLeaveLocalLibrariesWhole();
    void memoryIsCapped();
    void enumerationReading_data();
    void enumerationReading();
    void quitEndsRunawayScripts_data();
    void quitEndsRunawayScripts();

private:
    const std::atomic<bool> m_quit{false};
    std::unique_ptr<cLuaState> m_state;
};

void tst_LuaSandbox::unitCode_data()
{
    QTest::addColumn<QByteArray>("code");
    QTest::addColumn<bool>("sandboxed");
    QTest::addColumn<int>("stage");
    QTest::addColumn<QString>("message");  // in the error; empty: no error at all
    const int runFailed = cLuaState::RunFailed;
    // One row per way out of the sandbox.
    QTest::newRow("os.execute") << QByteArray("os.execute('true')") << true << runFailed << refused("os.execute");
    QTest::newRow("os.execute kept by a local script") << QByteArray("my_os.execute('true')") << true << runFailed
                                                       << refused("os.execute");
    QTest::newRow("io.popen through rawget") << QByteArray("rawget(_G, 'io').popen('ls')") << true << runFailed
                                             << refused("io.popen");
    QTest::newRow("loadlib") << QByteArray("package.loadlib('libc.so.6', 'system')") << true << runFailed
                             << refused("package.loadlib");
    QTest::newRow("loaders kept by a local script") << QByteArray("my_loaders[2]('x')") << true << runFailed
                                                    << refused("package.loaders[2]");
    QTest::newRow("debug") << QByteArray("debug.getinfo(1)") << true << runFailed << refused("debug.getinfo");
    QTest::newRow("load") << QByteArray("load(function() end)") << true << runFailed << refused("load");
    QTest::newRow("loadstring") << QByteArray("loadstring('return 1')") << true << runFailed << refused("loadstring");
    QTest::newRow("getfenv") << QByteArray("getfenv(0)") << true << runFailed << refused("getfenv");
    // Privileged functions that a local script keeps in its own tables, or hands out.
    QTest::newRow("os.execute in a table") << QByteArray("helpers.run('true')") << true << runFailed
                                           << refused("os.execute");
    QTest::newRow("io.popen two tables down") << QByteArray("helpers.deeper.popen('ls')") << true << runFailed
                                              << refused("io.popen");
    QTest::newRow("loadlib through pcall")
        << QByteArray("local ok, e = pcall(helpers.deeper.loadlib, 'libc.so.6', 'system') assert(not ok) error(e, 0)")
        << true << runFailed << refused("package.loadlib");
    QTest::newRow("setfenv out of the sandbox")
        << QByteArray("local f = function() return os end helpers.deeper.env(f, my_os) f()") << true << runFailed
        << refused("setfenv");
    QTest::newRow("os.execute in a tail call") << QByteArray("return helpers.run('true')") << true << runFailed
                                               << refused("os.execute");
    QTest::newRow("os.execute returned by a local function") << QByteArray("helpers.get()('true')") << true
                                                             << runFailed << refused("os.execute");
    QTest::newRow("a local function stays callable") << QByteArray("assert(helpers.label('x') == 'label:x')") << true
                                                     << int(cLuaState::Done) << QString();
    QTest::newRow("precompiled") << precompiled() << true << int(cLuaState::LoadFailed) << refused("precompiled code");
    QTest::newRow("precompiled from a trusted unit") << precompiled() << false << int(cLuaState::Done) << QString();
    QTest::newRow("what stays allowed")
        << QByteArray("assert(('abc'):upper() == 'ABC' and table.concat({1, 2}, ',') == '1,2' and math.floor(2.5) == 2)\n"
                      "assert(type(os.time()) == 'number' and getmetatable('') == nil and require('zt').log == zt.log)\n"
                      "reg('a'); assert(#registry == 1 and shared_value == 42)")
        << true << int(cLuaState::Done) << QString();
    QTest::newRow("error with a table") << QByteArray("error({})") << false << runFailed
                                        << QStringLiteral("(error object is not a string)");
}

void tst_LuaSandbox::unitCode()
{
    QFETCH(QByteArray, code);
    QFETCH(bool, sandboxed);
    QFETCH(int, stage);
    QFETCH(QString, message);
    QVERIFY(m_state);
    QString error;
    QCOMPARE(int(m_state->run(code, kUnit, sandboxed, &error)), stage);
    QVERIFY2(message.isEmpty() ? error.isEmpty() : error.contains(message), qPrintable(error));
    // A refusal or failure leaves the state usable for the tests that do not try.
    QCOMPARE(m_state->run("function zt_exec_test() return true end", kUnit, sandboxed, &error), cLuaState::Done);
    QVERIFY(m_state->call("zt_exec_test").result);
}

void tst_LuaSandbox::unitDefinitionsLeaveLocalLibrariesWhole()
{
    QVERIFY(m_state);
    QString error;
    QCOMPARE(m_state->run("function zt_enumerate_tests() return { 'from unit', tostring(shared_value) } end\n"
                          "function zt_exec_test(name) return name == 'from unit' end\n"
                          "function init_test_env() return true end\n"
                          "function helper() return 1 end\n"
                          "string.upper = nil; math.pi = 0; zt.log = nil; os = nil; shared_value = 1\n",
                          kUnit, true, &error),
             cLuaState::Done);
    // Only the contract functions become global; local scripts still see their libraries whole,
    // the unsafe parts included.
    QCOMPARE(m_state->run("assert(type(init_test_env) == 'function' and helper == nil)\n"
                          "assert(type(string.upper) == 'function' and math.pi > 3 and type(zt.log) == 'function'"
                          " and type(os.execute) == 'function' and shared_value == 42 and type(io.popen) == 'function'"
                          " and type(debug.getinfo) == 'function' and loadstring('return 5')() == 5)\n"
                          "assert(helpers.run('true') == 0 and helpers.get()('true') == 0)",
                          "local", false, &error),
             cLuaState::Done);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    bool ok = false;
    QCOMPARE(m_state->callForNames("zt_enumerate_tests", &ok, &error, 100), QStringList({"from unit", "1"}));  // its own value
    QVERIFY(ok);
    const cLuaState::sCall call = m_state->call("zt_exec_test", {QByteArrayLiteral("from unit")});
    QCOMPARE(call.code, 0);
    QVERIFY(call.result);
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
    QVERIFY(m_state);
    QString error;
    QCOMPARE(m_state->run("function zt_enumerate_tests() " + function.toLatin1() + " end", "tests", false, &error),
             cLuaState::Done);
    bool read = !ok;
    QCOMPARE(m_state->callForNames("zt_enumerate_tests", &read, &error, 100), names);
    QCOMPARE(read, ok);
}

void tst_LuaSandbox::quitEndsRunawayScripts_data()
{
    QTest::addColumn<QByteArray>("code");
    QTest::newRow("loop that catches errors") << QByteArray("while true do pcall(function() while true do end end) end");
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

QTEST_GUILESS_MAIN(tst_LuaSandbox)
#include "tst_luasandbox.moc"

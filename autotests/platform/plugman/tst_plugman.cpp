#include "autotests/platform/link/cmemoryunit.h"

#include "platform/context/ccontext.h"
#include "platform/link/clinkchannel.h"
#include "platform/link/clinkclient.h"
#include "platform/link/clinkserverrunner.h"
#include "platform/link/ilinktransport.h"
#include "platform/plugman/clinksessions.h"
#include "platform/plugman/cpluginsettings.h"
#include "platform/plugman/iplugman.h"
#include "platform/plugman/plugintables.h"
#include "platform/port/siodevice.h"

#include <QCoreApplication>
#include <QRandomGenerator>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <lua.hpp>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <thread>

namespace {

// Forwards to a channel end owned by the test, so sessions can own "their" transport.
class cForward : public iLinkTransport
{
public:
    explicit cForward(iLinkTransport *to) : m_to(to) {}
    int write(const char *d, int n) override { return m_to->write(d, n); }
    int read(char *b, int c, int t) override { return m_to->read(b, c, t); }
    void discardOutput() override { m_to->discardOutput(); }

private:
    iLinkTransport *m_to;
};

std::atomic<int> g_lastPercent{-1};
std::atomic<int> g_progressCalls{0};
std::atomic<bool> g_cancel{false};
std::atomic<int> g_cancelAtPercent{1000};

void onProgress(int percent)
{
    g_lastPercent.store(percent);
    ++g_progressCalls;
    if (percent >= g_cancelAtPercent.load())
        g_cancel.store(true);
}

bool onCancel() { return g_cancel.load(); }

QByteArray randomBytes(int n, quint32 seed)
{
    QRandomGenerator g(seed);
    QByteArray b(n, '\0');
    for (char &c : b)
        c = char(g.bounded(256));
    return b;
}

sIODevice device()
{
    sIODevice d;
    d.id = QStringLiteral("test-port");
    d.name = QStringLiteral("Test unit");
    return d;
}

} // namespace

class tst_PlugMan : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void tablesAndNames();
    void settingsDeclared_data();
    void settingsDeclared();
    void settingsReadBackAfterChange_data();
    void settingsReadBackAfterChange();
    void filesThroughPlugin();
    void quotedPathsAndFailures_data();
    void quotedPathsAndFailures();
    void progressAndCancelThroughContext();
    void commandPlugin();
    void concurrentCallersShareOneLink();
    void luaPlugin();

private:
    QTemporaryDir m_settingsDir;
    std::unique_ptr<cMemoryUnit> m_unit;
    std::unique_ptr<cLinkChannel> m_channel;
    std::unique_ptr<cLinkServerRunner> m_runner;
    int m_handleStorage = 0;
    void *handle() { return &m_handleStorage; }
};

void tst_PlugMan::initTestCase()
{
    QVERIFY(m_settingsDir.isValid());
    QCoreApplication::setOrganizationName(QStringLiteral("ZovanToolsTest"));
    QCoreApplication::setApplicationName(QStringLiteral("tst_plugman"));
    QSettings::setDefaultFormat(QSettings::IniFormat);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_settingsDir.path());
}

void tst_PlugMan::init()
{
    QSettings().clear();
    m_unit = std::make_unique<cMemoryUnit>();
    m_channel = std::make_unique<cLinkChannel>();
    m_runner = std::make_unique<cLinkServerRunner>(m_channel->unitEnd(), m_unit.get(), [this] {
        return m_channel->pending(cLinkChannel::ToHost) < 256 ? 2048 : 0;
    });
    m_runner->start();
    cLinkChannel *ch = m_channel.get();
    cLinkSessions::instance().setTransportFactory(
        [ch](void *) { return std::make_unique<cForward>(ch->hostEnd()); });
    g_lastPercent = -1;
    g_progressCalls = 0;
    g_cancel = false;
    g_cancelAtPercent = 1000;
}

void tst_PlugMan::cleanup()
{
    cLinkSessions::instance().setTransportFactory({});
    m_runner->stop();
    m_runner.reset();
    m_channel.reset();
    m_unit.reset();
}

void tst_PlugMan::tablesAndNames()
{
    iPlugMan *pm = pm::get(false);
    QVERIFY(pm);
    QCOMPARE(pm::get(false), pm);
    QCOMPARE(pm->pluginNames(), QStringList({"zt-link-files", "zt-link-cmd", "zt-unit-lua"}));
    QCOMPARE(pm->pluginCount(), 3);
    QVERIFY(pm->hasPlugin(QStringLiteral("zt-link-cmd")));
    QVERIFY(!pm->hasPlugin(QStringLiteral("nope")));
    for (const QString &n : pm->pluginNames())
        QVERIFY(!pm->pluginDescription(n).isEmpty());
    // The runner calls entry 0 of every table pluginByName gives with a Lua state: only Lua plug-ins have one.
    QVERIFY(!pm->pluginByName(QStringLiteral("zt-link-files")));
    QVERIFY(!pm->pluginByName(QStringLiteral("zt-link-cmd")));
    QVERIFY(pm->pluginByName(QStringLiteral("zt-unit-lua")));
    QVERIFY(!pm->resPlugin(sIODevice()));
    const sResPlugin *res = pm->resPlugin(device());
    QVERIFY(res && res->getFile && res->putFile && res->openTransfer && res->closeTransfer && res->listDir
            && res->deleteFile && res->deleteDir && res->createDir);
    QCOMPARE(QByteArray(res->name()), QByteArray("zt-link-files"));
    QVERIFY(pm->cmdPlugin(device()) && pm->cmdPlugin(device())->exec);
    QCOMPARE(pm->pluginForDevice(device()), QStringLiteral("zt-link-files"));
}

void tst_PlugMan::settingsDeclared_data()
{
    QTest::addColumn<QString>("plugin");
    QTest::addColumn<QStringList>("names");
    QTest::newRow("files") << "zt-link-files"
                           << QStringList{"commandTimeoutMs", "blockSize", "window", "retries", "maxFileSize"};
    QTest::newRow("cmd") << "zt-link-cmd" << QStringList{"commandTimeoutMs", "maxAnswerSize"};
    QTest::newRow("lua") << "zt-unit-lua" << QStringList{"commandTimeoutMs"};
    QTest::newRow("unknown") << "other" << QStringList{};
}

void tst_PlugMan::settingsDeclared()
{
    QFETCH(QString, plugin);
    QFETCH(QStringList, names);
    iPlugMan *pm = pm::get(false);
    QCOMPARE(pm->settingsCount(plugin), int(names.size()));
    const sPluginSetting *list = pm->settingsList(plugin);
    QCOMPARE(list != nullptr, !names.isEmpty());
    QCOMPARE(pm->settingsHandle(plugin) != nullptr, !names.isEmpty());
    for (int i = 0; i < names.size(); ++i) {
        QCOMPARE(QString::fromLatin1(list[i].name), names[i]);
        QVERIFY(list[i].toolTip && *list[i].toolTip);
        QVERIFY(list[i].type >= 0 && list[i].type <= 3);
    }
}

void tst_PlugMan::settingsReadBackAfterChange_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<qint64>("expected");
    QTest::newRow("block size") << "blockSize" << QVariant(512) << qint64(512);
    QTest::newRow("block size too small") << "blockSize" << QVariant(3) << qint64(64);
    QTest::newRow("window") << "window" << QVariant(16) << qint64(16);
    QTest::newRow("window too big") << "window" << QVariant(1000) << qint64(64);
    QTest::newRow("retries") << "retries" << QVariant(0) << qint64(0);
    QTest::newRow("time-out as text") << "commandTimeoutMs" << QVariant(QStringLiteral("2500")) << qint64(2500);
    QTest::newRow("time-out not a number") << "commandTimeoutMs" << QVariant(QStringLiteral("soon")) << qint64(5000);
    QTest::newRow("max file size") << "maxFileSize" << QVariant(1000000) << qint64(1000000);
}

void tst_PlugMan::settingsReadBackAfterChange()
{
    QFETCH(QString, key);
    QFETCH(QVariant, stored);
    QFETCH(qint64, expected);
    QSettings *store = pm::get(false)->settingsHandle(QStringLiteral("zt-link-files"));
    QVERIFY(store);
    store->setValue(key, stored); // what the settings dialog does on OK, without a sync
    QCOMPARE(store->value(key), stored);
    const sLinkOptions o = pluginsettings::linkOptions();
    const QHash<QString, qint64> got{{"blockSize", o.blockSize}, {"window", o.window}, {"retries", o.retries},
                                     {"commandTimeoutMs", o.timeoutMs}, {"maxFileSize", o.maxFileSize}};
    QCOMPARE(got.value(key), expected);
    store->remove(key);
}

void tst_PlugMan::filesThroughPlugin()
{
    const sResPlugin *res = pm::get(false)->resPlugin(device());
    cContext ctx;
    QVERIFY(res->openTransfer(handle(), "test-port", &ctx));
    QTRY_VERIFY_WITH_TIMEOUT(m_unit->text().contains("cli\r\n"), 2000);

    const QByteArray content = randomBytes(70000, 3);
    QVERIFY(res->putFile(handle(), "test-port", "/statfs/a.bin", content.constData(), int(content.size()), &ctx));
    QVERIFY(m_unit->files().value("/statfs/a.bin") == content);
    QVERIFY(res->putFile(handle(), "test-port", "/statfs/empty", nullptr, 0, &ctx));
    QVERIFY(m_unit->files().contains("/statfs/empty"));

    char *data = nullptr;
    int size = -1;
    QVERIFY(res->getFile(handle(), "test-port", "\"/statfs/a.bin\"", &data, &size, &ctx));
    QVERIFY(data);
    QCOMPARE(size, int(content.size()));
    QVERIFY(QByteArray(data, size) == content);
    std::free(data);
    QVERIFY(res->getFile(handle(), "test-port", "\"/statfs/empty\"", &data, &size, &ctx));
    QVERIFY(data); // an empty file is still data
    QCOMPARE(size, 0);
    std::free(data);

    char *answer = nullptr;
    QVERIFY(res->listDir(handle(), "/statfs", &answer, &ctx));
    QVERIFY(answer);
    QCOMPARE(QByteArray(answer), QByteArray("|a.bin*-rw*1700000000*70000|\n\r|empty*-rw*1700000000*0|"));
    std::free(answer);

    QVERIFY(res->createDir(handle(), "/statfs/new", &ctx));
    QVERIFY(res->deleteFile(handle(), "/statfs/a.bin", &ctx));
    QVERIFY(!m_unit->files().contains("/statfs/a.bin"));
    QVERIFY(!res->deleteFile(handle(), "/statfs/a.bin", &ctx));
    QVERIFY(res->deleteDir(handle(), "/statfs/new", &ctx));

    QVERIFY(res->closeTransfer(handle(), "test-port", &ctx));
    QTRY_VERIFY_WITH_TIMEOUT(m_unit->text().endsWith("exit\r\n"), 2000);
}

void tst_PlugMan::quotedPathsAndFailures_data()
{
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<bool>("ok");
    QTest::newRow("quoted") << QByteArray("\"/d/f.txt\"") << true;
    QTest::newRow("plain") << QByteArray("/d/f.txt") << true;
    QTest::newRow("only one pair stripped") << QByteArray("\"\"/d/f.txt\"\"") << false;
    QTest::newRow("missing file") << QByteArray("\"/d/none\"") << false;
    QTest::newRow("empty quotes") << QByteArray("\"\"") << false;
}

void tst_PlugMan::quotedPathsAndFailures()
{
    QFETCH(QByteArray, path);
    QFETCH(bool, ok);
    m_unit->setFile("/d/f.txt", "hello");
    const sResPlugin *res = pm::get(false)->resPlugin(device());
    char *data = reinterpret_cast<char *>(1);
    int size = -1;
    QCOMPARE(res->getFile(handle(), "test-port", path.constData(), &data, &size, nullptr), ok);
    if (ok) {
        QCOMPARE(QByteArray(data, size), QByteArray("hello"));
        std::free(data);
    } else {
        QVERIFY(!data);
        QCOMPARE(size, 0);
    }
}

void tst_PlugMan::progressAndCancelThroughContext()
{
    iPlugMan *pm = pm::get(false);
    const sResPlugin *res = pm->resPlugin(device());
    cContext ctx;
    pm->registerContext(&ctx, onProgress, nullptr, onCancel);
    m_unit->setFile("/big", randomBytes(400000, 5));
    char *data = nullptr;
    int size = 0;
    QVERIFY(res->getFile(handle(), "test-port", "\"/big\"", &data, &size, &ctx));
    std::free(data);
    QCOMPARE(g_lastPercent.load(), 100);
    QVERIFY(g_progressCalls.load() > 2);

    g_cancelAtPercent = 30;
    g_progressCalls = 0;
    QVERIFY(!res->putFile(handle(), "test-port", "/up", randomBytes(400000, 6).constData(), 400000, &ctx));
    QVERIFY(g_lastPercent.load() < 100);
    QVERIFY(!m_unit->files().contains("/up"));

    // Once unregistered, the context's callbacks are not used any more.
    pm->unregisterContext(&ctx);
    g_progressCalls = 0;
    g_cancel = false;
    QVERIFY(res->putFile(handle(), "test-port", "/up", randomBytes(400000, 6).constData(), 400000, &ctx));
    QCOMPARE(g_progressCalls.load(), 0);
}

void tst_PlugMan::commandPlugin()
{
    const sCmdPlugin *cmd = pm::get(false)->cmdPlugin(device());
    char *answer = nullptr;
    int length = -1;
    QVERIFY(cmd->exec(handle(), "GET_APP_RUN_STATE", 17, &answer, &length, nullptr, 1500));
    QCOMPARE(QByteArray(answer), QByteArray("DONE"));
    QCOMPARE(length, 4);
    std::free(answer);
    QVERIFY(cmd->exec(handle(), "RESTART NOBOOT", 14, &answer, &length, nullptr, 3000));
    QCOMPARE(QByteArray(answer, length), QByteArray("Unknown command: RESTART NOBOOT"));
    std::free(answer);
    // The length is honoured: bytes after it are not part of the command.
    QVERIFY(cmd->exec(handle(), "CLIXXXX", 3, &answer, &length, nullptr, 2000));
    std::free(answer);
    QCOMPARE(m_unit->commands().last(), QByteArray("CLI"));
    // Answers above the configured limit are refused.
    pm::get(false)->settingsHandle(QStringLiteral("zt-link-cmd"))->setValue(QStringLiteral("maxAnswerSize"), 1000);
    QVERIFY(!cmd->exec(handle(), "BIG 5000", 8, &answer, &length, nullptr, 2000));
    QVERIFY(!answer);
}

void tst_PlugMan::concurrentCallersShareOneLink()
{
    // The file runner and the test runner are different threads using the same port.
    const sResPlugin *res = pm::get(false)->resPlugin(device());
    const sCmdPlugin *cmd = pm::get(false)->cmdPlugin(device());
    const QByteArray content = randomBytes(60000, 9);
    m_unit->setFile("/f", content);
    std::atomic<int> fileOk{0};
    std::atomic<int> cmdOk{0};
    std::thread files([&] {
        for (int i = 0; i < 5; ++i) {
            char *data = nullptr;
            int size = 0;
            if (res->getFile(handle(), "test-port", "\"/f\"", &data, &size, nullptr)
                && QByteArray(data, size) == content)
                ++fileOk;
            std::free(data);
        }
    });
    std::thread commands([&] {
        for (int i = 0; i < 20; ++i) {
            char *answer = nullptr;
            int length = 0;
            const QByteArray text = "ECHO " + QByteArray::number(i);
            if (cmd->exec(handle(), text.constData(), int(text.size()), &answer, &length, nullptr, 5000)
                && QByteArray(answer, length) == QByteArray::number(i))
                ++cmdOk;
            std::free(answer);
        }
    });
    files.join();
    commands.join();
    QCOMPARE(fileOk.load(), 5);
    QCOMPARE(cmdOk.load(), 20);
}

void tst_PlugMan::luaPlugin()
{
    const sLuaPlugin *lua = pm::get(false)->pluginByName(QStringLiteral("zt-unit-lua"));
    QVERIFY(lua && lua->addLuaFunctions);
    const sResPlugin *res = pm::get(false)->resPlugin(device());
    QVERIFY(res->openTransfer(handle(), "test-port", nullptr));
    m_unit->setFile("/statfs/t.lua", "return 42");
    lua_State *L = luaL_newstate();
    luaL_openlibs(L);
    lua->addLuaFunctions(L);
    const char *script = R"(
        local a, e = unit.command("ECHO hi there")
        assert(a == "hi there", tostring(e))
        a = unit.command("GET_APP_RUN_STATE", 1500)
        assert(a == "DONE")
        assert(unit.put_file("/statfs/x.txt", "abc\0def") == true)
        local d = unit.get_file("/statfs/x.txt")
        assert(d == "abc\0def")
        local n, err = unit.get_file("/nothing")
        assert(n == nil and type(err) == "string" and #err > 0)
        local l = unit.list_dir("/statfs")
        assert(l:find("|t.lua*-rw*", 1, true))
        return "ok"
    )";
    const int rc = luaL_dostring(L, script);
    const QByteArray result = lua_tostring(L, -1) ? QByteArray(lua_tostring(L, -1)) : QByteArray();
    lua_close(L);
    QVERIFY2(rc == 0, result.constData());
    QCOMPARE(result, QByteArray("ok"));
    res->closeTransfer(handle(), "test-port", nullptr);
}

QTEST_GUILESS_MAIN(tst_PlugMan)
#include "tst_plugman.moc"

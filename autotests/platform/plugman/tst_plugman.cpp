#include "autotests/platform/link/cmemoryunit.h"
#include "autotests/platform/link/randombytes.h"
#include "autotests/platform/port/ptypair.h"

#include "platform/context/ccontext.h"
#include "platform/link/clinkchannel.h"
#include "platform/link/clinkclient.h"
#include "platform/link/clinkserverrunner.h"
#include "platform/link/ilinktransport.h"
#include "platform/plugman/clinksessions.h"
#include "platform/plugman/cpluginsettings.h"
#include "platform/plugman/iplugman.h"
#include "platform/plugman/plugintables.h"
#include "platform/port/port.h"
#include "platform/port/siodevice.h"

#include <QCoreApplication>
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
std::atomic<int> g_cancelAtPercent{1000};

void onProgress(int percent)
{
    g_lastPercent.store(percent);
    ++g_progressCalls;
}

bool onCancel() { return g_lastPercent.load() >= g_cancelAtPercent.load(); }

const char *const kPort = "test-port";
int g_handleStorage = 0;
void *const kHandle = &g_handleStorage;

// A unit on the far end of a line; every session the plug-ins open reaches it.
struct sBench
{
    cMemoryUnit unit;
    cLinkChannel channel;
    cLinkServerRunner runner {channel.unitEnd(), &unit,
                              [this] { return channel.pending(cLinkChannel::ToHost) < 256 ? 2048 : 0; }};
};

} // namespace

class tst_PlugMan : public QObject
{
    Q_OBJECT
    QTemporaryDir m_settingsDir;
    std::unique_ptr<sBench> m_bench;
    const sResPlugin *m_res = nullptr;
    const sCmdPlugin *m_cmd = nullptr;

private slots:
    void initTestCase()
    {
        QVERIFY(m_settingsDir.isValid());
        QCoreApplication::setOrganizationName(QStringLiteral("ZovanToolsTest"));
        QCoreApplication::setApplicationName(QStringLiteral("tst_plugman"));
        QSettings::setDefaultFormat(QSettings::IniFormat);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_settingsDir.path());
        sIODevice device;
        device.id = QString::fromLatin1(kPort);
        m_res = pm::get(false)->resPlugin(device);
        m_cmd = pm::get(false)->cmdPlugin(device);
        QVERIFY(m_res && m_cmd);
        QVERIFY(!pm::get(false)->resPlugin(sIODevice()));
    }
    void init()
    {
        QSettings().clear();
        m_bench = std::make_unique<sBench>();
        m_bench->runner.start();
        cLinkChannel *ch = &m_bench->channel;
        cLinkSessions::instance().setTransportFactory(
            [ch](void *) { return std::make_unique<cForward>(ch->hostEnd()); });
    }
    void cleanup()
    {
        cLinkSessions::instance().setTransportFactory({});
        m_bench.reset();
    }
    void settingsReadOnEveryUse_data();
    void settingsReadOnEveryUse();
    void filesThroughPlugin();
    void quotedPathsAndFailures_data();
    void quotedPathsAndFailures();
    void progressAndCancelThroughContext();
    void commandPlugin();
    void concurrentCallersShareOneLink();
    void luaPlugin();
    void sessionEndsWithItsPort_data();
    void sessionEndsWithItsPort();
};

void tst_PlugMan::settingsReadOnEveryUse_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<qint64>("expected");
    QTest::newRow("block size too small") << "blockSize" << QVariant(3) << qint64(64);
    QTest::newRow("window too big") << "window" << QVariant(1000) << qint64(64);
    QTest::newRow("time-out as text") << "commandTimeoutMs" << QVariant(QStringLiteral("2500")) << qint64(2500);
    QTest::newRow("time-out not a number") << "commandTimeoutMs" << QVariant(QStringLiteral("soon")) << qint64(5000);
}

void tst_PlugMan::settingsReadOnEveryUse()
{
    QFETCH(QString, key);
    QFETCH(QVariant, stored);
    QFETCH(qint64, expected);
    QSettings *store = pm::get(false)->settingsHandle(QStringLiteral("zt-link-files"));
    QVERIFY(store);
    store->setValue(key, stored); // what the settings dialog does on OK, without a sync
    const sLinkOptions o = pluginsettings::linkOptions();
    const QHash<QString, qint64> got{
        {"blockSize", o.blockSize}, {"window", o.window}, {"commandTimeoutMs", o.timeoutMs}};
    QCOMPARE(got.value(key), expected);
    store->remove(key);
}

void tst_PlugMan::filesThroughPlugin()
{
    cContext ctx;
    QVERIFY(m_res->openTransfer(kHandle, kPort, &ctx));
    QTRY_VERIFY_WITH_TIMEOUT(m_bench->unit.text().contains("cli\r\n"), 5000);
    const QByteArray content = randomBytes(70000, 3);
    QVERIFY(m_res->putFile(kHandle, kPort, "/statfs/a.bin", content.constData(), int(content.size()), &ctx));
    QVERIFY(m_res->putFile(kHandle, kPort, "/statfs/empty", nullptr, 0, &ctx));
    QVERIFY(m_bench->unit.files().value("/statfs/a.bin") == content);
    char *data = nullptr;
    int size = -1;
    QVERIFY(m_res->getFile(kHandle, kPort, "\"/statfs/empty\"", &data, &size, &ctx));
    QVERIFY(data && size == 0); // an empty file is still data
    std::free(data);
    QVERIFY(m_res->listDir(kHandle, "/statfs", &data, &ctx));
    QCOMPARE(QByteArray(data), QByteArray("|a.bin*-rw*1700000000*70000|\n\r|empty*-rw*1700000000*0|"));
    std::free(data);
    QVERIFY(m_res->deleteFile(kHandle, "/statfs/a.bin", &ctx));
    QVERIFY(!m_bench->unit.files().contains("/statfs/a.bin"));
    QVERIFY(!m_res->deleteFile(kHandle, "/statfs/a.bin", &ctx));
    QVERIFY(m_res->closeTransfer(kHandle, kPort, &ctx));
    QTRY_VERIFY_WITH_TIMEOUT(m_bench->unit.text().endsWith("exit\r\n"), 5000);
}

void tst_PlugMan::quotedPathsAndFailures_data()
{
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<bool>("ok");
    QTest::newRow("quoted") << QByteArray("\"/d/f.txt\"") << true;
    QTest::newRow("only one pair stripped") << QByteArray("\"\"/d/f.txt\"\"") << false;
    QTest::newRow("missing file") << QByteArray("\"/d/none\"") << false;
    QTest::newRow("empty quotes") << QByteArray("\"\"") << false;
}

void tst_PlugMan::quotedPathsAndFailures()
{
    QFETCH(QByteArray, path);
    QFETCH(bool, ok);
    m_bench->unit.setFile("/d/f.txt", "hello");
    char *data = reinterpret_cast<char *>(1);
    int size = -1;
    QCOMPARE(m_res->getFile(kHandle, kPort, path.constData(), &data, &size, nullptr), ok);
    QCOMPARE(data == nullptr, !ok); // no stale pointer for the caller to free
    QCOMPARE(size, ok ? 5 : 0);
    if (ok)
        QCOMPARE(QByteArray(data, size), QByteArray("hello"));
    std::free(data);
}

void tst_PlugMan::progressAndCancelThroughContext()
{
    iPlugMan *pm = pm::get(false);
    cContext ctx;
    pm->registerContext(&ctx, onProgress, nullptr, onCancel);
    const QByteArray content = randomBytes(400000, 6);
    // A cancelled upload leaves nothing behind on the unit.
    g_cancelAtPercent = 30;
    QVERIFY(!m_res->putFile(kHandle, kPort, "/up", content.constData(), int(content.size()), &ctx));
    QVERIFY(g_lastPercent.load() < 100);
    QVERIFY(m_bench->unit.files().isEmpty());
    g_cancelAtPercent = 1000;
    QVERIFY(m_res->putFile(kHandle, kPort, "/up", content.constData(), int(content.size()), &ctx));
    QCOMPARE(g_lastPercent.load(), 100);
    QVERIFY(g_progressCalls.load() > 2);

    // Once unregistered, the context's callbacks are not used any more.
    pm->unregisterContext(&ctx);
    g_progressCalls = 0;
    QVERIFY(m_res->putFile(kHandle, kPort, "/up", content.constData(), int(content.size()), &ctx));
    QCOMPARE(g_progressCalls.load(), 0);
}

void tst_PlugMan::commandPlugin()
{
    char *answer = nullptr;
    int length = -1;
    QVERIFY(m_cmd->exec(kHandle, "GET_APP_RUN_STATE", 17, &answer, &length, nullptr, 1500));
    QCOMPARE(QByteArray(answer), QByteArray("DONE")); // zero-terminated
    QCOMPARE(length, 4);
    std::free(answer);
    // The length is honoured: bytes after it are not part of the command.
    QVERIFY(m_cmd->exec(kHandle, "CLIXXXX", 3, &answer, &length, nullptr, 2000));
    std::free(answer);
    QCOMPARE(m_bench->unit.commands().last(), QByteArray("CLI"));
    // A new limit holds from the next call on.
    pm::get(false)->settingsHandle(QStringLiteral("zt-link-cmd"))->setValue(QStringLiteral("maxAnswerSize"), 1000);
    QVERIFY(!m_cmd->exec(kHandle, "BIG 5000", 8, &answer, &length, nullptr, 2000));
    QVERIFY(!answer);
}

void tst_PlugMan::concurrentCallersShareOneLink()
{
    // The file runner and the test runner are different threads using the same port.
    const QByteArray content = randomBytes(60000, 9);
    m_bench->unit.setFile("/f", content);
    std::atomic<int> fileOk{0};
    std::thread files([&] {
        for (int i = 0; i < 5; ++i) {
            char *data = nullptr;
            int size = 0;
            fileOk += m_res->getFile(kHandle, kPort, "\"/f\"", &data, &size, nullptr) && QByteArray(data, size) == content;
            std::free(data);
        }
    });
    int cmdOk = 0;
    for (int i = 0; i < 20; ++i) {
        char *answer = nullptr;
        int length = 0;
        const QByteArray text = "ECHO " + QByteArray::number(i);
        cmdOk += m_cmd->exec(kHandle, text.constData(), int(text.size()), &answer, &length, nullptr, 5000)
                 && QByteArray(answer, length) == QByteArray::number(i);
        std::free(answer);
    }
    files.join();
    QCOMPARE(fileOk.load(), 5);
    QCOMPARE(cmdOk, 20);
}

void tst_PlugMan::luaPlugin()
{
    // The runner calls every table pluginByName gives with a Lua state: only Lua plug-ins may have one.
    QVERIFY(!pm::get(false)->pluginByName(QStringLiteral("zt-link-files")));
    QVERIFY(!pm::get(false)->pluginByName(QStringLiteral("zt-link-cmd")));
    const sLuaPlugin *lua = pm::get(false)->pluginByName(QStringLiteral("zt-unit-lua"));
    QVERIFY(lua && lua->addLuaFunctions);
    QVERIFY(m_res->openTransfer(kHandle, kPort, nullptr));
    lua_State *L = luaL_newstate();
    luaL_openlibs(L);
    lua->addLuaFunctions(L);
    const char *script = R"(
        local a, e = unit.command("ECHO hi there")
        assert(a == "hi there", tostring(e))
        assert(unit.put_file("/statfs/x.txt", "abc\0def") == true)
        assert(unit.get_file("/statfs/x.txt") == "abc\0def")
        local n, err = unit.get_file("/nothing")
        assert(n == nil and type(err) == "string" and #err > 0)
        return "ok"
    )";
    const int rc = luaL_dostring(L, script);
    const QByteArray result(lua_tostring(L, -1) ? lua_tostring(L, -1) : "");
    lua_close(L);
    QVERIFY2(rc == 0, result.constData());
    QCOMPARE(result, QByteArray("ok"));
    m_res->closeTransfer(kHandle, kPort, nullptr);
}

void tst_PlugMan::sessionEndsWithItsPort_data()
{
    QTest::addColumn<bool>("wholeUnit");
    QTest::newRow("unit closed") << true;
    QTest::newRow("line closed by its handle") << false;
}

void tst_PlugMan::sessionEndsWithItsPort()
{
    QFETCH(bool, wholeUnit);
    cLinkSessions &sessions = cLinkSessions::instance();
    sessions.setTransportFactory({});   // sessions on real ports
    cPtyPair pty;
    QVERIFY(pty.isValid());
    sIODevice unit;
    unit.id = QStringLiteral("test:session");
    unit.name = QStringLiteral("Session unit");
    unit.devices.append({nullptr, QStringLiteral("serial"), QStringLiteral("serial"), pty.slavePath(), {}});
    QVERIFY(port::open_port(unit));
    void *handle = port::calc_io_handle(unit);
    QVERIFY(handle);
    // Nobody answers on the line: the command fails, and the port has its session, as after
    // a Tests connection that never closes the transfer mode.
    char *answer = nullptr;
    int length = 0;
    QVERIFY(!m_cmd->exec(handle, "GET_APP_RUN_STATE", 17, &answer, &length, nullptr, 200));
    QCOMPARE(sessions.count(), 1);
    if (wholeUnit)
        QVERIFY(port::close_port(unit, 0));
    else
        QCOMPARE(port::close(handle), 1);
    QCOMPARE(sessions.count(), 0);
    // A call on the closed port starts none.
    QVERIFY(!m_cmd->exec(handle, "GET_APP_RUN_STATE", 17, &answer, &length, nullptr, 200));
    QVERIFY(!answer);
    QCOMPARE(sessions.count(), 0);
    if (!wholeUnit)
        QVERIFY(port::close_port(unit, 0));
}

QTEST_GUILESS_MAIN(tst_PlugMan)
#include "tst_plugman.moc"

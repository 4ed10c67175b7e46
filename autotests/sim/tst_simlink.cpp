// Framed requests to the simulated unit through the link client, over its real pseudo-terminal:
// commands amid the log, listings with every special answer, file operations and transfers.

#include "ctestline.h"

#include "autotests/platform/link/randombytes.h"
#include "platform/link/clinkclient.h"
#include "platform/link/linklimits.h"
#include "sim/csimulatedunit.h"

#include "ztversion.h"

#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

// A unit, the host's end of its line and a synced link client on it.
struct sLinked
{
    cSimulatedUnit unit;
    cTestLine line;
    std::unique_ptr<cLinkClient> client;
    QByteArray text;   // plain text the client set aside (the unit's log and prompts)
    bool ok = false;

    explicit sLinked(const QStringList &options)
    {
        if (!unit.setOptions(options) || !unit.start() || !line.open(unit.ptyPath()))
            return;
        client = std::make_unique<cLinkClient>(&line);
        client->setTextSink([this](const QByteArray &t) {
            if (text.size() < 4 * 1024 * 1024)
                text += t;
        });
        ok = client->sync(3000);
    }
    QByteArray command(const QByteArray &cmd)
    {
        QByteArray answer;
        return client->command(cmd, 3000, &answer) ? answer : "FAILED: " + client->lastError().toLatin1();
    }
    QByteArray list(const QByteArray &path)
    {
        QByteArray answer;
        return client->listDir(path, &answer) ? answer : "FAILED: " + client->lastError().toLatin1();
    }
};

bool matches(const QString &pattern, const QByteArray &text)
{
    return QRegularExpression(pattern).match(QString::fromUtf8(text)).hasMatch();
}

} // namespace

class tst_SimLink : public QObject
{
    Q_OBJECT

    std::unique_ptr<sLinked> m_shared;

private slots:
    void initTestCase()
    {
        m_shared = std::make_unique<sLinked>(QStringList {QStringLiteral("ready-ms=0"), QStringLiteral("log-rate=50")});
        QVERIFY(m_shared->ok);
    }

    // Both kinds of request, on the shared unit: "!" marks a listing, anything else a command.
    void answers_data()
    {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<QString>("answer");
        QTest::newRow("run state") << QByteArray("GET_APP_RUN_STATE") << QStringLiteral("^DONE$");
        QTest::newRow("unknown") << QByteArray("FLY_TO_MOON 3") << QStringLiteral("^Unknown command: FLY_TO_MOON 3$");
        QTest::newRow("echo") << QByteArray("ECHO ZT000042") << QStringLiteral("^ZT000042$");
        // Framed answers carry no echo and no prompt.
        QTest::newRow("help") << QByteArray("help") << QStringLiteral("^Commands:(?![\\s\\S]*cli> )[\\s\\S]*leaves the command line$");
        const QString folder = QStringLiteral("\\*drw\\*1[5-9]\\d{8}\\|");
        QTest::newRow("root") << QByteArray("!/")
                              << QStringLiteral("^\\|archive%1\n\r\\|config%1\n\r\\|fw%1\n\r\\|logs%1\n\r\\|statfs%1\n\r\\|tmp%1$").arg(folder);
        QTest::newRow("read-only image") << QByteArray("!/fw") << QStringLiteral("^\\|zovan_" ZT_VERSION_STRING ".bin\\*-r-\\*\\d+\\*98304\\|$");
        QTest::newRow("logs") << QByteArray("!/logs/")
                              << QStringLiteral("^(\\|system_000[123].log\\*-rw\\*\\d+\\*[1-9]\\d*\\|(\n\r|$)){3}$");
        QTest::newRow("quoted path") << QByteArray("!\"/statfs\"")
                                     << QStringLiteral("\\|counters.dat\\*-rw\\*[\\s\\S]*\\|zovan_tools_tests.out\\*-rw\\*\\d+\\*\\d+\\|");
        QTest::newRow("archive: empty file beside a tree")
            << QByteArray("!/archive") << QStringLiteral("^\\|2026%1\n\r\\|empty.txt\\*-rw\\*\\d+\\*0\\|\n\r\\|readme.txt\\*-rw\\*\\d+\\*[1-9]\\d*\\|$").arg(folder);
        QTest::newRow("archive: names in UTF-8")
            << QByteArray("!/archive/2026/12") << QString::fromUtf8("^\\|Prüfprotokoll ä.txt\\*-rw\\*\\d+\\*\\d+\\|\n\r\\|отчёт 1.txt\\*-rw\\*\\d+\\*\\d+\\|$");
        QTest::newRow("archive: longer than one block")
            << QByteArray("!/archive/2026/11") << QStringLiteral("^(\\|trip_00\\d\\d.csv\\*-rw\\*\\d+\\*\\d+\\|(\n\r|$)){60}$");
        QTest::newRow("empty folder") << QByteArray("!/tmp") << QStringLiteral("^Dir empty$");
        QTest::newRow("missing folder") << QByteArray("!/nowhere") << QStringLiteral("^Can't open dir$");
        QTest::newRow("file, not a folder") << QByteArray("!/config/unit.ini") << QStringLiteral("^Can't get dir list$");
        QTest::newRow("escape") << QByteArray("!/../etc") << QStringLiteral("^Can't open dir$");
    }
    void answers()
    {
        QFETCH(QByteArray, request);
        QFETCH(QString, answer);
        const QByteArray got = request.startsWith('!') ? m_shared->list(request.mid(1)) : m_shared->command(request);
        QVERIFY2(matches(answer, got), got.constData());
    }

    void fileRoundTrip_data()
    {
        QTest::addColumn<int>("size");
        QTest::newRow("empty") << 0;
        QTest::newRow("one block") << 1024;
        QTest::newRow("one block and a byte") << 1025;
        QTest::newRow("many blocks") << 200000;
    }
    void fileRoundTrip()
    {
        QFETCH(int, size);
        cLinkClient &client = *m_shared->client;
        // Random bytes include the link's marker bytes, which must pass unchanged.
        const QByteArray data = randomBytes(size, quint32(size) + 11);
        const QByteArray name = "round_" + QByteArray::number(size) + ".bin";
        QVERIFY2(client.putFile("/tmp/" + name, data), qPrintable(client.lastError()));
        QByteArray back;
        QVERIFY2(client.getFile("/tmp/" + name, &back), qPrintable(client.lastError()));
        QVERIFY(back == data);
        const QByteArray listing = m_shared->list("/tmp");
        QVERIFY2(listing.contains("|" + name + "*-rw*") && listing.contains("*" + QByteArray::number(size) + "|"),
                 listing.constData());
        QVERIFY(client.deleteFile("/tmp/" + name));
    }

    // What the client lets through the unit takes; what the unit would refuse never leaves the host.
    void limitsAgree_data()
    {
        QTest::addColumn<char>("op");   // g get, l list, m make dir, d delete, p put, c command
        QTest::addColumn<QByteArray>("argument");
        QTest::addColumn<bool>("sent");
        const QByteArray name = QByteArray(zlink::kMaxNameBytes, 'n');
        const QByteArray folders = "/tmp/" + name + '/' + name + '/' + name;
        const auto longest = [&](int reserve) {
            return folders + '/' + QByteArray(zlink::kMaxPathBytes - reserve - int(folders.size()) - 1, 'e');
        };
        const QByteArray upload = QByteArray(zlink::kMaxNameBytes - zlink::kUploadSuffixBytes, 'u');
        const QByteArray echo = "ECHO " + QByteArray(zlink::kMaxCommandBytes - 5, 'c');
        QTest::newRow("get, longest path") << 'g' << longest(0) << true;
        QTest::newRow("get, path a byte longer") << 'g' << longest(0) + 'x' << false;
        QTest::newRow("list, path a byte longer") << 'l' << longest(0) + 'x' << false;
        QTest::newRow("make dir, path a byte longer") << 'm' << longest(0) + 'x' << false;
        QTest::newRow("delete, longest name") << 'd' << "/tmp/" + name << true;
        QTest::newRow("delete, name a byte longer") << 'd' << "/tmp/" + name + 'x' << false;
        // An upload is written under a temporary, longer name first.
        QTest::newRow("put, longest path") << 'p' << longest(zlink::kUploadSuffixBytes) << true;
        QTest::newRow("put, path a byte longer") << 'p' << longest(zlink::kUploadSuffixBytes) + 'x' << false;
        QTest::newRow("put, longest name") << 'p' << "/tmp/" + upload << true;
        QTest::newRow("put, name a byte longer") << 'p' << "/tmp/" + upload + 'x' << false;
        QTest::newRow("command, longest") << 'c' << echo << true;
        QTest::newRow("command, a byte longer") << 'c' << echo + 'c' << false;
    }
    void limitsAgree()
    {
        QFETCH(char, op);
        QFETCH(QByteArray, argument);
        QFETCH(bool, sent);
        cLinkClient &client = *m_shared->client;
        QByteArrayList parents;
        for (qsizetype slash = argument.indexOf('/', 5); op == 'p' && slash > 0; slash = argument.indexOf('/', slash + 1)) {
            parents.prepend(argument.left(slash));
            QVERIFY2(client.makeDir(parents.first()), qPrintable(client.lastError()));
        }
        const quint64 before = client.stats().requestsSent;
        QByteArray answer;
        bool ok = false;
        switch (op) {
        case 'g': ok = client.getFile(argument, &answer); break;
        case 'l': ok = client.listDir(argument, &answer); break;
        case 'm': ok = client.makeDir(argument); break;
        case 'd': ok = client.deleteFile(argument); break;
        case 'p': ok = client.putFile(argument, "stored"); break;
        default: ok = client.command(argument, 3000, &answer); break;
        }
        QCOMPARE(client.stats().requestsSent > before, sent);
        if (!sent) {
            QVERIFY(!ok && !client.lastError().isEmpty());
        } else if (op == 'p') {
            QVERIFY2(ok && client.getFile(argument, &answer) && answer == "stored", qPrintable(client.lastError()));
            QVERIFY(client.deleteFile(argument));
        } else {
            // The unit took the request and looked: a missing file, or the echo.
            QVERIFY2(op == 'c' ? ok && answer == argument.mid(5)
                               : client.lastError() == QLatin1String("No such file or directory"),
                     qPrintable(client.lastError()));
        }
        for (const QByteArray &folder : qAsConst(parents))
            QVERIFY(client.deleteDir(folder));
    }

    void testPackage()
    {
        QFile source(QStringLiteral(ZT_SIM_PACKAGE_SOURCE));
        QVERIFY(source.open(QIODevice::ReadOnly));
        QByteArray package;
        // The test engine asks for it with the path in double quotes.
        QVERIFY(m_shared->client->getFile("\"/statfs/zovan_tools_tests.out\"", &package));
        QVERIFY(package == source.readAll());

        sLinked bare({QStringLiteral("package=none")});
        QVERIFY(bare.ok);
        QVERIFY(!bare.client->getFile("/statfs/zovan_tools_tests.out", &package));
        QVERIFY(bare.list("/statfs").contains("counters.dat"));
    }

    void framedCliStopsLogAndTextExitResumesIt()
    {
        sLinked u({QStringLiteral("ready-ms=0"), QStringLiteral("log-rate=100")});
        QVERIFY(u.ok);
        QCOMPARE(u.command("CLI"), QByteArray("OK"));
        u.command("version");   // lets text queued before the switch drain
        u.text.clear();
        QTest::qWait(600);
        QCOMPARE(u.command("GET_APP_RUN_STATE"), QByteArray("DONE"));
        QVERIFY2(!u.text.contains("] = {"), u.text.constData());
        // The log reader's plain "exit" leaves the command line; frames still work amid the log.
        QVERIFY(u.client->sendText("exit\r\n"));
        QTRY_VERIFY_WITH_TIMEOUT(u.command("GET_APP_RUN_STATE") == "DONE" && u.text.contains("] = {"), 5000);
    }

    void framedRestartResetsReadiness()
    {
        sLinked u({QStringLiteral("ready-ms=1200")});
        QVERIFY(u.ok);
        QTRY_COMPARE_WITH_TIMEOUT(u.command("GET_APP_RUN_STATE"), QByteArray("DONE"), 10000);
        QCOMPARE(u.command("CLI"), QByteArray("OK"));
        QCOMPARE(u.command("RESTART NOBOOT"), QByteArray("OK"));
        QCOMPARE(u.command("GET_APP_RUN_STATE"), QByteArray("STARTING"));
        QTRY_COMPARE_WITH_TIMEOUT(u.command("GET_APP_RUN_STATE"), QByteArray("DONE"), 10000);
        QCOMPARE(u.unit.stats().reboots, quint64(1));
        // The reboot is told in the log, and the unit is back in its log afterwards.
        const qsizetype boot = u.text.indexOf("boot loader");
        QVERIFY2(boot > 0, u.text.constData());
        QTRY_VERIFY_WITH_TIMEOUT(u.command("version").startsWith("ZOVAN") && u.text.indexOf("] = {", boot) > 0, 10000);
    }

    void unsupportedCommands()
    {
        // Older firmware: the test runner must cope with both answers being unknown.
        sLinked u({QStringLiteral("listing=unsupported"), QStringLiteral("run-state=unsupported")});
        QVERIFY(u.ok);
        QVERIFY(u.list("/statfs").startsWith("Unknown command:"));
        QCOMPARE(u.command("GET_APP_RUN_STATE"), QByteArray("Unknown command: GET_APP_RUN_STATE"));
    }

    void fileOperations()
    {
        sLinked u({QStringLiteral("ready-ms=0")});
        QVERIFY(u.ok);
        cLinkClient &c = *u.client;
        QVERIFY(c.makeDir("/tmp/new") && !c.makeDir("/tmp/new") && !c.makeDir("/tmp/missing/deeper"));
        QVERIFY(c.putFile("/tmp/new/a.txt", "alpha") && c.putFile("/tmp/new/a.txt", "beta"));   // replaces
        QByteArray back;
        QVERIFY(c.getFile("/tmp/new/a.txt", &back));
        QCOMPARE(back, QByteArray("beta"));
        QVERIFY(!c.putFile("/tmp/nowhere/a.txt", "x"));
        QVERIFY(!c.deleteDir("/tmp/new"));   // not empty
        QVERIFY(c.renameFile("/tmp/new/a.txt", "/tmp/new/b.txt") && !c.getFile("/tmp/new/a.txt", &back));
        QVERIFY(!c.deleteFile("/tmp/new"));   // a folder is not a file
        QVERIFY(c.deleteFile("/tmp/new/b.txt") && !c.deleteFile("/tmp/new/b.txt"));
        QVERIFY(c.deleteDir("/tmp/new"));
        QCOMPARE(u.list("/tmp"), QByteArray("Dir empty"));

        QVERIFY(!c.putFile("/fw/zovan_" ZT_VERSION_STRING ".bin", "x") && !c.deleteFile("/fw/zovan_" ZT_VERSION_STRING ".bin"));
        QVERIFY(c.getFile("/fw/zovan_" ZT_VERSION_STRING ".bin", &back));
        QCOMPARE(back.size(), 96 * 1024);
        QVERIFY(!c.getFile("/statfs/nothing.dat", &back));
        // The unit's reason reaches the host.
        QVERIFY2(c.lastError().contains(QLatin1String("No such file or directory")), qPrintable(c.lastError()));
        QVERIFY(!c.getFile("/../etc/passwd", &back));
    }

    void folderBackedUnitStaysInside()
    {
        QTemporaryDir top;
        const QString root = top.filePath(QStringLiteral("unit"));
        QVERIFY(QDir().mkpath(root + QStringLiteral("/data")) && QDir().mkpath(top.filePath(QStringLiteral("outside"))));
        QFile secret(top.filePath(QStringLiteral("secret.txt")));
        QVERIFY(secret.open(QIODevice::WriteOnly) && secret.write("secret") == 6);
        secret.close();
        QVERIFY(QFile::link(top.filePath(QStringLiteral("outside")), root + QStringLiteral("/link")));
        QVERIFY(QFile::link(secret.fileName(), root + QStringLiteral("/data/secret-link")));

        sLinked u({QStringLiteral("fs=") + root});
        QVERIFY(u.ok);
        cLinkClient &c = *u.client;
        QVERIFY(c.putFile("/data/report.csv", "a;b\n1;2\n"));
        QFile written(root + QStringLiteral("/data/report.csv"));
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(written.readAll(), QByteArray("a;b\n1;2\n"));
        QVERIFY(u.list("/data").contains("|report.csv*-rw*"));

        // Neither parent steps nor links lead out of the folder.
        QByteArray got;
        QVERIFY(!c.getFile("/../secret.txt", &got) && !c.getFile("/data/../../secret.txt", &got));
        QVERIFY(!c.getFile("/data/secret-link", &got));
        QVERIFY(!u.list("/link").startsWith('|'));
        QVERIFY(!c.putFile("/link/planted.txt", "x") && !c.makeDir("/link/planted") && !c.makeDir("/../planted"));
        QVERIFY(!c.renameFile("/data/report.csv", "/link/report.csv"));
        QVERIFY(QDir(top.filePath(QStringLiteral("outside"))).isEmpty());
        QVERIFY(!QFile::exists(top.filePath(QStringLiteral("planted"))));
        // Uploads land whole and leave no temporary files behind.
        QStringList left = QDir(root + QStringLiteral("/data")).entryList(QDir::Files | QDir::Hidden | QDir::System);
        left.sort();
        QCOMPARE(left, (QStringList {"report.csv", "secret-link"}));
    }

    void noisyLineStillDeliversExactFiles()
    {
        sLinked u({QStringLiteral("ready-ms=0"), QStringLiteral("flip=0.0005"), QStringLiteral("drop=0.0002"),
                   QStringLiteral("seed=3")});
        QVERIFY(u.ok);
        // What is checked is that the damage is repaired, not how fast.
        sLinkOptions options;
        options.timeoutMs = 15000;
        u.client->setOptions(options);
        const QByteArray data = randomBytes(100000, 21);
        QVERIFY2(u.client->putFile("/tmp/noisy.bin", data), qPrintable(u.client->lastError()));
        QByteArray back;
        QVERIFY2(u.client->getFile("/tmp/noisy.bin", &back), qPrintable(u.client->lastError()));
        QVERIFY(back == data);
        QVERIFY(u.unit.stats().flippedBytes > 0 && u.unit.stats().droppedBytes > 0);
        // The damage was repaired by sending again, not let through.
        const sLinkClientStats &s = u.client->stats();
        QVERIFY(s.framesDamaged > 0 && s.blocksResent + s.transferRetries + s.requestRetries > 0);
    }
};

QTEST_GUILESS_MAIN(tst_SimLink)
#include "tst_simlink.moc"

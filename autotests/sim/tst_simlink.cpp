// Framed requests to the simulated unit through the link client, over the unit's real
// pseudo-terminal: commands, listings with every special answer, file operations and
// transfers, on a clean, a slow and a noisy line.

#include "ctestline.h"

#include "platform/link/clinkclient.h"
#include "sim/csimulatedunit.h"

#include <QFile>
#include <QRandomGenerator>
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
        if (!client->command(cmd, 3000, &answer))
            return "FAILED: " + client->lastError().toLatin1();
        return answer;
    }
    QByteArray list(const QByteArray &path)
    {
        QByteArray answer;
        if (!client->listDir(path, &answer))
            return "FAILED: " + client->lastError().toLatin1();
        return answer;
    }
};

// An entry line as the file manager reads it: fields between "|" separated by "*".
struct sListed
{
    QString name;
    QString attributes;
    qint64 mtime = -1;
    qint64 size = -1;
};

QList<sListed> parseListing(const QByteArray &answer)
{
    QList<sListed> out;
    for (const QString &raw : QString::fromLatin1(answer.trimmed()).split(QStringLiteral("\n\r"), Qt::SkipEmptyParts)) {
        if (!raw.startsWith(QLatin1Char('|')))
            continue;
        QString line = raw.trimmed();
        line.remove(QLatin1Char('|'));
        const QStringList f = line.split(QLatin1Char('*'), Qt::SkipEmptyParts);
        if (f.size() != 3 && f.size() != 4)
            continue;
        sListed e;
        e.name = f.at(0);
        e.attributes = f.at(1);
        e.mtime = f.at(2).toLongLong();
        e.size = f.size() == 4 ? f.at(3).toLongLong() : -1;
        out << e;
    }
    return out;
}

sListed find(const QList<sListed> &entries, const QString &name)
{
    for (const sListed &e : entries) {
        if (e.name == name)
            return e;
    }
    return sListed();
}

QByteArray randomBytes(int size, quint32 seed)
{
    QByteArray data(size, Qt::Uninitialized);
    QRandomGenerator gen(seed);
    for (int i = 0; i < size; ++i)
        data[i] = char(gen.generate() & 0xff);
    return data;
}

} // namespace

class tst_SimLink : public QObject
{
    Q_OBJECT

private slots:
    void commands_data();
    void commands();
    void framedCliStopsLogAndTextExitResumesIt();
    void framedRestartResetsReadiness();
    void listings_data();
    void listings();
    void listingEntries();
    void listingUnsupported();
    void fileRoundTrip_data();
    void fileRoundTrip();
    void fileOperations();
    void testPackage();
    void folderBackedUnitStaysInside();
    void noisyLineStillDeliversExactFiles();

private:
    std::unique_ptr<sLinked> m_shared;
    sLinked &shared();
};

sLinked &tst_SimLink::shared()
{
    if (!m_shared)
        m_shared = std::make_unique<sLinked>(QStringList {QStringLiteral("ready-ms=0"), QStringLiteral("log-rate=50")});
    return *m_shared;
}

void tst_SimLink::commands_data()
{
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QString>("answer");

    QTest::newRow("run state") << QByteArray("GET_APP_RUN_STATE") << QStringLiteral("^DONE$");
    QTest::newRow("version") << QByteArray("version") << QStringLiteral("^ZOVAN unit ZOVAN-SIM, firmware ");
    QTest::newRow("unknown") << QByteArray("FLY_TO_MOON 3") << QStringLiteral("^Unknown command: FLY_TO_MOON 3$");
    QTest::newRow("echo") << QByteArray("ECHO ZT000042") << QStringLiteral("^ZT000042$");
    QTest::newRow("power") << QByteArray("GET_POWER") << QStringLiteral("^VBAT=\\d+\\.\\d\\d V");
    QTest::newRow("cli") << QByteArray("CLI") << QStringLiteral("^OK$");
    // Framed answers carry no echo and no prompt.
    QTest::newRow("help") << QByteArray("help") << QStringLiteral("^Commands:(?![\\s\\S]*cli> )[\\s\\S]*leaves the command line$");
}

void tst_SimLink::commands()
{
    QFETCH(QByteArray, command);
    QFETCH(QString, answer);
    sLinked &u = shared();
    QVERIFY(u.ok);
    const QByteArray got = u.command(command);
    QVERIFY2(QRegularExpression(answer).match(QString::fromLatin1(got)).hasMatch(), got.constData());
}

void tst_SimLink::framedCliStopsLogAndTextExitResumesIt()
{
    sLinked u({QStringLiteral("ready-ms=0"), QStringLiteral("log-rate=100")});
    QVERIFY(u.ok);
    QCOMPARE(u.command("CLI"), QByteArray("OK"));
    u.command("version");   // lets text queued before the switch drain
    u.text.clear();
    QTest::qWait(600);
    QCOMPARE(u.command("GET_APP_RUN_STATE"), QByteArray("DONE"));
    QVERIFY2(!u.text.contains("] = {"), u.text.constData());

    // The log reader's plain "exit" leaves the command line; frames still work around the log.
    QVERIFY(u.client->sendText("exit\r\n"));
    QTest::qWait(400);
    QCOMPARE(u.command("GET_APP_RUN_STATE"), QByteArray("DONE"));
    QVERIFY(u.text.contains("] = {"));
}

void tst_SimLink::framedRestartResetsReadiness()
{
    sLinked u({QStringLiteral("ready-ms=1200")});
    QVERIFY(u.ok);
    QTRY_COMPARE_WITH_TIMEOUT(u.command("GET_APP_RUN_STATE"), QByteArray("DONE"), 4000);
    QCOMPARE(u.command("CLI"), QByteArray("OK"));
    QCOMPARE(u.command("RESTART NOBOOT"), QByteArray("OK"));
    QCOMPARE(u.command("GET_APP_RUN_STATE"), QByteArray("STARTING"));
    QTRY_COMPARE_WITH_TIMEOUT(u.command("GET_APP_RUN_STATE"), QByteArray("DONE"), 4000);
    QTRY_VERIFY(u.text.contains("boot loader"));
    QCOMPARE(u.unit.stats().reboots, quint64(1));
}

void tst_SimLink::listings_data()
{
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<QString>("answer");

    QTest::newRow("root") << QByteArray("/") << QStringLiteral("^\\|config\\*drw\\*\\d+\\|\n\r");
    QTest::newRow("statfs") << QByteArray("/statfs") << QStringLiteral("\\|zovan_tools_tests.out\\*-rw\\*\\d+\\*\\d+\\|");
    QTest::newRow("quoted path") << QByteArray("\"/statfs\"") << QStringLiteral("\\|counters.dat\\*-rw\\*");
    QTest::newRow("trailing slash") << QByteArray("/logs/") << QStringLiteral("^\\|system_0001.log\\*-rw\\*");
    QTest::newRow("empty folder") << QByteArray("/tmp") << QStringLiteral("^Dir empty$");
    QTest::newRow("missing folder") << QByteArray("/nowhere") << QStringLiteral("^Can't open dir$");
    QTest::newRow("file, not a folder") << QByteArray("/config/unit.ini") << QStringLiteral("^Can't get dir list$");
    QTest::newRow("escape") << QByteArray("/../etc") << QStringLiteral("^Can't open dir$");
}

void tst_SimLink::listings()
{
    QFETCH(QByteArray, path);
    QFETCH(QString, answer);
    sLinked &u = shared();
    QVERIFY(u.ok);
    const QByteArray got = u.list(path);
    QVERIFY2(QRegularExpression(answer).match(QString::fromLatin1(got)).hasMatch(), got.constData());
}

void tst_SimLink::listingEntries()
{
    sLinked &u = shared();
    QVERIFY(u.ok);
    const QList<sListed> root = parseListing(u.list("/"));
    QStringList names;
    for (const sListed &e : root) {
        names << e.name;
        QCOMPARE(e.attributes, QStringLiteral("drw"));
        QVERIFY(e.mtime > 1500000000);
    }
    QCOMPARE(names, (QStringList {"config", "fw", "logs", "statfs", "tmp"}));

    const sListed image = find(parseListing(u.list("/fw")), QStringLiteral("zovan_1.8.12.bin"));
    QCOMPARE(image.attributes, QStringLiteral("-r-"));
    QCOMPARE(image.size, 96 * 1024);
    const QList<sListed> logs = parseListing(u.list("/logs"));
    QCOMPARE(logs.size(), 3);
    for (const sListed &e : logs)
        QVERIFY(e.size > 0 && e.attributes == QLatin1String("-rw"));
}

void tst_SimLink::listingUnsupported()
{
    sLinked u({QStringLiteral("listing=unsupported")});
    QVERIFY(u.ok);
    QVERIFY(u.list("/statfs").startsWith("Unknown command:"));
}

void tst_SimLink::fileRoundTrip_data()
{
    QTest::addColumn<int>("size");
    QTest::newRow("empty") << 0;
    QTest::newRow("one byte") << 1;
    QTest::newRow("one block") << 1024;
    QTest::newRow("one block and a byte") << 1025;
    QTest::newRow("many blocks") << 200000;
}

void tst_SimLink::fileRoundTrip()
{
    QFETCH(int, size);
    sLinked &u = shared();
    QVERIFY(u.ok);
    // Random bytes include the link's marker bytes, which must pass unchanged.
    const QByteArray data = randomBytes(size, quint32(size) + 11);
    const QByteArray path = "/tmp/round_" + QByteArray::number(size) + ".bin";
    QVERIFY2(u.client->putFile(path, data), qPrintable(u.client->lastError()));
    QByteArray back;
    QVERIFY2(u.client->getFile(path, &back), qPrintable(u.client->lastError()));
    QCOMPARE(back.size(), data.size());
    QVERIFY(back == data);
    const sListed e = find(parseListing(u.list("/tmp")), QString::fromLatin1(path.mid(5)));
    QCOMPARE(e.size, qint64(size));
    QCOMPARE(e.attributes, QStringLiteral("-rw"));
    QVERIFY(u.client->deleteFile(path));
}

void tst_SimLink::fileOperations()
{
    sLinked u({QStringLiteral("ready-ms=0")});
    QVERIFY(u.ok);
    QVERIFY(u.client->makeDir("/tmp/new"));
    QVERIFY(!u.client->makeDir("/tmp/new"));
    QVERIFY(!u.client->makeDir("/tmp/missing/deeper"));
    QCOMPARE(find(parseListing(u.list("/tmp")), QStringLiteral("new")).attributes, QStringLiteral("drw"));

    QVERIFY(u.client->putFile("/tmp/new/a.txt", "alpha"));
    QVERIFY(u.client->putFile("/tmp/new/a.txt", "beta"));   // replaces
    QByteArray back;
    QVERIFY(u.client->getFile("/tmp/new/a.txt", &back));
    QCOMPARE(back, QByteArray("beta"));
    QVERIFY(!u.client->putFile("/tmp/nowhere/a.txt", "x"));

    // A folder with something in it is not removed.
    QVERIFY(!u.client->deleteDir("/tmp/new"));
    QVERIFY(u.client->renameFile("/tmp/new/a.txt", "/tmp/new/b.txt"));
    QVERIFY(!u.client->getFile("/tmp/new/a.txt", &back));
    QVERIFY(!u.client->deleteFile("/tmp/new"));   // a folder is not a file
    QVERIFY(u.client->deleteFile("/tmp/new/b.txt"));
    QVERIFY(!u.client->deleteFile("/tmp/new/b.txt"));
    QCOMPARE(u.list("/tmp/new"), QByteArray("Dir empty"));
    QVERIFY(u.client->deleteDir("/tmp/new"));
    QCOMPARE(u.list("/tmp"), QByteArray("Dir empty"));

    // The firmware image is read-only; missing files cannot be read.
    QVERIFY(!u.client->putFile("/fw/zovan_1.8.12.bin", "x"));
    QVERIFY(!u.client->deleteFile("/fw/zovan_1.8.12.bin"));
    QVERIFY(u.client->getFile("/fw/zovan_1.8.12.bin", &back));
    QCOMPARE(back.size(), 96 * 1024);
    QVERIFY(!u.client->getFile("/statfs/nothing.dat", &back));
    // The unit's reason reaches the host.
    QVERIFY2(u.client->lastError().contains(QLatin1String("No such file or directory")),
             qPrintable(u.client->lastError()));
    QVERIFY(!u.client->getFile("/../etc/passwd", &back));
}

void tst_SimLink::testPackage()
{
    QFile source(QStringLiteral(ZT_SIM_PACKAGE_SOURCE));
    QVERIFY(source.open(QIODevice::ReadOnly));
    const QByteArray expected = source.readAll();
    {
        sLinked &u = shared();
        QVERIFY(u.ok);
        QByteArray package;
        // The test engine asks for it with the path in double quotes.
        QVERIFY(u.client->getFile("\"/statfs/zovan_tools_tests.out\"", &package));
        QVERIFY(package == expected);
    }
    sLinked bare({QStringLiteral("package=none")});
    QVERIFY(bare.ok);
    QByteArray package;
    QVERIFY(!bare.client->getFile("/statfs/zovan_tools_tests.out", &package));
    QVERIFY(bare.list("/statfs").contains("counters.dat"));
}

void tst_SimLink::folderBackedUnitStaysInside()
{
    QTemporaryDir top;
    QVERIFY(top.isValid());
    const QString root = top.filePath(QStringLiteral("unit"));
    QVERIFY(QDir().mkpath(root + QStringLiteral("/data")));
    QVERIFY(QDir().mkpath(top.filePath(QStringLiteral("outside"))));
    QFile secret(top.filePath(QStringLiteral("secret.txt")));
    QVERIFY(secret.open(QIODevice::WriteOnly) && secret.write("secret") == 6);
    secret.close();
    QVERIFY(QFile::link(top.filePath(QStringLiteral("outside")), root + QStringLiteral("/link")));
    QVERIFY(QFile::link(top.filePath(QStringLiteral("secret.txt")), root + QStringLiteral("/data/secret-link")));

    sLinked u({QStringLiteral("fs=") + root});
    QVERIFY(u.ok);
    QVERIFY(u.client->putFile("/data/report.csv", "a;b\n1;2\n"));
    QFile written(root + QStringLiteral("/data/report.csv"));
    QVERIFY(written.open(QIODevice::ReadOnly));
    QCOMPARE(written.readAll(), QByteArray("a;b\n1;2\n"));
    QVERIFY(u.list("/data").contains("|report.csv*-rw*"));

    QByteArray got;
    QVERIFY(!u.client->getFile("/../secret.txt", &got));
    QVERIFY(!u.client->getFile("/data/../../secret.txt", &got));
    QVERIFY(!u.client->getFile("/data/secret-link", &got));
    QVERIFY(!u.list("/link").startsWith('|'));
    QVERIFY(!u.client->putFile("/link/planted.txt", "x"));
    QVERIFY(!u.client->makeDir("/link/planted"));
    QVERIFY(!u.client->makeDir("/../planted"));
    QVERIFY(!u.client->renameFile("/data/report.csv", "/link/report.csv"));
    QVERIFY(QDir(top.filePath(QStringLiteral("outside"))).isEmpty());
    QVERIFY(!QFile::exists(top.filePath(QStringLiteral("planted"))));
    // Uploads land whole and leave no temporary files behind.
    QStringList left = QDir(root + QStringLiteral("/data")).entryList(QDir::Files | QDir::Hidden | QDir::System);
    left.sort();
    QCOMPARE(left, (QStringList {"report.csv", "secret-link"}));
}

void tst_SimLink::noisyLineStillDeliversExactFiles()
{
    sLinked u({QStringLiteral("ready-ms=0"), QStringLiteral("flip=0.0005"), QStringLiteral("drop=0.0002"),
               QStringLiteral("seed=3")});
    QVERIFY(u.ok);
    const QByteArray data = randomBytes(100000, 21);
    QVERIFY2(u.client->putFile("/tmp/noisy.bin", data), qPrintable(u.client->lastError()));
    QByteArray back;
    QVERIFY2(u.client->getFile("/tmp/noisy.bin", &back), qPrintable(u.client->lastError()));
    QVERIFY(back == data);
    QVERIFY(u.unit.stats().flippedBytes + u.unit.stats().droppedBytes > 0);
}

QTEST_GUILESS_MAIN(tst_SimLink)
#include "tst_simlink.moc"

#include "cfsrunnerfixture.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTest>

namespace {

QByteArray randomBytes(int size, quint32 seed)
{
    QByteArray data(size, Qt::Uninitialized);
    QRandomGenerator gen(seed);
    for (char &c : data)
        c = char(gen.generate() & 0xff);
    return data;
}

bool writeFile(const QString &path, const QByteArray &data)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(data) == data.size();
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

QStringList names(const QList<sDeviceFSEntry> &entries)
{
    QStringList n;
    for (const sDeviceFSEntry &e : entries)
        n << (e.isDir ? e.name + QLatin1Char('/') : e.name);
    return n;
}

} // namespace

class tst_cDeviceFSRunner : public QObject
{
    Q_OBJECT

private slots:
    void init() { f = std::make_unique<cFsRunnerFixture>(); }
    void cleanup() { f.reset(); }

    void openListsRoots();
    void readDir_data();
    void readDir();
    void roundTrip_data();
    void roundTrip();
    void cancelBetweenFiles();
    void deleteTree();
    void deleteKeepsEverythingWhenAListingFails();
    void initWithoutPluginQueuesNothing();
    void downloadStaysInsideItsFolder();
    void unitPulledMidCopy();

private:
    std::unique_ptr<cFsRunnerFixture> f;
};

void tst_cDeviceFSRunner::openListsRoots()
{
    QVERIFY(f->startUnit({}, true));
    QCOMPARE(f->open(), 0);
    const QStringList roots = f->runner->roots();
    for (const char *r : {"config", "fw", "logs", "statfs", "tmp"})
        QVERIFY2(roots.contains(QLatin1String(r)), qPrintable(roots.join(QLatin1Char(','))));
    QCOMPARE(f->run([&] { f->runner->deinit(); }), 0);
    // Closed twice: a failure, but the worker still serves the next connect.
    QCOMPARE(f->run([&] { f->runner->deinit(); }), 2);
    QCOMPARE(f->open(), 0);
}

void tst_cDeviceFSRunner::readDir_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("result");
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QString>("firstPath");
    QTest::newRow("folders before files") << "/d" << 0 << QStringList{"b/", "z/", "a.txt", "c.txt"} << "/d/b";
    QTest::newRow("empty folder") << "/d/b" << 0 << QStringList{} << "";
    QTest::newRow("empty path lists the root as ./") << "" << 0 << QStringList{"d/"} << "./d";
    QTest::newRow("missing folder") << "/nope" << 2 << QStringList{} << "";
    QTest::newRow("a file is no folder") << "/d/a.txt" << 2 << QStringList{} << "";
}

void tst_cDeviceFSRunner::readDir()
{
    QFETCH(QString, path);
    QFETCH(int, result);
    QFETCH(QStringList, entries);
    QFETCH(QString, firstPath);
    QDir(f->unitDir()).mkpath(QStringLiteral("d/b"));
    QDir(f->unitDir()).mkpath(QStringLiteral("d/z"));
    QVERIFY(writeFile(f->unitDir() + QStringLiteral("/d/c.txt"), "cc"));
    QVERIFY(writeFile(f->unitDir() + QStringLiteral("/d/a.txt"), "a"));
    QVERIFY(f->startUnit({}));
    QCOMPARE(f->open(), 0);
    QCOMPARE(f->run([&] { f->runner->readDir(path); }), result);
    QCOMPARE(f->listings.size(), result == 0 ? 1 : 0);
    if (result != 0)
        return;
    const QList<sDeviceFSEntry> got = f->listings.first();
    QCOMPARE(names(got), entries);
    if (!got.isEmpty())
        QCOMPARE(got.first().path, firstPath);
}

void tst_cDeviceFSRunner::roundTrip_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("size");
    QTest::addColumn<QString>("localFolder");
    QTest::newRow("empty file") << QStringList{} << "empty.bin" << 0 << "down";
    QTest::newRow("one byte, folder with /") << QStringList{} << "one.bin" << 1 << "down/";
    QTest::newRow("block edge") << QStringList{} << "edge.bin" << 768 << "down";
    QTest::newRow("name with spaces") << QStringList{} << "with some spaces.txt" << 769 << "down";
    QTest::newRow("german") << QStringList{} << QString::fromUtf8("Prüfprotokoll ä.txt") << 5000 << "down";
    QTest::newRow("cyrillic") << QStringList{} << QString::fromUtf8("отчёт 1.txt") << 70000 << "down";
    QTest::newRow("flipped bits") << QStringList{"flip=0.0005", "seed=7"} << "flip.bin" << 40000 << "down";
    QTest::newRow("dropped bytes") << QStringList{"drop=0.0005", "seed=9"} << "drop.bin" << 40000 << "down";
}

void tst_cDeviceFSRunner::roundTrip()
{
    QFETCH(QStringList, options);
    QFETCH(QString, name);
    QFETCH(int, size);
    QFETCH(QString, localFolder);
    const QByteArray data = randomBytes(size, quint32(size) + 1);
    const QString source = f->localDir() + QLatin1Char('/') + name;
    QVERIFY(writeFile(source, data));
    QVERIFY(QDir(f->localDir()).mkpath(QStringLiteral("down")));
    QVERIFY(f->startUnit(options));
    QCOMPARE(f->open(), 0);

    QCOMPARE(f->run([&] { f->runner->copyToDevice({source}, QStringLiteral("/")); }), 0);
    QCOMPARE(f->currentFiles, QStringList{QDir::toNativeSeparators(source)});
    QCOMPARE(readFile(f->unitDir() + QLatin1Char('/') + name), data);

    QCOMPARE(f->run([&] { f->runner->readDir(QStringLiteral("/")); }), 0);
    QCOMPARE(names(f->listings.first()), QStringList{name});

    const QString down = f->localDir() + QLatin1Char('/') + localFolder;
    QCOMPARE(f->run([&] { f->runner->copyFromDevice({QLatin1Char('/') + name}, down); }), 0);
    QCOMPARE(readFile(f->localDir() + QStringLiteral("/down/") + name), data);
    QCOMPARE(QDir(f->localDir() + QStringLiteral("/down")).entryList(QDir::Files | QDir::Hidden), QStringList{name});

    QCOMPARE(f->run([&] { f->runner->remove({QLatin1Char('/') + name}, {}); }), 0);
    QVERIFY(!QFile::exists(f->unitDir() + QLatin1Char('/') + name));
}

void tst_cDeviceFSRunner::cancelBetweenFiles()
{
    for (int i = 0; i < 3; ++i)
        QVERIFY(writeFile(f->unitDir() + QStringLiteral("/f%1.bin").arg(i), randomBytes(3000, quint32(i))));
    QVERIFY(f->startUnit({"baud=115200"}));
    QCOMPARE(f->open(), 0);
    // Cancelled as soon as the operator sees the first file: the files after it are not started.
    f->onCurrentFile = [this] { f->runner->cancelCopy(); };
    QCOMPARE(f->run([&] { f->runner->copyFromDevice({"/f0.bin", "/f1.bin", "/f2.bin"}, f->localDir()); }), 3);
    QCOMPARE(f->currentFiles.size(), 1);
    QVERIFY(QDir(f->localDir()).entryList(QDir::Files | QDir::Hidden).isEmpty());
    f->onCurrentFile = nullptr;
    // The flag is clear afterwards, and copying nothing succeeds at once.
    QCOMPARE(f->run([&] { f->runner->copyFromDevice({"/f1.bin"}, f->localDir()); }), 0);
    QCOMPARE(f->run([&] { f->runner->copyFromDevice(QStringList(), f->localDir()); }), 0);
    QCOMPARE(QDir(f->localDir()).entryList(QDir::Files), QStringList{"f1.bin"});
}

void tst_cDeviceFSRunner::deleteTree()
{
    QDir unit(f->unitDir());
    QVERIFY(unit.mkpath(QStringLiteral("top/a/deep/deeper")) && unit.mkpath(QStringLiteral("top/b")) && unit.mkpath(QStringLiteral("other")));
    for (const char *file : {"top/x.txt", "top/a/y.txt", "top/a/deep/z.txt", "top/a/deep/deeper/w.txt", "loose.txt", "other/keep.txt"})
        QVERIFY(writeFile(f->unitDir() + QLatin1Char('/') + QLatin1String(file), file));
    QVERIFY(f->startUnit({}));
    QCOMPARE(f->open(), 0);
    // A folder that still held anything would refuse its delete: success means files first, deepest folders next.
    QCOMPARE(f->run([&] { f->runner->remove({"/loose.txt"}, {"/top"}); }), 0);
    QCOMPARE(unit.entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{"other"});
}

void tst_cDeviceFSRunner::deleteKeepsEverythingWhenAListingFails()
{
    QDir unit(f->unitDir());
    QVERIFY(unit.mkpath(QStringLiteral("keep/sub")));
    QVERIFY(writeFile(f->unitDir() + QStringLiteral("/keep/sub/a.txt"), "a"));
    QVERIFY(writeFile(f->unitDir() + QStringLiteral("/file.txt"), "f"));
    QVERIFY(f->startUnit({}));
    QCOMPARE(f->open(), 0);
    QCOMPARE(f->run([&] { f->runner->remove({"/file.txt"}, {"/keep", "/missing"}); }), 2);
    QVERIFY(QFile::exists(f->unitDir() + QStringLiteral("/keep/sub/a.txt")));
    QVERIFY(QFile::exists(f->unitDir() + QStringLiteral("/file.txt")));
}

void tst_cDeviceFSRunner::initWithoutPluginQueuesNothing()
{
    QVERIFY(f->startUnit({}, true));
    QCOMPARE(f->run([&] { f->runner->init(sIODevice()); }), 2);
    QCOMPARE(f->logsWith(QStringLiteral("No res plugin")).size(), 1);
    // Nothing was queued: the next request is the first one the worker sees.
    QCOMPARE(f->open(), 0);
    QCOMPARE(f->run([&] { f->runner->makeDir(QStringLiteral("/tmp/new")); }), 0);
    QCOMPARE(f->run([&] { f->runner->makeDir(QStringLiteral("/tmp/new")); }), 2);
    QCOMPARE(f->logsWith(QStringLiteral("Making dir: /tmp/new")).size(), 2);
}

void tst_cDeviceFSRunner::downloadStaysInsideItsFolder()
{
    QVERIFY(f->startUnit({}));
    QCOMPARE(f->open(), 0);
    const QString inner = f->localDir() + QStringLiteral("/in");
    QVERIFY(QDir().mkpath(inner));
    QCOMPARE(f->run([&] { f->runner->copyFromDevice({"/..", "/nothere.txt"}, inner); }), 2);
    QVERIFY(QDir(f->localDir()).entryList(QDir::Files | QDir::Hidden).isEmpty());
    QVERIFY(QDir(inner).isEmpty());
}

void tst_cDeviceFSRunner::unitPulledMidCopy()
{
    QVERIFY(writeFile(f->unitDir() + QStringLiteral("/big.bin"), randomBytes(200000, 3)));
    QVERIFY(f->startUnit({"hangup=60000"}));
    QCOMPARE(f->open(), 0);
    QCOMPARE(f->run([&] { f->runner->copyFromDevice({"/big.bin"}, f->localDir()); }, 60000), 2);
    QVERIFY(QDir(f->localDir()).entryList(QDir::Files | QDir::Hidden).isEmpty());
    QCOMPARE(f->logsWith(QStringLiteral("Failed to get /big.bin")).size(), 1);
}

QTEST_GUILESS_MAIN(tst_cDeviceFSRunner)
#include "tst_cdevicefsrunner.moc"

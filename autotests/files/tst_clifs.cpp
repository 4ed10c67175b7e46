// "zovan-tools-cli fs" run as its own process against its built-in simulated unit.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {
struct sRun
{
    int code = -1;
    QString out;
    QString err;
};
} // namespace

class tst_CliFs : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void listing();
    void roundTripOfANonAsciiName();
    void failures_data();
    void failures();

private:
    sRun fs(const QStringList &args);

    QString m_program;
    QTemporaryDir m_home;
    QTemporaryDir m_unit;
    QTemporaryDir m_local;
};

void tst_CliFs::initTestCase()
{
    m_program = QDir(qEnvironmentVariable("ZOVAN_APP_ROOT")).filePath(QStringLiteral("bin/zovan-tools-cli"));
    QVERIFY2(QFile::exists(m_program), qPrintable(m_program));
    QVERIFY(m_home.isValid() && m_unit.isValid() && m_local.isValid());
}

sRun tst_CliFs::fs(const QStringList &args)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), m_home.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_home.filePath(QStringLiteral("config")));
    p.setProcessEnvironment(env);
    p.setStandardInputFile(QProcess::nullDevice());
    p.start(m_program, QStringList{"fs", "--sim", "--sim-option", "fs=" + m_unit.path()} + args);
    sRun r;
    if (!p.waitForFinished(30000))
        return r;
    r.code = p.exitCode();
    r.out = QString::fromLocal8Bit(p.readAllStandardOutput());
    r.err = QString::fromLocal8Bit(p.readAllStandardError());
    return r;
}

void tst_CliFs::listing()
{
    QVERIFY(QDir(m_unit.path()).mkpath(QStringLiteral("folder")));
    QFile file(m_unit.filePath(QStringLiteral("ten.bin")));
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write("0123456789") == 10);
    file.close();
    const sRun r = fs({"ls", "/"});
    QCOMPARE(r.code, 0);
    const QStringList lines = r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 3);
    QVERIFY(lines.at(0).startsWith(QLatin1String("Name")) && lines.at(0).contains(QLatin1String("Change date")));
    QVERIFY(lines.at(1).startsWith(QLatin1String("folder/")));
    QVERIFY2(lines.at(2).startsWith(QLatin1String("ten.bin")) && lines.at(2).contains(QLatin1String(" 10  ")), qPrintable(lines.at(2)));
    QVERIFY(QFile::remove(m_unit.filePath(QStringLiteral("ten.bin"))));
    QVERIFY(QDir(m_unit.filePath(QStringLiteral("folder"))).removeRecursively());
}

void tst_CliFs::roundTripOfANonAsciiName()
{
    const QString name = QString::fromUtf8("отчёт 1.txt");
    const QString source = m_local.filePath(name);
    QFile file(source);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write("report") == 6);
    file.close();
    QCOMPARE(fs({"mkdir", "/in"}).code, 0);
    QCOMPARE(fs({"put", source, "/in"}).code, 0);
    QVERIFY(QFile::exists(m_unit.filePath(QStringLiteral("in/") + name)));
    QVERIFY(QDir(m_local.path()).mkpath(QStringLiteral("back")));
    QCOMPARE(fs({"get", "/in/" + name, m_local.filePath(QStringLiteral("back"))}).code, 0);
    QFile back(m_local.filePath(QStringLiteral("back/") + name));
    QVERIFY(back.open(QIODevice::ReadOnly));
    QCOMPARE(back.readAll(), QByteArray("report"));
    // Never over an existing file without being told.
    const sRun again = fs({"get", "/in/" + name, m_local.filePath(QStringLiteral("back"))});
    QCOMPARE(again.code, 1);
    QVERIFY(again.err.contains(QLatin1String("--overwrite")));
    QCOMPARE(fs({"rm", "-r", "/in"}).code, 0);
    QVERIFY(!QFileInfo::exists(m_unit.filePath(QStringLiteral("in"))));
}

void tst_CliFs::failures_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("message");
    QTest::newRow("missing folder") << QStringList{"ls", "/nope"} << 1 << "error: Can't open directory";
    QTest::newRow("folder without -r") << QStringList{"rm", "/"} << 1 << "error: Failed to delete file /";
    QTest::newRow("unknown operation") << QStringList{"cp", "/a", "/b"} << 2 << "unknown operation 'cp'";
    QTest::newRow("get without a folder") << QStringList{"get", "/a"} << 2 << "get takes one or more files and a folder";
}

void tst_CliFs::failures()
{
    QFETCH(QStringList, args);
    QFETCH(int, code);
    QFETCH(QString, message);
    const sRun r = fs(args);
    QCOMPARE(r.code, code);
    QVERIFY2(r.err.contains(message), qPrintable(r.err));
}

QTEST_GUILESS_MAIN(tst_CliFs)
#include "tst_clifs.moc"

// zovan-tools-cli: its JUnit report in-process, and the built program run as a separate
// process against its embedded simulated unit.

#include "tests/model/cjunitreport.h"
#include "tests/engine/testroles.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

#include <csignal>

namespace {

struct sRun
{
    int exitCode = -1;
    bool finished = false;
    QString out, err;
};

// One result line: "name, hh:mm:ss - hh:mm:ss, STATUS[, details]".
struct sResultLine
{
    QString name, status, details;
};

// The shipped scripts' tests and how they end on a healthy simulated unit.
const QMap<QString, QString> kPackage{
    {"Supply voltage", "OK"},    {"GSM registration", "OK"}, {"GPIO loop-back", "OK"},
    {"EEPROM write and read back", "OK"}, {"Board temperature", "OK"}, {"Serial echo", "OK"},
    {"Storage counters", "OK"},  {"LED indicator", "WARNING"}, {"Accelerometer", "ERROR"}};
const QMap<QString, QString> kLocal{{"Port is open", "OK"}, {"GPIO loop-back OUT1->IN1", "OK"}, {"EEPROM read", "OK"},
                                    {"Temperature plausible", "OK"}, {"Operator: unit label", "WARNING"}};

QList<sResultLine> resultLines(const QString &out, const QStringList &names)
{
    static const QRegularExpression tail(
        QStringLiteral("^, \\d\\d:\\d\\d:\\d\\d - \\d\\d:\\d\\d:\\d\\d, (OK|ERROR|WARNING|CANCELED|\\?)(?:, (.*))?$"));
    QList<sResultLine> lines;
    for (const QString &line : out.split(QLatin1Char('\n'))) {
        for (const QString &name : names) {
            const QRegularExpressionMatch m = tail.match(line.mid(name.size()));
            if (line.startsWith(name) && m.hasMatch()) {
                lines << sResultLine{name, m.captured(1), m.captured(2)};
                break;
            }
        }
    }
    return lines;
}

// "name:\n    run count - N\n    ok - N\n    warnings - N\n    errors - N"
QList<int> statistics(const QString &out, const QString &name)
{
    const QRegularExpressionMatch m = QRegularExpression(
        QRegularExpression::escape(name) + QStringLiteral(":\\n    run count - (\\d+)\\n    ok - (\\d+)\\n"
                                                          "    warnings - (\\d+)\\n    errors - (\\d+)\\n")).match(out);
    if (!m.hasMatch())
        return {};
    return {m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt(), m.captured(4).toInt()};
}

// What a JUnit report holds: suite attributes and the counted elements below it.
struct sReport
{
    QString error;
    QMap<QString, QString> suite;
    QStringList cases, failures; // name@time; messages
    int skipped = 0, systemOut = 0;
};

sReport readReport(const QByteArray &text)
{
    QXmlStreamReader xml(text);
    sReport r;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        const QXmlStreamAttributes a = xml.attributes();
        if (xml.name() == QLatin1String("testsuite")) {
            for (const QXmlStreamAttribute &attribute : a)
                r.suite.insert(attribute.name().toString(), attribute.value().toString());
        } else if (xml.name() == QLatin1String("testcase")) {
            r.cases << a.value(QLatin1String("name")).toString() + QLatin1Char('@') + a.value(QLatin1String("time")).toString();
        } else if (xml.name() == QLatin1String("failure")) {
            r.failures << a.value(QLatin1String("message")).toString();
        } else {
            r.skipped += xml.name() == QLatin1String("skipped") ? 1 : 0;
            r.systemOut += xml.name() == QLatin1String("system-out") ? 1 : 0;
        }
    }
    r.error = xml.errorString();
    return r;
}

// A file that is missing or empty reads as a report with an error.
sReport readReportFile(const QString &path)
{
    QFile file(path);
    return readReport(file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray());
}

} // namespace

class tst_Cli : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void junitReport();

    void quickExits_data();
    void quickExits();
    void portsListsSimulatedUnit();
    void unitPackageRunTwiceWithReport();
    void localTestsWithoutPackage();
    void only();
    void interruptCancelsAndExits1();
    void appDirScripts_data();
    void appDirScripts();

private:
    void prepare(QProcess &p) const;
    sRun runCli(const QStringList &args, int timeoutMs = 120000);

    QString m_program;
    QTemporaryDir m_home;
};

void tst_Cli::initTestCase()
{
    const QString root = qEnvironmentVariable("ZOVAN_APP_ROOT");
    QVERIFY2(!root.isEmpty(), "ZOVAN_APP_ROOT is not set");
    m_program = QDir(root).filePath(QStringLiteral("bin/zovan-tools-cli"));
    QVERIFY2(QFile::exists(m_program), qPrintable(m_program));
    QVERIFY(m_home.isValid());
}

void tst_Cli::prepare(QProcess &p) const
{
    // Settings and data of the program go to a scratch home, never the user's.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), m_home.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_home.filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("XDG_DATA_HOME"), m_home.filePath(QStringLiteral("data")));
    p.setProcessEnvironment(env);
    p.setStandardInputFile(QProcess::nullDevice());
}

sRun tst_Cli::runCli(const QStringList &args, int timeoutMs)
{
    QProcess p;
    prepare(p);
    p.start(m_program, args);
    sRun r;
    if (!p.waitForStarted(10000))
        return r;
    r.finished = p.waitForFinished(timeoutMs);
    if (!r.finished) {
        p.kill();
        p.waitForFinished(5000);
    }
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromLocal8Bit(p.readAllStandardOutput());
    r.err = QString::fromLocal8Bit(p.readAllStandardError());
    return r;
}

// Details come from the unit and may hold markup, or bytes that XML 1.0 cannot carry at all.
void tst_Cli::junitReport()
{
    cJUnitReport report(QStringLiteral("unit\x01"), QStringLiteral("sim:0"));
    report.addCase({QStringLiteral("fine"), testmodel::StateOk, QString(), 1500});
    report.addCase({QStringLiteral("bin\x02ary"), testmodel::StateError,
                    QStringLiteral("<got> & \x1b[0m ") + QChar(0xd800) + QStringLiteral(" end"), 250});
    report.addCase({QStringLiteral("noted"), testmodel::StateWarning, QStringLiteral("look"), 0});
    report.addCase({QStringLiteral("stopped"), testmodel::StateCanceled, QString(), 0});
    report.addCase({QStringLiteral("never ended"), testmodel::StateRunning, QString(), 0});
    const sReport r = readReport(report.toXml());
    QVERIFY2(r.error.isEmpty(), qPrintable(r.error));
    // An unknown end state fails too.
    QCOMPARE(QStringList({r.suite.value("tests"), r.suite.value("failures"), r.suite.value("skipped"), r.suite.value("time")}),
             QStringList({"5", "2", "1", "1.750"}));
    QCOMPARE(r.cases.first(), QStringLiteral("fine@1.500"));
    QCOMPARE(r.failures.value(0), QStringLiteral("<got> & \xfffd[0m \xfffd end"));
    QVERIFY(r.skipped == 1 && r.systemOut == 1);

    const sReport none = readReport(cJUnitReport(QStringLiteral("u"), QStringLiteral("p")).toXml());
    QVERIFY2(none.error.isEmpty() && none.suite.value("tests") == QLatin1String("0"), qPrintable(none.error));
}

void tst_Cli::quickExits_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message"); // starts stdout for help, is in stderr for errors
    QTest::newRow("help") << QStringList{"--help"} << 0 << "Usage: zovan-tools-cli <command>";
    // Help of a command wins over a bad value before it.
    QTest::newRow("test help") << QStringList{"test", "--runs", "0", "-h"} << 0 << "Usage: zovan-tools-cli test";
    const auto bad = [](const char *name, const QStringList &args, const char *message) {
        QTest::newRow(name) << args << 2 << QString::fromLatin1(message);
    };
    bad("no command", {}, "no command");
    bad("test without unit", {"test"}, "--port ID or --sim");
    bad("sim option without sim", {"test", "--port", "x", "--sim-option", "a=1"}, "--sim-option needs --sim");
    bad("missing app dir", {"test", "--sim", "--app-dir", "/nonexistent/zt"}, "is not a folder");
    bad("junit into missing folder", {"test", "--sim", "--junit", "/nonexistent/zt/r.xml"}, "does not exist");
    bad("unknown port", {"test", "--port", "no-such-port"}, "unknown port 'no-such-port'");
    bad("bad sim option value", {"test", "--sim", "--sim-option", "ready-ms=soon"}, "simulated unit");
    // A name the unit does not offer runs nothing, not even the names it does offer.
    bad("unknown --only name", {"test", "--sim", "--only", "GPIO loop-back,Flux capacitor"}, "unknown test 'Flux capacitor'");
}

void tst_Cli::quickExits()
{
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QString, message);
    const sRun r = runCli(args, 30000);
    QCOMPARE(r.exitCode, exitCode);
    QVERIFY2(exitCode == 0 ? r.out.startsWith(message) : r.err.contains(message), qPrintable(r.out + r.err));
    QVERIFY2(!r.out.contains(QLatin1String("run count")), qPrintable(r.out));
}

void tst_Cli::portsListsSimulatedUnit()
{
    const sRun r = runCli({"ports", "--sim", "--sim-option", "name=BENCH-7"}, 60000);
    QCOMPARE(r.exitCode, 0);
    // id, name and description, separated by tabs.
    const QStringList line = r.out.split(QLatin1Char('\n')).filter(QStringLiteral("BENCH-7")).value(0).split('\t');
    QVERIFY2(line.size() == 3 && !line.first().isEmpty(), qPrintable(r.out + r.err));
}

void tst_Cli::unitPackageRunTwiceWithReport()
{
    const QString junit = m_home.filePath(QStringLiteral("package.xml"));
    const sRun r = runCli({"test", "--sim", "--runs", "2", "--junit", junit, "--verbose"});
    QVERIFY2(r.finished, qPrintable(r.out + r.err));
    QCOMPARE(r.exitCode, 1); // one test of the package ends in error

    const QList<sResultLine> lines = resultLines(r.out, kPackage.keys());
    QCOMPARE(lines.size(), 2 * kPackage.size());
    for (const sResultLine &l : lines) {
        QVERIFY2(l.status == kPackage.value(l.name) && (l.status == QLatin1String("OK") || !l.details.isEmpty()),
                 qPrintable(QStringLiteral("%1: %2 (%3)\n%4").arg(l.name, l.status, l.details, r.err)));
    }
    // Both passes in the unit's order.
    QCOMPARE(lines.first().name, lines.at(kPackage.size()).name);
    for (auto it = kPackage.cbegin(); it != kPackage.cend(); ++it) {
        const QList<int> expected{2, it.value() == QLatin1String("OK") ? 2 : 0,
                                  it.value() == QLatin1String("WARNING") ? 2 : 0,
                                  it.value() == QLatin1String("ERROR") ? 2 : 0};
        QVERIFY2(statistics(r.out, it.key()) == expected, qPrintable(it.key() + QLatin1Char('\n') + r.out));
    }
    // --verbose adds the test log after the statistics.
    QVERIFY2(r.out.contains(QRegularExpression(QStringLiteral("\\d\\d:\\d\\d-\\d\\d  NOTIFY   Starting test"))),
             qPrintable(r.out));

    const sReport report = readReportFile(junit);
    QVERIFY2(report.error.isEmpty(), qPrintable(report.error));
    QCOMPARE(report.cases.size(), 2 * kPackage.size());
    for (const QString &c : report.cases)
        QVERIFY2(kPackage.contains(c.section('@', 0, 0)), qPrintable(c));
    QCOMPARE(report.suite.value("tests"), QString::number(report.cases.size()));
    QCOMPARE(report.suite.value("failures"), QStringLiteral("2"));
    QVERIFY(report.failures.size() == 2 && !report.failures.contains(QString()));
    QVERIFY(report.systemOut == 2 && report.skipped == 0);
}

void tst_Cli::localTestsWithoutPackage()
{
    const sRun r = runCli({"test", "--sim", "--sim-option", "package=none"});
    QCOMPARE(r.exitCode, 0);
    const QList<sResultLine> lines = resultLines(r.out, kLocal.keys());
    QCOMPARE(lines.size(), kLocal.size());
    for (const sResultLine &l : lines)
        QVERIFY2(l.status == kLocal.value(l.name), qPrintable(l.name + QStringLiteral(": ") + l.details));
    QVERIFY(resultLines(r.out, kPackage.keys()).isEmpty());
    QVERIFY2(r.err.contains(QLatin1String("using local tests")), qPrintable(r.err));
}

void tst_Cli::only()
{
    // Given in another order than the unit's, and repeated: each runs once, in the unit's order.
    const sRun r = runCli({"test", "--sim", "--only", "Board temperature", "--only=GPIO loop-back,Board temperature"});
    QCOMPARE(r.exitCode, 0);
    const QList<sResultLine> lines = resultLines(r.out, kPackage.keys());
    QCOMPARE(lines.size(), 2);
    QCOMPARE(lines.at(0).name, QStringLiteral("GPIO loop-back"));
    QCOMPARE(lines.at(1).name, QStringLiteral("Board temperature"));
}

// Ctrl-C in the middle of a run: the tests are cancelled, the unit released, and the program
// ends with 1 well within its bound, still reporting what ran.
void tst_Cli::interruptCancelsAndExits1()
{
    QProcess p;
    prepare(p);
    const QString junit = m_home.filePath(QStringLiteral("interrupted.xml"));
    p.start(m_program, {"test", "--sim", "--runs", "5", "--junit", junit});
    QVERIFY(p.waitForStarted(10000));
    QByteArray out;
    for (QDeadlineTimer firstResult(60000); !out.contains("Supply voltage, ") && !firstResult.hasExpired();) {
        p.waitForReadyRead(1000);
        out += p.readAllStandardOutput();
    }
    QVERIFY2(out.contains("Supply voltage, "), p.readAllStandardError().constData());
    ::kill(pid_t(p.processId()), SIGINT);
    QVERIFY2(p.waitForFinished(20000), "no exit within 20 s of Ctrl-C");
    out += p.readAllStandardOutput();
    const QString err = QString::fromLocal8Bit(p.readAllStandardError());
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    QCOMPARE(p.exitCode(), 1);
    QVERIFY2(err.contains(QLatin1String("interrupted")), qPrintable(err));

    const QString text = QString::fromLocal8Bit(out);
    QVERIFY(resultLines(text, kPackage.keys()).size() < 5 * kPackage.size());
    QVERIFY2(text.contains(QLatin1String("Supply voltage:\n    run count - ")), qPrintable(text));
    // The report's skipped runs are the tests shown as cancelled.
    const sReport report = readReportFile(junit);
    QVERIFY2(report.error.isEmpty(), qPrintable(report.error));
    QCOMPARE(report.suite.value("skipped").toInt(),
             int(text.count(QRegularExpression(QStringLiteral("^[^\n]+, CANCELED$"), QRegularExpression::MultilineOption))));
}

void tst_Cli::appDirScripts_data()
{
    QTest::addColumn<QByteArray>("localTests"); // tests/local.lua; empty: no file
    QTest::addColumn<QByteArray>("general");    // an extra scripts/general file; empty: none
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("expected"); // in stdout for 1 and "ok", else in stderr
    QTest::newRow("no tests at all") << QByteArray() << QByteArray() << 0 << "offers no tests";
    QTest::newRow("a local test that fails")
        << QByteArray("register_test('Custom', function() return ztl.fail('custom failure') end)\n"
                      "register_test('Fine', function() return true end)")
        << QByteArray() << 1 << ", ERROR, custom failure";
    // The runner stops the listing after a few seconds; the whole run ends well within 30 s.
    QTest::newRow("a test list that never ends")
        << QByteArray("function zt_enumerate_tests() while true do end end") << QByteArray() << 2
        << "zt_enumerate_tests did not return within";
    QTest::newRow("a broken general script") << QByteArray("register_test('Fine', function() end)")
                                             << QByteArray("this is not lua") << 2 << "cannot prepare the tests";
}

// --app-dir decides which scripts a run uses; the exit status follows what they do.
void tst_Cli::appDirScripts()
{
    QFETCH(QByteArray, localTests);
    QFETCH(QByteArray, general);
    QFETCH(int, exitCode);
    QFETCH(QString, expected);
    QTemporaryDir app;
    const QDir shipped(qEnvironmentVariable("ZOVAN_APP_ROOT"));
    for (const char *sub : {"scripts/general", "scripts/test", "tests"})
        QVERIFY(QDir(app.path()).mkpath(QLatin1String(sub)));
    for (const char *file : {"scripts/general/ztlib.lua", "scripts/test/contract.lua"})
        QVERIFY(QFile::copy(shipped.filePath(QLatin1String(file)), app.filePath(QLatin1String(file))));
    const auto write = [&app](const char *name, const QByteArray &text) {
        QFile f(app.filePath(QLatin1String(name)));
        return text.isEmpty() || (f.open(QIODevice::WriteOnly) && f.write(text) == text.size());
    };
    QVERIFY(write("tests/local.lua", localTests));
    QVERIFY(write("scripts/general/zz_broken.lua", general));
    const QString junit = m_home.filePath(QStringLiteral("appdir.xml"));
    QFile::remove(junit);

    const sRun r = runCli({"test", "--sim", "--sim-option", "package=none", "--app-dir", app.path(), "--junit", junit});
    QCOMPARE(r.exitCode, exitCode);
    QVERIFY2((expected.startsWith(QLatin1String(", ")) ? r.out : r.err).contains(expected), qPrintable(r.out + r.err));
    // The shipped local tests are not in this folder, so none of them may run.
    QVERIFY(resultLines(r.out, kLocal.keys()).isEmpty());
    // A report is written whenever the unit was reached.
    QCOMPARE(QFile::exists(junit), exitCode != 2);
}

QTEST_GUILESS_MAIN(tst_Cli)
#include "tst_cli.moc"

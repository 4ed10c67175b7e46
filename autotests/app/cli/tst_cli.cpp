// zovan-tools-cli: its argument checks and report in-process, and the built program run as a
// separate process against its embedded simulated unit.

#include "app/cli/ccliarguments.h"
#include "app/cli/cjunitreport.h"
#include "tests/engine/testroles.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
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
    QString out;
    QString err;
};

// One result line: "name, hh:mm:ss - hh:mm:ss, STATUS[, details]".
struct sResultLine
{
    QString name;
    QString status;
    QString details;
};

// Names of the shipped scripts' tests and how they end on a healthy simulated unit.
const QMap<QString, QString> &packageOutcomes()
{
    static const QMap<QString, QString> m{
        { QStringLiteral("Supply voltage"), QStringLiteral("OK") },
        { QStringLiteral("GSM registration"), QStringLiteral("OK") },
        { QStringLiteral("GPIO loop-back"), QStringLiteral("OK") },
        { QStringLiteral("EEPROM write and read back"), QStringLiteral("OK") },
        { QStringLiteral("Board temperature"), QStringLiteral("OK") },
        { QStringLiteral("Serial echo"), QStringLiteral("OK") },
        { QStringLiteral("Storage counters"), QStringLiteral("OK") },
        { QStringLiteral("LED indicator"), QStringLiteral("WARNING") },
        { QStringLiteral("Accelerometer"), QStringLiteral("ERROR") },
    };
    return m;
}

const QMap<QString, QString> &localOutcomes()
{
    static const QMap<QString, QString> m{
        { QStringLiteral("Port is open"), QStringLiteral("OK") },
        { QStringLiteral("GPIO loop-back OUT1->IN1"), QStringLiteral("OK") },
        { QStringLiteral("EEPROM read"), QStringLiteral("OK") },
        { QStringLiteral("Temperature plausible"), QStringLiteral("OK") },
        { QStringLiteral("Operator: unit label"), QStringLiteral("WARNING") },
    };
    return m;
}

QList<sResultLine> resultLines(const QString &out, const QStringList &names)
{
    static const QRegularExpression tail(
        QStringLiteral("^, \\d\\d:\\d\\d:\\d\\d - \\d\\d:\\d\\d:\\d\\d, (OK|ERROR|WARNING|CANCELED|\\?)(?:, (.*))?$"));
    QList<sResultLine> lines;
    for (const QString &line : out.split(QLatin1Char('\n'))) {
        for (const QString &name : names) {
            if (!line.startsWith(name))
                continue;
            const QRegularExpressionMatch m = tail.match(line.mid(name.size()));
            if (m.hasMatch()) {
                lines << sResultLine{ name, m.captured(1), m.captured(2) };
                break;
            }
        }
    }
    return lines;
}

// "name:\n    run count - N\n    ok - N\n    warnings - N\n    errors - N"
QList<int> statistics(const QString &out, const QString &name)
{
    const QRegularExpression re(QRegularExpression::escape(name)
                                + QStringLiteral(":\\n    run count - (\\d+)\\n    ok - (\\d+)\\n"
                                                 "    warnings - (\\d+)\\n    errors - (\\d+)\\n"));
    const QRegularExpressionMatch m = re.match(out);
    if (!m.hasMatch())
        return {};
    return { m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt(), m.captured(4).toInt() };
}

} // namespace

class tst_Cli : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void parse_data();
    void parse();
    void badArgumentsExit2_data();
    void badArgumentsExit2();
    void help_data();
    void help();
    void junitReport_data();
    void junitReport();
    void junitUnsafeText();

    void portsListsSimulatedUnit();
    void unitPackageRunTwiceWithReport();
    void localTestsWithoutPackage();
    void onlyChosenTests();
    void onlyUnknownTest();
    void interruptCancelsAndExits1();
    void appDirScripts_data();
    void appDirScripts();

private:
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

sRun tst_Cli::runCli(const QStringList &args, int timeoutMs)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // Settings and data of the program go to a scratch home, never the user's.
    env.insert(QStringLiteral("HOME"), m_home.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_home.filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("XDG_DATA_HOME"), m_home.filePath(QStringLiteral("data")));
    p.setProcessEnvironment(env);
    p.setStandardInputFile(QProcess::nullDevice());
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

void tst_Cli::parse_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("command");
    QTest::addColumn<QString>("check"); // a property=value text checked after parsing
    QTest::newRow("ports") << QStringList{ "ports" } << int(cCliArguments::PortsCommand) << "sim=0";
    QTest::newRow("ports with sim options")
        << QStringList{ "ports", "--sim", "--sim-option", "package=none", "--sim-option=delay-ms=5" }
        << int(cCliArguments::PortsCommand) << "simOptions=package=none;delay-ms=5";
    QTest::newRow("test with sim, defaults") << QStringList{ "test", "--sim" } << int(cCliArguments::TestCommand)
                                            << "runs=1";
    QTest::newRow("only lists merge in order, without repeats")
        << QStringList{ "test", "--sim", "--only", "b, a", "--only=c,b" } << int(cCliArguments::TestCommand)
        << "only=b;a;c";
    QTest::newRow("runs") << QStringList{ "test", "--port", "x", "--runs=3" } << int(cCliArguments::TestCommand)
                          << "runs=3";
    QTest::newRow("port") << QStringList{ "test", "--port=sim:1" } << int(cCliArguments::TestCommand)
                          << "port=sim:1";
    QTest::newRow("help of test wins over other options")
        << QStringList{ "test", "--runs", "0", "--help" } << int(cCliArguments::HelpCommand) << "help=test";
    QTest::newRow("help command") << QStringList{ "help", "ports" } << int(cCliArguments::HelpCommand)
                                  << "help=ports";
}

void tst_Cli::parse()
{
    QFETCH(QStringList, args);
    QFETCH(int, command);
    QFETCH(QString, check);
    cCliArguments a;
    // --help ends the parse, so a bad value before it is never looked at.
    const bool ok = a.parse(args);
    QVERIFY2(ok || command == cCliArguments::HelpCommand, qPrintable(a.error()));
    QCOMPARE(int(a.command()), command);
    const QString key = check.section(QLatin1Char('='), 0, 0);
    const QString value = check.section(QLatin1Char('='), 1);
    if (key == QLatin1String("sim"))
        QCOMPARE(a.sim(), value == QLatin1String("1"));
    else if (key == QLatin1String("simOptions"))
        QCOMPARE(a.simOptions().join(QLatin1Char(';')), value);
    else if (key == QLatin1String("runs"))
        QCOMPARE(a.runs(), value.toInt());
    else if (key == QLatin1String("only"))
        QCOMPARE(a.only().join(QLatin1Char(';')), value);
    else if (key == QLatin1String("port"))
        QCOMPARE(a.portId(), value);
    else if (key == QLatin1String("help"))
        QVERIFY(a.helpText().contains(QStringLiteral("zovan-tools-cli ") + value));
}

void tst_Cli::badArgumentsExit2_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("message");
    QTest::newRow("no command") << QStringList{} << "no command";
    QTest::newRow("unknown command") << QStringList{ "flash" } << "unknown command 'flash'";
    QTest::newRow("test without unit") << QStringList{ "test" } << "--port ID or --sim";
    QTest::newRow("runs zero") << QStringList{ "test", "--sim", "--runs", "0" } << "--runs expects";
    QTest::newRow("runs not a number") << QStringList{ "test", "--sim", "--runs", "two" } << "--runs expects";
    QTest::newRow("runs missing value") << QStringList{ "test", "--sim", "--runs" } << "--runs needs a value";
    QTest::newRow("sim option without sim") << QStringList{ "test", "--port", "x", "--sim-option", "a=1" }
                                            << "--sim-option needs --sim";
    QTest::newRow("sim option without =") << QStringList{ "ports", "--sim", "--sim-option", "fast" }
                                          << "KEY=VALUE";
    QTest::newRow("unknown option") << QStringList{ "test", "--sim", "--colour" } << "unknown argument '--colour'";
    QTest::newRow("empty only name") << QStringList{ "test", "--sim", "--only", "a,,b" } << "empty test name";
    QTest::newRow("missing app dir") << QStringList{ "test", "--sim", "--app-dir", "/nonexistent/zt" }
                                     << "is not a folder";
    QTest::newRow("junit into missing folder")
        << QStringList{ "test", "--sim", "--junit", "/nonexistent/zt/report.xml" } << "does not exist";
    QTest::newRow("unknown port") << QStringList{ "test", "--port", "no-such-port" } << "unknown port 'no-such-port'";
    QTest::newRow("bad sim option value") << QStringList{ "test", "--sim", "--sim-option", "ready-ms=soon" }
                                          << "simulated unit";
}

void tst_Cli::badArgumentsExit2()
{
    QFETCH(QStringList, args);
    QFETCH(QString, message);
    const sRun r = runCli(args, 30000);
    QVERIFY(r.finished);
    QCOMPARE(r.exitCode, 2);
    QVERIFY2(r.err.contains(message), qPrintable(r.err));
    QVERIFY2(!r.out.contains(QLatin1String("run count")), qPrintable(r.out));
}

void tst_Cli::help_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("usage");
    QTest::newRow("overview") << QStringList{ "--help" } << "Usage: zovan-tools-cli <command>";
    QTest::newRow("ports") << QStringList{ "ports", "--help" } << "Usage: zovan-tools-cli ports";
    QTest::newRow("test") << QStringList{ "test", "-h" } << "Usage: zovan-tools-cli test";
}

void tst_Cli::help()
{
    QFETCH(QStringList, args);
    QFETCH(QString, usage);
    const sRun r = runCli(args, 30000);
    QCOMPARE(r.exitCode, 0);
    QVERIFY2(r.out.startsWith(usage), qPrintable(r.out));
}

void tst_Cli::junitReport_data()
{
    QTest::addColumn<QList<int>>("statuses");
    QTest::addColumn<int>("failures");
    QTest::addColumn<int>("skipped");
    using namespace testmodel;
    QTest::newRow("all passed") << QList<int>{ StateOk, StateOk } << 0 << 0;
    QTest::newRow("one of each") << QList<int>{ StateOk, StateError, StateWarning, StateCanceled } << 1 << 1;
    QTest::newRow("unknown end state fails") << QList<int>{ StateRunning } << 1 << 0;
    QTest::newRow("nothing ran") << QList<int>{} << 0 << 0;
}

void tst_Cli::junitReport()
{
    QFETCH(QList<int>, statuses);
    QFETCH(int, failures);
    QFETCH(int, skipped);
    cJUnitReport report(QStringLiteral("ZOVAN-SIM"), QStringLiteral("sim:0"));
    for (int i = 0; i < statuses.size(); ++i)
        report.addCase({ QStringLiteral("t%1").arg(i), statuses.at(i), QStringLiteral("why <%1> & \"so\"").arg(i),
                         1500 });
    QXmlStreamReader xml(report.toXml());
    QStringList seen;
    int cases = 0;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        const auto a = xml.attributes();
        if (xml.name() == QLatin1String("testsuite")) {
            QCOMPARE(a.value(QLatin1String("tests")).toInt(), statuses.size());
            QCOMPARE(a.value(QLatin1String("failures")).toInt(), failures);
            QCOMPARE(a.value(QLatin1String("skipped")).toInt(), skipped);
            QCOMPARE(a.value(QLatin1String("time")).toString(),
                     QString::number(1.5 * statuses.size(), 'f', 3));
        } else if (xml.name() == QLatin1String("testcase")) {
            QCOMPARE(a.value(QLatin1String("name")).toString(), QStringLiteral("t%1").arg(cases));
            QCOMPARE(a.value(QLatin1String("time")).toString(), QStringLiteral("1.500"));
            ++cases;
        } else if (xml.name() == QLatin1String("failure")) {
            seen << QStringLiteral("failure:") + a.value(QLatin1String("message")).toString();
        } else {
            seen << xml.name().toString();
        }
    }
    QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
    QCOMPARE(cases, statuses.size());
    for (int i = 0; i < statuses.size(); ++i) {
        const QString why = QStringLiteral("why <%1> & \"so\"").arg(i);
        switch (statuses.at(i)) {
        case testmodel::StateError: QVERIFY(seen.contains(QStringLiteral("failure:") + why)); break;
        case testmodel::StateWarning: QVERIFY(seen.contains(QStringLiteral("system-out"))); break;
        case testmodel::StateCanceled: QVERIFY(seen.contains(QStringLiteral("skipped"))); break;
        default: break;
        }
    }
    if (!statuses.contains(testmodel::StateWarning))
        QVERIFY(!seen.contains(QStringLiteral("system-out")));
}

// Details come from the unit and may hold bytes that XML 1.0 cannot carry at all.
void tst_Cli::junitUnsafeText()
{
    cJUnitReport report(QStringLiteral("unit\x01"), QStringLiteral("p"));
    report.addCase({ QStringLiteral("bin\x02ary"), testmodel::StateError,
                     QStringLiteral("got \x1b[0m and ") + QChar(0xd800) + QStringLiteral(" end"), 0 });
    QXmlStreamReader xml(report.toXml());
    QString message;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == QLatin1String("failure"))
            message = xml.attributes().value(QLatin1String("message")).toString();
    }
    QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
    QCOMPARE(message, QStringLiteral("got \xfffd[0m and \xfffd end"));
}

void tst_Cli::portsListsSimulatedUnit()
{
    const sRun r = runCli({ QStringLiteral("ports"), QStringLiteral("--sim") }, 60000);
    QCOMPARE(r.exitCode, 0);
    QVERIFY2(r.out.contains(QLatin1String("ZOVAN-SIM")), qPrintable(r.out + r.err));
    // id, name and description, separated by tabs.
    const QStringList line = r.out.split(QLatin1Char('\n')).filter(QStringLiteral("ZOVAN-SIM")).first().split(QLatin1Char('\t'));
    QCOMPARE(line.size(), 3);
    QVERIFY(!line.first().isEmpty());

    const sRun named = runCli({ QStringLiteral("ports"), QStringLiteral("--sim"), QStringLiteral("--sim-option"),
                                QStringLiteral("name=BENCH-7") }, 60000);
    QCOMPARE(named.exitCode, 0);
    QVERIFY2(named.out.contains(QLatin1String("BENCH-7")), qPrintable(named.out + named.err));
}

void tst_Cli::unitPackageRunTwiceWithReport()
{
    const QString junit = m_home.filePath(QStringLiteral("package.xml"));
    const sRun r = runCli({ QStringLiteral("test"), QStringLiteral("--sim"), QStringLiteral("--runs"),
                            QStringLiteral("2"), QStringLiteral("--junit"), junit, QStringLiteral("--verbose") });
    QVERIFY2(r.finished, qPrintable(r.out + r.err));
    // One test of the package ends in error.
    QCOMPARE(r.exitCode, 1);

    const QMap<QString, QString> &expected = packageOutcomes();
    const QList<sResultLine> lines = resultLines(r.out, expected.keys());
    QCOMPARE(lines.size(), 2 * expected.size());
    for (const sResultLine &l : lines) {
        QVERIFY2(l.status == expected.value(l.name),
                 qPrintable(QStringLiteral("%1: %2 (%3)\n%4").arg(l.name, l.status, l.details, r.err)));
        if (l.status != QLatin1String("OK"))
            QVERIFY2(!l.details.isEmpty(), qPrintable(l.name));
    }
    // Both passes in the unit's order, with an empty line between them.
    QCOMPARE(lines.first().name, lines.at(expected.size()).name);
    QVERIFY(r.out.contains(QLatin1String("\n\n")));

    for (auto it = expected.cbegin(); it != expected.cend(); ++it) {
        const QList<int> s = statistics(r.out, it.key());
        QVERIFY2(s.size() == 4, qPrintable(it.key() + QLatin1Char('\n') + r.out));
        QCOMPARE(s.at(0), 2);
        QCOMPARE(s.at(1), it.value() == QLatin1String("OK") ? 2 : 0);
        QCOMPARE(s.at(2), it.value() == QLatin1String("WARNING") ? 2 : 0);
        QCOMPARE(s.at(3), it.value() == QLatin1String("ERROR") ? 2 : 0);
    }
    // --verbose adds the test log after the statistics.
    QVERIFY2(r.out.contains(QRegularExpression(QStringLiteral("\\d\\d:\\d\\d-\\d\\d  NOTIFY   Starting test"))),
             qPrintable(r.out));

    QFile file(junit);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&file);
    int cases = 0, failures = 0, skipped = 0, systemOut = 0;
    QString suiteTests, suiteFailures;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        if (xml.name() == QLatin1String("testsuite")) {
            suiteTests = xml.attributes().value(QLatin1String("tests")).toString();
            suiteFailures = xml.attributes().value(QLatin1String("failures")).toString();
        } else if (xml.name() == QLatin1String("testcase")) {
            QVERIFY(expected.contains(xml.attributes().value(QLatin1String("name")).toString()));
            bool ok = false;
            QVERIFY(xml.attributes().value(QLatin1String("time")).toDouble(&ok) >= 0 && ok);
            ++cases;
        } else if (xml.name() == QLatin1String("failure")) {
            QVERIFY(!xml.attributes().value(QLatin1String("message")).isEmpty());
            ++failures;
        } else if (xml.name() == QLatin1String("skipped")) {
            ++skipped;
        } else if (xml.name() == QLatin1String("system-out")) {
            ++systemOut;
        }
    }
    QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
    QCOMPARE(cases, 2 * expected.size());
    QCOMPARE(suiteTests, QString::number(cases));
    QCOMPARE(failures, 2);
    QCOMPARE(suiteFailures, QStringLiteral("2"));
    QCOMPARE(systemOut, 2);
    QCOMPARE(skipped, 0);
}

void tst_Cli::localTestsWithoutPackage()
{
    const sRun r = runCli({ QStringLiteral("test"), QStringLiteral("--sim"), QStringLiteral("--sim-option"),
                            QStringLiteral("package=none") });
    QVERIFY2(r.finished, qPrintable(r.err));
    QCOMPARE(r.exitCode, 0);
    const QMap<QString, QString> &expected = localOutcomes();
    const QList<sResultLine> lines = resultLines(r.out, expected.keys());
    QCOMPARE(lines.size(), expected.size());
    for (const sResultLine &l : lines)
        QVERIFY2(l.status == expected.value(l.name), qPrintable(l.name + QStringLiteral(": ") + l.details));
    QVERIFY(resultLines(r.out, packageOutcomes().keys()).isEmpty());
    QVERIFY2(r.err.contains(QLatin1String("using local tests")), qPrintable(r.err));
}

void tst_Cli::onlyChosenTests()
{
    // Given in another order than the unit's: they still run in the unit's order.
    const sRun r = runCli({ QStringLiteral("test"), QStringLiteral("--sim"), QStringLiteral("--only"),
                            QStringLiteral("Board temperature,GPIO loop-back") });
    QVERIFY2(r.finished, qPrintable(r.err));
    QCOMPARE(r.exitCode, 0);
    const QList<sResultLine> lines = resultLines(r.out, packageOutcomes().keys());
    QCOMPARE(lines.size(), 2);
    QCOMPARE(lines.at(0).name, QStringLiteral("GPIO loop-back"));
    QCOMPARE(lines.at(1).name, QStringLiteral("Board temperature"));
    QCOMPARE(statistics(r.out, QStringLiteral("Accelerometer")), QList<int>());
}

void tst_Cli::onlyUnknownTest()
{
    const sRun r = runCli({ QStringLiteral("test"), QStringLiteral("--sim"), QStringLiteral("--only"),
                            QStringLiteral("GPIO loop-back,Flux capacitor") });
    QVERIFY2(r.finished, qPrintable(r.err));
    QCOMPARE(r.exitCode, 2);
    QVERIFY2(r.err.contains(QLatin1String("unknown test 'Flux capacitor'")), qPrintable(r.err));
    // The message names what the unit offers.
    QVERIFY2(r.err.contains(QLatin1String("Accelerometer")), qPrintable(r.err));
    QVERIFY(resultLines(r.out, packageOutcomes().keys()).isEmpty());
}

// Ctrl-C in the middle of a run: the tests are cancelled, the unit released, and the
// program ends with 1 well within its bound.
void tst_Cli::interruptCancelsAndExits1()
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), m_home.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_home.filePath(QStringLiteral("config")));
    p.setProcessEnvironment(env);
    p.setStandardInputFile(QProcess::nullDevice());
    const QString junit = m_home.filePath(QStringLiteral("interrupted.xml"));
    p.start(m_program, { QStringLiteral("test"), QStringLiteral("--sim"), QStringLiteral("--runs"),
                         QStringLiteral("5"), QStringLiteral("--junit"), junit });
    QVERIFY(p.waitForStarted(10000));
    QByteArray out;
    QDeadlineTimer firstResult(60000);
    while (!out.contains("Supply voltage, ") && !firstResult.hasExpired()) {
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
    // Five passes take far longer than the way to the first result and back.
    const QString text = QString::fromLocal8Bit(out);
    QVERIFY(resultLines(text, packageOutcomes().keys()).size() < 5 * packageOutcomes().size());
    // What ran is still reported: statistics, and a report whose skipped runs are the
    // tests shown as cancelled.
    QVERIFY2(text.contains(QLatin1String("Supply voltage:\n    run count - ")), qPrintable(text));
    const int cancelled = text.count(QRegularExpression(QStringLiteral("^[^\n]+, CANCELED$"),
                                                        QRegularExpression::MultilineOption));
    QFile file(junit);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&file);
    int skipped = -1;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == QLatin1String("testsuite"))
            skipped = xml.attributes().value(QLatin1String("skipped")).toInt();
    }
    QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
    QCOMPARE(skipped, cancelled);
}

void tst_Cli::appDirScripts_data()
{
    QTest::addColumn<QByteArray>("localTests");  // tests/local.lua; empty: no file
    QTest::addColumn<QByteArray>("general");     // an extra scripts/general file; empty: none
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("expected");       // in stdout for 0 and 1, in stderr for 2
    QTest::newRow("no tests at all") << QByteArray() << QByteArray() << 0 << "offers no tests";
    QTest::newRow("a local test that fails")
        << QByteArray("register_test('Custom', function() return ztl.fail('custom failure') end)\n"
                      "register_test('Fine', function() return true end)")
        << QByteArray() << 1 << ", ERROR, custom failure";
    QTest::newRow("a local test that passes")
        << QByteArray("register_test('Fine', function() zt.set_status_ok('fine') return true end)")
        << QByteArray() << 0 << ", OK, fine";
    QTest::newRow("a broken general script") << QByteArray("register_test('Fine', function() end)")
                                             << QByteArray("this is not lua") << 2
                                             << "cannot prepare the tests";
}

// --app-dir decides which scripts a run uses; the exit status follows what they do.
void tst_Cli::appDirScripts()
{
    QFETCH(QByteArray, localTests);
    QFETCH(QByteArray, general);
    QFETCH(int, exitCode);
    QFETCH(QString, expected);
    QTemporaryDir app;
    QVERIFY(app.isValid());
    const QDir shipped(qEnvironmentVariable("ZOVAN_APP_ROOT"));
    for (const char *sub : { "scripts/general", "scripts/test", "tests" })
        QVERIFY(QDir(app.path()).mkpath(QLatin1String(sub)));
    for (const char *file : { "scripts/general/ztlib.lua", "scripts/test/contract.lua" })
        QVERIFY(QFile::copy(shipped.filePath(QLatin1String(file)), app.filePath(QLatin1String(file))));
    const auto write = [&](const QString &name, const QByteArray &text) {
        QFile f(app.filePath(name));
        return f.open(QIODevice::WriteOnly) && f.write(text) == text.size();
    };
    if (!localTests.isEmpty())
        QVERIFY(write(QStringLiteral("tests/local.lua"), localTests));
    if (!general.isEmpty())
        QVERIFY(write(QStringLiteral("scripts/general/zz_broken.lua"), general));
    const QString junit = m_home.filePath(QStringLiteral("appdir.xml"));
    QFile::remove(junit);

    const sRun r = runCli({ QStringLiteral("test"), QStringLiteral("--sim"), QStringLiteral("--sim-option"),
                            QStringLiteral("package=none"), QStringLiteral("--app-dir"), app.path(),
                            QStringLiteral("--junit"), junit });
    QVERIFY2(r.finished, qPrintable(r.err));
    QCOMPARE(r.exitCode, exitCode);
    QVERIFY2((exitCode == 2 || expected.startsWith(QLatin1String("offers")) ? r.err : r.out).contains(expected),
             qPrintable(r.out + r.err));
    // The shipped local tests are not in this folder, so none of them may run.
    QVERIFY(resultLines(r.out, localOutcomes().keys()).isEmpty());
    // A report is written whenever the unit was reached.
    QCOMPARE(QFile::exists(junit), exitCode != 2);
}

QTEST_GUILESS_MAIN(tst_Cli)
#include "tst_cli.moc"

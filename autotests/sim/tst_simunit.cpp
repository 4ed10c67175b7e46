// The simulated unit seen from the host's end of its line: its log as the host's parser reads
// it, command line, boot and readiness, line faults, options and the program.

#include "ctestadapterclient.h"
#include "ctestline.h"
#include "ctestprogram.h"

#include "sim/csimulatedunit.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QSet>
#include <QTest>

#include <algorithm>
#include <atomic>
#include <memory>

namespace {

// The host parser's pattern for each record kind, and what its values must look like:
// "key:lo:hi" for a body key, "#n:lo:hi" for a capture, ":changes" when it must not stay put.
// Without a pattern, or with only a name pattern, the record is a plain "name[n] = { key = value, ... }".
struct sKind
{
    const char *name, *pattern, *checks;
};

const sKind kKinds[] = {
    {"sens_nd", nullptr, "timestamp:1600000000:4200000000:changes latitude:-324000000:324000000 "
                         "longitude:-648000000:648000000 altitude:-500:9000 sat_count:0:32 is_valid:0:1"},
    {"mng_gsm", nullptr, "csq:0:99 net_state:0:5"},
    {"veh_bus__values__log", nullptr, "engine_turn_speed:0:9000:changes fuel_level:0:100 engine_temperature:-40:130 "
                                      "engine_time_all:0:1000000 fuel_consumption_all:0:10000000 track_all:0:10000000"},
    {"can_log", nullptr, "engine_turn_speed:0:9000:changes fuel_level:0:100 engine_temperature:-40:130"},
    {"ain", "ain(\\d+)", "#1:1:16 mv:0:40000:changes"},
    {"din", "din(\\d+)", "#1:1:16 value:1:2"},
    {"fuel", "fuel(\\d+)", "#1:1:16 value:0:100 t:0:100"},
    {"fuel_can", "fuel(\\d+)_(\\d+)_can", "#1:1:16 #2:1:16 value:0:100 t:0:100"},
    {"can_ain", "can_ain(\\d+)", "#1:1:16 mv:0:40000"},
    {"can_din", "can_din(\\d+)", "#1:1:16 value:1:2"},
    {"vin", R"(^\s*vin\[\d+\]\s*=\s*\{.*mv\s*=\s*(\d+).*\})", "#1:9000:32000:changes"},
    {"ext_vin", R"(^\s*ext_vin\[\d+\]\s*=\s*\{.*mv\s*=\s*(\d+).*\})", "#1:9000:40000:changes"},
    {"vscap", R"(^\s*vscap\[\d+\]\s*=\s*\{.*mv\s*=\s*(\d+).*\})", "#1:1000:3000:changes"},
    {"counter", R"(^\s*counter(\d+)\[\d+\]\s*=\s*\{.*value\s*=\s*(\d+).*\})", "#1:1:16 #2:0:4000000000"},
    {"fmeter", R"(^\s*fmeter(\d+)\[\d+\]\s*=\s*\{.*value\s*=\s*(\d+).*\})", "#1:1:16 #2:0:4000000000"},
    {"can_counter", R"(^\s*can_counter(\d+)\[\d+\]\s*=\s*\{.*value\s*=\s*(\d+).*\})", "#1:1:16 #2:0:4000000000"},
    {"stor_chnl", "stor_chnl_(\\d+)", "#1:0:16 id_max:1:4000000000 id_min:0:4000000000 tm_oldest:1000000000:4200000000 "
                                      "tm_oldest_unack:1000000000:4200000000 cnt_unack:0:1000000 cnt_unack_losted:0:1000000 "
                                      "cnt_ack_from_start:0:4000000000 cnt_add_from_start:0:4000000000"},
    {"tracker", "tracker_(\\d+)", "#1:0:16 cnt_ack:0:4000000000 cnt_ack_realtime:0:4000000000 cnt_noack:0:4000000000 "
                                  "cnt_connect:0:4000000000"},
    {"flag_sos", nullptr, "off_on_counter:0:1000000 on_off_counter:0:1000000 state:0:1"},
    {"flag_call_request", nullptr, "off_on_counter:0:1000000 on_off_counter:0:1000000 state:0:1"},
    {"cpu", R"((?i)Cpu usage:\s*(\d+\.*\d*).*Cnt_tasks:\s*(\d+))", "#1:0:100:changes #2:1:200"},
    {"mem", R"((?i)Partition total/used/free:\s*(\d+)/(\d+)/\d+\.\s*Heap total/used/free:\s*(\d+)/(\d+)/\d+\.\s*Heap free min:\s*(\d+))",
     "#1:1:4000000000 #2:0:4000000000 #3:1:4000000000 #4:0:4000000000:changes #5:0:4000000000"},
    {"can_log_ext", nullptr, "flags_high:0:4294967295 flags_low:0:4294967295"},
};

QRegularExpression patternOf(const sKind &k)
{
    const QString p = QString::fromLatin1(k.pattern ? k.pattern : k.name);
    if (p.startsWith(QLatin1Char('^')) || p.startsWith(QLatin1Char('(')))
        return QRegularExpression(p);
    return QRegularExpression(QStringLiteral(R"(^\s*%1\[\d+\]\s*=\s*\{\s*(.*)\s*\})").arg(p));
}

// A value as the host reads it: a capture, or a body key after splitting at "," and "=".
bool valueOf(const QRegularExpressionMatch &m, const QString &source, double *v)
{
    bool ok = false;
    if (source.startsWith(QLatin1Char('#'))) {
        *v = m.captured(source.mid(1).toInt()).toDouble(&ok);
        return ok;
    }
    for (const QString &piece : m.captured(m.lastCapturedIndex()).split(QLatin1Char(','))) {
        const QStringList kv = piece.split(QLatin1Char('='));
        if (kv.size() >= 2 && kv.at(0).trimmed() == source)
            *v = kv.at(1).trimmed().toDouble(&ok);
    }
    return ok;
}

// A started unit and the host's end of its line.
struct sUnit
{
    cSimulatedUnit unit;
    cTestLine line;
    bool ok = false;

    explicit sUnit(const QStringList &options) { ok = unit.setOptions(options) && unit.start() && line.open(unit.ptyPath()); }
    bool enterCli() { return line.writeAll("cli\r\n") && line.readUntil("cli> ", 3000); }
    QByteArray ask(const QByteArray &command)
    {
        return line.writeAll(command + "\r\n") ? line.readFor(3000, "\r\ncli> ") : QByteArray();
    }
};

QString programPath()
{
    QString root = qEnvironmentVariable("ZOVAN_APP_ROOT");
    if (root.isEmpty())
        root = QCoreApplication::applicationDirPath() + QStringLiteral("/../zovan");
    return root + QStringLiteral("/bin/zovan-unit-sim");
}

} // namespace

class tst_SimUnit : public QObject
{
    Q_OBJECT

    cSimulatedUnit m_unit;   // logging fast, for the log checks
    cTestLine m_line;
    QStringList m_lines;

private slots:
    void initTestCase()
    {
        QVERIFY2(m_unit.setOptions({QStringLiteral("log-rate=400"), QStringLiteral("ready-ms=0")}),
                 qPrintable(m_unit.errorString()));
        QVERIFY2(m_unit.start(), qPrintable(m_unit.errorString()));
        QVERIFY(m_line.open(m_unit.ptyPath()));
        // Several rounds of about 40 lines each.
        m_lines = QString::fromLatin1(m_line.readFor(2500)).split(QLatin1Char('\n'));
        m_lines.removeLast();   // possibly cut
        QVERIFY2(m_lines.size() > 300, qPrintable(QString::number(m_lines.size())));

        // Whole ASCII lines; each status line is one kind of record, never two.
        const QRegularExpression record(QStringLiteral(R"(^[a-z_0-9]+\[\d+\] = \{ .* \}\r$)"));
        QList<QRegularExpression> kinds;
        for (const sKind &k : kKinds)
            kinds << patternOf(k);
        int records = 0;
        for (const QString &line : std::as_const(m_lines)) {
            QVERIFY2(line.endsWith(QLatin1Char('\r')) || line.isEmpty(), qPrintable(line));
            for (const QChar c : line)
                QVERIFY2(c.unicode() == '\r' || (c.unicode() >= 0x20 && c.unicode() < 0x7f), qPrintable(line));
            if (line.contains(QLatin1String("] = {"))) {
                QVERIFY2(record.match(line).hasMatch(), qPrintable(line));
                ++records;
            }
            const auto matches = [&line](const QRegularExpression &re) { return re.match(line).hasMatch(); };
            QVERIFY2(std::count_if(kinds.cbegin(), kinds.cend(), matches) <= 1, qPrintable(line));
        }
        // Free text is part of the log too.
        QVERIFY(records > m_lines.size() / 2 && m_lines.size() - records > 20);
    }

    void everyRecordKind_data()
    {
        QTest::addColumn<QRegularExpression>("pattern");
        QTest::addColumn<QString>("checks");
        for (const sKind &k : kKinds)
            QTest::newRow(k.name) << patternOf(k) << QString::fromLatin1(k.checks);
    }
    void everyRecordKind()
    {
        QFETCH(QRegularExpression, pattern);
        QFETCH(QString, checks);
        QList<QRegularExpressionMatch> matches;
        for (const QString &line : std::as_const(m_lines)) {
            if (const QRegularExpressionMatch m = pattern.match(line); m.hasMatch())
                matches << m;
        }
        QVERIFY2(matches.size() >= 2, qPrintable(QStringLiteral("%1 lines match").arg(matches.size())));
        for (const QString &check : checks.split(QLatin1Char(' '))) {
            const QStringList parts = check.split(QLatin1Char(':'));
            QSet<double> seen;
            for (const QRegularExpressionMatch &m : std::as_const(matches)) {
                double v = 0;
                QVERIFY2(valueOf(m, parts.at(0), &v), qPrintable(parts.at(0) + QStringLiteral(" missing in ") + m.captured()));
                QVERIFY2(v >= parts.at(1).toDouble() && v <= parts.at(2).toDouble(),
                         qPrintable(QStringLiteral("%1 = %2").arg(parts.at(0)).arg(v, 0, 'f')));
                seen << v;
            }
            if (parts.size() > 3)
                QVERIFY2(seen.size() > 1, qPrintable(parts.at(0) + QStringLiteral(" never changes")));
        }
    }

    void recordsFollowTheInputs()
    {
        // The digital inputs report the adapter's loop-back lines: OUT3 drives IN3, and the
        // unit codes the input's state (1 active, 2 inactive).
        cTestAdapterClient adapter;
        QVERIFY(adapter.connectTo(m_unit.adapterSocketPath()));
        const QRegularExpression din3(QStringLiteral(R"(din3\[\d+\] = \{ value = (\d) \})"));
        for (const auto &[level, state] : {std::pair {"1", "1"}, std::pair {"0", "2"}}) {
            QCOMPARE(adapter.request("GPIO SET OUT3 " + QByteArray(level)), QByteArray("OK"));
            // Long enough to pass what the line still held from before the change, then fresh rounds.
            QString last;
            for (auto it = din3.globalMatch(QString::fromLatin1(m_line.readFor(1500))); it.hasNext();)
                last = it.next().captured(1);
            QCOMPARE(last, QString::fromLatin1(state));
        }
    }

    void edgeProfilePrintsEveryBadDayCase()
    {
        cSimulatedUnit unit;
        QVERIFY2(unit.setOptions({QStringLiteral("log-profile=edge"), QStringLiteral("log-rate=2000"),
                                  QStringLiteral("ready-ms=0")}),
                 qPrintable(unit.errorString()));
        QVERIFY2(unit.start(), qPrintable(unit.errorString()));
        cTestLine line;
        QVERIFY(line.open(unit.ptyPath()));
        const QByteArray log = line.readFor(3000, "fmeter10[");   // the cases come in turn; read past a whole turn
        QByteArray more = line.readFor(1500);
        const QByteArray all = log + more;
        const QString text = QString::fromUtf8(all);
        const char *const cases[] = {
            R"(sens_nd\[\d+\] = \{ [^}]*latitude = -\d+, longitude = -\d+)",
            R"(sens_nd\[\d+\] = \{ [^}]*is_valid = 2 \})",
            R"(mng_gsm\[\d+\] = \{ [^}]*net_state = 2 \})",
            R"(\n(ain|din|fuel|can_ain|counter|fmeter)1\d\[)",
            R"(din10\[\d+\] = \{ value = (4|8|16) \})",
            R"(\nfuel2_1_can\[)",
            R"(engine_turn_speed = 70000)",
            R"(counter11\[\d+\] = \{ value = 42949672\d\d \})",
            R"(engine_temperature = -25)",
            R"(can_log_ext\[\d+\] = \{ flags_low = \d+, flags_high = \d+ \})",
            R"(\nvin\[\d+\] = \{ mv = \d+\r\n)",
            R"(\[EDGE\] a line ended by LF alone\n[^\r\n])",
            R"(\[EDGE\] a line ended by CR alone\r\[EDGE\] and)",
            R"(оператор «Telia», Prüfung ✓)",
        };
        for (const char *c : cases)
            QVERIFY2(QRegularExpression(QString::fromUtf8(c)).match(text).hasMatch(), c);
        // The default profile stays plain: see initTestCase for its checks.
    }

    void plainCommands_data()
    {
        QTest::addColumn<QByteArray>("command");
        QTest::addColumn<QString>("answer");   // a pattern the answer line(s) must match
        QTest::newRow("run state, any case") << QByteArray("get_app_run_state") << QStringLiteral("^DONE$");
        QTest::newRow("unknown") << QByteArray("format c: now") << QStringLiteral("^Unknown command: format c: now$");
        QTest::newRow("version") << QByteArray("version") << QStringLiteral("^ZOVAN unit TRUCK-7, firmware \\d+\\.\\d+\\.\\d+");
        QTest::newRow("power") << QByteArray("GET_POWER") << QStringLiteral("^VBAT=1\\d\\.\\d\\d V");
        QTest::newRow("gsm") << QByteArray("GET_GSM") << QStringLiteral("^GSM: (NOT )?REGISTERED");
        QTest::newRow("storage") << QByteArray("GET_STORAGE") << QStringLiteral("^STORAGE: STORED=\\d+ SENT=\\d+ FREE=\\d+$");
        QTest::newRow("listing") << QByteArray("ls /statfs") << QStringLiteral("^\\|zovan_tools_tests.out\\*-rw\\*\\d+\\*\\d+\\|$");
    }
    void plainCommands()
    {
        QFETCH(QByteArray, command);
        QFETCH(QString, answer);
        static std::unique_ptr<sUnit> u;
        if (!u) {
            u = std::make_unique<sUnit>(QStringList {QStringLiteral("ready-ms=0"), QStringLiteral("name=TRUCK-7")});
            QVERIFY(u->ok && u->enterCli());
        }
        // The unit echoes the command line, answers, and prompts again.
        const QByteArray seen = u->ask(command);
        QVERIFY2(seen.startsWith(command + "\r\n") && seen.endsWith("\r\ncli> "), seen.constData());
        const QString body = QString::fromLatin1(seen.mid(command.size() + 2, seen.size() - command.size() - 9));
        QVERIFY2(QRegularExpression(answer, QRegularExpression::MultilineOption).match(body).hasMatch(), qPrintable(body));
    }

    void commandLine()
    {
        sUnit u({QStringLiteral("log-rate=200"), QStringLiteral("ready-ms=0")});
        QVERIFY(u.ok);
        QVERIFY(u.line.readFor(500).contains("] = {"));
        QVERIFY(u.enterCli());
        // Lines already on their way may still come; after that the log is silent.
        u.line.readFor(200);
        const QByteArray quiet = u.line.readFor(800);
        QVERIFY2(quiet.isEmpty(), quiet.constData());

        // Backspace edits the line; a bare line feed ends a line as well as CR LF does.
        QVERIFY(u.line.writeAll("ECHO abX\bc\n"));
        QByteArray seen = u.line.readFor(3000, "cli> ");
        QVERIFY2(seen.contains("\r\nabc\r\ncli> "), seen.constData());
        // An over-long line is refused as a whole and the command line goes on.
        QVERIFY(u.line.writeAll("ECHO " + QByteArray(5000, 'y') + "\r\n"));
        seen = u.line.readFor(3000, "cli> ");
        QVERIFY2(seen.contains("Command line too long") && seen.contains("cli> ") && !seen.contains("yyyy"), seen.constData());
        QVERIFY(u.ask("ECHO fine").contains("\r\nfine\r\n"));

        QVERIFY(u.line.writeAll("exit\r\n"));
        QVERIFY(u.line.readFor(800).contains("] = {"));
        // The voice-mode switch writes both commands at once, without waiting for a prompt.
        QVERIFY(u.line.writeAll("cli\r\nSELF_TEST_ENTER\r\n"));
        seen = u.line.readFor(3000, "[APP] starting application");
        QVERIFY2(seen.contains("Voice test mode requested\r\n[APP] starting application"), seen.constData());
    }

    void hangupClosesAfterBytes()
    {
        cSimulatedUnit unit;
        QVERIFY(unit.setOptions({QStringLiteral("log-rate=0"), QStringLiteral("hangup=3000")}));
        // Emitted on the unit's thread; connected before it starts.
        std::atomic<int> signalled {0};
        connect(&unit, &cSimulatedUnit::hungUp, this, [&signalled] { ++signalled; }, Qt::DirectConnection);
        QVERIFY(unit.start());
        cTestLine line, again;
        QVERIFY(line.open(unit.ptyPath()));
        QCOMPARE(line.readFor(5000).size(), 3000);
        char byte = 0;
        QCOMPARE(line.read(&byte, 1, 100), -1);
        QTRY_COMPARE(signalled.load(), 1);
        QVERIFY(unit.isHungUp());
        // The line is gone for good; the next open fails.
        QVERIFY(!again.open(unit.ptyPath()));
    }

    void optionErrors_data()
    {
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("error");
        QTest::newRow("unknown key") << QStringLiteral("speed=9") << QStringLiteral("unknown option 'speed'");
        QTest::newRow("no value") << QStringLiteral("flip") << QStringLiteral("malformed option 'flip'");
        QTest::newRow("rate above 1") << QStringLiteral("flip=1.5") << QStringLiteral("option 'flip'");
        QTest::newRow("baud zero") << QStringLiteral("baud=0") << QStringLiteral("option 'baud'");
        QTest::newRow("package other") << QStringLiteral("package=maybe") << QStringLiteral("option 'package'");
        QTest::newRow("fs missing") << QStringLiteral("fs=/nonexistent/zovan") << QStringLiteral("option 'fs'");
        QTest::newRow("name empty") << QStringLiteral("name=") << QStringLiteral("option 'name'");
    }
    void optionErrors()
    {
        QFETCH(QString, option);
        QFETCH(QString, error);
        cSimulatedUnit unit;
        QVERIFY(!unit.setOptions({QStringLiteral("log-rate=5"), option}));
        QVERIFY2(unit.errorString().contains(error), qPrintable(unit.errorString()));
        // A refused list changes nothing: the defaults stay.
        QCOMPARE(unit.options().logRate, 20.0);
    }

    void stopIsBoundedAndRepeatable()
    {
        cSimulatedUnit unit;
        QVERIFY(unit.setOptions({QStringLiteral("log-rate=0"), QStringLiteral("ready-ms=0")}));
        for (int i = 0; i < 2; ++i) {
            QVERIFY(unit.start());
            const QString socket = unit.adapterSocketPath();
            QVERIFY(QFile::exists(unit.ptyPath()) && QFile::exists(socket));
            // Options are fixed while the unit runs.
            QVERIFY(!unit.setOptions({QStringLiteral("flip=0.1")}));
            // Logging as fast as it can and nobody reading for a while: the unit neither blocks
            // nor queues its log without bound.
            cTestLine line;
            QVERIFY(line.open(unit.ptyPath()));
            QTest::qWait(500);
            QVERIFY(line.writeAll("cli\r\n"));
            const QByteArray before = line.readFor(5000, "cli> ");
            QVERIFY2(before.contains("cli> ") && before.size() < 1024 * 1024, qPrintable(QString::number(before.size())));
            QElapsedTimer timer;
            timer.start();
            unit.stop();
            QVERIFY2(timer.elapsed() < 3000, qPrintable(QString::number(timer.elapsed())));
            QVERIFY(!unit.isRunning() && unit.ptyPath().isEmpty() && !QFile::exists(socket));
            unit.stop();
        }
    }

    void programPrintsPathAndStopsOnSignal()
    {
        cTestProgram p;
        QVERIFY(p.start(programPath(), {QStringLiteral("--ready-ms=0"), QStringLiteral("--name=BUS-3")}));
        const QString path = QString::fromLocal8Bit(p.readLine(5000));
        QVERIFY2(path.startsWith(QLatin1String("/dev/pts/")), qPrintable(path + QString::fromLocal8Bit(p.standardError())));
        const QString socketLine = QString::fromLocal8Bit(p.readLine(5000));
        QVERIFY2(socketLine.startsWith(QLatin1String("adapter socket: /")), qPrintable(socketLine));
        const QString socket = socketLine.mid(socketLine.indexOf(QLatin1Char('/')));
        QVERIFY(QFile::exists(socket));

        cTestLine line;
        QVERIFY(line.open(path));
        QVERIFY(line.writeAll("cli\r\nversion\r\n"));
        QVERIFY(line.readUntil("ZOVAN unit BUS-3", 3000));
        p.terminate();
        QCOMPARE(p.waitForExitCode(5000), 0);
        QVERIFY(!QFile::exists(socket));
    }

    void programArguments_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("expected");   // on standard output for 0, on standard error otherwise
        QTest::newRow("help") << QStringList {"--help"} << 0 << QStringLiteral("--flip=");
        QTest::newRow("bad value") << QStringList {"--flip=2"} << 2 << QStringLiteral("option 'flip'");
        QTest::newRow("no dashes") << QStringList {"ready-ms=5"} << 2 << QStringLiteral("unexpected argument 'ready-ms=5'");
    }
    void programArguments()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, expected);
        cTestProgram p;
        QVERIFY(p.start(programPath(), arguments));
        QCOMPARE(p.waitForExitCode(5000), exitCode);
        if (exitCode != 0)
            QVERIFY(p.standardOutput().isEmpty());
        const QString text = QString::fromLocal8Bit(exitCode == 0 ? p.standardOutput() : p.standardError());
        QVERIFY2(text.contains(expected), qPrintable(expected + QStringLiteral(" not in: ") + text));
    }
};

QTEST_GUILESS_MAIN(tst_SimUnit)
#include "tst_simunit.moc"

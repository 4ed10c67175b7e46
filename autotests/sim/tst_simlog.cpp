// The unit's log as a program on the other end of the line reads it: every status record
// kind arrives, in the documented format, with plausible and changing values.

#include "ctestadapterclient.h"
#include "ctestline.h"

#include "sim/csimulatedunit.h"

#include <QElapsedTimer>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QTest>

#include <iterator>

namespace {

// The unit's documented status record formats (the host's log parser uses these patterns).
struct sPattern
{
    const char *name;
    const char *pattern;
    bool caseInsensitive;
};

const sPattern kPatterns[] = {
    {"sens_nd", R"(^\s*sens_nd\[\d+\]\s*=\s*\{\s*(.*)\s*\})", false},
    {"mng_gsm", R"(^\s*mng_gsm\[\d+\]\s*=\s*\{\s*(.*)\s*\})", false},
    {"veh_bus__values__log", R"(^\s*veh_bus__values__log\[\d+\]\s*=\s*\{\s*(.*)\s*\})", false},
    {"can_log", R"(^\s*can_log\[\d+\]\s*=\s*\{\s*(.*)\s*\})", false},
    {"ain", R"(^\s*ain(\d+)\[\d+\]\s*=\s*\{\s*(.*)\s*\})", false},
    {"din", R"(^\s*din(\d+)\[\d+\]\s*=\s*\{\s*(.*)\s*\})", false},
    {"fuel", R"(^\s*fuel(\d+)\[\d+\]\s*=\s*\{\s*(.*)\s*\})", false},
    {"fuel_can", R"(^\s*fuel(\d+)_(\d+)_can\[\d+\]\s*=\s*\{\s*(.*)\s*\})", false},
    {"can_ain", R"(^\s*can_ain(\d+)\[\d+\]\s*=\s*\{\s*(.*)\s*\})", false},
    {"can_din", R"(^\s*can_din(\d+)\[\d+\]\s*=\s*\{\s*(.*)\s*\})", false},
    {"vin", R"(^\s*vin\[\d+\]\s*=\s*\{.*mv\s*=\s*(\d+).*\})", false},
    {"ext_vin", R"(^\s*ext_vin\[\d+\]\s*=\s*\{.*mv\s*=\s*(\d+).*\})", false},
    {"vscap", R"(^\s*vscap\[\d+\]\s*=\s*\{.*mv\s*=\s*(\d+).*\})", false},
    {"counter", R"(^\s*counter(\d+)\[\d+\]\s*=\s*\{.*value\s*=\s*(\d+).*\})", false},
    {"fmeter", R"(^\s*fmeter(\d+)\[\d+\]\s*=\s*\{.*value\s*=\s*(\d+).*\})", false},
    {"can_counter", R"(^\s*can_counter(\d+)\[\d+\]\s*=\s*\{.*value\s*=\s*(\d+).*\})", false},
    {"stor_chnl", R"(^\s*stor_chnl_(\d+)\[\d+\]\s*=\s*\{\s*(.*)\s*\})", false},
    {"tracker", R"(^\s*tracker_(\d+)\[\d+\]\s*=\s*\{\s*(.*)\s*\})", false},
    {"flag_sos", R"(^\s*flag_sos\[\d+\]\s*=\s*\{\s*(.*)\s*\})", false},
    {"flag_call_request", R"(^\s*flag_call_request\[\d+\]\s*=\s*\{\s*(.*)\s*\})", false},
    {"cpu", R"(Cpu usage:\s*(\d+\.*\d*).*Cnt_tasks:\s*(\d+))", true},
    {"mem", R"(Partition total/used/free:\s*(\d+)/(\d+)/\d+\.\s*Heap total/used/free:\s*(\d+)/(\d+)/\d+\.\s*Heap free min:\s*(\d+))", true},
    {"can_log_ext", R"(^\s*can_log_ext\[\d+\]\s*=\s*\{\s*(.*)\s*\})", false},
    {"trailing space", R"(\s*$)", false},
};

QRegularExpression compiled(const sPattern &p)
{
    return QRegularExpression(QString::fromLatin1(p.pattern), p.caseInsensitive
                                                                  ? QRegularExpression::CaseInsensitiveOption
                                                                  : QRegularExpression::NoPatternOption);
}

// A record body as the host reads it: pieces split at ",", then at "=", trimmed.
QHash<QString, QString> bodyPairs(const QString &body)
{
    QHash<QString, QString> pairs;
    for (const QString &piece : body.split(QLatin1Char(','))) {
        const QStringList kv = piece.split(QLatin1Char('='));
        if (kv.size() >= 2)
            pairs.insert(kv.at(0).trimmed(), kv.at(1).trimmed());
    }
    return pairs;
}

} // namespace

class tst_SimLog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void everyRecordKind_data();
    void everyRecordKind();
    void linesAreWholeAndAscii();
    void recordsFollowTheInputs();

private:
    // Values of one key (or capture) over the captured log, as numbers.
    QList<double> values(const QRegularExpression &re, const QString &source) const;

    cSimulatedUnit m_unit;
    cTestLine m_line;
    QStringList m_lines;
};

void tst_SimLog::initTestCase()
{
    QVERIFY2(m_unit.setOptions({QStringLiteral("log-rate=400"), QStringLiteral("ready-ms=0")}),
             qPrintable(m_unit.errorString()));
    QVERIFY2(m_unit.start(), qPrintable(m_unit.errorString()));
    QVERIFY(m_line.open(m_unit.ptyPath()));
    // Several rounds of the log: 400 lines per second, about 40 lines per round.
    const QByteArray text = m_line.readFor(2500);
    for (const QByteArray &raw : text.split('\n'))
        m_lines << QString::fromLatin1(raw);
    m_lines.removeLast();   // possibly cut
    QVERIFY2(m_lines.size() > 300, qPrintable(QString::number(m_lines.size())));
}

void tst_SimLog::cleanupTestCase()
{
    m_line.close();
    m_unit.stop();
}

QList<double> tst_SimLog::values(const QRegularExpression &re, const QString &source) const
{
    QList<double> out;
    for (const QString &line : m_lines) {
        const QRegularExpressionMatch m = re.match(line);
        if (!m.hasMatch())
            continue;
        bool ok = false;
        double v = 0;
        if (source.startsWith(QLatin1Char('#'))) {
            v = m.captured(source.mid(1).toInt()).toDouble(&ok);
        } else {
            const QString body = m.captured(m.lastCapturedIndex());
            v = bodyPairs(body).value(source).toDouble(&ok);
        }
        if (ok)
            out << v;
    }
    return out;
}

void tst_SimLog::everyRecordKind_data()
{
    QTest::addColumn<int>("pattern");
    // "key:lo:hi" for body keys, "#n:lo:hi" for captures; a trailing ":changes" means the
    // value must not stay the same over the captured log.
    QTest::addColumn<QStringList>("checks");

    const auto row = [](int i, const QStringList &checks) {
        QTest::newRow(kPatterns[i].name) << i << checks;
    };
    row(0, {"timestamp:1600000000:4200000000:changes", "latitude:-324000000:324000000",
            "longitude:-648000000:648000000", "altitude:-500:9000", "sat_count:0:32", "is_valid:0:1"});
    row(1, {"csq:0:99", "net_state:0:5"});
    row(2, {"engine_turn_speed:0:9000:changes", "fuel_level:0:100", "engine_temperature:-40:130",
            "engine_time_all:0:1000000", "fuel_consumption_all:0:10000000", "track_all:0:10000000"});
    row(3, {"engine_turn_speed:0:9000:changes", "fuel_level:0:100", "engine_temperature:-40:130"});
    row(4, {"#1:1:16", "mv:0:40000:changes"});
    row(5, {"#1:1:16", "value:0:1"});
    row(6, {"#1:1:16", "value:0:100", "t:0:100"});
    row(7, {"#1:1:16", "#2:1:16", "value:0:100", "t:0:100"});
    row(8, {"#1:1:16", "mv:0:40000"});
    row(9, {"#1:1:16", "value:0:1"});
    row(10, {"#1:9000:32000:changes"});
    row(11, {"#1:9000:40000:changes"});
    row(12, {"#1:1000:3000:changes"});
    row(13, {"#1:1:16", "#2:0:4000000000"});
    row(14, {"#1:1:16", "#2:0:4000000000"});
    row(15, {"#1:1:16", "#2:0:4000000000"});
    row(16, {"#1:0:16", "id_max:1:4000000000", "id_min:0:4000000000", "tm_oldest:1000000000:4200000000",
             "tm_oldest_unack:1000000000:4200000000", "cnt_unack:0:1000000", "cnt_unack_losted:0:1000000",
             "cnt_ack_from_start:0:4000000000", "cnt_add_from_start:0:4000000000"});
    row(17, {"#1:0:16", "cnt_ack:0:4000000000", "cnt_ack_realtime:0:4000000000", "cnt_noack:0:4000000000",
             "cnt_connect:0:4000000000"});
    row(18, {"off_on_counter:0:1000000", "on_off_counter:0:1000000", "state:0:1"});
    row(19, {"off_on_counter:0:1000000", "on_off_counter:0:1000000", "state:0:1"});
    row(20, {"#1:0:100:changes", "#2:1:200"});
    row(21, {"#1:1:4000000000", "#2:0:4000000000", "#3:1:4000000000", "#4:0:4000000000:changes", "#5:0:4000000000"});
    row(22, {"flags_high:0:4294967295", "flags_low:0:4294967295"});
    row(23, {});
}

void tst_SimLog::everyRecordKind()
{
    QFETCH(int, pattern);
    QFETCH(QStringList, checks);
    const QRegularExpression re = compiled(kPatterns[pattern]);
    QVERIFY(re.isValid());

    int matches = 0;
    for (const QString &line : m_lines)
        matches += re.match(line).hasMatch() ? 1 : 0;
    QVERIFY2(matches >= 2, qPrintable(QStringLiteral("%1 lines match").arg(matches)));

    for (const QString &check : checks) {
        const QStringList parts = check.split(QLatin1Char(':'));
        const QList<double> v = values(re, parts.at(0));
        QVERIFY2(v.size() == matches, qPrintable(parts.at(0) + QStringLiteral(" missing or not a number")));
        for (double x : v) {
            QVERIFY2(x >= parts.at(1).toDouble() && x <= parts.at(2).toDouble(),
                     qPrintable(QStringLiteral("%1 = %2").arg(parts.at(0)).arg(x, 0, 'f')));
        }
        if (parts.size() > 3)
            QVERIFY2(QSet<double>(v.begin(), v.end()).size() > 1, qPrintable(parts.at(0) + QStringLiteral(" never changes")));
    }
}

void tst_SimLog::linesAreWholeAndAscii()
{
    const QRegularExpression record(QStringLiteral(R"(^[a-z_0-9]+\[\d+\] = \{ .* \}\r$)"));
    QList<QRegularExpression> patterns;
    for (int i = 0; i + 1 < int(std::size(kPatterns)); ++i)
        patterns << compiled(kPatterns[i]);
    int records = 0;
    for (const QString &line : m_lines) {
        QVERIFY2(line.endsWith(QLatin1Char('\r')) || line.isEmpty(), qPrintable(line));
        for (const QChar c : line)
            QVERIFY2(c.unicode() == '\r' || (c.unicode() >= 0x20 && c.unicode() < 0x7f), qPrintable(line));
        if (line.contains(QLatin1String("] = {"))) {
            QVERIFY2(record.match(line).hasMatch(), qPrintable(line));
            ++records;
        }
        // Each status line is one kind of record, never two (the last pattern matches anything).
        int kinds = 0;
        for (const QRegularExpression &re : patterns)
            kinds += re.match(line).hasMatch() ? 1 : 0;
        QVERIFY2(kinds <= 1, qPrintable(line));
    }
    QVERIFY(records > m_lines.size() / 2);
    // Free text is part of the log too.
    QVERIFY(m_lines.size() - records > 20);
}

void tst_SimLog::recordsFollowTheInputs()
{
    // The digital inputs report the adapter's loop-back lines: OUT3 drives IN3.
    cTestAdapterClient adapter;
    QVERIFY(adapter.connectTo(m_unit.adapterSocketPath()));
    const QRegularExpression din3(QStringLiteral(R"(din3\[\d+\] = \{ value = (\d) \})"));
    const auto din3After = [&] {
        // Long enough to pass whatever the line still held from before the change (its
        // buffers hold well under a second of this log) and then several fresh rounds.
        const QByteArray text = m_line.readFor(1500);
        int value = -1;
        auto it = din3.globalMatch(QString::fromLatin1(text));
        while (it.hasNext())
            value = it.next().captured(1).toInt();
        return value;
    };
    QCOMPARE(adapter.request("GPIO SET OUT3 1"), QByteArray("OK"));
    QCOMPARE(din3After(), 1);
    QCOMPARE(adapter.request("GPIO SET OUT3 0"), QByteArray("OK"));
    QCOMPARE(din3After(), 0);
}

QTEST_GUILESS_MAIN(tst_SimLog)
#include "tst_simlog.moc"

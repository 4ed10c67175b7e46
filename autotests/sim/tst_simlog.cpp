// The unit's log as the host's log parser reads it: every status record kind arrives, in the
// documented format, with plausible and changing values.

#include "ctestadapterclient.h"
#include "ctestline.h"

#include "sim/csimulatedunit.h"

#include <QRegularExpression>
#include <QSet>
#include <QTest>

namespace {

// The host parser's pattern for each record kind, and what its values must look like:
// "key:lo:hi" for a body key, "#n:lo:hi" for a capture, ":changes" when it must not stay put.
struct sKind
{
    const char *name;
    const char *pattern;
    const char *checks;
};

const sKind kKinds[] = {
    {"sens_nd", R"(^\s*sens_nd\[\d+\]\s*=\s*\{\s*(.*)\s*\})",
     "timestamp:1600000000:4200000000:changes latitude:-324000000:324000000 longitude:-648000000:648000000 "
     "altitude:-500:9000 sat_count:0:32 is_valid:0:1"},
    {"mng_gsm", R"(^\s*mng_gsm\[\d+\]\s*=\s*\{\s*(.*)\s*\})", "csq:0:99 net_state:0:5"},
    {"veh_bus__values__log", R"(^\s*veh_bus__values__log\[\d+\]\s*=\s*\{\s*(.*)\s*\})",
     "engine_turn_speed:0:9000:changes fuel_level:0:100 engine_temperature:-40:130 engine_time_all:0:1000000 "
     "fuel_consumption_all:0:10000000 track_all:0:10000000"},
    {"can_log", R"(^\s*can_log\[\d+\]\s*=\s*\{\s*(.*)\s*\})",
     "engine_turn_speed:0:9000:changes fuel_level:0:100 engine_temperature:-40:130"},
    {"ain", R"(^\s*ain(\d+)\[\d+\]\s*=\s*\{\s*(.*)\s*\})", "#1:1:16 mv:0:40000:changes"},
    {"din", R"(^\s*din(\d+)\[\d+\]\s*=\s*\{\s*(.*)\s*\})", "#1:1:16 value:0:1"},
    {"fuel", R"(^\s*fuel(\d+)\[\d+\]\s*=\s*\{\s*(.*)\s*\})", "#1:1:16 value:0:100 t:0:100"},
    {"fuel_can", R"(^\s*fuel(\d+)_(\d+)_can\[\d+\]\s*=\s*\{\s*(.*)\s*\})", "#1:1:16 #2:1:16 value:0:100 t:0:100"},
    {"can_ain", R"(^\s*can_ain(\d+)\[\d+\]\s*=\s*\{\s*(.*)\s*\})", "#1:1:16 mv:0:40000"},
    {"can_din", R"(^\s*can_din(\d+)\[\d+\]\s*=\s*\{\s*(.*)\s*\})", "#1:1:16 value:0:1"},
    {"vin", R"(^\s*vin\[\d+\]\s*=\s*\{.*mv\s*=\s*(\d+).*\})", "#1:9000:32000:changes"},
    {"ext_vin", R"(^\s*ext_vin\[\d+\]\s*=\s*\{.*mv\s*=\s*(\d+).*\})", "#1:9000:40000:changes"},
    {"vscap", R"(^\s*vscap\[\d+\]\s*=\s*\{.*mv\s*=\s*(\d+).*\})", "#1:1000:3000:changes"},
    {"counter", R"(^\s*counter(\d+)\[\d+\]\s*=\s*\{.*value\s*=\s*(\d+).*\})", "#1:1:16 #2:0:4000000000"},
    {"fmeter", R"(^\s*fmeter(\d+)\[\d+\]\s*=\s*\{.*value\s*=\s*(\d+).*\})", "#1:1:16 #2:0:4000000000"},
    {"can_counter", R"(^\s*can_counter(\d+)\[\d+\]\s*=\s*\{.*value\s*=\s*(\d+).*\})", "#1:1:16 #2:0:4000000000"},
    {"stor_chnl", R"(^\s*stor_chnl_(\d+)\[\d+\]\s*=\s*\{\s*(.*)\s*\})",
     "#1:0:16 id_max:1:4000000000 id_min:0:4000000000 tm_oldest:1000000000:4200000000 "
     "tm_oldest_unack:1000000000:4200000000 cnt_unack:0:1000000 cnt_unack_losted:0:1000000 "
     "cnt_ack_from_start:0:4000000000 cnt_add_from_start:0:4000000000"},
    {"tracker", R"(^\s*tracker_(\d+)\[\d+\]\s*=\s*\{\s*(.*)\s*\})",
     "#1:0:16 cnt_ack:0:4000000000 cnt_ack_realtime:0:4000000000 cnt_noack:0:4000000000 cnt_connect:0:4000000000"},
    {"flag_sos", R"(^\s*flag_sos\[\d+\]\s*=\s*\{\s*(.*)\s*\})", "off_on_counter:0:1000000 on_off_counter:0:1000000 state:0:1"},
    {"flag_call_request", R"(^\s*flag_call_request\[\d+\]\s*=\s*\{\s*(.*)\s*\})",
     "off_on_counter:0:1000000 on_off_counter:0:1000000 state:0:1"},
    {"cpu", R"((?i)Cpu usage:\s*(\d+\.*\d*).*Cnt_tasks:\s*(\d+))", "#1:0:100:changes #2:1:200"},
    {"mem", R"((?i)Partition total/used/free:\s*(\d+)/(\d+)/\d+\.\s*Heap total/used/free:\s*(\d+)/(\d+)/\d+\.\s*Heap free min:\s*(\d+))",
     "#1:1:4000000000 #2:0:4000000000 #3:1:4000000000 #4:0:4000000000:changes #5:0:4000000000"},
    {"can_log_ext", R"(^\s*can_log_ext\[\d+\]\s*=\s*\{\s*(.*)\s*\})", "flags_high:0:4294967295 flags_low:0:4294967295"},
};

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

} // namespace

class tst_SimLog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void everyRecordKind_data();
    void everyRecordKind();
    void linesAreWholeAndAscii();
    void recordsFollowTheInputs();

private:
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
    // Several rounds of about 40 lines each.
    m_lines = QString::fromLatin1(m_line.readFor(2500)).split(QLatin1Char('\n'));
    m_lines.removeLast();   // possibly cut
    QVERIFY2(m_lines.size() > 300, qPrintable(QString::number(m_lines.size())));
}

void tst_SimLog::everyRecordKind_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("checks");
    for (const sKind &k : kKinds)
        QTest::newRow(k.name) << QString::fromLatin1(k.pattern) << QString::fromLatin1(k.checks);
}

void tst_SimLog::everyRecordKind()
{
    QFETCH(QString, pattern);
    QFETCH(QString, checks);
    const QRegularExpression re(pattern);
    QVERIFY(re.isValid());
    QList<QRegularExpressionMatch> matches;
    for (const QString &line : std::as_const(m_lines)) {
        if (const QRegularExpressionMatch m = re.match(line); m.hasMatch())
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

void tst_SimLog::linesAreWholeAndAscii()
{
    const QRegularExpression record(QStringLiteral(R"(^[a-z_0-9]+\[\d+\] = \{ .* \}\r$)"));
    QList<QRegularExpression> kinds;
    for (const sKind &k : kKinds)
        kinds << QRegularExpression(QString::fromLatin1(k.pattern));
    int records = 0;
    for (const QString &line : std::as_const(m_lines)) {
        QVERIFY2(line.endsWith(QLatin1Char('\r')) || line.isEmpty(), qPrintable(line));
        for (const QChar c : line)
            QVERIFY2(c.unicode() == '\r' || (c.unicode() >= 0x20 && c.unicode() < 0x7f), qPrintable(line));
        if (line.contains(QLatin1String("] = {"))) {
            QVERIFY2(record.match(line).hasMatch(), qPrintable(line));
            ++records;
        }
        // Each status line is one kind of record, never two.
        int matched = 0;
        for (const QRegularExpression &re : std::as_const(kinds))
            matched += re.match(line).hasMatch() ? 1 : 0;
        QVERIFY2(matched <= 1, qPrintable(line));
    }
    // Free text is part of the log too.
    QVERIFY(records > m_lines.size() / 2);
    QVERIFY(m_lines.size() - records > 20);
}

void tst_SimLog::recordsFollowTheInputs()
{
    // The digital inputs report the adapter's loop-back lines: OUT3 drives IN3.
    cTestAdapterClient adapter;
    QVERIFY(adapter.connectTo(m_unit.adapterSocketPath()));
    const QRegularExpression din3(QStringLiteral(R"(din3\[\d+\] = \{ value = (\d) \})"));
    for (const char *level : {"1", "0"}) {
        QCOMPARE(adapter.request("GPIO SET OUT3 " + QByteArray(level)), QByteArray("OK"));
        // Long enough to pass what the line still held from before the change, then fresh rounds.
        QString last;
        for (auto it = din3.globalMatch(QString::fromLatin1(m_line.readFor(1500))); it.hasNext();)
            last = it.next().captured(1);
        QCOMPARE(last, QString::fromLatin1(level));
    }
}

QTEST_GUILESS_MAIN(tst_SimLog)
#include "tst_simlog.moc"

// The log line parser seen from the outside: lines written by a "unit" on a real
// pseudo-terminal, read by the reader, and what the parser signals for them.

#include "autotests/platform/port/ptypair.h"
#include "logs/core/cdatareader.h"
#include "logs/core/cdatawriter.h"
#include "logs/core/clogrecognizer.h"
#include "logs/core/ctextlogparser.h"
#include "platform/logging/logs.h"

#include <QMetaMethod>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

sIODevice ptyUnit(const QString &path)
{
    sIODevice unit;
    unit.id = QStringLiteral("test:parser");
    unit.name = QStringLiteral("parser test unit");
    unit.devices.append({nullptr, QStringLiteral("serial"), QStringLiteral("serial"), path, {}});
    return unit;
}

QString argText(const QVariant &v)
{
    switch (v.metaType().id()) {
    case QMetaType::Bool: return v.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    case QMetaType::UChar: return QString::number(v.value<quint8>());
    case QMetaType::Double: return QString::number(v.toDouble(), 'g', 10);
    case QMetaType::QString: return QLatin1Char('"') + v.toString() + QLatin1Char('"');
    default: return v.toString();
    }
}

QString recordText(const sLogRecord &r)
{
    QStringList args;
    for (int i = 0; i < sLogRecord::argumentCount(r.kind); ++i) {
        switch (sLogRecord::argumentType(r.kind, i)) {
        case sLogRecord::Bool: args << (r.values[i] ? QStringLiteral("true") : QStringLiteral("false")); break;
        case sLogRecord::Real: args << QString::number(r.real, 'g', 10); break;
        case sLogRecord::Text: args << QLatin1Char('"') + r.text + QLatin1Char('"'); break;
        default: args << QString::number(r.values[i]); break;
        }
    }
    return QStringLiteral("%1(%2)").arg(QLatin1String(sLogRecord::signalName(r.kind)), args.join(QLatin1Char(',')));
}

const char *const kMarker = "zz-end-of-case";

} // namespace

class tst_TextLogParser : public QObject
{
    Q_OBJECT

    cPtyPair m_pty;
    QTemporaryDir m_logDir;
    std::unique_ptr<cDataReader> m_reader;
    std::unique_ptr<cTextLogParser> m_parser;
    // Never started: re-emits the parser's signals in the test's thread, where the spies live.
    std::unique_ptr<cTextLogParser> m_relay;
    std::vector<std::unique_ptr<QSignalSpy>> m_spies;   // one per typed signal
    std::unique_ptr<QSignalSpy> m_shown;
    int m_case = 0;

    void startParser(const QString &filter)
    {
        if (m_parser) {
            m_parser->stopParsing();
            QVERIFY(m_parser->wait(5000));
        }
        m_spies.clear();
        m_shown.reset();
        m_relay = std::make_unique<cTextLogParser>(m_reader.get(), nullptr);
        m_parser = std::make_unique<cTextLogParser>(m_reader.get(), nullptr);
        m_parser->writer()->setLogRoot(m_logDir.path());
        const QMetaObject *mo = m_parser->metaObject();
        for (int i = mo->methodOffset(); i < mo->methodCount(); ++i) {
            const QMetaMethod m = mo->method(i);
            if (m.methodType() != QMetaMethod::Signal)
                continue;
            if (m.name() == "linesReady" || m.name() == "recordFound")
                continue;
            QVERIFY(QObject::connect(m_parser.get(), m, m_relay.get(), m, Qt::QueuedConnection));
            if (m.name() == "lineFound")
                continue;
            m_spies.push_back(std::make_unique<QSignalSpy>(m_relay.get(), m));
            QVERIFY(m_spies.back()->isValid());
        }
        QCOMPARE(int(m_spies.size()), int(sLogRecord::KindCount));
        m_shown = std::make_unique<QSignalSpy>(m_relay.get(), &cTextLogParser::lineFound);
        QVERIFY(m_shown->isValid());
        m_parser->startParsing(filter + QStringLiteral(", ") + QLatin1String(kMarker));
    }

    // Writes text as the unit would and returns what was signalled for it, in order of signals
    // (records) and the lines shown; the marker line closes the case.
    void feed(const QByteArray &text, QStringList *records, QStringList *shown)
    {
        for (auto &spy : m_spies)
            spy->clear();
        m_shown->clear();
        const QString marker = QStringLiteral("%1 %2").arg(QLatin1String(kMarker)).arg(++m_case);
        QVERIFY(m_pty.writeMaster(text + '\n' + marker.toLatin1() + '\n'));
        QTRY_VERIFY_WITH_TIMEOUT(!m_shown->isEmpty() && m_shown->last().at(0).toString() == marker, 5000);
        for (const auto &spy : m_spies) {
            for (const QList<QVariant> &call : std::as_const(*spy)) {
                QStringList args;
                for (const QVariant &v : call)
                    args << argText(v);
                *records << QStringLiteral("%1(%2)").arg(QString::fromLatin1(spy->signal().mid(0, spy->signal().indexOf('('))),
                                                          args.join(QLatin1Char(',')));
            }
        }
        for (const QList<QVariant> &call : std::as_const(*m_shown)) {
            if (!call.at(0).toString().startsWith(QLatin1String(kMarker)))
                *shown << call.at(0).toString();
        }
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_pty.isValid());
        QVERIFY(m_logDir.isValid());
        logs::get();   // the log engine belongs to this thread, not to the first worker that logs
        m_reader = std::make_unique<cDataReader>();
        m_reader->startReading(ptyUnit(m_pty.slavePath()));
        QCOMPARE(m_pty.readMaster(6, 3000), QByteArray("exit\r\n"));
        startParser(QStringLiteral("*"));
    }

    void cleanupTestCase()
    {
        m_spies.clear();
        m_shown.reset();
        m_parser.reset();
        m_relay.reset();
        m_reader.reset();
    }

    void records_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QStringList>("expected");   // typed signals in the parser's declaration order
        const auto row = [](const char *name, const char *line, QStringList expected) {
            QTest::newRow(name) << QByteArray(line) << expected;
        };
        row("nav", "sens_nd[1] = { timestamp = 100, longitude = -500, latitude = 200, altitude = 150, sat_count = 9, is_valid = 1 }",
            {"nav(100,-500,200,150,9,true)"});
        row("nav is_valid 2", "sens_nd[1] = { timestamp = 100, is_valid = 2 }", {"nav(100,0,0,0,0,false)"});
        row("nav without is_valid", "sens_nd[1] = { timestamp = 100 }", {"nav(100,0,0,0,0,false)"});
        row("nav extra and repeated keys", "sens_nd[7] = { speed = 5, timestamp = 1, course = 2, timestamp = 7 }",
            {"nav(7,0,0,0,0,false)"});
        row("nav empty body", "sens_nd[0] = {}", {"nav(0,0,0,0,0,false)"});
        row("nav without closing brace", "sens_nd[0] = { timestamp = 5", {});
        row("nav blanks, tabs and CR", " \tsens_nd[3]={timestamp=5,sat_count=300}\r", {"nav(5,0,0,0,44,false)"});
        row("nav unknown name", "xsens_nd[3] = { timestamp = 5 }", {});
        row("gsm nil", "mng_gsm[1] = { net_name = nil, csq = 17, net_state = 1 }", {"gsm(\"\",17,1)"});
        row("gsm roaming", "mng_gsm[1] = { net_name = Beeline, csq = 99, net_state = 2 }", {"gsm(\"Beeline\",99,2)"});
        row("ain10", "ain10[2] = { mv = 12000, raw = 3 }", {"ain(10,12000)"});
        row("can_ain3", "can_ain3[2] = { mv = 5010 }", {"canain(3,5010)"});
        row("din line break", "din4[2] = { value = 16 }", {"din(4,16)"});
        row("din without value", "din1[2] = { value = }", {"din(1,0)"});
        row("can_din", "can_din1[2] = { value = 2 }", {"candin(1,2)"});
        row("fuel", "fuel2[1] = { t = 20, value = 40.5 }", {"fuel(2,40.5,20)"});
        row("fuel2_1_can", "fuel2_1_can[1] = { value = 33.5, t = 19 }", {"canfuel(2,1,33.5,19)"});
        row("can_log wraps", "can_log[1] = { engine_turn_speed = 70000, fuel_level = 50, engine_temperature = -40, "
                             "engine_time_all = 4294967296, fuel_consumption_all = 7, track_all = -1 }",
            {"canLog(4464,50,-40,0,7,4294967295)"});
        row("veh_bus", "veh_bus__values__log[3] = { engine_turn_speed = 800, track_all = 5000000000 }",
            {"canLog(800,0,0,0,0,0)"});
        row("vin", "vin[1] = { mv = 12400 }", {"vin(12400)"});
        row("ext_vin is anchored", "ext_vin[1] = { mv = 24100 }", {"extvin(24100)"});
        row("vscap", "vscap[1] = { raw = 1, mv = 2750, x = 2 }", {"vscap(2750)"});
        row("counter max", "counter1[1] = { value = 4294967295 }", {"counter(1,4294967295)"});
        row("counter above 2^32", "counter2[1] = { value = 4294967296 }", {"counter(2,0)"});
        row("can_counter", "can_counter2[1] = { value = 912 }", {"cancounter(2,912)"});
        row("fmeter", "fmeter1[1] = { value = 58311 }", {"fmeter(1,58311)"});
        row("stor", "stor_chnl_1[1] = { id_max = 8, id_min = 7, tm_oldest = 6, tm_oldest_unack = 5, cnt_unack = 4, "
                    "cnt_unack_losted = 3, cnt_ack_from_start = 2, cnt_add_from_start = 1 }",
            {"stor(1,8,7,6,5,4,3,2,1)"});
        row("tracker 12", "tracker_12[1] = { cnt_connect = 4, cnt_noack = 3, cnt_ack_realtime = 2, cnt_ack = 1 }",
            {"tracker(12,1,2,3,4)"});
        row("sos", "flag_sos[1] = { off_on_counter = 3, on_off_counter = 2, state = 1 }", {"sos(3,2,true)"});
        row("call request", "flag_call_request[1] = { off_on_counter = 5, on_off_counter = 5, state = 0 }",
            {"callreq(5,5,false)"});
        row("cpu any case, anywhere", "[SYS] load: cPU USAGE: 12.5%, cnt_TASKS: 70000", {"cpu(12.5,4464)"});
        row("mem", "Partition total/used/free: 1000/250/750. Heap total/used/free: 196608/90000/106608. Heap free min: 60000",
            {"mem(1000,250,196608,90000,60000)"});
        row("can_log_ext low first", "can_log_ext[1] = { flags_low = 128, flags_high = 1024 }", {"canlogext(1024,128)"});
        row("two records on a line", "sens_nd[1] = { timestamp = 1 } Cpu usage: 5 Cnt_tasks: 3",
            {"nav(1,0,0,0,0,false)", "cpu(5,3)"});
        row("empty key and double equals", "ain1[1] = { = 5, mv = = 6 }", {"ain(1,0)"});
        row("binary garbage", "\x01\x02\xff\xfe{}[]==,,", {});
    }
    void records()
    {
        QFETCH(QByteArray, line);
        QFETCH(QStringList, expected);
        QStringList records, shown;
        feed(line, &records, &shown);
        // Signals arrive per kind here, so order them as the parser declares them.
        QCOMPARE(records, expected);
        QCOMPARE(shown.size(), 1);
    }

    void nulByteReachesTheParser()
    {
        QStringList records, shown;
        // Qt's number conversion stops at the NUL, as it always has.
        feed(QByteArray("ain1[1] = { mv = 7\0 }", 21), &records, &shown);
        QCOMPARE(records, QStringList {QStringLiteral("ain(1,7)")});
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown.first().size(), 21);
    }

    // The quick path must give what trying every pattern gives, also for damaged lines.
    void sameAsTryingEveryPattern()
    {
        QRandomGenerator rng(11);
        const QByteArray alphabet("[]{}=, \t\r\n0123456789-._:/aAsS\xc5\xbf");
        for (const QByteArray &seed : {QByteArray("sens_nd[1] = { timestamp = 100, longitude = -500 }"),
                                       QByteArray("fuel2_1_can[1] = { value = 3.5, t = 1 }"),
                                       QByteArray("can_log_ext[1] = { flags_low = 1 } cpu usage: 1.5 cnt_tasks: 2"),
                                       QByteArray("Partition total/used/free: 1/2/3. Heap total/used/free: 4/5/6. Heap free min: 7"),
                                       QByteArray("  counter12[1]={value=5}"), QByteArray("vin[1] = { mv = 5 }")}) {
            for (int n = 0; n < 400; ++n) {
                QByteArray line = seed;
                for (int edits = rng.bounded(1, 4); edits > 0; --edits) {
                    const int at = rng.bounded(int(line.size()) + 1);
                    if (rng.bounded(2) && at < line.size())
                        line.remove(at, 1);
                    else
                        line.insert(at, alphabet.at(rng.bounded(int(alphabet.size()))));
                }
                const QString text = n % 2 ? QString::fromLatin1(line) : QString::fromUtf8(line);
                cLogRecognizer::Records quick, plain;
                cLogRecognizer::recognize(text, &quick);
                cLogRecognizer::recognizePlain(text, &plain);
                QStringList a, b;
                for (const sLogRecord &r : quick)
                    a << recordText(r);
                for (const sLogRecord &r : plain)
                    b << recordText(r);
                QVERIFY2(a == b, line.toPercentEncoding(" []{}=,.:/").constData());
            }
        }
    }

    void keywordFilter_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("times");
        QTest::newRow("empty is everything") << QString() << QStringLiteral("anything") << 1;
        QTest::newRow("star") << QStringLiteral(" * ") << QStringLiteral("x") << 1;
        QTest::newRow("blank pieces") << QStringLiteral("gsm, ,  ,") << QStringLiteral("mng_gsm[1]") << 1;
        QTest::newRow("brackets are literal") << QStringLiteral("[IO]") << QStringLiteral("I O") << 0;
        QTest::newRow("brackets match") << QStringLiteral("[IO]") << QStringLiteral("[io] parked") << 1;
        QTest::newRow("two keywords") << QStringLiteral("vin, mv") << QStringLiteral("ext_vin[1] = { mv = 1 }") << 2;
        QTest::newRow("alternatives") << QStringLiteral("NAV|GSM") << QStringLiteral("[gsm] x") << 1;
        QTest::newRow("invalid expression") << QStringLiteral("(unclosed, ok") << QStringLiteral("(unclosed ok") << 1;
    }
    void keywordFilter()
    {
        QFETCH(QString, filter);
        QFETCH(QString, line);
        QFETCH(int, times);
        QCOMPARE(cKeywordFilter(filter).matchCount(line), times);
    }

    void invalidKeywordIsReported()
    {
        const cKeywordFilter filter(QStringLiteral("ok, *bad"));
        QCOMPARE(filter.problems().size(), 1);
        QVERIFY(filter.problems().first().contains(QStringLiteral("*bad")));
    }

    void shownLines()
    {
        QStringList records, shown;
        // Trailing blanks go from the view; a bare CR is an empty line; two LFs are no line.
        feed("hello world  \t\r\n\r\n\nnext", &records, &shown);
        QCOMPARE(shown, (QStringList {QStringLiteral("hello world"), QString(), QStringLiteral("next")}));
    }

    void lineMatchingTwoKeywordsIsShownTwice()
    {
        startParser(QStringLiteral("[NET], server"));
        QStringList records, shown;
        feed("[NET] server connection 3 alive\n[NET] x\nN server\nNET no brackets", &records, &shown);
        QCOMPARE(shown, (QStringList {QStringLiteral("[NET] server connection 3 alive"),
                                      QStringLiteral("[NET] server connection 3 alive"), QStringLiteral("[NET] x"),
                                      QStringLiteral("N server")}));
        startParser(QStringLiteral("*"));
    }

    void everyLineReachesTheFile()
    {
        QStringList records, shown;
        feed("file line one\r\nfile line two", &records, &shown);
        const QString file = m_parser->writer()->fileName();
        QVERIFY(!file.isEmpty());
        m_parser->stopParsing();
        QVERIFY(m_parser->wait(5000));
        QVERIFY(m_parser->writer()->wait(5000));
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QVERIFY(f.readAll().contains("file line one\r\nfile line two\n"));
        startParser(QStringLiteral("*"));
    }
};

QTEST_GUILESS_MAIN(tst_TextLogParser)
#include "tst_textlogparser.moc"

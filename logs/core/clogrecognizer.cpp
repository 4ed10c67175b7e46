#include "logs/core/clogrecognizer.h"

#include <QRegularExpression>

#include <cstring>

#include <initializer_list>

namespace {

// The firmware's record patterns, in the order of its table.
enum ePattern {
    SensNd, MngGsm, VehBus, CanLogRec, AinRec, DinRec, FuelRec, FuelCanRec, CanAinRec, CanDinRec, VinRec, ExtVinRec,
    VscapRec, CounterRec, FmeterRec, CanCounterRec, StorRec, TrackerRec, SosRec, CallReqRec, CpuRec, MemRec,
    CanLogExtRec, PatternCount
};

struct sPatterns
{
    QRegularExpression re[PatternCount];

    sPatterns()
    {
        const char *const texts[PatternCount] = {
            R"(^\s*sens_nd\[\d+\]\s*=\s*\{\s*(.*)\s*\})",
            R"(^\s*mng_gsm\[\d+\]\s*=\s*\{\s*(.*)\s*\})",
            R"(^\s*veh_bus__values__log\[\d+\]\s*=\s*\{\s*(.*)\s*\})",
            R"(^\s*can_log\[\d+\]\s*=\s*\{\s*(.*)\s*\})",
            R"(^\s*ain(\d+)\[\d+\]\s*=\s*\{\s*(.*)\s*\})",
            R"(^\s*din(\d+)\[\d+\]\s*=\s*\{\s*(.*)\s*\})",
            R"(^\s*fuel(\d+)\[\d+\]\s*=\s*\{\s*(.*)\s*\})",
            R"(^\s*fuel(\d+)_(\d+)_can\[\d+\]\s*=\s*\{\s*(.*)\s*\})",
            R"(^\s*can_ain(\d+)\[\d+\]\s*=\s*\{\s*(.*)\s*\})",
            R"(^\s*can_din(\d+)\[\d+\]\s*=\s*\{\s*(.*)\s*\})",
            R"(^\s*vin\[\d+\]\s*=\s*\{.*mv\s*=\s*(\d+).*\})",
            R"(^\s*ext_vin\[\d+\]\s*=\s*\{.*mv\s*=\s*(\d+).*\})",
            R"(^\s*vscap\[\d+\]\s*=\s*\{.*mv\s*=\s*(\d+).*\})",
            R"(^\s*counter(\d+)\[\d+\]\s*=\s*\{.*value\s*=\s*(\d+).*\})",
            R"(^\s*fmeter(\d+)\[\d+\]\s*=\s*\{.*value\s*=\s*(\d+).*\})",
            R"(^\s*can_counter(\d+)\[\d+\]\s*=\s*\{.*value\s*=\s*(\d+).*\})",
            R"(^\s*stor_chnl_(\d+)\[\d+\]\s*=\s*\{\s*(.*)\s*\})",
            R"(^\s*tracker_(\d+)\[\d+\]\s*=\s*\{\s*(.*)\s*\})",
            R"(^\s*flag_sos\[\d+\]\s*=\s*\{\s*(.*)\s*\})",
            R"(^\s*flag_call_request\[\d+\]\s*=\s*\{\s*(.*)\s*\})",
            R"(Cpu usage:\s*(\d+\.*\d*).*Cnt_tasks:\s*(\d+))",
            R"(Partition total/used/free:\s*(\d+)/(\d+)/\d+\.\s*Heap total/used/free:\s*(\d+)/(\d+)/\d+\.\s*Heap free min:\s*(\d+))",
            R"(^\s*can_log_ext\[\d+\]\s*=\s*\{\s*(.*)\s*\})",
        };
        for (int i = 0; i < PatternCount; ++i) {
            const auto options = (i == CpuRec || i == MemRec) ? QRegularExpression::CaseInsensitiveOption
                                                               : QRegularExpression::NoPatternOption;
            re[i] = QRegularExpression(QString::fromLatin1(texts[i]), options);
            re[i].optimize();
        }
    }
};

const sPatterns &patterns()
{
    static const sPatterns p;
    return p;
}

// ASCII white space as the patterns' \s sees it.
// One character code, from a line as text or as the unit's Latin-1 bytes.
char16_t uc(QChar c)
{
    return c.unicode();
}

char16_t uc(QLatin1Char c)
{
    return c.unicode();
}

char16_t uc(char c)
{
    return static_cast<unsigned char>(c);
}

template<class C>
bool isBlank(C c)
{
    const char16_t u = uc(c);
    return u == ' ' || (u >= '\t' && u <= '\r');
}

template<class C>
bool isDigit(C c)
{
    return uc(c) >= '0' && uc(c) <= '9';
}

// Values of the wanted keys in a "key = value, key = value" body; a later pair wins, as in a hash.
template<int N>
void bodyValues(QStringView body, const QLatin1String (&keys)[N], QStringView (&values)[N])
{
    qsizetype start = 0;
    while (start <= body.size()) {
        qsizetype end = body.indexOf(QLatin1Char(','), start);
        if (end < 0)
            end = body.size();
        const QStringView piece = body.mid(start, end - start);
        start = end + 1;
        const qsizetype eq = piece.indexOf(QLatin1Char('='));
        if (eq < 0)
            continue;
        const QStringView key = piece.left(eq).trimmed();
        QStringView value = piece.mid(eq + 1);
        if (const qsizetype eq2 = value.indexOf(QLatin1Char('=')); eq2 >= 0)
            value = value.left(eq2);
        for (int k = 0; k < N; ++k) {
            if (key == keys[k]) {
                values[k] = value.trimmed();
                break;
            }
        }
    }
}

// Plain digit runs, the usual case, are converted here; anything else goes to Qt's conversion,
// whose rules (signs, blanks, overflow) then apply unchanged.
bool shortDigits(QStringView v, quint32 *out)
{
    if (v.isEmpty() || v.size() > 9)
        return false;
    quint32 n = 0;
    for (const QChar c : v) {
        if (!isDigit(c))
            return false;
        n = n * 10 + (c.unicode() - '0');
    }
    *out = n;
    return true;
}

quint32 u32(QStringView v)
{
    quint32 n = 0;
    return shortDigits(v, &n) ? n : v.toUInt(nullptr, 10);
}

qint32 s32(QStringView v)
{
    quint32 n = 0;
    if (shortDigits(v, &n))
        return qint32(n);
    if (v.size() > 1 && v.front() == QLatin1Char('-') && shortDigits(v.mid(1), &n))
        return -qint32(n);
    return v.toInt(nullptr, 10);
}

quint8 channel(QStringView v)
{
    quint32 n = 0;
    if (shortDigits(v, &n) && n <= 0xffff)
        return quint8(n);
    return quint8(v.toUShort(nullptr, 10));
}

sLogRecord record(sLogRecord::eKind kind, std::initializer_list<qint64> values)
{
    sLogRecord r;
    r.kind = kind;
    int i = 0;
    for (const qint64 v : values)
        r.values[i++] = v;
    return r;
}

// A pattern's captures, numbered from 1 as in the pattern.
struct sCaptures
{
    QStringView cap[6];
    QStringView capturedView(int n) const { return cap[n]; }
};

// The record of a pattern that matched.
sLogRecord fromMatch(int pattern, const sCaptures &m)
{
    using R = sLogRecord;
    switch (pattern) {
    case SensNd: {
        static const QLatin1String keys[] = {QLatin1String("timestamp"), QLatin1String("longitude"),
                                             QLatin1String("latitude"), QLatin1String("altitude"),
                                             QLatin1String("sat_count"), QLatin1String("is_valid")};
        QStringView v[6];
        bodyValues(m.capturedView(1), keys, v);
        return record(R::Nav, {u32(v[0]), s32(v[1]), s32(v[2]), s32(v[3]), quint8(u32(v[4])), u32(v[5]) == 1});
    }
    case MngGsm: {
        static const QLatin1String keys[] = {QLatin1String("net_name"), QLatin1String("csq"),
                                             QLatin1String("net_state")};
        QStringView v[3];
        bodyValues(m.capturedView(1), keys, v);
        R r = record(R::Gsm, {0, quint8(u32(v[1])), quint8(u32(v[2]))});
        // The firmware prints "nil" while the modem has no network.
        if (v[0] != QLatin1String("nil"))
            r.text = v[0].toString();
        return r;
    }
    case AinRec:
    case CanAinRec: {
        static const QLatin1String keys[] = {QLatin1String("mv")};
        QStringView v[1];
        bodyValues(m.capturedView(2), keys, v);
        return record(pattern == AinRec ? R::Ain : R::CanAin, {channel(m.capturedView(1)), u32(v[0])});
    }
    case DinRec:
    case CanDinRec: {
        static const QLatin1String keys[] = {QLatin1String("value")};
        QStringView v[1];
        bodyValues(m.capturedView(2), keys, v);
        return record(pattern == DinRec ? R::Din : R::CanDin, {channel(m.capturedView(1)), quint8(u32(v[0]))});
    }
    case FuelRec:
    case FuelCanRec: {
        static const QLatin1String keys[] = {QLatin1String("value"), QLatin1String("t")};
        QStringView v[2];
        const bool can = pattern == FuelCanRec;
        bodyValues(m.capturedView(can ? 3 : 2), keys, v);
        R r = can ? record(R::CanFuel, {channel(m.capturedView(1)), channel(m.capturedView(2)), 0, u32(v[1])})
                  : record(R::Fuel, {channel(m.capturedView(1)), 0, u32(v[1])});
        r.real = v[0].toDouble();
        return r;
    }
    case VehBus:
    case CanLogRec: {
        static const QLatin1String keys[] = {QLatin1String("engine_turn_speed"), QLatin1String("fuel_level"),
                                             QLatin1String("engine_temperature"), QLatin1String("engine_time_all"),
                                             QLatin1String("fuel_consumption_all"), QLatin1String("track_all")};
        QStringView v[6];
        bodyValues(m.capturedView(1), keys, v);
        return record(R::CanLog, {quint16(u32(v[0])), quint16(u32(v[1])), qint16(s32(v[2])), u32(v[3]), u32(v[4]),
                                  quint32(s32(v[5]))});
    }
    case VinRec: return record(R::Vin, {u32(m.capturedView(1))});
    case ExtVinRec: return record(R::ExtVin, {u32(m.capturedView(1))});
    case VscapRec: return record(R::Vscap, {u32(m.capturedView(1))});
    case CounterRec: return record(R::Counter, {channel(m.capturedView(1)), u32(m.capturedView(2))});
    case CanCounterRec: return record(R::CanCounter, {channel(m.capturedView(1)), u32(m.capturedView(2))});
    case FmeterRec: return record(R::Fmeter, {channel(m.capturedView(1)), u32(m.capturedView(2))});
    case StorRec: {
        static const QLatin1String keys[] = {
            QLatin1String("id_max"), QLatin1String("id_min"), QLatin1String("tm_oldest"),
            QLatin1String("tm_oldest_unack"), QLatin1String("cnt_unack"), QLatin1String("cnt_unack_losted"),
            QLatin1String("cnt_ack_from_start"), QLatin1String("cnt_add_from_start")};
        QStringView v[8];
        bodyValues(m.capturedView(2), keys, v);
        return record(R::Stor, {channel(m.capturedView(1)), u32(v[0]), u32(v[1]), u32(v[2]), u32(v[3]), u32(v[4]),
                                u32(v[5]), u32(v[6]), u32(v[7])});
    }
    case TrackerRec: {
        static const QLatin1String keys[] = {QLatin1String("cnt_ack"), QLatin1String("cnt_ack_realtime"),
                                             QLatin1String("cnt_noack"), QLatin1String("cnt_connect")};
        QStringView v[4];
        bodyValues(m.capturedView(2), keys, v);
        return record(R::Tracker, {channel(m.capturedView(1)), u32(v[0]), u32(v[1]), u32(v[2]), u32(v[3])});
    }
    case SosRec:
    case CallReqRec: {
        // off_on is the button going down (a press), on_off it coming back up.
        static const QLatin1String keys[] = {QLatin1String("off_on_counter"), QLatin1String("on_off_counter"),
                                             QLatin1String("state")};
        QStringView v[3];
        bodyValues(m.capturedView(1), keys, v);
        return record(pattern == SosRec ? R::Sos : R::CallReq, {u32(v[0]), u32(v[1]), u32(v[2]) == 1});
    }
    case CpuRec: {
        R r = record(R::Cpu, {0, quint16(u32(m.capturedView(2)))});
        r.real = m.capturedView(1).toDouble();
        return r;
    }
    case MemRec:
        return record(R::Mem, {u32(m.capturedView(1)), u32(m.capturedView(2)), u32(m.capturedView(3)),
                               u32(m.capturedView(4)), u32(m.capturedView(5))});
    case CanLogExtRec: {
        static const QLatin1String keys[] = {QLatin1String("flags_high"), QLatin1String("flags_low")};
        QStringView v[2];
        bodyValues(m.capturedView(1), keys, v);
        return record(R::CanLogExt, {u32(v[0]), u32(v[1])});
    }
    }
    return R();
}

sCaptures capturesOf(const QRegularExpressionMatch &m)
{
    sCaptures c;
    for (int i = 1; i <= m.lastCapturedIndex() && i < 6; ++i)
        c.cap[i] = m.capturedView(i);
    return c;
}

// The patterns of the shape name[index] = { body }, whose match needs no expression engine.
bool isBodyRecord(int pattern)
{
    switch (pattern) {
    case VinRec: case ExtVinRec: case VscapRec: case CounterRec: case FmeterRec: case CanCounterRec: case CpuRec:
    case MemRec:
        return false;
    default:
        return true;
    }
}

// Matches "\[\d+\]\s*=\s*\{\s*(.*)\s*\}" from the bracket after a known name, as the
// expression would on a line without line feeds: the body runs to the line's last closing brace.
template<class View>
bool matchBody(View line, qsizetype bracket, qsizetype close, View *body)
{
    qsizetype i = bracket + 1;
    const qsizetype digits = i;
    while (i < line.size() && isDigit(line.at(i)))
        ++i;
    if (i == digits || i >= line.size() || uc(line.at(i)) != u']')
        return false;
    ++i;
    while (i < line.size() && isBlank(line.at(i)))
        ++i;
    if (i >= line.size() || uc(line.at(i)) != u'=')
        return false;
    ++i;
    while (i < line.size() && isBlank(line.at(i)))
        ++i;
    if (i >= line.size() || uc(line.at(i)) != u'{')
        return false;
    ++i;
    while (i < line.size() && isBlank(line.at(i)))
        ++i;
    if (close < i)
        return false;
    *body = line.mid(i, close - i);
    return true;
}

// Whether "\\[\\d+\\]\\s*=\\s*\\{.*KEY\\s*=\\s*(\\d+).*\\}" matches from the bracket after a known
// name, on a line without line feeds (close: the line's last closing brace).
template<class View>
bool hasValue(View line, qsizetype bracket, qsizetype close, QLatin1String key)
{
    qsizetype i = bracket + 1;
    const qsizetype digits = i;
    while (i < line.size() && isDigit(line.at(i)))
        ++i;
    if (i == digits || i >= line.size() || uc(line.at(i)) != u']')
        return false;
    ++i;
    while (i < line.size() && isBlank(line.at(i)))
        ++i;
    if (i >= line.size() || uc(line.at(i)) != u'=')
        return false;
    ++i;
    while (i < line.size() && isBlank(line.at(i)))
        ++i;
    if (i >= line.size() || uc(line.at(i)) != u'{')
        return false;
    for (qsizetype k = i + 1; k + key.size() <= close; ++k) {
        if (line.mid(k, key.size()) != key)
            continue;
        qsizetype j = k + key.size();
        while (j < close && isBlank(line.at(j)))
            ++j;
        if (j >= close || uc(line.at(j)) != u'=')
            continue;
        ++j;
        while (j < close && isBlank(line.at(j)))
            ++j;
        if (j < close && isDigit(line.at(j)))
            return true;   // the digits run on to a character before the closing brace
    }
    return false;
}

// The captures of a body record from its name and body, numbered as in its pattern.
sCaptures bodyCaptures(int pattern, QStringView name, QStringView body)
{
    sCaptures c;
    qsizetype prefix = 0;
    switch (pattern) {
    case AinRec: case DinRec: prefix = 3; break;
    case FuelRec: prefix = 4; break;
    case CanAinRec: case CanDinRec: prefix = 7; break;
    case StorRec: prefix = 10; break;
    case TrackerRec: prefix = 8; break;
    case FuelCanRec: {
        const QStringView numbers = name.mid(4, name.size() - 8);
        const qsizetype sep = numbers.indexOf(QLatin1Char('_'));
        c.cap[1] = numbers.left(sep);
        c.cap[2] = numbers.mid(sep + 1);
        c.cap[3] = body;
        return c;
    }
    default:
        c.cap[1] = body;
        return c;
    }
    c.cap[1] = name.mid(prefix);
    c.cap[2] = body;
    return c;
}

// Tries the patterns of one step in order; the first that matches gives the step's record.
bool tryStep(const QString &line, std::initializer_list<int> step, cLogRecognizer::Records *out)
{
    for (const int p : step) {
        const QRegularExpressionMatch m = patterns().re[p].match(line);
        if (m.hasMatch()) {
            out->append(fromMatch(p, capturesOf(m)));
            return true;
        }
    }
    return false;
}

// The pattern a leading record name can match at all, by the literal text of the name; -1 for none.
template<class View>
int candidateFor(View name)
{
    const auto digits = [](View s) {
        if (s.isEmpty())
            return false;
        for (const auto c : s) {
            if (!isDigit(c))
                return false;
        }
        return true;
    };
    const auto numbered = [&](QLatin1String prefix) {
        return name.startsWith(prefix) && digits(name.mid(prefix.size()));
    };
    switch (name.isEmpty() ? 0 : uc(name.front())) {
    case 'a': return numbered(QLatin1String("ain")) ? AinRec : -1;
    case 'c':
        if (name == QLatin1String("can_log"))
            return CanLogRec;
        if (name == QLatin1String("can_log_ext"))
            return CanLogExtRec;
        if (numbered(QLatin1String("can_ain")))
            return CanAinRec;
        if (numbered(QLatin1String("can_din")))
            return CanDinRec;
        if (numbered(QLatin1String("can_counter")))
            return CanCounterRec;
        return numbered(QLatin1String("counter")) ? CounterRec : -1;
    case 'd': return numbered(QLatin1String("din")) ? DinRec : -1;
    case 'e': return name == QLatin1String("ext_vin") ? ExtVinRec : -1;
    case 'f': {
        if (name == QLatin1String("flag_sos"))
            return SosRec;
        if (name == QLatin1String("flag_call_request"))
            return CallReqRec;
        if (numbered(QLatin1String("fmeter")))
            return FmeterRec;
        if (numbered(QLatin1String("fuel")))
            return FuelRec;
        if (!name.startsWith(QLatin1String("fuel")) || !name.endsWith(QLatin1String("_can")))
            return -1;
        const View mid = name.mid(4, name.size() - 8);
        const qsizetype sep = mid.indexOf(QLatin1Char('_'));
        return sep > 0 && digits(mid.left(sep)) && digits(mid.mid(sep + 1)) ? FuelCanRec : -1;
    }
    case 'm': return name == QLatin1String("mng_gsm") ? MngGsm : -1;
    case 's':
        if (name == QLatin1String("sens_nd"))
            return SensNd;
        return numbered(QLatin1String("stor_chnl_")) ? StorRec : -1;
    case 't': return numbered(QLatin1String("tracker_")) ? TrackerRec : -1;
    case 'v':
        if (name == QLatin1String("vin"))
            return VinRec;
        if (name == QLatin1String("vscap"))
            return VscapRec;
        return name == QLatin1String("veh_bus__values__log") ? VehBus : -1;
    }
    return -1;
}

// Whether the text before position colon is phrase (lower-case ASCII), compared as the
// case-insensitive patterns compare: by Unicode case folding (so U+017F counts as 's').
template<class View>
bool phraseBefore(View line, qsizetype colon, QLatin1String phrase)
{
    if (colon < phrase.size())
        return false;
    const View text = line.mid(colon - phrase.size(), phrase.size());
    for (qsizetype i = 0; i < phrase.size(); ++i) {
        const QChar c(uc(text.at(i)));
        const char16_t folded = c.unicode() < 0x80 ? (c.unicode() >= 'A' && c.unicode() <= 'Z' ? c.unicode() + 32
                                                                                              : c.unicode())
                                                   : c.toCaseFolded().unicode();
        if (folded != char16_t(phrase.at(i).unicode()))
            return false;
    }
    return true;
}

} // namespace

void cLogRecognizer::recognizePlain(const QString &line, Records *out)
{
    tryStep(line, {SensNd}, out);
    tryStep(line, {MngGsm}, out);
    tryStep(line, {AinRec, CanAinRec}, out);
    tryStep(line, {DinRec, CanDinRec}, out);
    tryStep(line, {FuelRec, FuelCanRec}, out);
    tryStep(line, {VehBus, CanLogRec}, out);
    tryStep(line, {VinRec, ExtVinRec, VscapRec}, out);
    tryStep(line, {CounterRec, CanCounterRec}, out);
    tryStep(line, {FmeterRec}, out);
    tryStep(line, {StorRec}, out);
    tryStep(line, {TrackerRec}, out);
    tryStep(line, {SosRec, CallReqRec}, out);
    tryStep(line, {CpuRec, MemRec}, out);
    tryStep(line, {CanLogExtRec}, out);
}

void cLogRecognizer::recognize(const QString &line, Records *out)
{
    const QStringView view(line);
    qsizetype start = 0;
    while (start < view.size() && isBlank(view.at(start)))
        ++start;
    qsizetype end = start;
    while (end < view.size() && view.at(end) != QLatin1Char('['))
        ++end;
    // Only one named record can match: every name is a different literal.
    const int candidate = end < view.size() ? candidateFor(view.mid(start, end - start)) : -1;
    bool named = false;
    sLogRecord namedRecord;
    if (candidate >= 0 && isBodyRecord(candidate) && !view.contains(QLatin1Char('\n'))) {
        QStringView body;
        if (matchBody(view, end, view.lastIndexOf(QLatin1Char('}')), &body)) {
            named = true;
            namedRecord = fromMatch(candidate, bodyCaptures(candidate, view.mid(start, end - start), body));
        }
    } else if (candidate >= 0) {
        const QRegularExpressionMatch m = patterns().re[candidate].match(line);
        if (m.hasMatch()) {
            named = true;
            namedRecord = fromMatch(candidate, capturesOf(m));
        }
    }
    // The load lines are free text that may stand anywhere; each needs its phrase before a colon.
    bool cpu = false;
    bool mem = false;
    for (qsizetype colon = view.indexOf(QLatin1Char(':')); colon >= 0; colon = view.indexOf(QLatin1Char(':'), colon + 1)) {
        cpu = cpu || phraseBefore(view, colon, QLatin1String("cpu usage"));
        mem = mem || phraseBefore(view, colon, QLatin1String("partition total/used/free"));
    }
    // The load step comes before the extended CAN log and after every other named record.
    const bool namedFirst = named && candidate != CanLogExtRec;
    if (namedFirst)
        out->append(namedRecord);
    if (cpu || mem) {
        if (!(cpu && tryStep(line, {CpuRec}, out)) && mem)
            tryStep(line, {MemRec}, out);
    }
    if (named && !namedFirst)
        out->append(namedRecord);
}

QString cLogRecognizer::trimmedForView(const QString &line)
{
    qsizetype end = line.size();
    while (end > 0 && isBlank(line.at(end - 1)))
        --end;
    return end == line.size() ? line : line.left(end);
}

void cLogRecognizer::classify(QByteArrayView bytes, Kinds *out)
{
    const auto fullWay = [&] {
        Records records;
        recognize(QString::fromLatin1(bytes), &records);
        for (const sLogRecord &r : std::as_const(records))
            out->append(r.kind);
    };
    const char *data = bytes.data();
    const auto size = bytes.size();
    // A line feed changes what the patterns' white space and dot can cross: leave it to them.
    if (size == 0 || std::memchr(data, '\n', size_t(size)))
        {
        fullWay();
        return;
    }
    const QLatin1String view(data, size);
    qsizetype start = 0;
    while (start < size && isBlank(data[start]))
        ++start;
    const char *bracket = static_cast<const char *>(std::memchr(data + start, '[', size_t(size - start)));
    const qsizetype end = bracket ? bracket - data : size;
    const int candidate = bracket ? candidateFor(view.mid(start, end - start)) : -1;
    int named = -1;
    if (candidate >= 0 && isBodyRecord(candidate)) {
        qsizetype close = size - 1;
        while (close >= 0 && data[close] != '}')
            --close;
        QLatin1String body;
        if (matchBody(view, end, close, &body))
            named = candidate;
    } else if (candidate == CpuRec || candidate == MemRec) {
        // not a named record
    } else if (candidate >= 0) {
        qsizetype close = size - 1;
        while (close >= 0 && data[close] != '}')
            --close;
        const QLatin1String key = candidate == VinRec || candidate == ExtVinRec || candidate == VscapRec
                                      ? QLatin1String("mv") : QLatin1String("value");
        if (hasValue(view, end, close, key))
            named = candidate;
    }
    bool cpu = false;
    bool mem = false;
    for (const char *p = static_cast<const char *>(std::memchr(data, ':', size_t(size))); p;
         p = static_cast<const char *>(std::memchr(p + 1, ':', size_t(data + size - p - 1)))) {
        cpu = cpu || phraseBefore(view, p - data, QLatin1String("cpu usage"));
        mem = mem || phraseBefore(view, p - data, QLatin1String("partition total/used/free"));
    }
    const auto kindOf = [](int pattern) {
        switch (pattern) {
        case SensNd: return sLogRecord::Nav;
        case MngGsm: return sLogRecord::Gsm;
        case VehBus: case CanLogRec: return sLogRecord::CanLog;
        case AinRec: return sLogRecord::Ain;
        case DinRec: return sLogRecord::Din;
        case FuelRec: return sLogRecord::Fuel;
        case FuelCanRec: return sLogRecord::CanFuel;
        case CanAinRec: return sLogRecord::CanAin;
        case CanDinRec: return sLogRecord::CanDin;
        case VinRec: return sLogRecord::Vin;
        case ExtVinRec: return sLogRecord::ExtVin;
        case VscapRec: return sLogRecord::Vscap;
        case CounterRec: return sLogRecord::Counter;
        case FmeterRec: return sLogRecord::Fmeter;
        case CanCounterRec: return sLogRecord::CanCounter;
        case StorRec: return sLogRecord::Stor;
        case TrackerRec: return sLogRecord::Tracker;
        case SosRec: return sLogRecord::Sos;
        case CallReqRec: return sLogRecord::CallReq;
        case CpuRec: return sLogRecord::Cpu;
        case MemRec: return sLogRecord::Mem;
        default: return sLogRecord::CanLogExt;
        }
    };
    if (named >= 0 && named != CanLogExtRec)
        out->append(kindOf(named));
    if (cpu || mem) {
        const QString text = QString::fromLatin1(bytes);
        if (cpu && patterns().re[CpuRec].match(text).hasMatch())
            out->append(sLogRecord::Cpu);
        else if (mem && patterns().re[MemRec].match(text).hasMatch())
            out->append(sLogRecord::Mem);
    }
    if (named == CanLogExtRec)
        out->append(sLogRecord::CanLogExt);
}

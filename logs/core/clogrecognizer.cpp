#include "logs/core/clogrecognizer.h"

#include "logs/core/clogpatterns.h"
#include "logs/core/clogrecordbuilder.h"
#include "logs/core/logchars.h"

#include <QRegularExpression>

#include <cstring>

#include <initializer_list>

using namespace logchars;
using namespace logpattern;

namespace {

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

// Where a body starts: the position after "\[\d+\]\s*=\s*\{" from the bracket after a known
// name, or -1 when the line does not go on so.
template<class View>
qsizetype bodyStart(View line, qsizetype bracket)
{
    qsizetype i = bracket + 1;
    const qsizetype digits = i;
    while (i < line.size() && isDigit(line.at(i)))
        ++i;
    if (i == digits || i >= line.size() || uc(line.at(i)) != u']')
        return -1;
    ++i;
    while (i < line.size() && isBlank(line.at(i)))
        ++i;
    if (i >= line.size() || uc(line.at(i)) != u'=')
        return -1;
    ++i;
    while (i < line.size() && isBlank(line.at(i)))
        ++i;
    if (i >= line.size() || uc(line.at(i)) != u'{')
        return -1;
    return i + 1;
}

// Matches "\[\d+\]\s*=\s*\{\s*(.*)\s*\}" from the bracket after a known name, as the
// expression would on a line without line feeds: the body runs to the line's last closing brace.
template<class View>
bool matchBody(View line, qsizetype bracket, qsizetype close, View *body)
{
    qsizetype i = bodyStart(line, bracket);
    if (i < 0)
        return false;
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
    const qsizetype start = bodyStart(line, bracket);
    if (start < 0)
        return false;
    for (qsizetype k = start; k + key.size() <= close; ++k) {
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
sLogCaptures bodyCaptures(int pattern, QStringView name, QStringView body)
{
    sLogCaptures c;
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
        const QRegularExpressionMatch m = cLogPatterns::pattern(p).match(line);
        if (m.hasMatch()) {
            out->append(cLogRecordBuilder::fromCaptures(p, cLogRecordBuilder::capturesOf(m)));
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
            namedRecord = cLogRecordBuilder::fromCaptures(candidate, bodyCaptures(candidate, view.mid(start, end - start), body));
        }
    } else if (candidate >= 0) {
        const QRegularExpressionMatch m = cLogPatterns::pattern(candidate).match(line);
        if (m.hasMatch()) {
            named = true;
            namedRecord = cLogRecordBuilder::fromCaptures(candidate, cLogRecordBuilder::capturesOf(m));
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
        if (cpu && cLogPatterns::pattern(CpuRec).match(text).hasMatch())
            out->append(sLogRecord::Cpu);
        else if (mem && cLogPatterns::pattern(MemRec).match(text).hasMatch())
            out->append(sLogRecord::Mem);
    }
    if (named == CanLogExtRec)
        out->append(sLogRecord::CanLogExt);
}

#include "logs/core/clogrecordbuilder.h"

#include "logs/core/clogpatterns.h"
#include "logs/core/logchars.h"

#include <QRegularExpressionMatch>

#include <initializer_list>

using namespace logchars;
using namespace logpattern;

namespace {

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

} // namespace

sLogRecord cLogRecordBuilder::fromCaptures(int pattern, const sLogCaptures &m)
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

sLogCaptures cLogRecordBuilder::capturesOf(const QRegularExpressionMatch &m)
{
    sLogCaptures c;
    for (int i = 1; i <= m.lastCapturedIndex() && i < 6; ++i)
        c.cap[i] = m.capturedView(i);
    return c;
}

#include "logs/core/clogrecord.h"

#include <QLocale>

#include <cmath>

namespace {

struct sArg
{
    const char *name;
    sLogRecord::eArgType type;
};

struct sKindInfo
{
    const char *signal;
    int count;
    sArg args[sLogRecord::kMaxArgs];
};

using A = sLogRecord;

const sKindInfo kKinds[sLogRecord::KindCount] = {
    {"nav", 6, {{"tm", A::U32}, {"lon", A::I32}, {"lat", A::I32}, {"alt", A::I32}, {"sat", A::U8}, {"valid", A::Bool}}},
    {"gsm", 3, {{"net", A::Text}, {"csq", A::U8}, {"state", A::U8}}},
    {"ain", 2, {{"num", A::U8}, {"val", A::U32}}},
    {"din", 2, {{"num", A::U8}, {"val", A::U8}}},
    {"fuel", 3, {{"num", A::U8}, {"val", A::Real}, {"t", A::U32}}},
    {"canLog", 6, {{"rpm", A::U16}, {"flevel", A::U16}, {"temp", A::I16}, {"uptime", A::U32}, {"fconall", A::U32},
                   {"odometer", A::U32}}},
    {"canain", 2, {{"num", A::U8}, {"val", A::U32}}},
    {"candin", 2, {{"num", A::U8}, {"val", A::U8}}},
    {"canfuel", 4, {{"num", A::U8}, {"chanel", A::U8}, {"val", A::Real}, {"t", A::U32}}},
    {"vin", 1, {{"val", A::U32}}},
    {"extvin", 1, {{"val", A::U32}}},
    {"vscap", 1, {{"val", A::U32}}},
    {"counter", 2, {{"num", A::U8}, {"val", A::U32}}},
    {"fmeter", 2, {{"num", A::U8}, {"val", A::U32}}},
    {"cancounter", 2, {{"num", A::U8}, {"val", A::U32}}},
    {"stor", 9, {{"cnum", A::U8}, {"id_max", A::U32}, {"id_min", A::U32}, {"tm_oldest", A::U32},
                 {"tm_oldest_unack", A::U32}, {"cnt_unack", A::U32}, {"cnt_unack_losted", A::U32},
                 {"cnt_ack_from_start", A::U32}, {"cnt_add_from_start", A::U32}}},
    {"tracker", 5, {{"cnum", A::U8}, {"cnt_ack", A::U32}, {"cnt_ack_realtime", A::U32}, {"cnt_noack", A::U32},
                    {"cnt_connect", A::U32}}},
    {"sos", 3, {{"presses", A::U32}, {"releases", A::U32}, {"state", A::Bool}}},
    {"callreq", 3, {{"presses", A::U32}, {"releases", A::U32}, {"state", A::Bool}}},
    {"cpu", 2, {{"cpu", A::Real}, {"threads", A::U16}}},
    {"mem", 5, {{"hTotal", A::U32}, {"hUsed", A::U32}, {"mTotal", A::U32}, {"mUsed", A::U32}, {"mMin", A::U32}}},
    {"canlogext", 2, {{"high", A::U32}, {"low", A::U32}}},
};

void appendJsonString(QByteArray *out, const QString &text)
{
    static const char hex[] = "0123456789abcdef";
    out->append('"');
    for (const char c : text.toUtf8()) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out->append('\\');
            out->append(c);
        } else if (u < 0x20) {
            out->append("\\u00");
            out->append(hex[u >> 4]);
            out->append(hex[u & 15]);
        } else {
            out->append(c);
        }
    }
    out->append('"');
}

} // namespace

const char *sLogRecord::signalName(eKind kind)
{
    return kKinds[kind].signal;
}

int sLogRecord::argumentCount(eKind kind)
{
    return kKinds[kind].count;
}

const char *sLogRecord::argumentName(eKind kind, int index)
{
    return kKinds[kind].args[index].name;
}

sLogRecord::eArgType sLogRecord::argumentType(eKind kind, int index)
{
    return kKinds[kind].args[index].type;
}

QByteArray sLogRecord::toJson() const
{
    QByteArray out;
    out.reserve(160);
    out += "{\"signal\":\"";
    out += signalName(kind);
    out += '"';
    for (int i = 0; i < argumentCount(kind); ++i) {
        out += ",\"";
        out += argumentName(kind, i);
        out += "\":";
        switch (argumentType(kind, i)) {
        case Bool: out += values[i] ? "true" : "false"; break;
        case Text: appendJsonString(&out, text); break;
        case Real:
            // JSON has no NaN or infinity; a unit printing "inf" gets null.
            out += std::isfinite(real) ? QByteArray::number(real, 'g', QLocale::FloatingPointShortest) : QByteArray("null");
            break;
        default: out += QByteArray::number(values[i]); break;
        }
    }
    out += '}';
    return out;
}

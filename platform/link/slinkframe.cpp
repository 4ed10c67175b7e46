#include "platform/link/slinkframe.h"

#include "platform/link/linkprotocol.h"

#include <array>

namespace {

constexpr std::array<quint32, 256> makeTable()
{
    std::array<quint32, 256> table{};
    for (quint32 i = 0; i < 256; ++i) {
        quint32 c = i;
        for (int k = 0; k < 8; ++k)
            c = (c & 1u) ? (0xEDB88320u ^ (c >> 1)) : (c >> 1);
        table[i] = c;
    }
    return table;
}

constexpr std::array<quint32, 256> kTable = makeTable();

inline bool isSpecial(quint8 b)
{
    return b == zlink::kStartMarker || b == zlink::kEndMarker || b == zlink::kEscape;
}

void putStuffed(QByteArray *out, quint8 b)
{
    if (isSpecial(b)) {
        out->append(char(zlink::kEscape));
        out->append(char(b ^ zlink::kEscapeXor));
    } else {
        out->append(char(b));
    }
}

} // namespace

namespace zlink {

quint32 crc32(const char *data, qsizetype length, quint32 previous)
{
    quint32 c = ~previous;
    const auto *p = reinterpret_cast<const quint8 *>(data);
    for (qsizetype i = 0; i < length; ++i)
        c = kTable[(c ^ p[i]) & 0xFFu] ^ (c >> 8);
    return ~c;
}

void appendEncodedFrame(QByteArray *out, const sLinkFrame &frame)
{
    const int n = int(frame.payload.size());
    char head[kHeaderSize];
    head[0] = char(frame.type);
    head[1] = char(frame.id & 0xFF);
    head[2] = char(frame.id >> 8);
    for (int i = 0; i < 4; ++i)
        head[3 + i] = char((frame.seq >> (8 * i)) & 0xFF);
    head[7] = char(n & 0xFF);
    head[8] = char((n >> 8) & 0xFF);
    quint32 crc = crc32(head, kHeaderSize);
    crc = crc32(frame.payload.constData(), n, crc);

    out->reserve(out->size() + kHeaderSize + n + n / 64 + 16);
    out->append(char(kStartMarker));
    for (char c : head)
        putStuffed(out, quint8(c));
    const auto *p = reinterpret_cast<const quint8 *>(frame.payload.constData());
    for (int i = 0; i < n; ++i)
        putStuffed(out, p[i]);
    for (int i = 0; i < 4; ++i)
        putStuffed(out, quint8((crc >> (8 * i)) & 0xFF));
    out->append(char(kEndMarker));
}

QByteArray encodeFrame(const sLinkFrame &frame)
{
    QByteArray out;
    appendEncodedFrame(&out, frame);
    return out;
}

} // namespace zlink

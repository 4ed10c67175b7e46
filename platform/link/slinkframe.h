#pragma once

#include <QByteArray>
#include <QtGlobal>

/** One frame of the unit link, as it is before stuffing. */
struct sLinkFrame
{
    quint8 type = 0;
    quint16 id = 0;
    quint32 seq = 0;
    QByteArray payload;
};

namespace zlink {

/** CRC-32 (IEEE 802.3, reflected, as zlib's crc32); pass the previous value to continue. */
quint32 crc32(const char *data, qsizetype length, quint32 previous = 0);
inline quint32 crc32(const QByteArray &data, quint32 previous = 0)
{
    return crc32(data.constData(), data.size(), previous);
}

/** The stuffed bytes of a frame, start and end marker included. */
QByteArray encodeFrame(const sLinkFrame &frame);
void appendEncodedFrame(QByteArray *out, const sLinkFrame &frame);

/** Line bytes for a payload of n bytes in the worst case (every byte escaped). */
constexpr int maxEncodedSize(int payload) { return 2 + 2 * (9 + payload + 4); }

} // namespace zlink

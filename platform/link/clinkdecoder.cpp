#include "platform/link/clinkdecoder.h"

#include <QtEndian>

cLinkDecoder::cLinkDecoder(int maxPayload)
    : m_maxPayload(maxPayload)
{
}

void cLinkDecoder::reset()
{
    m_inFrame = false;
    m_escaped = false;
    m_skipping = false;
    m_frame.clear();
}

void cLinkDecoder::dropFrame()
{
    ++m_damaged;
    reset();
}

void cLinkDecoder::feed(const char *data, int length, QList<sLinkChunk> *out)
{
    QByteArray text;
    auto flushText = [&] {
        if (text.isEmpty())
            return;
        if (!out->isEmpty() && !out->last().isFrame) {
            out->last().text.append(text);
        } else {
            sLinkChunk chunk;
            chunk.text = text;
            out->append(chunk);
        }
        text.clear();
    };

    const int maxUnstuffed = zlink::kHeaderSize + m_maxPayload + zlink::kCrcSize;
    for (int i = 0; i < length; ++i) {
        const quint8 b = quint8(data[i]);
        if (b == zlink::kStartMarker) {
            m_skipping = false;
            if (m_inFrame)
                dropFrame(); // cut by a new frame: the end marker was lost
            flushText();
            m_inFrame = true;
            m_escaped = false;
            m_frame.clear();
            continue;
        }
        if (m_skipping) {
            if (b == zlink::kEndMarker)
                m_skipping = false;
            continue;
        }
        if (!m_inFrame) {
            text.append(char(b));
            continue;
        }
        if (b == zlink::kEndMarker) {
            if (m_escaped)
                dropFrame();
            else
                endFrame(out);
            continue;
        }
        quint8 value = b;
        if (m_escaped) {
            value = b ^ zlink::kEscapeXor;
            m_escaped = false;
            if (value != zlink::kStartMarker && value != zlink::kEndMarker && value != zlink::kEscape) {
                dropFrame();
                m_skipping = true;
                continue;
            }
        } else if (b == zlink::kEscape) {
            m_escaped = true;
            continue;
        }
        if (m_frame.size() >= zlink::kHeaderSize) {
            const int declared = qFromLittleEndian<quint16>(m_frame.constData() + 7);
            if (declared > m_maxPayload || m_frame.size() >= maxUnstuffed) {
                // A broken header: the rest up to the next marker is frame garbage, not text.
                dropFrame();
                m_skipping = true;
                continue;
            }
            if (m_frame.size() == zlink::kHeaderSize + declared + zlink::kCrcSize) {
                // Complete by its length but no end marker: the marker was damaged. What follows
                // belongs to the text again.
                dropFrame();
                --i;
                continue;
            }
        }
        m_frame.append(char(value));
    }
    flushText();
}

void cLinkDecoder::endFrame(QList<sLinkChunk> *out)
{
    m_inFrame = false;
    const QByteArray raw = m_frame;
    m_frame.clear();
    if (raw.size() < zlink::kHeaderSize + zlink::kCrcSize) {
        ++m_damaged;
        return;
    }
    const char *p = raw.constData();
    const int declared = qFromLittleEndian<quint16>(p + 7);
    if (raw.size() != zlink::kHeaderSize + declared + zlink::kCrcSize) {
        ++m_damaged;
        return;
    }
    const int body = zlink::kHeaderSize + declared;
    const quint32 crc = qFromLittleEndian<quint32>(p + body);
    if (crc != zlink::crc32(p, body)) {
        ++m_damaged;
        return;
    }
    sLinkChunk chunk;
    chunk.isFrame = true;
    chunk.frame.type = quint8(p[0]);
    chunk.frame.id = qFromLittleEndian<quint16>(p + 1);
    chunk.frame.seq = qFromLittleEndian<quint32>(p + 3);
    chunk.frame.payload = raw.mid(zlink::kHeaderSize, declared);
    out->append(chunk);
    ++m_good;
}

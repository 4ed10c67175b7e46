#include "platform/link/clinkrxwindow.h"

#include "platform/link/linkprotocol.h"

#include <QtEndian>

void cLinkRxWindow::start(qint64 size, int blockSize, int window)
{
    m_size = qMax<qint64>(0, size);
    m_blockSize = qMax(1, blockSize);
    m_window = qBound(1, window, zlink::kMaxWindow);
    m_blocks = int((m_size + m_blockSize - 1) / m_blockSize);
    m_data = QByteArray(m_size, Qt::Uninitialized);
    m_have = QVector<bool>(m_blocks, false);
    m_inOrder = 0;
    m_count = 0;
    m_last = 0xFFFFFFFFu;
}

cLinkRxWindow::eAccept cLinkRxWindow::accept(quint32 seq, const QByteArray &payload)
{
    if (seq >= quint32(m_blocks))
        return Invalid;
    const qint64 offset = qint64(seq) * m_blockSize;
    const qint64 expected = qMin<qint64>(m_blockSize, m_size - offset);
    if (payload.size() != expected)
        return Invalid;
    m_last = seq;
    if (m_have[int(seq)])
        return Duplicate;
    memcpy(m_data.data() + offset, payload.constData(), size_t(expected));
    m_have[int(seq)] = true;
    ++m_count;
    while (m_inOrder < m_blocks && m_have[m_inOrder])
        ++m_inOrder;
    return Accepted;
}

sLinkFrame cLinkRxWindow::makeAck(quint16 id) const
{
    sLinkFrame f;
    f.type = zlink::FrameAck;
    f.id = id;
    f.seq = quint32(m_inOrder);
    const int bytes = (m_window + 7) / 8;
    f.payload = QByteArray(4 + bytes, '\0');
    qToLittleEndian<quint32>(m_last, f.payload.data());
    for (int i = 0; i < m_window; ++i) {
        const int b = m_inOrder + 1 + i;
        if (b < m_blocks && m_have[b])
            f.payload[4 + i / 8] = char(quint8(f.payload[4 + i / 8]) | (1u << (i % 8)));
    }
    return f;
}

int cLinkRxWindow::percent() const
{
    if (m_blocks == 0)
        return 100;
    return int(qint64(m_count) * 100 / m_blocks);
}

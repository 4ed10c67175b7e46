#pragma once

#include "platform/link/slinkframe.h"

#include <QByteArray>
#include <QVector>
#include <QtGlobal>

/** Receiver half of a block transfer: collects blocks in any order and builds the acks. */
class cLinkRxWindow
{
public:
    enum eAccept { Invalid, Duplicate, Accepted };

    /** The caller has checked size against its limit; the buffer is allocated here once. */
    void start(qint64 size, int blockSize, int window);
    eAccept accept(quint32 seq, const QByteArray &payload);
    sLinkFrame makeAck(quint16 id) const;

    bool complete() const { return m_inOrder >= m_blocks; }
    int blocks() const { return m_blocks; }
    int receivedBlocks() const { return m_count; }
    int percent() const;
    const QByteArray &data() const { return m_data; }
    QByteArray takeData() { return std::move(m_data); }

private:
    QByteArray m_data;
    QVector<bool> m_have;
    qint64 m_size = 0;
    int m_blockSize = 1;
    int m_window = 1;
    int m_blocks = 0;
    int m_inOrder = 0;
    int m_count = 0;
    quint32 m_last = 0xFFFFFFFFu; // none yet
};

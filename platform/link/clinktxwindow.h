#pragma once

#include <QByteArray>
#include <QVector>
#include <QtGlobal>

/**
 * Sender half of a block transfer: which block goes out next. Keeps at most `window` blocks
 * unacknowledged, resends exactly the blocks that acks prove lost (sent before the block the
 * receiver saw last, on a line that keeps order), and probes the oldest missing block when
 * acknowledgements stop for longer than the measured round trip allows.
 */
class cLinkTxWindow
{
public:
    void start(int blocks, int window, qint64 nowMs);

    /** The block to send now, or -1. */
    int next(qint64 nowMs);
    void sent(int block, qint64 nowMs);
    /** Applies an ack; true when it acknowledged something new. */
    bool ack(quint32 inOrder, const QByteArray &payload, qint64 nowMs);

    bool complete() const { return m_base >= m_blocks; }
    int blocks() const { return m_blocks; }
    int ackedBlocks() const { return m_acked; }
    qint64 lastProgressMs() const { return m_lastProgress; }
    bool lastWasResend() const { return m_lastWasResend; }
    int rtoMs() const;

private:
    int m_blocks = 0;
    int m_window = 1;
    int m_base = 0;
    int m_nextNew = 0;
    int m_acked = 0;
    quint64 m_counter = 0;
    QVector<quint64> m_order;   // transmission number of each block's latest copy, 0 = never sent
    QVector<qint64> m_sentAt;
    QVector<bool> m_done;
    QVector<bool> m_lost;
    QVector<bool> m_resent;
    qint64 m_lastProgress = 0;
    qint64 m_lastAck = 0;        // last ack that reported something new
    quint32 m_prevLast = 0xFFFFFFFFu;
    qint64 m_lastProbe = 0;
    double m_srtt = -1;
    double m_rttvar = 0;
    bool m_lastWasResend = false;
};

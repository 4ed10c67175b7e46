#include "platform/link/clinktxwindow.h"

#include <QtEndian>

#include <algorithm>
#include <cmath>

void cLinkTxWindow::start(int blocks, int window, qint64 nowMs)
{
    m_blocks = qMax(0, blocks);
    m_window = qMax(1, window);
    m_base = 0;
    m_nextNew = 0;
    m_acked = 0;
    m_counter = 0;
    m_order = QVector<quint64>(m_blocks, 0);
    m_sentAt = QVector<qint64>(m_blocks, 0);
    m_done = QVector<bool>(m_blocks, false);
    m_lost = QVector<bool>(m_blocks, false);
    m_resent = QVector<bool>(m_blocks, false);
    m_lastProgress = nowMs;
    m_lastAck = nowMs;
    m_lastProbe = nowMs;
    m_lastWasResend = false;
}

int cLinkTxWindow::rtoMs() const
{
    if (m_srtt < 0)
        return 300;
    return int(std::clamp(m_srtt + 4.0 * m_rttvar + 20.0, 20.0, 3000.0));
}

int cLinkTxWindow::next(qint64 nowMs)
{
    if (complete())
        return -1;
    const int end = qMin(m_nextNew, m_base + m_window);
    for (int b = m_base; b < end; ++b) {
        if (m_lost[b] && !m_done[b]) {
            m_lastWasResend = true;
            return b;
        }
    }
    if (m_nextNew < m_blocks && m_nextNew < m_base + m_window) {
        m_lastWasResend = false;
        return m_nextNew;
    }
    // Nothing new may go out. While acks keep coming, every loss is proven by a later block and
    // resent above; only when the acks stop altogether (the last blocks or their acks were
    // damaged) is the oldest missing block sent again, one per time-out, so a slow line that is
    // merely full never gets flooded with copies.
    const int rto = rtoMs();
    if (nowMs - qMax(m_lastAck, m_lastProbe) >= rto) {
        for (int b = m_base; b < end; ++b) {
            if (!m_done[b] && nowMs - m_sentAt[b] >= rto) {
                m_lastProbe = nowMs;
                m_lastWasResend = true;
                return b;
            }
        }
    }
    return -1;
}

void cLinkTxWindow::sent(int block, qint64 nowMs)
{
    if (block < 0 || block >= m_blocks)
        return;
    if (block == m_nextNew)
        ++m_nextNew;
    if (m_order[block] != 0)
        m_resent[block] = true;
    m_order[block] = ++m_counter;
    m_sentAt[block] = nowMs;
    m_lost[block] = false;
}

bool cLinkTxWindow::ack(quint32 inOrder, const QByteArray &payload, qint64 nowMs)
{
    if (payload.size() < 4 || inOrder > quint32(m_blocks))
        return false;
    const quint32 last = qFromLittleEndian<quint32>(payload.constData());
    // Only an ack that reports a newly received frame shows the line is still delivering; the
    // receiver's repeats of the same ack do not hold off the time-out.
    if (last != m_prevLast)
        m_lastAck = nowMs;
    m_prevLast = last;
    bool progress = false;
    auto markDone = [&](int b) {
        if (b < 0 || b >= m_nextNew || m_done[b])
            return;
        m_done[b] = true;
        ++m_acked;
        progress = true;
    };
    for (int b = m_base; b < int(inOrder); ++b)
        markDone(b);
    const int bits = int(payload.size() - 4) * 8;
    for (int i = 0; i < bits; ++i) {
        if (quint8(payload[4 + i / 8]) & (1u << (i % 8)))
            markDone(int(inOrder) + 1 + i);
    }
    if (last < quint32(m_nextNew) && m_order[int(last)] != 0) {
        const bool fresh = !m_done[int(last)];
        markDone(int(last));
        // Only first copies give a round trip: for a resent block the ack may be the first copy's.
        if (fresh && !m_resent[int(last)]) {
            const double sample = double(nowMs - m_sentAt[int(last)]);
            if (m_srtt < 0) {
                m_srtt = sample;
                m_rttvar = sample / 2;
            } else {
                m_rttvar = 0.75 * m_rttvar + 0.25 * std::abs(m_srtt - sample);
                m_srtt = 0.875 * m_srtt + 0.125 * sample;
            }
        }
        const quint64 seen = m_order[int(last)];
        const int end = qMin(m_nextNew, m_base + m_window);
        for (int b = m_base; b < end; ++b) {
            if (!m_done[b] && m_order[b] != 0 && m_order[b] < seen)
                m_lost[b] = true;
        }
    }
    while (m_base < m_blocks && m_done[m_base])
        ++m_base;
    if (progress) {
        m_lastProgress = nowMs;
        m_lastAck = nowMs;
    }
    return progress;
}

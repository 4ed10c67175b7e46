#include "sim/csimlinepipe.h"

#include <algorithm>

namespace {
// geometric_distribution needs 0 < p <= 1; a zero rate never draws from it.
double usableRate(double p)
{
    return p > 0.0 ? std::min(p, 1.0) : 0.5;
}
} // namespace

cSimLinePipe::cSimLinePipe(double flipRate, double dropRate, int delayMs, int baud, quint64 seed)
    : m_flipRate(flipRate)
    , m_dropRate(dropRate)
    , m_delayUs(qint64(delayMs) * 1000)
    , m_bucket(baud > 0 ? baud / 10.0 : 0.0)
    , m_rng(seed)
    , m_flipGap(usableRate(flipRate))
    , m_dropGap(usableRate(dropRate))
{
    if (m_flipRate > 0.0)
        m_untilFlip = m_flipGap(m_rng);
    if (m_dropRate > 0.0)
        m_untilDrop = m_dropGap(m_rng);
}

void cSimLinePipe::applyFlips(QByteArray *data)
{
    const long long n = data->size();
    long long pos = 0;
    char *p = nullptr;
    while (pos + m_untilFlip < n) {
        if (!p)
            p = data->data();
        pos += m_untilFlip;
        p[pos] = char(quint8(p[pos]) ^ quint8(1u << (m_rng() % 8)));
        ++m_flipped;
        ++pos;
        m_untilFlip = m_flipGap(m_rng);
    }
    m_untilFlip -= n - pos;
}

QByteArray cSimLinePipe::applyDrops(const QByteArray &data)
{
    const long long n = data.size();
    if (m_untilDrop >= n) {
        m_untilDrop -= n;
        return data;
    }
    QByteArray out;
    out.reserve(data.size());
    long long pos = 0;
    while (pos + m_untilDrop < n) {
        out.append(data.constData() + pos, qsizetype(m_untilDrop));
        pos += m_untilDrop + 1;
        ++m_dropped;
        m_untilDrop = m_dropGap(m_rng);
    }
    out.append(data.constData() + pos, qsizetype(n - pos));
    m_untilDrop -= n - pos;
    return out;
}

void cSimLinePipe::push(const QByteArray &data, qint64 nowUs)
{
    if (data.isEmpty())
        return;
    QByteArray bytes = data;
    if (m_flipRate > 0.0)
        applyFlips(&bytes);
    if (m_dropRate > 0.0)
        bytes = applyDrops(bytes);
    if (bytes.isEmpty())
        return;
    m_size += bytes.size();
    m_chunks.push_back(sChunk{bytes, 0, nowUs + m_delayUs});
}

QByteArray cSimLinePipe::peek(qint64 nowUs, qint64 max)
{
    max = std::min(max, m_bucket.available(nowUs));
    QByteArray out;
    for (const sChunk &c : m_chunks) {
        if (max <= 0 || c.readyUs > nowUs)
            break;
        const qint64 take = std::min<qint64>(max, c.data.size() - c.offset);
        out.append(c.data.constData() + c.offset, qsizetype(take));
        max -= take;
    }
    return out;
}

void cSimLinePipe::consume(qint64 n)
{
    m_bucket.consume(n);
    m_size -= n;
    while (n > 0 && !m_chunks.empty()) {
        sChunk &c = m_chunks.front();
        const qint64 left = c.data.size() - c.offset;
        if (n >= left) {
            n -= left;
            m_chunks.pop_front();
        } else {
            c.offset += qsizetype(n);
            n = 0;
        }
    }
}

qint64 cSimLinePipe::waitUs(qint64 nowUs)
{
    if (m_chunks.empty())
        return -1;
    const qint64 untilReady = std::max<qint64>(0, m_chunks.front().readyUs - nowUs);
    return std::max(untilReady, m_bucket.waitUs(nowUs));
}

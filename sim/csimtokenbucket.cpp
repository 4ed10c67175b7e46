#include "sim/csimtokenbucket.h"

#include <algorithm>
#include <cmath>
#include <limits>

cSimTokenBucket::cSimTokenBucket(double bytesPerSecond)
    : m_rate(bytesPerSecond > 0.0 ? bytesPerSecond : 0.0)
{
    // 10 ms of line time, but never less than one byte: fine-grained enough that a reader
    // sees a steady stream, coarse enough that the poll loop is not woken per byte.
    m_burst = std::max(1.0, m_rate / 100.0);
}

void cSimTokenBucket::refill(qint64 nowUs)
{
    if (m_lastUs < 0) {
        m_lastUs = nowUs;
        m_tokens = m_burst;
        return;
    }
    if (nowUs > m_lastUs) {
        m_tokens = std::min(m_burst, m_tokens + m_rate * double(nowUs - m_lastUs) / 1e6);
        m_lastUs = nowUs;
    }
}

qint64 cSimTokenBucket::available(qint64 nowUs)
{
    if (!isLimited())
        return std::numeric_limits<qint64>::max();
    refill(nowUs);
    return qint64(std::floor(m_tokens));
}

void cSimTokenBucket::consume(qint64 bytes)
{
    if (isLimited())
        m_tokens -= double(bytes);
}

qint64 cSimTokenBucket::waitUs(qint64 nowUs)
{
    if (!isLimited())
        return 0;
    refill(nowUs);
    if (m_tokens >= 1.0)
        return 0;
    return qint64(std::ceil((1.0 - m_tokens) * 1e6 / m_rate));
}

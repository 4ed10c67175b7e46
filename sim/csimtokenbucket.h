#pragma once

#include <QtGlobal>

/**
 * Paces bytes to a line speed. Tokens accrue continuously at the byte rate up to a small burst,
 * so a slow line never releases more than a few milliseconds' worth at once.
 */
class cSimTokenBucket
{
public:
    /** bytesPerSecond <= 0 means unlimited. */
    explicit cSimTokenBucket(double bytesPerSecond = 0.0);

    bool isLimited() const { return m_rate > 0.0; }
    /** Whole bytes that may go now. */
    qint64 available(qint64 nowUs);
    void consume(qint64 bytes);
    /** Microseconds from now until at least one byte may go (0 when one may go now). */
    qint64 waitUs(qint64 nowUs);

private:
    void refill(qint64 nowUs);

    double m_rate = 0.0;
    double m_burst = 0.0;
    double m_tokens = 0.0;
    qint64 m_lastUs = -1;
};

#pragma once

#include "sim/csimtokenbucket.h"

#include <QByteArray>

#include <deque>
#include <random>

/**
 * One direction of the simulated serial line: bytes pushed in come out after the configured
 * latency, at the configured speed, with the configured bit flips and losses. The random
 * choices depend only on the seed and the byte positions, so a run can be repeated.
 */
class cSimLinePipe
{
public:
    cSimLinePipe(double flipRate, double dropRate, int delayMs, int baud, quint64 seed);

    /** Takes a chunk that entered the line now; faults are applied at once. */
    void push(const QByteArray &data, qint64 nowUs);
    /** Bytes held (delayed, throttled or not yet taken). */
    qint64 size() const { return m_size; }
    bool isEmpty() const { return m_size == 0; }
    /** Up to max bytes that may leave now, without taking them. */
    QByteArray peek(qint64 nowUs, qint64 max);
    /** Takes the first n bytes (n at most what peek gave). */
    void consume(qint64 n);
    /** Microseconds until more bytes may leave: 0 now, -1 never (empty). */
    qint64 waitUs(qint64 nowUs);

    quint64 flippedBytes() const { return m_flipped; }
    quint64 droppedBytes() const { return m_dropped; }

private:
    struct sChunk
    {
        QByteArray data;
        qsizetype offset = 0;
        qint64 readyUs = 0;
    };

    void applyFlips(QByteArray *data);
    QByteArray applyDrops(const QByteArray &data);

    double m_flipRate;
    double m_dropRate;
    qint64 m_delayUs;
    cSimTokenBucket m_bucket;
    std::mt19937_64 m_rng;
    std::geometric_distribution<long long> m_flipGap;
    std::geometric_distribution<long long> m_dropGap;
    long long m_untilFlip = 0;
    long long m_untilDrop = 0;
    std::deque<sChunk> m_chunks;
    qint64 m_size = 0;
    quint64 m_flipped = 0;
    quint64 m_dropped = 0;
};

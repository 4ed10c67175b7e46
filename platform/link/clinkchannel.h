#pragma once

#include <QtGlobal>

#include <memory>

class iLinkTransport;

/** Faults and pacing of one direction of an in-process line. */
struct sLinkFaults
{
    double flipRate = 0.0;       // chance per byte that one bit is inverted
    double dropRate = 0.0;       // chance per byte that it is lost
    int latencyMs = 0;           // added to every byte's delivery
    qint64 bytesPerSecond = 0;   // 0: as fast as the reader takes them
    quint32 seed = 1;
};

/**
 * A duplex in-process byte line with two ends, like the two sides of a serial cable, with bit
 * flips, lost bytes, latency, a line rate and hang-up. Both ends may be used from different
 * threads. Used by the autotests and the transfer benchmark.
 */
class cLinkChannel
{
public:
    enum eDirection { ToUnit = 0, ToHost = 1 };

    cLinkChannel();
    ~cLinkChannel();
    Q_DISABLE_COPY_MOVE(cLinkChannel)

    iLinkTransport *hostEnd();
    iLinkTransport *unitEnd();

    void setFaults(eDirection direction, const sLinkFaults &faults);
    /** Both ends fail from now on, as when the cable is pulled. */
    void hangUp();
    /** Bytes written in that direction and not yet read (in flight on the line). */
    int pending(eDirection direction) const;
    /** Bytes ever written in that direction. */
    quint64 written(eDirection direction) const;
    quint64 damaged(eDirection direction) const; // flipped or dropped bytes

private:
    struct sImpl;
    std::unique_ptr<sImpl> d;
};

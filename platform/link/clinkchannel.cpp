#include "platform/link/clinkchannel.h"

#include "platform/link/ilinktransport.h"

#include <QByteArray>
#include <QRandomGenerator>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>

namespace {

using tClock = std::chrono::steady_clock;

struct sSegment
{
    QByteArray bytes;
    tClock::time_point start; // when its first byte starts to cross the line (latency included)
    qint64 rate = 0;          // bytes per second, 0: all at once
};

qsizetype arrivedBytes(const sSegment &s, tClock::time_point now)
{
    if (now < s.start)
        return 0;
    if (s.rate <= 0)
        return s.bytes.size();
    const qint64 ns = std::chrono::duration_cast<std::chrono::nanoseconds>(now - s.start).count();
    const qint64 n = qint64(double(ns) * double(s.rate) / 1e9);
    return qsizetype(qMin<qint64>(n, s.bytes.size()));
}

} // namespace

struct cLinkChannel::sImpl
{
    struct sDirection
    {
        sLinkFaults faults;
        QRandomGenerator rng{1};
        std::deque<sSegment> queue;
        qsizetype headOffset = 0;
        qsizetype pending = 0;
        tClock::time_point lineFree = tClock::now();
        quint64 written = 0;
        quint64 damaged = 0;
    };

    class cEnd : public iLinkTransport
    {
    public:
        cEnd(sImpl *owner, int out, int in) : m_owner(owner), m_out(out), m_in(in) {}
        int write(const char *data, int length) override { return m_owner->write(m_out, data, length); }
        int read(char *buffer, int capacity, int timeoutMs) override
        {
            return m_owner->read(m_in, buffer, capacity, timeoutMs);
        }
        void discardOutput() override { m_owner->discard(m_out); }

    private:
        sImpl *m_owner;
        int m_out;
        int m_in;
    };

    int write(int dir, const char *data, int length);
    int read(int dir, char *buffer, int capacity, int timeoutMs);
    void discard(int dir);

    mutable std::mutex lock;
    std::condition_variable changed;
    sDirection dirs[2];
    bool hungUp = false;
    cEnd host{this, ToUnit, ToHost};
    cEnd unit{this, ToHost, ToUnit};
};

int cLinkChannel::sImpl::write(int dir, const char *data, int length)
{
    if (length <= 0)
        return 0;
    std::lock_guard<std::mutex> g(lock);
    if (hungUp)
        return -1;
    sDirection &d = dirs[dir];
    sSegment seg;
    seg.bytes.reserve(length);
    for (int i = 0; i < length; ++i) {
        char c = data[i];
        if (d.faults.dropRate > 0 && d.rng.generateDouble() < d.faults.dropRate) {
            ++d.damaged;
            continue;
        }
        if (d.faults.flipRate > 0 && d.rng.generateDouble() < d.faults.flipRate) {
            c = char(quint8(c) ^ quint8(1u << d.rng.bounded(8)));
            ++d.damaged;
        }
        seg.bytes.append(c);
    }
    d.written += quint64(length);
    const auto now = tClock::now();
    seg.rate = d.faults.bytesPerSecond;
    if (seg.rate > 0) {
        // The line carries bytes one after another at its rate, whoever wrote them when.
        const auto start = d.lineFree > now ? d.lineFree : now;
        d.lineFree = start + std::chrono::nanoseconds(qint64(seg.bytes.size()) * 1000000000LL / seg.rate);
        seg.start = start;
    } else {
        seg.start = now;
    }
    seg.start += std::chrono::milliseconds(d.faults.latencyMs);
    if (!seg.bytes.isEmpty()) {
        d.pending += seg.bytes.size();
        d.queue.push_back(std::move(seg));
    }
    changed.notify_all();
    return length;
}

int cLinkChannel::sImpl::read(int dir, char *buffer, int capacity, int timeoutMs)
{
    std::unique_lock<std::mutex> g(lock);
    sDirection &d = dirs[dir];
    const auto deadline = tClock::now() + std::chrono::milliseconds(qMax(0, timeoutMs));
    for (;;) {
        if (hungUp)
            return -1;
        const auto now = tClock::now();
        int n = 0;
        while (n < capacity && !d.queue.empty()) {
            sSegment &s = d.queue.front();
            const qsizetype avail = arrivedBytes(s, now) - d.headOffset;
            if (avail <= 0)
                break;
            const int take = int(qMin<qsizetype>(avail, capacity - n));
            memcpy(buffer + n, s.bytes.constData() + d.headOffset, size_t(take));
            n += take;
            d.headOffset += take;
            d.pending -= take;
            if (d.headOffset < s.bytes.size())
                break;
            d.queue.pop_front();
            d.headOffset = 0;
        }
        if (n > 0)
            return n;
        if (now >= deadline)
            return 0;
        auto wake = deadline;
        if (!d.queue.empty()) {
            const auto soon = now + std::chrono::milliseconds(1);
            if (soon < wake)
                wake = soon;
        }
        changed.wait_until(g, wake);
    }
}

void cLinkChannel::sImpl::discard(int dir)
{
    std::lock_guard<std::mutex> g(lock);
    sDirection &d = dirs[dir];
    d.queue.clear();
    d.headOffset = 0;
    d.pending = 0;
    d.lineFree = tClock::now();
}

cLinkChannel::cLinkChannel()
    : d(std::make_unique<sImpl>())
{
}

cLinkChannel::~cLinkChannel() = default;

iLinkTransport *cLinkChannel::hostEnd() { return &d->host; }
iLinkTransport *cLinkChannel::unitEnd() { return &d->unit; }

void cLinkChannel::setFaults(eDirection direction, const sLinkFaults &faults)
{
    std::lock_guard<std::mutex> g(d->lock);
    d->dirs[direction].faults = faults;
    d->dirs[direction].rng.seed(faults.seed);
}

void cLinkChannel::hangUp()
{
    std::lock_guard<std::mutex> g(d->lock);
    d->hungUp = true;
    d->changed.notify_all();
}

int cLinkChannel::pending(eDirection direction) const
{
    std::lock_guard<std::mutex> g(d->lock);
    return int(d->dirs[direction].pending);
}

quint64 cLinkChannel::written(eDirection direction) const
{
    std::lock_guard<std::mutex> g(d->lock);
    return d->dirs[direction].written;
}

quint64 cLinkChannel::damaged(eDirection direction) const
{
    std::lock_guard<std::mutex> g(d->lock);
    return d->dirs[direction].damaged;
}

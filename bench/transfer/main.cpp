// Measures the unit link: payload throughput in both directions as a fraction of the raw line
// rate (115200 baud = 11520 bytes/s), clean and with byte flips, the fixed cost per small file,
// and the unthrottled rate. Runs against the simulated unit on a pseudo-terminal when it is
// built, otherwise against the link server over a throttled in-process line.

#include "platform/link/clinkchannel.h"
#include "platform/link/clinkclient.h"
#include "platform/link/clinkserverrunner.h"
#include "platform/link/ilinktransport.h"
#include "platform/link/iunitservices.h"

#include "platform/plugman/cporttransport.h"
#include "platform/port/port.h"
#include "sim/csimulatedunit.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMap>
#include <QMutex>
#include <QRandomGenerator>
#include <QThread>

#include <cstdio>
#include <memory>

namespace {

constexpr qint64 kLineRate = 11520; // bytes per second at 115200 baud, 10 bits per byte

QByteArray randomBytes(qsizetype n, quint32 seed)
{
    QRandomGenerator g(seed);
    QByteArray b(n, '\0');
    for (char &c : b)
        c = char(g.bounded(256));
    return b;
}

// Fallback unit: files in memory.
class cBenchUnit : public iUnitServices
{
public:
    QByteArray command(const QByteArray &text) override { return text; }
    QByteArray listDir(const QByteArray &) override { return "Dir empty"; }
    bool readFile(const QByteArray &path, QByteArray *data, QString *error) override
    {
        QMutexLocker g(&m_lock);
        if (!m_files.contains(path)) {
            *error = QStringLiteral("No such file");
            return false;
        }
        *data = m_files.value(path);
        return true;
    }
    bool writeFile(const QByteArray &path, const QByteArray &data, QString *) override
    {
        QMutexLocker g(&m_lock);
        m_files.insert(path, data);
        return true;
    }
    bool makeDir(const QByteArray &, QString *) override { return true; }
    bool deleteFile(const QByteArray &path, QString *) override
    {
        QMutexLocker g(&m_lock);
        return m_files.remove(path) > 0;
    }
    bool deleteDir(const QByteArray &, QString *) override { return true; }
    bool renameFile(const QByteArray &from, const QByteArray &to, QString *) override
    {
        QMutexLocker g(&m_lock);
        if (!m_files.contains(from))
            return false;
        m_files.insert(to, m_files.take(from));
        return true;
    }
    void plainText(const QByteArray &) override {}

private:
    QMutex m_lock;
    QMap<QByteArray, QByteArray> m_files;
};

// One line to one unit, whichever kind.
class cBenchLine
{
public:
    virtual ~cBenchLine() = default;
    virtual cLinkClient *client() = 0;
    virtual QString describe() const = 0;
};

class cChannelLine : public cBenchLine
{
public:
    cChannelLine(qint64 rate, double flip)
    {
        sLinkFaults f;
        f.bytesPerSecond = rate;
        f.flipRate = flip;
        f.seed = 11;
        m_channel.setFaults(cLinkChannel::ToUnit, f);
        f.seed = 12;
        m_channel.setFaults(cLinkChannel::ToHost, f);
        // Like a unit's UART: hand the line a little at a time so it never queues far ahead.
        const int chunk = rate > 0 ? 256 : 16384;
        m_runner = std::make_unique<cLinkServerRunner>(m_channel.unitEnd(), &m_unit, [this, chunk] {
            return m_channel.pending(cLinkChannel::ToHost) < chunk / 4 ? chunk : 0;
        });
        m_runner->start();
        m_client = std::make_unique<cLinkClient>(m_channel.hostEnd());
    }
    ~cChannelLine() override
    {
        m_client.reset();
        m_runner->stop();
    }
    cLinkClient *client() override { return m_client.get(); }
    QString describe() const override { return QStringLiteral("link server over an in-process throttled line"); }

private:
    cBenchUnit m_unit;
    cLinkChannel m_channel;
    std::unique_ptr<cLinkServerRunner> m_runner;
    std::unique_ptr<cLinkClient> m_client;
};

class cSimLine : public cBenchLine
{
public:
    cSimLine(int baud, double flip)
    {
        QStringList opts{QStringLiteral("log-rate=20"), QStringLiteral("seed=7")};
        if (baud > 0)
            opts << QStringLiteral("baud=%1").arg(baud);
        if (flip > 0)
            opts << QStringLiteral("flip=%1").arg(flip);
        if (!m_sim.setOptions(opts) || !m_sim.start()) {
            std::fprintf(stderr, "simulated unit: %s\n", qPrintable(m_sim.errorString()));
            return;
        }
        m_device.id = QStringLiteral("bench-sim");
        m_device.name = QStringLiteral("ZOVAN-SIM");
        m_device.devices.append(sIOSubDevice{nullptr, QStringLiteral("serial"), QStringLiteral("serial"),
                                             m_sim.ptyPath(), {}});
        if (!port::open_port(m_device)) {
            std::fprintf(stderr, "cannot open %s\n", qPrintable(m_sim.ptyPath()));
            return;
        }
        m_transport = std::make_unique<cPortTransport>(port::calc_io_handle(m_device));
        m_client = std::make_unique<cLinkClient>(m_transport.get());
        m_client->sendText("cli\r\n");
        QThread::msleep(300);
    }
    ~cSimLine() override
    {
        m_client.reset();
        port::close_port(m_device, 300);
        m_sim.stop();
    }
    cLinkClient *client() override { return m_client.get(); }
    QString describe() const override { return QStringLiteral("simulated unit on a pseudo-terminal"); }

private:
    cSimulatedUnit m_sim;
    sIODevice m_device;
    std::unique_ptr<cPortTransport> m_transport;
    std::unique_ptr<cLinkClient> m_client;
};

std::unique_ptr<cBenchLine> makeLine(bool useSim, int baud, double flip)
{
    if (useSim)
        return std::make_unique<cSimLine>(baud, flip);
    return std::make_unique<cChannelLine>(baud > 0 ? baud / 10 : 0, flip);
}

struct sResult
{
    bool ok = false;
    double seconds = 0;
};

sResult timed(const std::function<bool()> &fn)
{
    QElapsedTimer t;
    t.start();
    sResult r;
    r.ok = fn();
    r.seconds = double(t.nsecsElapsed()) / 1e9;
    return r;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const bool useSim = !args.contains(QStringLiteral("--channel"));
    const bool quick = args.contains(QStringLiteral("--quick"));
    const int throttledSize = quick ? 64 * 1024 : 256 * 1024;
    const int smallFiles = quick ? 200 : 1000;
    const int smallSize = 32;
    const int fastSize = quick ? 4 * 1024 * 1024 : 16 * 1024 * 1024;
    sLinkOptions options;
    for (const QString &a : args) {
        if (a.startsWith(QLatin1String("--block=")))
            options.blockSize = a.mid(8).toInt();
        if (a.startsWith(QLatin1String("--window=")))
            options.window = a.mid(9).toInt();
    }
    options.timeoutMs = 10000;

    {
        auto probe = makeLine(useSim, 115200, 0);
        std::printf("unit link benchmark: %s; block %d, window %d\n", qPrintable(probe->describe()),
                    options.blockSize, options.window);
    }
    std::printf("raw line rate at 115200 baud: %lld bytes/s\n\n", static_cast<long long>(kLineRate));
    int failures = 0;

    for (double flip : {0.0, 1e-4}) {
        auto line = makeLine(useSim, 115200, flip);
        cLinkClient *c = line->client();
        if (!c)
            return 2;
        c->setOptions(options);
        if (!c->sync(5000)) {
            std::printf("sync failed: %s\n", qPrintable(c->lastError()));
            return 2;
        }
        const QByteArray data = randomBytes(throttledSize, 3);
        const sResult up = timed([&] { return c->putFile("/statfs/bench.bin", data); });
        QByteArray back;
        const sResult down = timed([&] { return c->getFile("/statfs/bench.bin", &back); });
        const bool same = back == data;
        const double upRatio = up.ok ? double(data.size()) / up.seconds / double(kLineRate) : 0;
        const double downRatio = down.ok && same ? double(data.size()) / down.seconds / double(kLineRate) : 0;
        std::printf("115200 baud, flip %-6g  upload   %7d bytes in %6.2f s: %.3f of line rate%s\n", flip,
                    int(data.size()), up.seconds, upRatio, up.ok ? "" : "  FAILED");
        std::printf("115200 baud, flip %-6g  download %7d bytes in %6.2f s: %.3f of line rate%s\n", flip,
                    int(data.size()), down.seconds, downRatio, down.ok && same ? "" : "  FAILED");
        const auto &s = c->stats();
        std::printf("    client: %llu frames in, %llu damaged, %llu blocks resent, %llu request retries\n",
                    static_cast<unsigned long long>(s.framesIn), static_cast<unsigned long long>(s.framesDamaged),
                    static_cast<unsigned long long>(s.blocksResent),
                    static_cast<unsigned long long>(s.requestRetries));
        failures += (up.ok ? 0 : 1) + (down.ok && same ? 0 : 1);
    }

    {
        auto line = makeLine(useSim, 115200, 0);
        cLinkClient *c = line->client();
        c->setOptions(options);
        c->sync(5000);
        const QByteArray small = randomBytes(smallSize, 5);
        // Line time the payload itself needs, taken off to leave the fixed cost.
        const double payloadSeconds = double(smallSize) / double(kLineRate);
        const sResult put = timed([&] {
            for (int i = 0; i < smallFiles; ++i)
                if (!c->putFile("/statfs/s" + QByteArray::number(i), small))
                    return false;
            return true;
        });
        const sResult get = timed([&] {
            QByteArray d;
            for (int i = 0; i < smallFiles; ++i)
                if (!c->getFile("/statfs/s" + QByteArray::number(i), &d) || d != small)
                    return false;
            return true;
        });
        std::printf("\n%d files of %d bytes at 115200 baud: upload %.1f ms per file, download %.1f ms per file "
                    "(fixed cost %.1f / %.1f ms)%s\n",
                    smallFiles, smallSize, put.seconds * 1000 / smallFiles, get.seconds * 1000 / smallFiles,
                    (put.seconds / smallFiles - payloadSeconds) * 1000, (get.seconds / smallFiles - payloadSeconds) * 1000,
                    put.ok && get.ok ? "" : "  FAILED");
        failures += (put.ok ? 0 : 1) + (get.ok ? 0 : 1);
    }

    {
        auto line = makeLine(useSim, 0, 0);
        cLinkClient *c = line->client();
        sLinkOptions fast = options;
        fast.maxFileSize = qint64(fastSize) * 2;
        c->setOptions(fast);
        c->sync(5000);
        const QByteArray data = randomBytes(fastSize, 9);
        const sResult up = timed([&] { return c->putFile("/statfs/fast.bin", data); });
        QByteArray back;
        const sResult down = timed([&] { return c->getFile("/statfs/fast.bin", &back); });
        std::printf("\nunthrottled, %d MiB: upload %.2f MB/s, download %.2f MB/s%s\n", fastSize / (1024 * 1024),
                    up.ok ? double(fastSize) / up.seconds / 1e6 : 0.0,
                    down.ok && back == data ? double(fastSize) / down.seconds / 1e6 : 0.0,
                    up.ok && down.ok && back == data ? "" : "  FAILED");
        failures += (up.ok ? 0 : 1) + (down.ok && back == data ? 0 : 1);
    }
    return failures == 0 ? 0 : 1;
}

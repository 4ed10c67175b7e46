#include "sim/csimulatedunit.h"

#include "sim/csimadapterserver.h"
#include "sim/csimdirfs.h"
#include "sim/csimhardware.h"
#include "sim/csimlinepipe.h"
#include "sim/csimmemoryfs.h"
#include "sim/csimpty.h"
#include "sim/csimunitcore.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMutex>
#include <QMutexLocker>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kChunk = 64 * 1024;
// The poll loop looks at its stop flag at least this often.
constexpr qint64 kMaxWaitUs = 100 * 1000;
constexpr int kStopWaitMs = 3000;
constexpr qint64 kHangupLingerUs = 3000 * 1000;
// The kernel hands written bytes to the reader's queue a moment after the write; on a loaded
// machine that moment can stretch well past a few milliseconds.
constexpr qint64 kHangupSettleUs = 250 * 1000;

QByteArray builtinPackage()
{
    QFile f(QStringLiteral(":/zt_sim/zovan_tools_tests.out"));
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    return f.readAll();
}

} // namespace

struct cSimulatedUnit::sImpl
{
    // Set by the owner's thread while stopped; read-only while the worker runs.
    mutable QMutex lock;
    sSimOptions options;
    QString error;
    QString ptyPath;
    QString socketPath;
    QString tempDir;

    std::atomic<bool> running {false};
    std::atomic<bool> stopFlag {false};
    std::atomic<bool> hungUp {false};
    std::atomic<quint64> fromHost {0};
    std::atomic<quint64> toHost {0};
    std::atomic<quint64> flipped {0};
    std::atomic<quint64> dropped {0};
    std::atomic<quint64> reboots {0};
    std::atomic<quint64> textDropped {0};
    int wakeFd = -1;
    std::unique_ptr<QThread> thread;

    // Owned by the worker between start() and the end of stop().
    std::unique_ptr<cSimPty> pty;
    std::unique_ptr<cSimHardware> hardware;
    std::unique_ptr<cSimFileSystem> fs;
    std::unique_ptr<cSimAdapterServer> adapter;
    std::unique_ptr<cSimUnitCore> core;
    std::unique_ptr<cSimLinePipe> toUnit;
    std::unique_ptr<cSimLinePipe> toHostPipe;

    void run(cSimulatedUnit *q);
    void release();
};

void cSimulatedUnit::sImpl::release()
{
    core.reset();
    adapter.reset();
    toUnit.reset();
    toHostPipe.reset();
    fs.reset();
    hardware.reset();
    pty.reset();
    if (wakeFd >= 0)
        ::close(wakeFd);
    wakeFd = -1;
    if (!tempDir.isEmpty())
        QDir(tempDir).removeRecursively();
    QMutexLocker locker(&lock);
    tempDir.clear();
    ptyPath.clear();
    socketPath.clear();
}

void cSimulatedUnit::sImpl::run(cSimulatedUnit *q)
{
    QElapsedTimer clock;
    clock.start();
    const auto now = [&clock] { return clock.nsecsElapsed() / 1000; };

    // How much may wait on each side of the line: a frame's worth plus what is in flight for
    // the latency, so a slow line never runs seconds behind the unit.
    const qint64 rate = options.baud > 0 ? options.baud / 10 : 0;
    const qint64 inFlight = rate * options.delayMs / 1000;
    const qint64 lineBound = (rate > 0 ? std::max<qint64>(1024, rate / 20) : 256 * 1024) + inFlight;
    const qint64 hangupAt = options.hangupBytes;

    core->powerOn(now());
    bool writeBlocked = false;
    std::vector<pollfd> fds;
    std::vector<char> buffer(kChunk);

    const auto budget = [&]() -> qint64 {
        if (hangupAt <= 0)
            return kChunk;
        return std::clamp<qint64>(hangupAt - qint64(fromHost + toHost), 0, kChunk);
    };
    // The line closes once its last bytes have reached the other end (or a reader was not
    // there to take them within the linger time): closing a pseudo-terminal drops what it
    // still holds.
    qint64 hangupSinceUs = -1;
    qint64 lastWriteUs = 0;
    const auto checkHangup = [&] {
        if (hangupAt <= 0 || hungUp || qint64(fromHost + toHost) < hangupAt)
            return;
        const qint64 t = now();
        if (hangupSinceUs < 0)
            hangupSinceUs = t;
        // An empty queue right after a write does not yet mean the bytes were read.
        const bool settled = t - lastWriteUs >= kHangupSettleUs && pty->unreadByHost() == 0;
        if (!settled && t - hangupSinceUs < kHangupLingerUs)
            return;
        pty->close();
        hungUp = true;
        emit q->hungUp();
    };

    while (!stopFlag.load()) {
        qint64 t = now();

        if (!toUnit->isEmpty()) {
            const QByteArray bytes = toUnit->peek(t, kChunk);
            if (!bytes.isEmpty()) {
                toUnit->consume(bytes.size());
                core->receive(bytes, t);
            }
        }
        core->tick(t, toHostPipe->size());
        while (toHostPipe->size() < lineBound) {
            const QByteArray chunk = core->takeOutput(int(std::min<qint64>(16384, lineBound - toHostPipe->size())));
            if (chunk.isEmpty())
                break;
            toHostPipe->push(chunk, t);
        }

        if (pty->isOpen() && !toHostPipe->isEmpty() && !writeBlocked) {
            const QByteArray bytes = toHostPipe->peek(t, budget());
            if (!bytes.isEmpty()) {
                const ssize_t n = ::write(pty->masterFd(), bytes.constData(), size_t(bytes.size()));
                if (n > 0) {
                    toHostPipe->consume(n);
                    toHost += quint64(n);
                    lastWriteUs = now();
                }
                writeBlocked = n < bytes.size();
            }
        }
        checkHangup();
        flipped = toUnit->flippedBytes() + toHostPipe->flippedBytes();
        dropped = toUnit->droppedBytes() + toHostPipe->droppedBytes();
        reboots = core->reboots();
        textDropped = core->textDropped();

        fds.clear();
        fds.push_back(pollfd {wakeFd, POLLIN, 0});
        const bool lineOpen = pty->isOpen();
        if (lineOpen) {
            short events = 0;
            if (toUnit->size() < lineBound && budget() > 0)
                events |= POLLIN;
            if (writeBlocked)
                events |= POLLOUT;
            fds.push_back(pollfd {pty->masterFd(), events, 0});
        }
        adapter->addPollFds(&fds);

        t = now();
        qint64 wait = kMaxWaitUs;
        const auto atMost = [&wait](qint64 us) {
            if (us >= 0)
                wait = std::min(wait, us);
        };
        atMost(core->waitUs(t, toHostPipe->size()));
        if (hangupSinceUs >= 0 && !hungUp)
            atMost(10 * 1000);
        atMost(toUnit->waitUs(t));
        if (!writeBlocked && lineOpen)
            atMost(toHostPipe->waitUs(t));
        const timespec ts {time_t(wait / 1000000), long(wait % 1000000) * 1000};
        const int ready = ::ppoll(fds.data(), nfds_t(fds.size()), &ts, nullptr);
        if (ready < 0 && errno != EINTR)
            break;
        if (ready <= 0)
            continue;

        if (fds[0].revents & POLLIN) {
            quint64 v = 0;
            [[maybe_unused]] const ssize_t n = ::read(wakeFd, &v, sizeof v);
        }
        if (lineOpen) {
            const short re = fds[1].revents;
            if (re & POLLOUT)
                writeBlocked = false;
            if (re & POLLIN) {
                const qint64 room = budget();
                const ssize_t n = room > 0 ? ::read(pty->masterFd(), buffer.data(), size_t(room)) : 0;
                if (n > 0) {
                    fromHost += quint64(n);
                    toUnit->push(QByteArray(buffer.data(), qsizetype(n)), now());
                    checkHangup();
                }
            }
        }
        adapter->process(fds, now());
    }
}

cSimulatedUnit::cSimulatedUnit(QObject *parent)
    : QObject(parent)
    , d(std::make_unique<sImpl>())
{
}

cSimulatedUnit::~cSimulatedUnit()
{
    stop();
}

bool cSimulatedUnit::setOptions(const QStringList &options)
{
    QMutexLocker locker(&d->lock);
    if (d->running) {
        d->error = QStringLiteral("options cannot change while the unit runs");
        return false;
    }
    sSimOptions parsed;
    QString error;
    if (!cSimOptions::parse(options, &parsed, &error)) {
        d->error = error;
        return false;
    }
    d->options = parsed;
    d->error.clear();
    return true;
}

sSimOptions cSimulatedUnit::options() const
{
    QMutexLocker locker(&d->lock);
    return d->options;
}

QString cSimulatedUnit::errorString() const
{
    QMutexLocker locker(&d->lock);
    return d->error;
}

bool cSimulatedUnit::start()
{
    if (d->running)
        return true;
    const auto fail = [this](const QString &why) {
        d->release();
        QMutexLocker locker(&d->lock);
        d->error = why;
        return false;
    };
    const sSimOptions opts = options();

    d->stopFlag = false;
    d->hungUp = false;
    d->fromHost = 0;
    d->toHost = 0;
    d->flipped = 0;
    d->dropped = 0;
    d->reboots = 0;
    d->textDropped = 0;

    d->wakeFd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (d->wakeFd < 0)
        return fail(QStringLiteral("eventfd failed: %1").arg(QString::fromLocal8Bit(std::strerror(errno))));

    // Socket paths are short (108 bytes): prefer the temporary folder, else /tmp.
    QString base = QDir::tempPath();
    if (base.size() > 70)
        base = QStringLiteral("/tmp");
    QByteArray templ = QFile::encodeName(base + QStringLiteral("/zovan-sim-XXXXXX"));
    if (!::mkdtemp(templ.data()))
        return fail(QStringLiteral("cannot create a folder for the adapter socket: %1")
                        .arg(QString::fromLocal8Bit(std::strerror(errno))));
    {
        QMutexLocker locker(&d->lock);
        d->tempDir = QFile::decodeName(templ);
    }

    d->pty = std::make_unique<cSimPty>();
    QString error;
    if (!d->pty->open(&error))
        return fail(error);

    d->hardware = std::make_unique<cSimHardware>();
    if (!opts.fsDir.isEmpty()) {
        auto fs = std::make_unique<cSimDirFs>(opts.fsDir);
        if (fs->root().isEmpty())
            return fail(QStringLiteral("the folder %1 cannot be the unit's file system").arg(opts.fsDir));
        d->fs = std::move(fs);
    } else {
        auto fs = std::make_unique<cSimMemoryFs>();
        const QByteArray package = builtinPackage();
        fs->populate(opts.package ? &package : nullptr, QDateTime::currentSecsSinceEpoch());
        d->fs = std::move(fs);
    }

    d->adapter = std::make_unique<cSimAdapterServer>(d->hardware.get());
    const QString socketPath = QFile::decodeName(templ) + QStringLiteral("/adapter.sock");
    if (!d->adapter->listen(socketPath, &error))
        return fail(error);

    d->toUnit = std::make_unique<cSimLinePipe>(opts.flipRate, opts.dropRate, opts.delayMs, opts.baud,
                                               opts.seed * 2 + 1);
    d->toHostPipe = std::make_unique<cSimLinePipe>(opts.flipRate, opts.dropRate, opts.delayMs, opts.baud,
                                                   opts.seed * 2 + 2);
    d->core = std::make_unique<cSimUnitCore>(opts, d->fs.get(), d->hardware.get());

    {
        QMutexLocker locker(&d->lock);
        d->ptyPath = d->pty->slavePath();
        d->socketPath = socketPath;
        d->error.clear();
    }
    d->thread.reset(QThread::create([this] { d->run(this); }));
    d->thread->setObjectName(QStringLiteral("zovan-sim"));
    d->running = true;
    d->thread->start();
    return true;
}

void cSimulatedUnit::stop()
{
    if (!d->thread)
        return;
    d->stopFlag = true;
    const quint64 one = 1;
    [[maybe_unused]] const ssize_t n = ::write(d->wakeFd, &one, sizeof one);
    if (!d->thread->wait(kStopWaitMs)) {
        // The loop never blocks longer than its poll bound; this is a last resort.
        d->thread->terminate();
        d->thread->wait(kStopWaitMs);
    }
    d->thread.reset();
    d->release();
    d->running = false;
}

bool cSimulatedUnit::isRunning() const
{
    return d->running;
}

QString cSimulatedUnit::ptyPath() const
{
    QMutexLocker locker(&d->lock);
    return d->ptyPath;
}

QString cSimulatedUnit::adapterSocketPath() const
{
    QMutexLocker locker(&d->lock);
    return d->socketPath;
}

bool cSimulatedUnit::isHungUp() const
{
    return d->hungUp;
}

sSimUnitStats cSimulatedUnit::stats() const
{
    sSimUnitStats s;
    s.bytesFromHost = d->fromHost;
    s.bytesToHost = d->toHost;
    s.flippedBytes = d->flipped;
    s.droppedBytes = d->dropped;
    s.reboots = d->reboots;
    s.linkTextDropped = d->textDropped;
    return s;
}

QStringList cSimulatedUnit::optionHelp()
{
    return cSimOptions::help();
}

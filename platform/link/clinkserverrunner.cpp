#include "platform/link/clinkserverrunner.h"

#include "platform/link/clinkserver.h"
#include "platform/link/ilinktransport.h"

#include <QByteArray>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

struct cLinkServerRunner::sImpl
{
    sImpl(iLinkTransport *t, iUnitServices *s, std::function<int()> r)
        : transport(t), server(s), room(std::move(r))
    {
    }

    void run();

    iLinkTransport *transport;
    cLinkServer server;
    std::function<int()> room;
    std::thread thread;
    std::atomic<bool> stop{false};
    std::mutex callLock;
    std::condition_variable callDone;
    std::function<void(cLinkServer &)> pendingCall;
    bool hasCall = false;
};

void cLinkServerRunner::sImpl::run()
{
    QByteArray buffer(16384, Qt::Uninitialized);
    while (!stop.load()) {
        const int n = transport->read(buffer.data(), int(buffer.size()), server.hasWork() ? 1 : 5);
        if (n < 0)
            break;
        if (n > 0)
            server.feed(buffer.constData(), n);
        const int space = room ? room() : 4096;
        if (space > 0) {
            const QByteArray out = server.takeOutput(space);
            if (!out.isEmpty() && transport->write(out.constData(), int(out.size())) < 0)
                break;
        }
        std::function<void(cLinkServer &)> fn;
        {
            std::lock_guard<std::mutex> g(callLock);
            if (hasCall)
                fn = pendingCall;
        }
        if (fn) {
            fn(server);
            std::lock_guard<std::mutex> g(callLock);
            hasCall = false;
            pendingCall = nullptr;
            callDone.notify_all();
        }
    }
    std::lock_guard<std::mutex> g(callLock);
    stop.store(true);
    callDone.notify_all();
}

cLinkServerRunner::cLinkServerRunner(iLinkTransport *transport, iUnitServices *services,
                                     std::function<int()> room)
    : d(std::make_unique<sImpl>(transport, services, std::move(room)))
{
}

cLinkServerRunner::~cLinkServerRunner()
{
    stop();
}

void cLinkServerRunner::setMaxFileSize(qint64 bytes)
{
    if (d->thread.joinable())
        call([bytes](cLinkServer &s) { s.setMaxFileSize(bytes); });
    else
        d->server.setMaxFileSize(bytes);
}

void cLinkServerRunner::start()
{
    if (d->thread.joinable())
        return;
    d->stop.store(false);
    d->thread = std::thread([this] { d->run(); });
}

void cLinkServerRunner::stop()
{
    d->stop.store(true);
    if (d->thread.joinable())
        d->thread.join();
}

void cLinkServerRunner::call(const std::function<void(cLinkServer &)> &fn)
{
    if (!d->thread.joinable()) {
        fn(d->server);
        return;
    }
    std::unique_lock<std::mutex> g(d->callLock);
    d->pendingCall = fn;
    d->hasCall = true;
    // Bounded: the loop passes at least every few milliseconds while it runs.
    d->callDone.wait_for(g, std::chrono::seconds(5), [this] { return !d->hasCall || d->stop.load(); });
    if (d->hasCall) {
        d->hasCall = false;
        d->pendingCall = nullptr;
    }
}

#pragma once

#include <QtGlobal>

#include <functional>
#include <memory>

class cLinkServer;
class iLinkTransport;
class iUnitServices;

/**
 * Drives a cLinkServer over a transport from a thread of its own, as a unit would: feeds it what
 * arrives, hands it the line when the line has room. The services are called on that thread.
 */
class cLinkServerRunner
{
public:
    /** room() tells how many bytes may be written now (e.g. line queue below a frame); empty: always 4096. */
    cLinkServerRunner(iLinkTransport *transport, iUnitServices *services,
                      std::function<int()> room = {});
    ~cLinkServerRunner();
    Q_DISABLE_COPY_MOVE(cLinkServerRunner)

    void setMaxFileSize(qint64 bytes);
    void start();
    void stop();
    /** Runs fn on the server thread (between passes) and waits for it; for stats and settings. */
    void call(const std::function<void(cLinkServer &)> &fn);

private:
    struct sImpl;
    std::unique_ptr<sImpl> d;
};

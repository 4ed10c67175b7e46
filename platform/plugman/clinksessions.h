#pragma once

#include <QHash>
#include <QMutex>

#include <functional>
#include <memory>

class cLinkClient;
class iLinkTransport;

/** One link to one unit: the client engine over the port, used by one caller at a time. */
struct sLinkSession
{
    QMutex lock;                                // held for a whole plug-in call
    std::unique_ptr<iLinkTransport> transport;
    std::unique_ptr<cLinkClient> client;
};

/**
 * The link sessions of the process, one per open port I/O handle. The test runner and the file
 * runner are different threads; each call takes the session's lock for its duration. A session
 * ends when its port closes, whoever closes it.
 */
class cLinkSessions
{
public:
    using tTransportFactory = std::function<std::unique_ptr<iLinkTransport>(void *handle)>;

    static cLinkSessions &instance();

    /** The handle's session, created on first use; null for a null handle or a port that is not open. */
    std::shared_ptr<sLinkSession> session(void *handle);
    /** Forgets the handle's session (transfer mode closed, port going away). */
    void drop(void *handle);
    /** The handle whose transfer mode was opened last (for Lua calls that name no handle). */
    void *lastOpened() const;
    void setLastOpened(void *handle);
    /** Forgets every session. */
    void clear();
    /** Sessions alive now. */
    int count() const;
    /** Replaces how sessions reach their line (tests); an empty factory restores the port. */
    void setTransportFactory(tTransportFactory factory);

private:
    cLinkSessions();

    mutable QMutex m_lock;
    QHash<void *, std::shared_ptr<sLinkSession>> m_sessions;
    void *m_lastOpened = nullptr;
    tTransportFactory m_factory;
};

#include "platform/plugman/clinksessions.h"

#include "platform/link/clinkclient.h"
#include "platform/plugman/cporttransport.h"
#include "platform/port/port.h"

cLinkSessions &cLinkSessions::instance()
{
    static cLinkSessions sessions;
    return sessions;
}

cLinkSessions::cLinkSessions()
{
    // Every call that follows a close fails anyway; without this, each connection that never
    // closes its transfer mode (the test engine's) would leave a session behind for good.
    port::addCloseListener([this](void *handle) { drop(handle); });
}

std::shared_ptr<sLinkSession> cLinkSessions::session(void *handle)
{
    if (!handle)
        return nullptr;
    tTransportFactory factory;
    {
        QMutexLocker g(&m_lock);
        const auto it = m_sessions.constFind(handle);
        if (it != m_sessions.constEnd())
            return it.value();
        factory = m_factory;
    }
    // Asked outside our lock: the port may be busy closing, and its close ends in drop().
    const bool onPort = !factory;
    if (onPort && port::is_open(handle) != 1)
        return nullptr;
    auto s = std::make_shared<sLinkSession>();
    s->transport = onPort ? std::make_unique<cPortTransport>(handle) : factory(handle);
    if (!s->transport)
        return nullptr;
    s->client = std::make_unique<cLinkClient>(s->transport.get());
    {
        QMutexLocker g(&m_lock);
        const auto it = m_sessions.constFind(handle);
        if (it != m_sessions.constEnd())
            return it.value();   // another caller made it meanwhile
        m_sessions.insert(handle, s);
    }
    // The port may have closed since the check, its listeners finding nothing to drop yet.
    if (onPort && port::is_open(handle) != 1) {
        drop(handle);
        return nullptr;
    }
    return s;
}

void cLinkSessions::drop(void *handle)
{
    std::shared_ptr<sLinkSession> gone;
    QMutexLocker g(&m_lock);
    gone = m_sessions.take(handle);
    if (m_lastOpened == handle)
        m_lastOpened = nullptr;
    g.unlock();
    // A caller still inside a call keeps the session alive until it returns.
    gone.reset();
}

int cLinkSessions::count() const
{
    QMutexLocker g(&m_lock);
    return int(m_sessions.size());
}

void *cLinkSessions::lastOpened() const
{
    QMutexLocker g(&m_lock);
    return m_lastOpened;
}

void cLinkSessions::setLastOpened(void *handle)
{
    QMutexLocker g(&m_lock);
    m_lastOpened = handle;
}

void cLinkSessions::clear()
{
    QMutexLocker g(&m_lock);
    m_sessions.clear();
    m_lastOpened = nullptr;
}

void cLinkSessions::setTransportFactory(tTransportFactory factory)
{
    QMutexLocker g(&m_lock);
    m_factory = std::move(factory);
    m_sessions.clear();
    m_lastOpened = nullptr;
}

#include "platform/plugman/clinksessions.h"

#include "platform/link/clinkclient.h"
#include "platform/plugman/cporttransport.h"

cLinkSessions &cLinkSessions::instance()
{
    static cLinkSessions sessions;
    return sessions;
}

std::shared_ptr<sLinkSession> cLinkSessions::session(void *handle)
{
    if (!handle)
        return nullptr;
    QMutexLocker g(&m_lock);
    auto it = m_sessions.find(handle);
    if (it != m_sessions.end())
        return it.value();
    auto s = std::make_shared<sLinkSession>();
    s->transport = m_factory ? m_factory(handle) : std::make_unique<cPortTransport>(handle);
    if (!s->transport)
        return nullptr;
    s->client = std::make_unique<cLinkClient>(s->transport.get());
    m_sessions.insert(handle, s);
    return s;
}

void cLinkSessions::drop(void *handle)
{
    QMutexLocker g(&m_lock);
    m_sessions.remove(handle);
    if (m_lastOpened == handle)
        m_lastOpened = nullptr;
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

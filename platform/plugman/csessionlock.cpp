#include "platform/plugman/csessionlock.h"

#include "platform/link/clinkclient.h"
#include "platform/plugman/clinksessions.h"

#include <chrono>

cSessionLock::cSessionLock(void *handle, int waitMs)
    : m_session(cLinkSessions::instance().session(handle))
{
    if (!m_session)
        return;
    m_lock = std::unique_lock<QMutex>(m_session->lock, std::chrono::milliseconds(waitMs));
    m_result = m_lock.owns_lock() ? Held : Busy;
}

// Out of line: the session's type is complete only here.
cSessionLock::~cSessionLock() = default;

cLinkClient *cSessionLock::client() const
{
    return m_result == Held ? m_session->client.get() : nullptr;
}

#pragma once

#include <QMutex>

#include <memory>
#include <mutex>

class cLinkClient;
struct sLinkSession;

/**
 * Holds one port's link session for the length of a plug-in call. The session is released on
 * every way out of the call, so a failure or an early return never leaves the link locked.
 */
class cSessionLock
{
public:
    enum eResult { Held, NoSession, Busy };

    /** Takes the handle's session, waiting up to waitMs for another caller to finish with it. */
    cSessionLock(void *handle, int waitMs);
    ~cSessionLock();
    cSessionLock(const cSessionLock &) = delete;
    cSessionLock &operator=(const cSessionLock &) = delete;

    eResult result() const { return m_result; }
    /** The session's client while held; null otherwise. */
    cLinkClient *client() const;

private:
    std::shared_ptr<sLinkSession> m_session;
    std::unique_lock<QMutex> m_lock;
    eResult m_result = NoSession;
};

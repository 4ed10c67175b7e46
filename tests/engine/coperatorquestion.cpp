#include "coperatorquestion.h"

#include <QMutexLocker>

bool cOperatorQuestion::ask(const std::function<void()> &put, const std::function<bool()> &canceled,
                            QStringList *answers)
{
    {
        QMutexLocker locker(&m_lock);
        ++m_asked;
        m_waiting = true;
        m_hasReply = false;
        m_reply.clear();
    }
    put();
    QVariantList reply;
    for (;;) {
        if (canceled())
            break;
        QMutexLocker locker(&m_lock);
        if (!m_hasReply)
            m_replied.wait(&m_lock, 100);
        if (m_hasReply) {
            reply.swap(m_reply);
            m_hasReply = false;
            break;
        }
    }
    {
        QMutexLocker locker(&m_lock);
        m_waiting = false;
        // A reply that came with the cancel is still the answer to this question.
        if (m_hasReply) {
            reply.swap(m_reply);
            m_hasReply = false;
        }
    }
    if (reply.isEmpty())
        return false;
    for (const QVariant &value : reply)
        answers->append(value.toString());
    return true;
}

void cOperatorQuestion::reply(const QVariantList &reply)
{
    QMutexLocker locker(&m_lock);
    if (m_replies >= m_asked)
        return;  // nobody asked
    ++m_replies;
    if (m_replies != m_asked || !m_waiting)
        return;  // the reply to a question given up
    m_reply = reply;
    m_hasReply = true;
    m_replied.wakeAll();
}

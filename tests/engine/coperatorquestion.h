#pragma once

#include <QMutex>
#include <QStringList>
#include <QVariantList>
#include <QWaitCondition>

#include <functional>

/**
 * One question at a time from a script to the operator. Every question put gets exactly
 * one reply from the workbench, in order; a reply to a question that was given up
 * (cancelled, or the runner going away) is dropped and never answers a later one.
 */
class cOperatorQuestion
{
public:
    cOperatorQuestion() = default;
    Q_DISABLE_COPY_MOVE(cOperatorQuestion)

    /**
     * Puts the question (put() emits it) and waits for its reply; false when given up
     * because canceled() said so or the reply was empty.
     */
    bool ask(const std::function<void()> &put, const std::function<bool()> &canceled, QStringList *answers);
    /** The workbench's reply to the oldest question not yet replied to. */
    void reply(const QVariantList &reply);

private:
    QMutex m_lock;
    QWaitCondition m_replied;
    quint64 m_asked = 0;    // questions put
    quint64 m_replies = 0;  // replies received for them
    bool m_waiting = false;  // the last question put still waits for its reply
    bool m_hasReply = false;
    QVariantList m_reply;
};

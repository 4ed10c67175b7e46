#pragma once

#include "platform/logging/clogmessage.h"
#include "platform/logging/ilogengine.h"

#include <QHash>
#include <QList>
#include <QMutex>
#include <QObject>
#include <QSet>

#include <atomic>

class cLogModel;

/**
 * The log engine. addMessage() only queues under a lock, so any thread may call it; the
 * queue is drained in the engine's (GUI) thread in batches, which is where the models change.
 * Every model keeps a bounded number of messages, so a chatty worker cannot exhaust memory.
 */
class cLogEngine : public QObject, public iLogEngine
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(cLogEngine)

public:
    explicit cLogEngine(QObject *parent = nullptr);
    ~cLogEngine() override;

    void addMessage(const QString &text, int level, const QDateTime &time, const QString &source,
                    const QString &group) override;
    QAbstractItemModel *model(const QString &group, const QString &filter) override;
    QAbstractItemModel *groupModel(const QString &group) override;

    /** Messages kept per model; the oldest are dropped beyond it. */
    int capacity() const { return m_capacity; }
    /** Only in the engine's thread; applies to the models that exist too. */
    void setCapacity(int messages);
    /** Messages dropped because the queue was full before the GUI thread drained it. */
    quint64 droppedCount() const { return m_dropped.load(); }
    /** Drains the queue now; only in the engine's thread (tests, shutdown). */
    Q_INVOKABLE void flush();

signals:
    void newGroup(const QString &group);

private:
    void scheduleFlush();
    cLogModel *modelFor(const QString &group, const QString &filter);

    QMutex m_queueLock;
    QList<sLogMessage> m_queue;
    bool m_flushScheduled = false;
    std::atomic<quint64> m_dropped{0};
    int m_capacity = 5000;
    bool m_echo = false;

    // Owned by the engine's thread.
    QHash<QString, cLogModel *> m_models;
    QSet<QString> m_seenGroups;
};

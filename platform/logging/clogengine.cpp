#include "clogengine.h"

#include "platform/logging/clogmodel.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QMutexLocker>
#include <QThread>

#include <cstdio>

namespace {
// The queue holds what arrives between two drains of the GUI thread; past this bound the
// oldest queued messages go, so a stalled GUI thread cannot make the engine grow.
constexpr qsizetype kQueueLimit = 100000;
const QString kAll = QStringLiteral("ALL");

QString modelKey(const QString &group, const QString &filter)
{
    return group + QLatin1Char('\n') + filter;
}
} // namespace

cLogEngine::cLogEngine(QObject *parent)
    : QObject(parent), m_echo(qEnvironmentVariableIsSet("ZOVAN_LOG_ECHO"))
{
}

cLogEngine::~cLogEngine() = default;

void cLogEngine::setCapacity(int messages)
{
    m_capacity = qMax(1, messages);
    // The models of all messages and of each group exist from the first message on.
    for (cLogModel *model : std::as_const(m_models))
        model->setCapacity(m_capacity);
}

void cLogEngine::addMessage(const QString &text, int level, const QDateTime &time,
                            const QString &source, const QString &group)
{
    if (m_echo) {
        const QByteArray line = QStringLiteral("[%1] %2 %3/%4: %5\n")
                                    .arg(time.toString(QStringLiteral("hh:mm:ss.zzz")))
                                    .arg(level).arg(group, source, text).toLocal8Bit();
        std::fputs(line.constData(), stderr);
    }
    bool schedule = false;
    {
        QMutexLocker locker(&m_queueLock);
        if (m_queue.size() >= kQueueLimit) {
            m_queue.removeFirst();
            ++m_dropped;
        }
        m_queue.append(sLogMessage{text, level, time, source, group});
        if (!m_flushScheduled) {
            m_flushScheduled = true;
            schedule = true;
        }
    }
    if (schedule)
        scheduleFlush();
}

void cLogEngine::scheduleFlush()
{
    // Queued even from the engine's own thread: a message logged inside a model slot must
    // not re-enter the model that is emitting. By name, so that the posted call is built
    // inside Qt: a functor object built here and freed in the GUI thread would hand memory
    // across threads through Qt's uninstrumented event queue.
    QMetaObject::invokeMethod(this, "flush", Qt::QueuedConnection);
}

void cLogEngine::flush()
{
    QList<sLogMessage> batch;
    {
        QMutexLocker locker(&m_queueLock);
        batch.swap(m_queue);
        m_flushScheduled = false;
    }
    if (batch.isEmpty())
        return;

    // Every message is kept once in arrival order, so that a model asked for later starts
    // with what was logged before it existed.
    modelFor(kAll, kAll);
    QStringList fresh;
    for (const sLogMessage &m : std::as_const(batch)) {
        if (!m_seenGroups.contains(m.group)) {
            m_seenGroups.insert(m.group);
            modelFor(m.group, kAll);
            fresh.append(m.group);
        }
    }
    for (cLogModel *model : std::as_const(m_models))
        model->append(batch);
    for (const QString &group : std::as_const(fresh))
        emit newGroup(group);
}

cLogModel *cLogEngine::modelFor(const QString &group, const QString &filter)
{
    const QString key = modelKey(group, filter);
    cLogModel *model = m_models.value(key);
    if (!model) {
        model = new cLogModel(group, filter, m_capacity, this);
        // The group's own unfiltered model, or the one of all groups, holds what came before.
        const cLogModel *history = m_models.value(modelKey(m_seenGroups.contains(group) ? group : kAll, kAll));
        if (history)
            model->append(history->messages());
        m_models.insert(key, model);
    }
    return model;
}

QAbstractItemModel *cLogEngine::model(const QString &group, const QString &filter)
{
    if (QThread::currentThread() != thread())
        return nullptr;
    return modelFor(group, filter.isEmpty() ? kAll : filter);
}

QAbstractItemModel *cLogEngine::groupModel(const QString &group)
{
    if (QThread::currentThread() != thread() || !m_seenGroups.contains(group))
        return nullptr;
    return modelFor(group, kAll);
}

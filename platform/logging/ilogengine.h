#pragma once

#include <QDateTime>
#include <QString>

class QAbstractItemModel;

/**
 * The tool set's message engine. Safe to call from any thread; the models it hands out
 * live in the GUI thread and change only there. Operation order is part of the contract.
 */
class iLogEngine
{
public:
    virtual ~iLogEngine() = default;

    /** 1: add a message. Levels: 0 trace, 1 notify, 2 warning, 3 error, 4 debug. */
    virtual void addMessage(const QString &text, int level, const QDateTime &time,
                            const QString &source, const QString &group) = 0;
    /** 2: a model of the messages of a group ("ALL" for every group) passing a filter ("ALL": no filter). */
    virtual QAbstractItemModel *model(const QString &group, const QString &filter) = 0;
    /** 3: the model of one group; null when the group has not been seen. */
    virtual QAbstractItemModel *groupModel(const QString &group) = 0;
};

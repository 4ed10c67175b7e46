#pragma once

#include "platform/logging/clogengine.h"
#include "platform/logging/clogmodel.h"
#include "platform/logging/logs.h"

#include <QAbstractItemModel>
#include <QCoreApplication>
#include <QStringList>

#include <algorithm>

/** Collects the texts that reach the log engine while it lives. */
class cLogCapture
{
public:
    cLogCapture()
    {
        texts();
        QAbstractItemModel *model = logs::get()->model(QStringLiteral("ALL"), QStringLiteral("ALL"));
        m_connection = QObject::connect(model, &QAbstractItemModel::rowsInserted, model,
                                        [this, model](const QModelIndex &, int first, int last) {
                                            for (int row = first; row <= last; ++row)
                                                m_texts << model->index(row, cLogModel::TextColumn).data().toString();
                                        });
    }
    ~cLogCapture() { QObject::disconnect(m_connection); }
    Q_DISABLE_COPY_MOVE(cLogCapture)

    /** Every text logged so far (drains the engine's queue first). */
    QStringList texts()
    {
        QCoreApplication::processEvents();
        if (auto *engine = qobject_cast<cLogEngine *>(logs::notifier()))
            engine->flush();
        return m_texts;
    }
    /** True when one text contains all the parts. */
    bool contains(const QStringList &parts)
    {
        const QStringList all = texts();
        return std::any_of(all.cbegin(), all.cend(), [&](const QString &text) {
            return std::all_of(parts.cbegin(), parts.cend(), [&](const QString &part) { return text.contains(part); });
        });
    }

private:
    QMetaObject::Connection m_connection;
    QStringList m_texts;
};

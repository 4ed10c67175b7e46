#include "app/cli/clilogmessages.h"

#include "platform/logging/clogmodel.h"
#include "platform/logging/ilogengine.h"
#include "platform/logging/logs.h"

#include <QAbstractItemModel>

void forwardCliLogMessages(QObject *receiver, std::function<void(int level, const QString &text)> sink)
{
    QAbstractItemModel *log = logs::get()->model(QStringLiteral("LOCAL"), QStringLiteral("ALL"));
    if (!log)
        return;
    QObject::connect(log, &QAbstractItemModel::rowsInserted, receiver,
                     [log, sink = std::move(sink)](const QModelIndex &, int first, int last) {
                         for (int row = first; row <= last; ++row) {
                             const QModelIndex text = log->index(row, cLogModel::TextColumn);
                             sink(text.data(cLogModel::LevelRole).toInt(), text.data().toString());
                         }
                     });
}

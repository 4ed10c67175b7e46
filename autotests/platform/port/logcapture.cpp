#include "logcapture.h"

#include "platform/logging/clogengine.h"
#include "platform/logging/clogmodel.h"
#include "platform/logging/logs.h"

#include <QAbstractItemModel>
#include <QCoreApplication>

#include <algorithm>

namespace {

void drain()
{
    QCoreApplication::processEvents();
    if (auto *engine = qobject_cast<cLogEngine *>(logs::notifier()))
        engine->flush();
}

} // namespace

cLogCapture::cLogCapture(QObject *parent) : QObject(parent)
{
    drain();
    QAbstractItemModel *model = logs::get()->model(QStringLiteral("ALL"), QStringLiteral("ALL"));
    connect(model, &QAbstractItemModel::rowsInserted, this, [this, model](const QModelIndex &, int first, int last) {
        for (int row = first; row <= last; ++row)
            m_texts << model->index(row, cLogModel::TextColumn).data().toString();
    });
}

QStringList cLogCapture::texts()
{
    drain();
    return m_texts;
}

bool cLogCapture::contains(const QStringList &parts)
{
    const QStringList all = texts();
    return std::any_of(all.cbegin(), all.cend(), [&](const QString &text) {
        return std::all_of(parts.cbegin(), parts.cend(), [&](const QString &part) { return text.contains(part); });
    });
}

int cLogCapture::count(const QString &part)
{
    const QStringList all = texts();
    return int(std::count_if(all.cbegin(), all.cend(), [&](const QString &text) { return text.contains(part); }));
}

#include "logcapture.h"

#include "platform/logging/clogengine.h"
#include "platform/logging/clogmodel.h"
#include "platform/logging/logs.h"

#include <QAbstractItemModel>
#include <QCoreApplication>

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
    for (const QString &text : all) {
        bool every = true;
        for (const QString &part : parts)
            every = every && text.contains(part);
        if (every)
            return true;
    }
    return false;
}

int cLogCapture::count(const QString &part)
{
    const QStringList all = texts();
    int n = 0;
    for (const QString &text : all)
        n += text.contains(part) ? 1 : 0;
    return n;
}

void cLogCapture::clear()
{
    drain();
    m_texts.clear();
}

#include "files/ui/cdevicefsmodel.h"

#include "files/core/cdevicefsrunner.h"
#include "platform/appenv/resourcefile.h"

#include <QSignalBlocker>

cDeviceFSModel::cDeviceFSModel(QObject *parent)
    : QStandardItemModel(parent)
    , m_runner(new cDeviceFSRunner(this))
    , m_folderIcon(resourceFile(QStringLiteral("folder.ico")))
    , m_fileIcon(resourceFile(QStringLiteral("file.ico")))
{
    // The runner's thread sends its rows here; only this (the GUI) thread writes them.
    connect(m_runner, &cDeviceFSRunner::dirListed, this,
            [this](const QString &path) { fill(path, m_runner->takeListing()); }, Qt::QueuedConnection);
}

cDeviceFSModel::~cDeviceFSModel() = default;

iDeviceFSRunner *cDeviceFSModel::runner() const
{
    return m_runner;
}

QVariant cDeviceFSModel::data(const QModelIndex &index, int role) const
{
    if (role != Qt::ToolTipRole)
        return QStandardItemModel::data(index, role);
    const QString text = QStandardItemModel::data(index, Qt::DisplayRole).toString();
    if (index.column() == SizeColumn && !text.isEmpty())
        return tr("%1 bytes").arg(text);
    return text.isEmpty() ? QVariant() : QVariant(text);
}

void cDeviceFSModel::fill(const QString &, const QList<sDeviceFSEntry> &entries)
{
    // One reset instead of a signal per row: views relayout once, even for thousands of entries.
    beginResetModel();
    {
        const QSignalBlocker blocker(this);
        clear();
        if (!entries.isEmpty())
            setHorizontalHeaderLabels({tr("Name"), tr("Size"), tr("Change date")});
        for (const sDeviceFSEntry &e : entries) {
            // Tool tips come from data(): three fewer item writes per row.
            auto name = new QStandardItem(e.isDir ? m_folderIcon : m_fileIcon, e.name);
            auto size = e.isDir ? new QStandardItem : new QStandardItem(QString::number(quint64(e.size)));
            appendRow({name, size, new QStandardItem(e.modified.toString(Qt::TextDate))});
        }
    }
    endResetModel();
}

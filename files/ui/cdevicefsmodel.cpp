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
    connect(m_runner, &cDeviceFSRunner::dirListed, this, &cDeviceFSModel::fill, Qt::QueuedConnection);
}

cDeviceFSModel::~cDeviceFSModel() = default;

iDeviceFSRunner *cDeviceFSModel::runner() const
{
    return m_runner;
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
            auto name = new QStandardItem(e.isDir ? m_folderIcon : m_fileIcon, e.name);
            name->setToolTip(e.name);
            auto size = new QStandardItem;
            if (!e.isDir) {
                size->setText(QStringLiteral("%1").arg(quint64(e.size)));
                size->setToolTip(tr("%1 bytes").arg(quint64(e.size)));
            }
            const QString date = e.modified.toString(Qt::TextDate);
            auto changed = new QStandardItem(date);
            changed->setToolTip(date);
            appendRow({name, size, changed});
        }
    }
    endResetModel();
}

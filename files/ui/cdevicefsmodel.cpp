#include "files/ui/cdevicefsmodel.h"

#include "files/core/cdevicefsrunner.h"
#include "files/core/cdevicelisting.h"
#include "platform/appenv/resourcefile.h"

#include <QCoreApplication>
#include <QMimeData>
#include <QSet>
#include <QSignalBlocker>

namespace {
const QString kUnitFilesType = QStringLiteral("application/x-zovan-unit-files");

// Unit paths name files of the unit this process has open: a drag from another instance of the
// tool would name another unit's files, so the payload says which process made it.
QByteArray processMark()
{
    return QByteArray::number(QCoreApplication::applicationPid());
}
} // namespace

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

QStringList cDeviceFSModel::mimeTypes() const
{
    return {kUnitFilesType};
}

QMimeData *cDeviceFSModel::mimeData(const QModelIndexList &indexes) const
{
    const QString base = m_path.endsWith(QLatin1Char('/')) ? m_path : m_path + QLatin1Char('/');
    QSet<int> seen;
    QStringList files;
    // A view hands in every selected cell; a row is one file however many of its cells are there.
    for (const QModelIndex &index : indexes) {
        if (!index.isValid() || index.model() != this || seen.contains(index.row()))
            continue;
        seen.insert(index.row());
        if (!index.siblingAtColumn(SizeColumn).data().toString().isEmpty())
            files << base + index.siblingAtColumn(NameColumn).data().toString();
    }
    if (files.isEmpty())
        return nullptr;
    auto data = new QMimeData;
    data->setData(kUnitFilesType, processMark() + '\n' + files.join(QLatin1Char('\n')).toUtf8());
    return data;
}

Qt::DropActions cDeviceFSModel::supportedDragActions() const
{
    // A move would take the rows out of the listing while the files stay on the unit.
    return Qt::CopyAction;
}

QStringList cDeviceFSModel::unitFiles(const QMimeData *data)
{
    if (!data || !data->hasFormat(kUnitFilesType))
        return {};
    const QList<QByteArray> lines = data->data(kUnitFilesType).split('\n');
    if (lines.size() < 2 || lines.first() != processMark())
        return {};
    QStringList files;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QString path = QString::fromUtf8(lines.at(i));
        // The runner names the local copy after the last part: it must be one plain name.
        if (!path.startsWith(QLatin1Char('/')) || !cDeviceListing::isPlainName(path.section(QLatin1Char('/'), -1)))
            return {};
        files << path;
    }
    return files;
}

void cDeviceFSModel::fill(const QString &path, const QList<sDeviceFSEntry> &entries)
{
    m_path = path;
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

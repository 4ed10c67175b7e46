#include "clogmodel.h"

#include <algorithm>

namespace {
const QString kAll = QStringLiteral("ALL");
}

cLogModel::cLogModel(const QString &group, const QString &filter, int capacity, QObject *parent)
    : QAbstractTableModel(parent), m_group(group), m_filter(filter), m_capacity(std::max(1, capacity))
{
}

int cLogModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int cLogModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QString cLogModel::levelName(int level)
{
    switch (level) {
    case 0: return tr("Trace");
    case 1: return tr("Notify");
    case 2: return tr("Warning");
    case 3: return tr("Error");
    case 4: return tr("Debug");
    default: return QString::number(level);
    }
}

QVariant cLogModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= int(m_rows.size()))
        return QVariant();
    const sLogMessage &m = m_rows[size_t(index.row())];
    switch (role) {
    case Qt::DisplayRole:
        switch (index.column()) {
        case TimeColumn: return m.time.toString(QStringLiteral("hh:mm:ss.zzz"));
        case LevelColumn: return levelName(m.level);
        case SourceColumn: return m.source;
        case TextColumn: return m.text;
        }
        break;
    case Qt::ToolTipRole:
        if (index.column() == TextColumn)
            return m.text;
        if (index.column() == TimeColumn)
            return m.time.toString(Qt::ISODateWithMs);
        break;
    case LevelRole: return m.level;
    case GroupRole: return m.group;
    case TimeRole: return m.time;
    }
    return QVariant();
}

QVariant cLogModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case TimeColumn: return tr("Time");
    case LevelColumn: return tr("Level");
    case SourceColumn: return tr("Source");
    case TextColumn: return tr("Message");
    }
    return QVariant();
}

bool cLogModel::accepts(const sLogMessage &message) const
{
    if (m_group != kAll && message.group != m_group)
        return false;
    return m_filter == kAll || m_filter.isEmpty() || message.source == m_filter;
}

void cLogModel::append(const QList<sLogMessage> &batch)
{
    QList<const sLogMessage *> accepted;
    accepted.reserve(batch.size());
    for (const sLogMessage &m : batch)
        if (accepts(m))
            accepted.append(&m);
    if (accepted.isEmpty())
        return;

    // A batch larger than the capacity only keeps its newest part.
    qsizetype skip = std::max<qsizetype>(0, accepted.size() - m_capacity);
    const int incoming = int(accepted.size() - skip);
    const int overflow = int(m_rows.size()) + incoming - m_capacity;
    if (overflow > 0) {
        beginRemoveRows(QModelIndex(), 0, overflow - 1);
        m_rows.erase(m_rows.begin(), m_rows.begin() + overflow);
        endRemoveRows();
    }
    const int first = int(m_rows.size());
    beginInsertRows(QModelIndex(), first, first + incoming - 1);
    for (qsizetype i = skip; i < accepted.size(); ++i)
        m_rows.push_back(*accepted[i]);
    endInsertRows();
}

QList<sLogMessage> cLogModel::messages() const
{
    return QList<sLogMessage>(m_rows.cbegin(), m_rows.cend());
}

void cLogModel::setCapacity(int capacity)
{
    m_capacity = std::max(1, capacity);
    const int overflow = int(m_rows.size()) - m_capacity;
    if (overflow <= 0)
        return;
    beginRemoveRows(QModelIndex(), 0, overflow - 1);
    m_rows.erase(m_rows.begin(), m_rows.begin() + overflow);
    endRemoveRows();
}

#include "ctestitem.h"

#include "tests/engine/testroles.h"

#include <QDateTime>

using namespace testmodel;

cTestItem::cTestItem(int cellType, bool checkable)
    : m_type(cellType)
{
    QStandardItem::setData(cellType, ItemTypeRole);
    setEditable(false);
    if (cellType == TestNameCell && checkable) {
        setCheckable(true);
        QStandardItem::setData(int(Qt::Unchecked), Qt::CheckStateRole);
    }
}

int cTestItem::type() const
{
    return m_type;
}

QString cTestItem::stateText(int state)
{
    switch (state) {
    case StateOk: return tr("OK");
    case StateError: return tr("Error");
    case StateWarning: return tr("Warning");
    case StateQueued: return tr("Enqueued");
    case StateRunning: return tr("Running");
    case StateCanceling: return tr("Canceling");
    case StateCanceled: return tr("Canceled");
    default: return tr("Unknown");
    }
}

QStandardItem *cTestItem::sibling(int column) const
{
    const QStandardItem *parentItem = parent();
    if (!parentItem && model())
        parentItem = model()->invisibleRootItem();
    return parentItem ? parentItem->child(row(), column) : nullptr;
}

QVariant cTestItem::data(int role) const
{
    switch (m_type) {
    case TimeCell:
        if (role == Qt::DisplayRole) {
            const QDateTime start = QStandardItem::data(StartTimeRole).toDateTime();
            const QDateTime end = QStandardItem::data(EndTimeRole).toDateTime();
            const QString format = QStringLiteral("hh:mm:ss");
            return QStringLiteral("%1%2%3")
                .arg(start.isValid() ? start.toString(format) : QString(),
                     start.isValid() ? QStringLiteral(" - ") : QString(),
                     end.isValid() ? end.toString(format) : QString());
        }
        break;
    case InfoCell:
        if (role == Qt::DisplayRole) {
            const QStandardItem *name = sibling(NameColumn);
            if (name && name->type() == TestNameCell)
                return name->data(Qt::DisplayRole);
            return QVariant();
        }
        if (role == Qt::ToolTipRole) {
            const QString details = QStandardItem::data(DetailsRole).toString();
            return details.isEmpty() ? QVariant() : QVariant(tr("Status details: %1").arg(details));
        }
        break;
    case StatusCell:
        if (role == Qt::ToolTipRole) {
            QString tip = tr("Status: %1").arg(stateText(QStandardItem::data(StateRole).toInt()));
            const QStandardItem *info = sibling(InfoColumn);
            const QString details = info ? info->data(DetailsRole).toString() : QString();
            if (!details.isEmpty())
                tip += QLatin1Char('\n') + tr("Details: %1").arg(details);
            return tip;
        }
        break;
    default:
        break;
    }
    return QStandardItem::data(role);
}

void cTestItem::setData(const QVariant &value, int role)
{
    QStandardItem::setData(value, role);
    if (role == Qt::CheckStateRole && m_type == TestNameCell && column() == NameColumn)
        resetResults();
}

// A changed choice starts the row afresh: old results would belong to another selection.
void cTestItem::resetResults()
{
    if (QStandardItem *statistics = sibling(StatisticsColumn)) {
        statistics->setData(QString(), Qt::DisplayRole);
        statistics->setData(false, FailedRole);
    }
    if (QStandardItem *status = sibling(StatusColumn))
        status->setData(int(StateNone), StateRole);
    if (QStandardItem *info = sibling(InfoColumn))
        info->setData(QString(), DetailsRole);
    if (QStandardItem *time = sibling(TimeColumn)) {
        time->setData(QDateTime(), StartTimeRole);
        time->setData(QDateTime(), EndTimeRole);
    }
}

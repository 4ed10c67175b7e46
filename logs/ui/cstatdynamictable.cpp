#include "logs/ui/cstatdynamictable.h"

#include <QHeaderView>
#include <QSortFilterProxyModel>
#include <QStandardItemModel>

cStatDynamicTable::cStatDynamicTable(QWidget *parent)
    : QTableView(parent)
    , m_model(new QStandardItemModel(0, 2, this))
    , m_proxy(new QSortFilterProxyModel(this))
{
    m_proxy->setSourceModel(m_model);
    m_proxy->setDynamicSortFilter(true);
    setModel(m_proxy);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    verticalHeader()->hide();
    horizontalHeader()->hide();
    horizontalHeader()->setStretchLastSection(true);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    // Plain string order, as the unit's tool always showed it (ain10 before ain2).
    m_proxy->sort(0, Qt::AscendingOrder);
}

void cStatDynamicTable::setRow(const QString &name, const QString &value)
{
    const QList<QStandardItem *> found = m_model->findItems(name, Qt::MatchFixedString | Qt::MatchWrap, 0);
    if (found.size() == 1) {
        m_model->item(found.first()->row(), 1)->setText(value);
        return;
    }
    auto nameItem = new QStandardItem(name);
    nameItem->setEditable(false);
    auto valueItem = new QStandardItem(value);
    valueItem->setEditable(false);
    m_model->appendRow({nameItem, valueItem});
}

void cStatDynamicTable::clearRows()
{
    m_model->removeRows(0, m_model->rowCount());
    m_proxy->sort(0, Qt::AscendingOrder);
    setColumnWidth(0, 100);
}

QString cStatDynamicTable::rowValue(const QString &name) const
{
    const QList<QStandardItem *> found = m_model->findItems(name, Qt::MatchFixedString | Qt::MatchWrap, 0);
    return found.size() == 1 ? m_model->item(found.first()->row(), 1)->text() : QString();
}

int cStatDynamicTable::rows() const
{
    return m_model->rowCount();
}

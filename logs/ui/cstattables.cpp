#include "logs/ui/cstattables.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

namespace stattables {

QTableWidget *makeFixed(QWidget *parent, int rows)
{
    auto table = new QTableWidget(rows, 2, parent);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->verticalHeader()->hide();
    table->horizontalHeader()->hide();
    table->horizontalHeader()->setStretchLastSection(true);
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 6);
    for (int row = 0; row < rows; ++row) {
        auto caption = new QTableWidgetItem;
        caption->setFlags(Qt::ItemIsEnabled);
        table->setItem(row, 0, caption);
        auto value = new QTableWidgetItem;
        value->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        table->setItem(row, 1, value);
    }
    return table;
}

void setCaptions(QTableWidget *table, const QStringList &captions)
{
    for (int row = 0; row < captions.size() && row < table->rowCount(); ++row)
        table->item(row, 0)->setText(captions.at(row));
}

void setValue(QTableWidget *table, int row, const QString &value)
{
    table->item(row, 1)->setText(value);
}

QString value(const QTableWidget *table, int row)
{
    return table->item(row, 1)->text();
}

void clearValues(QTableWidget *table)
{
    for (int row = 0; row < table->rowCount(); ++row)
        table->item(row, 1)->setText(QString());
}

QLabel *addCaptioned(QVBoxLayout *column, QWidget *table)
{
    auto label = new QLabel(column->parentWidget());
    column->addWidget(label);
    column->addWidget(table);
    return label;
}

QSplitter *makeColumns(QWidget *owner)
{
    auto splitter = new QSplitter(Qt::Horizontal, owner);
    auto layout = new QHBoxLayout(owner);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(splitter);
    return splitter;
}

QVBoxLayout *addColumn(QSplitter *columns)
{
    auto w = new QWidget(columns);
    auto l = new QVBoxLayout(w);
    l->setContentsMargins(2, 2, 2, 2);
    columns->addWidget(w);
    return l;
}

} // namespace stattables

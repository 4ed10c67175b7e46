#pragma once

#include "tests/engine/ctesthandle.h"
#include "tests/engine/testroles.h"

#include <QStandardItemModel>
#include <QStringList>

/** A model laid out like the workbench's test model: name, statistics, time, status, info. */
inline QStandardItemModel *makeTestModel(const QStringList &names, QObject *parent = nullptr)
{
    using namespace testmodel;
    auto *model = new QStandardItemModel(0, ColumnCount, parent);
    const int types[ColumnCount] = {TestNameCell, StatisticsCell, TimeCell, StatusCell, InfoCell};
    for (const QString &name : names) {
        QList<QStandardItem *> row;
        for (int type : types) {
            row.append(new QStandardItem);
            row.last()->setData(type, ItemTypeRole);
        }
        row[NameColumn]->setText(name);
        row[NameColumn]->setData(name, TestNameRole);
        model->appendRow(row);
    }
    return model;
}

inline QVariant cellData(const QAbstractItemModel *model, int row, int column, int role)
{
    return model->index(row, column).data(role);
}

/** The handle of a row, made as the runner makes it from the five cells. */
inline cTestHandle rowHandle(const QAbstractItemModel *model, int row)
{
    using namespace testmodel;
    return cTestHandle(model->index(row, NameColumn), model->index(row, StatusColumn),
                       model->index(row, TimeColumn), model->index(row, InfoColumn),
                       model->index(row, StatisticsColumn));
}

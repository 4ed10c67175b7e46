#pragma once

#include "tests/engine/ctesthandle.h"
#include "tests/engine/testroles.h"

#include <QStandardItemModel>
#include <QStringList>

/** A model laid out like the workbench's test model: name, statistics, time, status, info. */
inline QStandardItemModel *makeTestModel(const QStringList &names, QObject *parent = nullptr)
{
    auto *model = new QStandardItemModel(0, testmodel::ColumnCount, parent);
    for (const QString &name : names) {
        QList<QStandardItem *> row;
        const int types[testmodel::ColumnCount] = {testmodel::TestNameCell, testmodel::StatisticsCell,
                                                   testmodel::TimeCell, testmodel::StatusCell,
                                                   testmodel::InfoCell};
        for (int column = 0; column < testmodel::ColumnCount; ++column) {
            auto *item = new QStandardItem;
            item->setData(types[column], testmodel::ItemTypeRole);
            row.append(item);
        }
        row[testmodel::NameColumn]->setText(name);
        row[testmodel::NameColumn]->setData(name, testmodel::TestNameRole);
        model->appendRow(row);
    }
    return model;
}

inline QModelIndex cell(const QAbstractItemModel *model, int row, int column)
{
    return model->index(row, column);
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

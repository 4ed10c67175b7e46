#pragma once

#include "tests/engine/ctesthandle.h"
#include "tests/engine/testroles.h"
#include "tests/model/ctestmodel.h"

#include <QStringList>

/** The workbench's own test model with these tests, without check boxes and without a runner. */
inline cTestModel *makeTestModel(const QStringList &names, QObject *parent = nullptr)
{
    auto *model = new cTestModel(nullptr, parent);
    for (const QString &name : names)
        model->appendTest(name, false);
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

#pragma once

#include <QSortFilterProxyModel>

/** The plain sort/filter proxy between the test model and its view. */
class cTestProxy : public QSortFilterProxyModel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(cTestProxy)

public:
    explicit cTestProxy(QObject *parent = nullptr);
};

#pragma once

#include <QTableView>

class QSortFilterProxyModel;
class QStandardItemModel;

/** A table of one row per named channel, created when the channel first reports, sorted by name. */
class cStatDynamicTable : public QTableView
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(cStatDynamicTable)

public:
    explicit cStatDynamicTable(QWidget *parent);

    /** Replaces the value of the row named name, or adds the row when there is none. */
    void setRow(const QString &name, const QString &value);
    /** All rows go. */
    void clearRows();
    /** The value shown for name; empty when there is no such row. */
    QString rowValue(const QString &name) const;
    int rows() const;

private:
    QStandardItemModel *m_model;
    QSortFilterProxyModel *m_proxy;
};

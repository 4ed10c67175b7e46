#pragma once

#include <QCoreApplication>
#include <QStandardItem>

/** One cell of the test model; its type says which of the five cells of a row it is. */
class cTestItem : public QStandardItem
{
    Q_DECLARE_TR_FUNCTIONS(cTestItem)

public:
    /** cellType is one of testmodel::CellType; only a test-name cell takes the checkable flag. */
    cTestItem(int cellType, bool checkable);

    int type() const override;
    QVariant data(int role = Qt::UserRole + 1) const override;
    void setData(const QVariant &value, int role = Qt::UserRole + 1) override;

    /** The operator's text of a test state code; "Unknown" outside 1 to 7. */
    static QString stateText(int state);

private:
    QStandardItem *sibling(int column) const;
    void resetResults();

    const int m_type;
};

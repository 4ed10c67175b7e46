#pragma once

#include <QStandardItemModel>
#include <QString>
#include <QStringList>

class iTestRunner;

/**
 * The tests of the connected unit, one row of five cells per test (name, statistics, time,
 * status, info). The runner writes results into it through test handles; the model also
 * keeps, per unit, which tests the operator checked.
 */
class cTestModel : public QStandardItemModel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(cTestModel)

public:
    cTestModel(iTestRunner *runner, QObject *parent);

    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;

    QString unitName() const { return m_unitName; }
    /** Names of the checked tests, in row order (children included). */
    QStringList checkedTests() const;
    /** Appends the row of one test; checkable unless every test runs anyway. */
    void appendTest(const QString &name, bool checkable);

signals:
    void filled();
    void checked(bool on);
    void cleared();
    void allTestsFinished();

public slots:
    void init(const QString &unitName, bool selectAllTests);
    void init(const QString &unitName);
    void deinit();
    void liteClear();
    void runAllTests();
    void testFinished();

private:
    void collectChecked(const QModelIndex &parent, QStringList *names) const;
    void setHeaders();

    iTestRunner *const m_runner;
    QString m_unitName;
    int m_running = 0;
};

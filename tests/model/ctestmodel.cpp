#include "ctestmodel.h"

#include "tests/engine/itestrunner.h"
#include "tests/engine/testroles.h"
#include "tests/model/ctestitem.h"

#include <QSettings>

using namespace testmodel;

namespace {
const QString kCheckedGroup = QStringLiteral("CheckedTests");
}

cTestModel::cTestModel(iTestRunner *runner, QObject *parent)
    : QStandardItemModel(parent)
    , m_runner(runner)
{
    setHeaders();
    if (m_runner && m_runner->object())
        connect(m_runner->object(), SIGNAL(testFinished()), this, SLOT(testFinished()));
}

void cTestModel::setHeaders()
{
    setColumnCount(ColumnCount);
    setHorizontalHeaderLabels({ tr("Test name"), tr("Statistics"), tr("Was started"), tr("Status"),
                                tr("Info") });
}

bool cTestModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    const bool watched = role == Qt::CheckStateRole && index.column() == NameColumn
        && index.data(ItemTypeRole).toInt() == TestNameCell;
    const QVariant before = watched ? index.data(Qt::CheckStateRole) : QVariant();
    if (!QStandardItemModel::setData(index, value, role))
        return false;
    // Only real changes count: the view keeps a running total of checked rows.
    if (watched && before.toInt() != value.toInt()) {
        if (value.toInt() == Qt::Checked)
            emit checked(true);
        else if (value.toInt() == Qt::Unchecked)
            emit checked(false);
    }
    return true;
}

void cTestModel::appendTest(const QString &name, bool checkable)
{
    auto *nameCell = new cTestItem(TestNameCell, checkable);
    nameCell->setText(name);
    nameCell->setToolTip(name);
    nameCell->setData(name, TestNameRole);
    QList<QStandardItem *> row(ColumnCount);
    row[NameColumn] = nameCell;
    row[StatisticsColumn] = new cTestItem(StatisticsCell, false);
    row[TimeColumn] = new cTestItem(TimeCell, false);
    row[StatusColumn] = new cTestItem(StatusCell, false);
    row[InfoColumn] = new cTestItem(InfoCell, false);
    appendRow(row);
}

void cTestModel::init(const QString &unitName, bool selectAllTests)
{
    liteClear();
    QSettings settings;
    settings.beginGroup(kCheckedGroup);
    const QStringList stored = settings.value(unitName).toStringList();
    settings.endGroup();
    m_unitName = unitName;

    const QStringList names = m_runner ? m_runner->enumerateTests() : QStringList();
    for (const QString &name : names) {
        appendTest(name, !selectAllTests);
        if (!selectAllTests && stored.contains(name))
            setData(index(rowCount() - 1, NameColumn), int(Qt::Checked), Qt::CheckStateRole);
    }
    emit filled();
}

void cTestModel::init(const QString &unitName)
{
    init(unitName, false);
}

void cTestModel::collectChecked(const QModelIndex &parent, QStringList *names) const
{
    for (int row = 0; row < rowCount(parent); ++row) {
        const QModelIndex cell = index(row, NameColumn, parent);
        if (cell.data(ItemTypeRole).toInt() == TestNameCell
            && cell.data(Qt::CheckStateRole).toInt() == Qt::Checked)
            names->append(cell.data(TestNameRole).toString());
        collectChecked(cell, names);
    }
}

QStringList cTestModel::checkedTests() const
{
    QStringList names;
    collectChecked(QModelIndex(), &names);
    return names;
}

void cTestModel::deinit()
{
    // Without a unit there is no key to store under; an empty key would hit the group itself.
    if (!m_unitName.isEmpty()) {
        QSettings settings;
        settings.beginGroup(kCheckedGroup);
        settings.setValue(m_unitName, checkedTests());
        settings.endGroup();
        settings.sync();
    }
    liteClear();
}

void cTestModel::liteClear()
{
    removeRows(0, rowCount());
    emit cleared();
}

void cTestModel::runAllTests()
{
    m_running = 0;
    if (!m_runner)
        return;
    for (int row = 0; row < rowCount(); ++row) {
        const QModelIndex name = index(row, NameColumn);
        if (name.data(ItemTypeRole).toInt() != TestNameCell)
            continue;
        const QModelIndex status = index(row, StatusColumn);
        if (status.data(StateRole).toInt() == StateRunning) {
            m_runner->cancelCurrentTest();
        } else {
            m_runner->queueTest(name, status, index(row, TimeColumn), index(row, InfoColumn),
                                index(row, StatisticsColumn));
            ++m_running;
        }
    }
}

void cTestModel::testFinished()
{
    --m_running;
    if (m_running <= 0)
        emit allTestsFinished();
}

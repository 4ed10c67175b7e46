#include "autotests/tests/model/cfaketestrunner.h"

#include "tests/model/ctestitem.h"
#include "tests/model/ctestmodel.h"

#include <QDateTime>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>

using namespace testmodel;

class tst_cTestModel : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void checkedTestsPerUnit();
    void selectAllHasNoCheckBoxes();
    void checkSignalsOnlyOnChange();
    void checkingResetsRow();
    void cellTexts_data();
    void cellTexts();
    void runAllTests();

private:
    QVariant cell(int row, int column, int role) const { return m_model->index(row, column).data(role); }
    void check(int row, Qt::CheckState state)
    {
        m_model->setData(m_model->index(row, NameColumn), int(state), Qt::CheckStateRole);
    }

    std::unique_ptr<cFakeTestRunner> m_runner;
    std::unique_ptr<cTestModel> m_model;
};

void tst_cTestModel::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication::setOrganizationName(QStringLiteral("ZovanToolsTests"));
    QCoreApplication::setApplicationName(QStringLiteral("tst_ctestmodel"));
}

void tst_cTestModel::init()
{
    QSettings().clear();
    m_model.reset();
    m_runner = std::make_unique<cFakeTestRunner>();
    m_runner->tests = { QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c") };
    m_model = std::make_unique<cTestModel>(m_runner.get(), nullptr);
}

void tst_cTestModel::checkedTestsPerUnit()
{
    QSignalSpy checkedSpy(m_model.get(), &cTestModel::checked);
    QSignalSpy filledSpy(m_model.get(), &cTestModel::filled);
    QSignalSpy clearedSpy(m_model.get(), &cTestModel::cleared);
    QVERIFY(checkedSpy.isValid());
    QVERIFY(filledSpy.isValid());
    QVERIFY(clearedSpy.isValid());

    m_model->init(QStringLiteral("unit A"));
    QCOMPARE(filledSpy.count(), 1);
    QCOMPARE(m_model->rowCount(), 3);
    QCOMPARE(cell(0, NameColumn, Qt::CheckStateRole).toInt(), int(Qt::Unchecked));
    check(1, Qt::Checked);
    m_model->deinit();
    QCOMPARE(m_model->rowCount(), 0);
    QVERIFY(clearedSpy.count() >= 2);

    m_model->init(QStringLiteral("unit B"));
    QCOMPARE(m_model->checkedTests(), QStringList());
    m_model->deinit();

    checkedSpy.clear();
    m_model->init(QStringLiteral("unit A"));
    QCOMPARE(m_model->checkedTests(), QStringList{ QStringLiteral("b") });
    QCOMPARE(checkedSpy.count(), 1);
    QCOMPARE(checkedSpy.at(0).at(0).toBool(), true);

    // "b" vanished from the unit: it is forgotten at the next disconnection.
    m_model->deinit();
    QSettings().setValue(QStringLiteral("CheckedTests/unit A"), QStringList{ QStringLiteral("b"), QStringLiteral("gone") });
    m_runner->tests = { QStringLiteral("a"), QStringLiteral("b") };
    m_model->init(QStringLiteral("unit A"));
    m_model->deinit();
    QCOMPARE(QSettings().value(QStringLiteral("CheckedTests/unit A")).toStringList(), QStringList{ QStringLiteral("b") });
}

void tst_cTestModel::selectAllHasNoCheckBoxes()
{
    QSettings().setValue(QStringLiteral("CheckedTests/unit"), QStringList{ QStringLiteral("a") });
    m_model->init(QStringLiteral("unit"), true);
    QCOMPARE(m_model->rowCount(), 3);
    QVERIFY(!(m_model->flags(m_model->index(0, NameColumn)) & Qt::ItemIsUserCheckable));
    QVERIFY(!cell(0, NameColumn, Qt::CheckStateRole).isValid());
    QCOMPARE(QSettings().value(QStringLiteral("CheckedTests/unit")).toStringList(), QStringList{ QStringLiteral("a") });
}

void tst_cTestModel::checkSignalsOnlyOnChange()
{
    m_model->init(QStringLiteral("unit"));
    QSignalSpy spy(m_model.get(), &cTestModel::checked);
    QVERIFY(spy.isValid());
    check(0, Qt::Checked);
    check(0, Qt::Checked);
    check(0, Qt::PartiallyChecked);
    check(0, Qt::Unchecked);
    check(0, Qt::Unchecked);
    QCOMPARE(spy.count(), 2);
    QCOMPARE(spy.at(0).at(0).toBool(), true);
    QCOMPARE(spy.at(1).at(0).toBool(), false);
}

void tst_cTestModel::checkingResetsRow()
{
    m_model->init(QStringLiteral("unit"));
    m_model->setData(m_model->index(0, StatusColumn), int(StateError), StateRole);
    m_model->setData(m_model->index(0, InfoColumn), QStringLiteral("bad"), DetailsRole);
    m_model->setData(m_model->index(0, TimeColumn), QDateTime::currentDateTime(), StartTimeRole);
    m_model->setData(m_model->index(0, StatisticsColumn), QStringLiteral("Runs: 1, OK: 0"), Qt::DisplayRole);
    m_model->setData(m_model->index(0, StatisticsColumn), true, FailedRole);

    check(0, Qt::Checked);
    QCOMPARE(cell(0, StatusColumn, StateRole).toInt(), int(StateNone));
    QCOMPARE(cell(0, InfoColumn, DetailsRole).toString(), QString());
    QVERIFY(!cell(0, TimeColumn, StartTimeRole).toDateTime().isValid());
    QCOMPARE(cell(0, TimeColumn, Qt::DisplayRole).toString(), QString());
    QCOMPARE(cell(0, StatisticsColumn, Qt::DisplayRole).toString(), QString());
    QCOMPARE(cell(0, StatisticsColumn, FailedRole).toBool(), false);
    QCOMPARE(cell(0, StatusColumn, Qt::ToolTipRole).toString(), QStringLiteral("Status: Unknown"));
}

void tst_cTestModel::cellTexts_data()
{
    QTest::addColumn<int>("state");
    QTest::addColumn<QString>("details");
    QTest::addColumn<bool>("started");
    QTest::addColumn<bool>("ended");
    QTest::addColumn<QString>("statusTip");
    QTest::addColumn<QString>("infoTip");
    QTest::addColumn<QString>("time");

    QTest::newRow("never run") << 0 << QString() << false << false << "Status: Unknown" << QString() << QString();
    QTest::newRow("out of range") << 9 << QString() << false << false << "Status: Unknown" << QString() << QString();
    QTest::newRow("running") << 5 << QString() << true << false << "Status: Running" << QString() << "10:20:30 - ";
    QTest::newRow("ok with details") << 1 << "fine" << true << true << "Status: OK\nDetails: fine"
                                     << "Status details: fine" << "10:20:30 - 10:21:00";
    QTest::newRow("canceled") << 7 << QString() << true << true << "Status: Canceled" << QString() << "10:20:30 - 10:21:00";
    QTest::newRow("end only") << 2 << "x" << false << true << "Status: Error\nDetails: x" << "Status details: x" << "10:21:00";
}

void tst_cTestModel::cellTexts()
{
    QFETCH(int, state);
    QFETCH(QString, details);
    QFETCH(bool, started);
    QFETCH(bool, ended);
    QFETCH(QString, statusTip);
    QFETCH(QString, infoTip);
    QFETCH(QString, time);

    m_model->init(QStringLiteral("unit"));
    const QDate day(2026, 12, 8);
    m_model->setData(m_model->index(1, StatusColumn), state, StateRole);
    m_model->setData(m_model->index(1, InfoColumn), details, DetailsRole);
    m_model->setData(m_model->index(1, TimeColumn), started ? QDateTime(day, QTime(10, 20, 30)) : QDateTime(), StartTimeRole);
    m_model->setData(m_model->index(1, TimeColumn), ended ? QDateTime(day, QTime(10, 21)) : QDateTime(), EndTimeRole);

    QCOMPARE(cell(1, StatusColumn, Qt::ToolTipRole).toString(), statusTip);
    QCOMPARE(cell(1, InfoColumn, Qt::ToolTipRole).toString(), infoTip);
    QCOMPARE(cell(1, TimeColumn, Qt::DisplayRole).toString(), time);
    QCOMPARE(cell(1, InfoColumn, Qt::DisplayRole).toString(), QStringLiteral("b"));
    for (int column = 0; column < ColumnCount; ++column)
        QCOMPARE(m_model->itemFromIndex(m_model->index(1, column))->type(), cell(1, column, ItemTypeRole).toInt());
}

void tst_cTestModel::runAllTests()
{
    m_model->init(QStringLiteral("unit"));
    m_model->setData(m_model->index(1, StatusColumn), int(StateRunning), StateRole);
    QSignalSpy spy(m_model.get(), &cTestModel::allTestsFinished);
    QVERIFY(spy.isValid());

    m_model->runAllTests();
    QCOMPARE(m_runner->calls, (QStringList{ "queue:a", "cancelCurrent", "queue:c" }));
    emit m_runner->testFinished();
    QCOMPARE(spy.count(), 0);
    emit m_runner->testFinished();
    QCOMPARE(spy.count(), 1);
}

QTEST_GUILESS_MAIN(tst_cTestModel)
#include "tst_ctestmodel.moc"

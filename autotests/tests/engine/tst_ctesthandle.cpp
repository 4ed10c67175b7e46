#include "testmodelfixture.h"

#include "tests/engine/ctesthandle.h"
#include "tests/engine/testroles.h"

#include <QSignalSpy>
#include <QTest>
#include <QThread>

#include <memory>

using namespace testmodel;

class tst_cTestHandle : public QObject
{
    Q_OBJECT

private slots:
    void emptyHandle();
    void creationResetsRow();
    void writesReachModelInOrder();
    void writesFromAnotherThreadKeepOrder();
    void removedRowIsInvalid_data();
    void removedRowIsInvalid();
    void destroyedModel();
    void followsMovedRow();
    void sameRowSharesState();
    void modelChangesReachReads();
    void statistics_data();
    void statistics();
    void resultLine_data();
    void resultLine();
    void forRowMapsColumns();
};

void tst_cTestHandle::emptyHandle()
{
    cTestHandle handle;
    QVERIFY(!handle.isValid());
    QCOMPARE(handle.name(), QStringLiteral("- empty -"));
    QCOMPARE(handle.status(), 0);
    handle.setStatus(StateOk);
    handle.markStarted();
    QCOMPARE(handle.status(), 0);
    QVERIFY(!handle.startTime().isValid());
    QVERIFY(handle == cTestHandle());

    // Cells of two models, or an invalid cell, make no handle.
    std::unique_ptr<QStandardItemModel> a(makeTestModel({QStringLiteral("A")}));
    std::unique_ptr<QStandardItemModel> b(makeTestModel({QStringLiteral("B")}));
    const cTestHandle mixed(a->index(0, NameColumn), b->index(0, StatusColumn), a->index(0, TimeColumn),
                            a->index(0, InfoColumn), a->index(0, StatisticsColumn));
    QVERIFY(!mixed.isValid());
    const cTestHandle missing(a->index(0, NameColumn), QModelIndex(), a->index(0, TimeColumn),
                              a->index(0, InfoColumn), a->index(0, StatisticsColumn));
    QVERIFY(!missing.isValid());
}

void tst_cTestHandle::creationResetsRow()
{
    std::unique_ptr<QStandardItemModel> model(makeTestModel({QStringLiteral("T")}));
    model->setData(cell(model.get(), 0, TimeColumn), QDateTime::currentDateTime(), StartTimeRole);
    model->setData(cell(model.get(), 0, TimeColumn), QDateTime::currentDateTime(), EndTimeRole);
    model->setData(cell(model.get(), 0, StatisticsColumn), QStringLiteral("Runs: 1, OK: 1"), Qt::DisplayRole);
    model->setData(cell(model.get(), 0, StatisticsColumn), false, FailedRole);
    model->setData(cell(model.get(), 0, StatusColumn), StateWarning, StateRole);

    const cTestHandle handle = rowHandle(model.get(), 0);
    QVERIFY(handle.isValid());
    QCOMPARE(handle.name(), QStringLiteral("T"));
    QCOMPARE(handle.status(), int(StateWarning));  // the state is not part of the reset
    QTRY_VERIFY(!cellData(model.get(), 0, TimeColumn, StartTimeRole).toDateTime().isValid());
    QVERIFY(!cellData(model.get(), 0, TimeColumn, EndTimeRole).toDateTime().isValid());
    QCOMPARE(cellData(model.get(), 0, StatisticsColumn, Qt::DisplayRole).toString(), QString());
    QCOMPARE(cellData(model.get(), 0, StatisticsColumn, FailedRole).toBool(), true);

    // A copy does not reset the row again.
    model->setData(cell(model.get(), 0, StatisticsColumn), QStringLiteral("kept"), Qt::DisplayRole);
    const cTestHandle copy = handle;
    QCoreApplication::processEvents();
    QCOMPARE(cellData(model.get(), 0, StatisticsColumn, Qt::DisplayRole).toString(), QStringLiteral("kept"));
    QVERIFY(copy == handle);
}

void tst_cTestHandle::writesReachModelInOrder()
{
    std::unique_ptr<QStandardItemModel> model(makeTestModel({QStringLiteral("T")}));
    cTestHandle handle = rowHandle(model.get(), 0);
    QCoreApplication::processEvents();

    QList<int> states;
    connect(model.get(), &QAbstractItemModel::dataChanged, this, [&](const QModelIndex &index) {
        if (index.column() == StatusColumn)
            states.append(index.data(StateRole).toInt());
    });
    handle.setStatus(StateQueued);
    handle.markStarted();
    handle.setDetails(QStringLiteral("half"));
    handle.setProgress(50);
    handle.setStatus(StateError);
    // Reads see the writes at once; the model sees them once its thread runs.
    QCOMPARE(handle.status(), int(StateError));
    QCOMPARE(handle.details(), QStringLiteral("half"));
    QCOMPARE(handle.progress(), 50);
    QVERIFY(handle.startTime().isValid());

    QTRY_COMPARE(cellData(model.get(), 0, StatusColumn, StateRole).toInt(), int(StateError));
    QCOMPARE(cellData(model.get(), 0, InfoColumn, DetailsRole).toString(), QStringLiteral("half"));
    QCOMPARE(cellData(model.get(), 0, StatusColumn, ProgressRole).toInt(), 50);
    QCOMPARE(cellData(model.get(), 0, TimeColumn, StartTimeRole).toDateTime(), handle.startTime());
    QVERIFY(!cellData(model.get(), 0, TimeColumn, EndTimeRole).toDateTime().isValid());
    QVERIFY(states.mid(0, 2) == QList<int>({int(StateQueued), int(StateRunning)}));
    QCOMPARE(states.last(), int(StateError));

    handle.markOutput();
    handle.markEnded();
    QTRY_VERIFY(cellData(model.get(), 0, TimeColumn, EndTimeRole).toDateTime().isValid());
    QCOMPARE(cellData(model.get(), 0, InfoColumn, OutputRole).toBool(), true);
    handle.clearTimes();
    QTRY_VERIFY(!cellData(model.get(), 0, TimeColumn, StartTimeRole).toDateTime().isValid());
    QVERIFY(!cellData(model.get(), 0, TimeColumn, EndTimeRole).toDateTime().isValid());
}

void tst_cTestHandle::writesFromAnotherThreadKeepOrder()
{
    std::unique_ptr<QStandardItemModel> model(makeTestModel({QStringLiteral("T")}));
    cTestHandle handle = rowHandle(model.get(), 0);
    QList<int> seen;
    connect(model.get(), &QAbstractItemModel::dataChanged, this, [&](const QModelIndex &index) {
        if (index.column() == StatusColumn)
            seen.append(index.data(ProgressRole).toInt());
    });
    constexpr int kWrites = 2000;
    std::unique_ptr<QThread> writer(QThread::create([handle]() mutable {
        for (int i = 1; i <= kWrites; ++i) {
            handle.setProgress(i);
            if (handle.progress() != i)
                return;  // seen as a missing last value below
        }
    }));
    writer->start();
    QVERIFY(writer->wait(10000));
    QTRY_COMPARE(cellData(model.get(), 0, StatusColumn, ProgressRole).toInt(), kWrites);
    QCOMPARE(seen.size(), kWrites);
    for (int i = 1; i < seen.size(); ++i)
        QVERIFY2(seen.at(i) == seen.at(i - 1) + 1, qPrintable(QString::number(i)));
}

void tst_cTestHandle::removedRowIsInvalid_data()
{
    QTest::addColumn<int>("how");
    QTest::newRow("row removed") << 0;
    QTest::newRow("model cleared") << 1;
    QTest::newRow("status column removed") << 2;
}

void tst_cTestHandle::removedRowIsInvalid()
{
    QFETCH(int, how);
    std::unique_ptr<QStandardItemModel> model(makeTestModel({QStringLiteral("A"), QStringLiteral("B")}));
    cTestHandle handle = rowHandle(model.get(), 0);
    handle.setStatus(StateRunning);
    // A write still on its way when the row goes must be dropped, not land elsewhere.
    handle.setDetails(QStringLiteral("late"));
    switch (how) {
    case 0:
        model->removeRow(0);
        break;
    case 1:
        model->clear();
        break;
    default:
        model->removeColumn(StatusColumn);
        break;
    }
    QVERIFY(!handle.isValid());
    QCOMPARE(handle.name(), QStringLiteral("- empty -"));
    QCOMPARE(handle.status(), 0);
    QCOMPARE(handle.details(), QString());
    handle.setStatus(StateOk);
    handle.setDetails(QStringLiteral("ignored"));
    QCOMPARE(handle.status(), 0);
    QCoreApplication::processEvents();
    for (int row = 0; row < model->rowCount(); ++row) {
        for (int column = 0; column < model->columnCount(); ++column) {
            QVERIFY(cellData(model.get(), row, column, DetailsRole).isNull());
            QVERIFY(cellData(model.get(), row, column, StateRole).isNull());
        }
    }
}

void tst_cTestHandle::destroyedModel()
{
    auto *model = makeTestModel({QStringLiteral("A")});
    cTestHandle handle = rowHandle(model, 0);
    handle.setStatus(StateOk);  // pending when the model goes
    delete model;
    QVERIFY(!handle.isValid());
    handle.setStatus(StateError);
    QCOMPARE(handle.name(), QStringLiteral("- empty -"));
    QCoreApplication::processEvents();
}

void tst_cTestHandle::followsMovedRow()
{
    std::unique_ptr<QStandardItemModel> model(makeTestModel({QStringLiteral("A"), QStringLiteral("B")}));
    cTestHandle b = rowHandle(model.get(), 1);
    QCoreApplication::processEvents();
    model->insertRow(0);
    model->removeRow(1);  // A goes, B is now row 1 again after the insert
    QVERIFY(b.isValid());
    QCOMPARE(b.name(), QStringLiteral("B"));
    b.setStatus(StateWarning);
    QTRY_COMPARE(cellData(model.get(), 1, StatusColumn, StateRole).toInt(), int(StateWarning));
    QCOMPARE(cellData(model.get(), 1, NameColumn, Qt::DisplayRole).toString(), QStringLiteral("B"));
    QVERIFY(cellData(model.get(), 0, StatusColumn, StateRole).isNull());
}

void tst_cTestHandle::sameRowSharesState()
{
    std::unique_ptr<QStandardItemModel> model(makeTestModel({QStringLiteral("A"), QStringLiteral("B")}));
    cTestHandle first = rowHandle(model.get(), 0);
    first.setStatus(StateQueued);
    const cTestHandle second = rowHandle(model.get(), 0);
    QVERIFY(first == second);
    QCOMPARE(second.status(), int(StateQueued));
    QVERIFY(first != rowHandle(model.get(), 1));
    QVERIFY(first.exchangeStatus({StateQueued}, StateCanceled));
    QCOMPARE(second.status(), int(StateCanceled));
    QVERIFY(!first.exchangeStatus({StateQueued, StateRunning}, StateOk));
    QCOMPARE(first.status(), int(StateCanceled));
}

void tst_cTestHandle::modelChangesReachReads()
{
    std::unique_ptr<QStandardItemModel> model(makeTestModel({QStringLiteral("A")}));
    cTestHandle handle = rowHandle(model.get(), 0);
    handle.setStatus(StateOk);
    QTRY_COMPARE(cellData(model.get(), 0, StatusColumn, StateRole).toInt(), int(StateOk));
    // What the workbench writes itself (a check box resets the row) is what the engine reads.
    model->setData(cell(model.get(), 0, StatusColumn), int(StateNone), StateRole);
    model->setData(cell(model.get(), 0, InfoColumn), QStringLiteral("from the view"), DetailsRole);
    model->setData(cell(model.get(), 0, NameColumn), QStringLiteral("Renamed"), Qt::DisplayRole);
    QCOMPARE(handle.status(), int(StateNone));
    QCOMPARE(handle.details(), QStringLiteral("from the view"));
    QCOMPARE(handle.name(), QStringLiteral("Renamed"));
}

void tst_cTestHandle::statistics_data()
{
    QTest::addColumn<int>("runs");
    QTest::addColumn<int>("ok");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("failed");
    QTest::newRow("all ok") << 3 << 3 << QStringLiteral("Runs: 3, OK: 3") << false;
    QTest::newRow("one failed") << 3 << 2 << QStringLiteral("Runs: 3, OK: 2") << true;
    QTest::newRow("none ok") << 12 << 0 << QStringLiteral("Runs: 12, OK: 0") << true;
}

void tst_cTestHandle::statistics()
{
    QFETCH(int, runs);
    QFETCH(int, ok);
    QFETCH(QString, text);
    QFETCH(bool, failed);
    std::unique_ptr<QStandardItemModel> model(makeTestModel({QStringLiteral("A")}));
    cTestHandle handle = rowHandle(model.get(), 0);
    handle.setStatistics(runs, ok);
    QTRY_COMPARE(cellData(model.get(), 0, StatisticsColumn, Qt::DisplayRole).toString(), text);
    QCOMPARE(cellData(model.get(), 0, StatisticsColumn, RunsRole).toInt(), runs);
    QCOMPARE(cellData(model.get(), 0, StatisticsColumn, OkRole).toInt(), ok);
    QCOMPARE(cellData(model.get(), 0, StatisticsColumn, FailedRole).toBool(), failed);
}

void tst_cTestHandle::resultLine_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("details");
    QTest::addColumn<QString>("tail");
    QTest::newRow("ok, no details") << int(StateOk) << QString() << QStringLiteral(", OK");
    QTest::newRow("error with details") << int(StateError) << QStringLiteral("no answer")
                                        << QStringLiteral(", ERROR, no answer");
    QTest::newRow("warning") << int(StateWarning) << QString() << QStringLiteral(", WARNING");
    QTest::newRow("canceled") << int(StateCanceled) << QString() << QStringLiteral(", CANCELED");
    QTest::newRow("running is unknown") << int(StateRunning) << QString() << QStringLiteral(", ?");
    QTest::newRow("none is unknown") << int(StateNone) << QStringLiteral("x") << QStringLiteral(", ?, x");
}

void tst_cTestHandle::resultLine()
{
    QFETCH(int, status);
    QFETCH(QString, details);
    QFETCH(QString, tail);
    std::unique_ptr<QStandardItemModel> model(makeTestModel({QStringLiteral("Supply, voltage")}));
    cTestHandle handle = rowHandle(model.get(), 0);
    handle.markStarted();
    handle.markEnded();
    handle.setStatus(status);
    handle.setDetails(details);
    const QString format = QStringLiteral("hh:mm:ss");
    const QString time = handle.startTime().toString(format) + QStringLiteral(" - ")
                         + handle.endTime().toString(format);
    QCOMPARE(handle.timeText(), time);
    QCOMPARE(handle.resultLine(), QStringLiteral("Supply, voltage, ") + time + tail);

    handle.clearTimes();
    QCOMPARE(handle.timeText(), QString());
    handle.markStarted();
    QVERIFY(handle.timeText().endsWith(QStringLiteral(" - ")));
}

void tst_cTestHandle::forRowMapsColumns()
{
    std::unique_ptr<QStandardItemModel> model(makeTestModel({QStringLiteral("A"), QStringLiteral("B")}));
    cTestHandle handle = cTestHandle::forRow(model->index(1, InfoColumn));
    QVERIFY(handle == rowHandle(model.get(), 1));
    handle.setStatus(StateOk);
    handle.setDetails(QStringLiteral("d"));
    handle.setStatistics(1, 1);
    QTRY_COMPARE(cellData(model.get(), 1, StatusColumn, StateRole).toInt(), int(StateOk));
    QCOMPARE(cellData(model.get(), 1, InfoColumn, DetailsRole).toString(), QStringLiteral("d"));
    QCOMPARE(cellData(model.get(), 1, StatisticsColumn, Qt::DisplayRole).toString(), QStringLiteral("Runs: 1, OK: 1"));
    QVERIFY(!cTestHandle::forRow(QModelIndex()).isValid());
}

QTEST_GUILESS_MAIN(tst_cTestHandle)
#include "tst_ctesthandle.moc"

#include "testmodelfixture.h"

#include <QTest>
#include <QThread>

#include <memory>

using namespace testmodel;

class tst_cTestHandle : public QObject
{
    Q_OBJECT

private slots:
    void writesFromAnotherThreadCoalesce();
    void removedRowIsInvalid_data();
    void removedRowIsInvalid();
    void handleFollowsItsRow();
    void resultLine_data();
    void resultLine();
};

// A script that writes in a tight loop must not fill memory: a waiting write of a role is
// replaced by the newer one, and the model sees the last values in the order they changed.
void tst_cTestHandle::writesFromAnotherThreadCoalesce()
{
    std::unique_ptr<QStandardItemModel> model(makeTestModel({QStringLiteral("T")}));
    cTestHandle handle = rowHandle(model.get(), 0);
    QCoreApplication::processEvents();  // the writes that making the handle posts
    QStringList seen;
    connect(model.get(), &QAbstractItemModel::dataChanged, this,
            [&](const QModelIndex &index, const QModelIndex &, const QList<int> &roles) {
                for (int role : roles)
                    seen.append(QStringLiteral("%1=%2").arg(role).arg(index.data(role).toString()));
            });
    constexpr int kWrites = 20000;
    std::unique_ptr<QThread> writer(QThread::create([handle]() mutable {
        for (int i = 1; i <= kWrites; ++i) {
            handle.setProgress(i);
            if (i % 1000 == 0)
                handle.setDetails(QStringLiteral("step %1").arg(i));
        }
        handle.setStatus(StateWarning);
        handle.setProgress(kWrites + 1);
    }));
    writer->start();
    // Nothing reaches the model while this thread waits: every write is still in the mailbox.
    QVERIFY(writer->wait(10000));
    QTRY_COMPARE(cellData(model.get(), 0, StatusColumn, ProgressRole).toInt(), kWrites + 1);
    QCOMPARE(seen, QStringList({QStringLiteral("%1=step %2").arg(DetailsRole).arg(kWrites),
                                QStringLiteral("%1=%2").arg(StateRole).arg(StateWarning),
                                QStringLiteral("%1=%2").arg(ProgressRole).arg(kWrites + 1)}));
    QCOMPARE(handle.progress(), kWrites + 1);
}

void tst_cTestHandle::removedRowIsInvalid_data()
{
    QTest::addColumn<int>("how");
    QTest::newRow("row removed") << 0;
    QTest::newRow("status column removed") << 1;
    QTest::newRow("model destroyed") << 2;
}

void tst_cTestHandle::removedRowIsInvalid()
{
    QFETCH(int, how);
    std::unique_ptr<QStandardItemModel> model(makeTestModel({QStringLiteral("A"), QStringLiteral("B")}));
    cTestHandle handle = rowHandle(model.get(), 0);
    handle.setStatus(StateRunning);
    // A write still on its way when the row goes must be dropped, not land elsewhere.
    handle.setDetails(QStringLiteral("late"));
    if (how == 0)
        model->removeRow(0);
    else if (how == 1)
        model->removeColumn(StatusColumn);
    else
        model.reset();
    QVERIFY(!handle.isValid());
    handle.setStatus(StateOk);
    handle.setDetails(QStringLiteral("ignored"));
    QCOMPARE(handle.status(), 0);
    QCoreApplication::processEvents();
    for (int row = 0; model && row < model->rowCount(); ++row) {
        for (int column = 0; column < model->columnCount(); ++column) {
            QVERIFY(cellData(model.get(), row, column, DetailsRole).isNull());
            QVERIFY(cellData(model.get(), row, column, StateRole).isNull());
        }
    }
}

void tst_cTestHandle::handleFollowsItsRow()
{
    std::unique_ptr<QStandardItemModel> model(makeTestModel({QStringLiteral("A"), QStringLiteral("B")}));
    // Two handles of one row share its state; the exchange is what a cancel races with a start.
    cTestHandle a = cTestHandle::forRow(model->index(0, InfoColumn));
    const cTestHandle b = rowHandle(model.get(), 1);
    a.setStatus(StateQueued);
    QVERIFY(a == rowHandle(model.get(), 0) && a != b);
    QVERIFY(a.exchangeStatus({StateQueued}, StateCanceled));
    QVERIFY(!a.exchangeStatus({StateQueued, StateRunning}, StateOk));
    QCOMPARE(rowHandle(model.get(), 0).status(), int(StateCanceled));

    // Rows above it come and go: the writes still reach its own row.
    QCoreApplication::processEvents();
    model->insertRow(0);
    model->removeRow(1);
    cTestHandle moved = b;
    QCOMPARE(moved.name(), QStringLiteral("B"));
    moved.setStatus(StateWarning);
    moved.setStatistics(12, 11);
    QTRY_COMPARE(cellData(model.get(), 1, StatusColumn, StateRole).toInt(), int(StateWarning));
    QVERIFY(cellData(model.get(), 0, StatusColumn, StateRole).isNull());
    QCOMPARE(cellData(model.get(), 1, StatisticsColumn, Qt::DisplayRole).toString(), QStringLiteral("Runs: 12, OK: 11"));
}

void tst_cTestHandle::resultLine_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("details");
    QTest::addColumn<QString>("tail");
    QTest::newRow("ok, no details") << int(StateOk) << QString() << QStringLiteral(", OK");
    QTest::newRow("error with details") << int(StateError) << QStringLiteral("no answer") << QStringLiteral(", ERROR, no answer");
    QTest::newRow("running is unknown") << int(StateRunning) << QStringLiteral("x") << QStringLiteral(", ?, x");
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
    const QString time = handle.startTime().toString(QStringLiteral("hh:mm:ss")) + QStringLiteral(" - ")
                         + handle.endTime().toString(QStringLiteral("hh:mm:ss"));
    QCOMPARE(handle.resultLine(), QStringLiteral("Supply, voltage, ") + time + tail);
}

QTEST_GUILESS_MAIN(tst_cTestHandle)
#include "tst_ctesthandle.moc"

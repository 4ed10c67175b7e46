#include "platform/logging/widget/clogwidget.h"

#include "platform/logging/clogengine.h"

#include <QElapsedTimer>
#include <QHeaderView>
#include <QScrollBar>
#include <QStandardItemModel>
#include <QTableView>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <memory>

class tst_cLogWidget : public QObject
{
    Q_OBJECT

private slots:
    void pages();
    void followsNewestWhileAtBottom();
    void staysWhereOperatorScrolled();
    void responsiveUnderBurst();

private:
    static void log(cLogEngine &engine, int count, const QString &prefix);
    static bool atBottom(QTableView *view);
    static bool newestVisible(QTableView *view);
};

void tst_cLogWidget::log(cLogEngine &engine, int count, const QString &prefix)
{
    for (int i = 0; i < count; ++i)
        engine.addMessage(prefix + QString::number(i), i % 5, QDateTime::currentDateTime(),
                          QStringLiteral("LOCAL"), QStringLiteral("LOCAL"));
}

bool tst_cLogWidget::atBottom(QTableView *view)
{
    const QScrollBar *bar = view->verticalScrollBar();
    return bar->maximum() > 0 && bar->value() == bar->maximum();
}

bool tst_cLogWidget::newestVisible(QTableView *view)
{
    const int rows = view->model()->rowCount();
    if (rows == 0)
        return false;
    const QRect newest = view->visualRect(view->model()->index(rows - 1, 0));
    return view->viewport()->rect().contains(newest.center());
}

void tst_cLogWidget::pages()
{
    cLogWidget console;
    QCOMPARE(console.pageCount(), 0);
    QCOMPARE(console.addPage(QStringLiteral("nothing"), nullptr), -1);
    QCOMPARE(console.pageCount(), 0);

    QStandardItemModel first(0, 4);
    QStandardItemModel second(3, 4);
    QCOMPARE(console.addPage(QStringLiteral("All messages"), &first), 0);
    QCOMPARE(console.addPage(QStringLiteral("Tests"), &second), 1);
    QCOMPARE(console.pageCount(), 2);
    QCOMPARE(console.pageTitle(1), QStringLiteral("Tests"));
    QCOMPARE(console.pageView(1)->model(), &second);
    QVERIFY(!console.pageView(2));

    // Nothing may measure rows or columns per inserted message.
    QTableView *view = console.pageView(0);
    QCOMPARE(view->verticalHeader()->sectionResizeMode(0), QHeaderView::Fixed);
    for (int column = 0; column < 4; ++column)
        QVERIFY(view->horizontalHeader()->sectionResizeMode(column) != QHeaderView::ResizeToContents);
    QVERIFY(!view->wordWrap());

    // A model that goes away first leaves an empty page, not a dangling one.
    {
        auto shortLived = std::make_unique<QStandardItemModel>(2, 4);
        console.addPage(QStringLiteral("short"), shortLived.get());
    }
    QCOMPARE(console.pageCount(), 3);
    QCOMPARE(console.pageView(2)->model(), nullptr);
}

void tst_cLogWidget::followsNewestWhileAtBottom()
{
    cLogEngine engine;
    cLogWidget console;
    console.resize(600, 300);
    console.addPage(QStringLiteral("All messages"), engine.model(QStringLiteral("ALL"), QStringLiteral("ALL")));
    console.show();
    QVERIFY(QTest::qWaitForWindowExposed(&console));
    QTableView *view = console.pageView(0);

    log(engine, 300, QStringLiteral("first "));
    engine.flush();
    QTRY_VERIFY_WITH_TIMEOUT(newestVisible(view), 5000);

    log(engine, 300, QStringLiteral("second "));
    engine.flush();
    QTRY_VERIFY_WITH_TIMEOUT(newestVisible(view), 5000);
    QVERIFY(atBottom(view));
    const QModelIndex newest = view->model()->index(view->model()->rowCount() - 1, 3);
    QCOMPARE(newest.data().toString(), QStringLiteral("second 299"));
}

void tst_cLogWidget::staysWhereOperatorScrolled()
{
    cLogEngine engine;
    cLogWidget console;
    console.resize(600, 300);
    console.addPage(QStringLiteral("All messages"), engine.model(QStringLiteral("ALL"), QStringLiteral("ALL")));
    console.show();
    QVERIFY(QTest::qWaitForWindowExposed(&console));
    QTableView *view = console.pageView(0);
    log(engine, 300, QStringLiteral("old "));
    engine.flush();
    QTRY_VERIFY_WITH_TIMEOUT(newestVisible(view), 5000);

    // The operator reads back; new messages must not pull the view away.
    view->verticalScrollBar()->setValue(10);
    const int firstShown = view->rowAt(0);
    log(engine, 300, QStringLiteral("new "));
    engine.flush();
    QTest::qWait(100);
    QCOMPARE(view->rowAt(0), firstShown);
    QVERIFY(!newestVisible(view));

    // Back at the bottom, following resumes.
    view->scrollToBottom();
    log(engine, 50, QStringLiteral("latest "));
    engine.flush();
    QTRY_VERIFY_WITH_TIMEOUT(newestVisible(view), 5000);
    QCOMPARE(view->model()->index(view->model()->rowCount() - 1, 3).data().toString(), QStringLiteral("latest 49"));
}

void tst_cLogWidget::responsiveUnderBurst()
{
    // A worker logs 10 000 messages a second for two seconds while the console follows them;
    // a GUI timer measures how long the event loop is held up.
    cLogEngine engine;
    engine.setCapacity(5000);
    cLogWidget console;
    console.resize(800, 400);
    console.addPage(QStringLiteral("All messages"), engine.model(QStringLiteral("ALL"), QStringLiteral("ALL")));
    console.addPage(QStringLiteral("Local"), engine.model(QStringLiteral("LOCAL"), QStringLiteral("ALL")));
    console.show();
    QVERIFY(QTest::qWaitForWindowExposed(&console));

    constexpr int total = 20000;
    std::atomic<bool> done{false};
    std::unique_ptr<QThread> worker(QThread::create([&engine, &done] {
        QElapsedTimer clock;
        clock.start();
        for (int sent = 0; sent < total; sent += 100) {
            log(engine, 100, QStringLiteral("burst "));
            // 100 messages per 10 ms: 10 000 a second.
            const qint64 due = (sent + 100) / 10;
            const qint64 ahead = due - clock.elapsed();
            if (ahead > 0)
                QThread::msleep(ulong(ahead));
        }
        done = true;
    }));

    qint64 worstGap = 0;
    QElapsedTimer sinceTick;
    QTimer tick;
    tick.setInterval(10);
    connect(&tick, &QTimer::timeout, this, [&] {
        worstGap = std::max(worstGap, sinceTick.restart());
    });
    QElapsedTimer clock;
    clock.start();
    sinceTick.start();
    tick.start();
    worker->start();
    QTRY_VERIFY_WITH_TIMEOUT(done.load(), 30000);
    QVERIFY(worker->wait(5000));
    engine.flush();
    tick.stop();
    qInfo("20000 messages in %lld ms, longest stall of the event loop %lld ms, dropped %llu", clock.elapsed(),
          worstGap, static_cast<unsigned long long>(engine.droppedCount()));

    QTableView *view = console.pageView(0);
    QCOMPARE(view->model()->rowCount(), 5000);
    QTRY_VERIFY_WITH_TIMEOUT(newestVisible(view), 5000);
    QCOMPARE(view->model()->index(4999, 3).data().toString(), QStringLiteral("burst 99"));
    // Generous for sanitizer builds on a busy machine; a view that measured rows would stall for seconds.
    QVERIFY2(worstGap < 1000, qPrintable(QStringLiteral("event loop stalled %1 ms").arg(worstGap)));
}

QTEST_MAIN(tst_cLogWidget)
#include "tst_clogwidget.moc"

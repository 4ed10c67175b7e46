// Deliberate data races. The thread-sanitizer configuration must report them: ctest expects
// this program to fail there, so a configuration whose race detection stopped working (lost
// flags, a suppression or support library that swallows too much) shows up as a failing test.
// One race between plain threads, one between QThreads, since Qt's threads are the ones the
// workers use and the ones a wrong Qt suppression would hide.

#include <QTest>
#include <QThread>

#include <memory>
#include <thread>

namespace {

int g_plainCounter = 0;
int g_qtCounter = 0;

Q_NEVER_INLINE void bump(int *counter, int times)
{
    for (int i = 0; i < times; ++i)
        ++*counter;
}

} // namespace

class tst_TsanCanary : public QObject
{
    Q_OBJECT

private slots:
    void plainIntFromTwoThreads();
    void plainIntFromTwoQThreads();
};

void tst_TsanCanary::plainIntFromTwoThreads()
{
    std::thread first(bump, &g_plainCounter, 100000);
    std::thread second(bump, &g_plainCounter, 100000);
    first.join();
    second.join();
    QVERIFY(g_plainCounter > 0);
}

void tst_TsanCanary::plainIntFromTwoQThreads()
{
    std::unique_ptr<QThread> first(QThread::create(bump, &g_qtCounter, 100000));
    std::unique_ptr<QThread> second(QThread::create(bump, &g_qtCounter, 100000));
    first->start();
    second->start();
    QVERIFY(first->wait(10000));
    QVERIFY(second->wait(10000));
    QVERIFY(g_qtCounter > 0);
}

QTEST_GUILESS_MAIN(tst_TsanCanary)
#include "tst_tsancanary.moc"

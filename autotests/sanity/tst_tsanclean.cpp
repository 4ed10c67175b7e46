// The canary's race-free twin: the threading patterns the workers use, which must stay
// silent under the thread sanitizer with Qt's libraries uninstrumented. A report here means
// either a real race in how we use Qt or a gap in the suppressions.

#include <QCoreApplication>
#include <QMutex>
#include <QMutexLocker>
#include <QSemaphore>
#include <QTest>
#include <QThread>
#include <QWaitCondition>

#include <atomic>
#include <memory>
#include <thread>

namespace {

constexpr int kRounds = 2000;
constexpr int kWaitMs = 10000;

// Sends values to the GUI thread in signal arguments only.
class cProducer : public QThread
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(cProducer)

public:
    explicit cProducer(int count, QObject *parent = nullptr) : QThread(parent), m_count(count) {}

signals:
    void produced(const QString &text, const QByteArray &bytes, int index);

protected:
    void run() override
    {
        for (int i = 0; i < m_count; ++i)
            emit produced(QString::number(i), QByteArray(i % 64 + 1, char('a' + i % 26)), i);
    }

private:
    const int m_count;
};

class cCollector : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(cCollector)

public:
    explicit cCollector(QObject *parent = nullptr) : QObject(parent) {}

    int received = 0;
    bool inOrder = true;
    QThread *lastThread = nullptr;

public slots:
    void take(const QString &text, const QByteArray &bytes, int index)
    {
        inOrder = inOrder && index == received && text == QString::number(index)
            && bytes.size() == index % 64 + 1;
        lastThread = QThread::currentThread();
        ++received;
    }
};

// The request pattern of the runners: arguments stored under their own lock, requests
// counted by a semaphore, a stop flag polled once per pass, answers by queued signal.
class cRequestWorker : public QThread
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(cRequestWorker)

public:
    explicit cRequestWorker(QObject *parent = nullptr) : QThread(parent) {}

    void request(int value)
    {
        {
            QMutexLocker lock(&m_argLock);
            m_arg = value;
        }
        m_requests.release();
    }
    void stop() { m_stop = true; }

signals:
    void answered(int value);

protected:
    void run() override
    {
        while (!m_stop) {
            if (!m_requests.tryAcquire(1, 50))
                continue;
            int value = 0;
            {
                QMutexLocker lock(&m_argLock);
                value = m_arg;
            }
            emit answered(value * 2);
        }
    }

private:
    QMutex m_argLock;
    int m_arg = 0;
    QSemaphore m_requests;
    std::atomic<bool> m_stop{false};
};

} // namespace

class tst_TsanClean : public QObject
{
    Q_OBJECT

private slots:
    void atomicIntFromTwoThreads();
    void mutexGuardedIntFromTwoQThreads();
    void queuedSignalsCarryValues();
    void invokeMethodReachesGuiThread();
    void semaphoreRequestsAnsweredBySignal();
    void semaphoreHandsOverResult();
    void waitConditionHandsOverUnderMutex();
    void resultReadAfterWait_data();
    void resultReadAfterWait();
    void workerDestroyedAfterWait();
};

void tst_TsanClean::atomicIntFromTwoThreads()
{
    std::atomic<int> counter{0};
    auto bump = [&counter] {
        for (int i = 0; i < 100000; ++i)
            counter.fetch_add(1, std::memory_order_relaxed);
    };
    std::thread first(bump);
    std::thread second(bump);
    first.join();
    second.join();
    QCOMPARE(counter.load(), 200000);
}

void tst_TsanClean::mutexGuardedIntFromTwoQThreads()
{
    QMutex lock;
    int counter = 0;
    auto bump = [&] {
        for (int i = 0; i < kRounds; ++i) {
            QMutexLocker locker(&lock);
            ++counter;
        }
    };
    std::unique_ptr<QThread> first(QThread::create(bump));
    std::unique_ptr<QThread> second(QThread::create(bump));
    first->start();
    second->start();
    QVERIFY(first->wait(kWaitMs));
    QVERIFY(second->wait(kWaitMs));
    QMutexLocker locker(&lock);
    QCOMPARE(counter, 2 * kRounds);
}

void tst_TsanClean::queuedSignalsCarryValues()
{
    cProducer producer(kRounds);
    cCollector collector;
    connect(&producer, &cProducer::produced, &collector, &cCollector::take, Qt::QueuedConnection);
    producer.start();
    QVERIFY(producer.wait(kWaitMs));
    QTRY_COMPARE_WITH_TIMEOUT(collector.received, kRounds, kWaitMs);
    QVERIFY(collector.inOrder);
    QCOMPARE(collector.lastThread, QThread::currentThread());
}

void tst_TsanClean::invokeMethodReachesGuiThread()
{
    cCollector collector;
    std::unique_ptr<QThread> worker(QThread::create([&collector] {
        for (int i = 0; i < kRounds; ++i) {
            const QString text = QString::number(i);
            QMetaObject::invokeMethod(
                &collector,
                [&collector, text, i] { collector.take(text, QByteArray(i % 64 + 1, 'x'), i); },
                Qt::QueuedConnection);
        }
    }));
    worker->start();
    QVERIFY(worker->wait(kWaitMs));
    QTRY_COMPARE_WITH_TIMEOUT(collector.received, kRounds, kWaitMs);
    QVERIFY(collector.inOrder);
}

void tst_TsanClean::semaphoreRequestsAnsweredBySignal()
{
    cRequestWorker worker;
    QList<int> answers;
    connect(&worker, &cRequestWorker::answered, this, [&answers](int value) { answers.append(value); });
    worker.start();
    for (int i = 1; i <= 200; ++i) {
        worker.request(i);
        // One request in flight at a time, so every argument is seen.
        QTRY_COMPARE_WITH_TIMEOUT(answers.size(), i, kWaitMs);
        QCOMPARE(answers.last(), 2 * i);
    }
    worker.stop();
    QVERIFY(worker.wait(kWaitMs));
}

// The worker fills plain data, then releases; the taker reads only after acquiring.
void tst_TsanClean::semaphoreHandsOverResult()
{
    QSemaphore ready;
    QSemaphore consumed;
    QList<int> slot;
    std::unique_ptr<QThread> worker(QThread::create([&] {
        for (int round = 0; round < 200; ++round) {
            if (!consumed.tryAcquire(1, kWaitMs))
                return;
            slot = QList<int>(round % 7 + 1, round);
            ready.release();
        }
    }));
    worker->start();
    for (int round = 0; round < 200; ++round) {
        consumed.release();
        QVERIFY(ready.tryAcquire(1, kWaitMs));
        QCOMPARE(slot.size(), round % 7 + 1);
        QCOMPARE(slot.first(), round);
    }
    QVERIFY(worker->wait(kWaitMs));
}

// The blocking pattern of Qt's serial-port example: requests and answers under one mutex,
// the worker sleeping on a wait condition in between.
void tst_TsanClean::waitConditionHandsOverUnderMutex()
{
    QMutex lock;
    QWaitCondition changed;
    int request = 0;
    int answer = 0;
    bool quit = false;
    std::unique_ptr<QThread> worker(QThread::create([&] {
        QMutexLocker locker(&lock);
        while (!quit) {
            if (request != 0) {
                answer = request * 3;
                request = 0;
                changed.wakeAll();
            }
            changed.wait(&lock, QDeadlineTimer(100));
        }
    }));
    worker->start();
    for (int i = 1; i <= 200; ++i) {
        QMutexLocker locker(&lock);
        request = i;
        changed.wakeAll();
        while (answer != 3 * i)
            QVERIFY(changed.wait(&lock, QDeadlineTimer(kWaitMs)));
    }
    {
        QMutexLocker locker(&lock);
        quit = true;
        changed.wakeAll();
    }
    QVERIFY(worker->wait(kWaitMs));
}

void tst_TsanClean::resultReadAfterWait_data()
{
    QTest::addColumn<bool>("finishedBeforeWait");
    QTest::newRow("still running") << false;
    QTest::newRow("already finished") << true;
}

// A worker's own results, read by the thread that waited for it to finish; wait() must be a
// synchronisation point whether it blocks or finds the thread finished.
void tst_TsanClean::resultReadAfterWait()
{
    QFETCH(bool, finishedBeforeWait);
    QList<int> results;
    std::unique_ptr<QThread> worker(QThread::create([&results] {
        for (int i = 0; i < kRounds; ++i)
            results.append(i * i);
    }));
    worker->start();
    if (finishedBeforeWait) {
        QTRY_VERIFY_WITH_TIMEOUT(worker->isFinished(), kWaitMs);
    }
    QVERIFY(worker->wait(kWaitMs));
    QCOMPARE(results.size(), kRounds);
    QCOMPARE(results.last(), (kRounds - 1) * (kRounds - 1));
}

// The workers' destructors: stop flag, bounded wait, then the members go away.
void tst_TsanClean::workerDestroyedAfterWait()
{
    for (int round = 0; round < 20; ++round) {
        auto worker = std::make_unique<cRequestWorker>();
        worker->start();
        worker->request(round);
        if (round % 2)
            QTest::qWait(5);
        worker->stop();
        QVERIFY(worker->wait(kWaitMs));
        worker.reset();
    }
}

QTEST_GUILESS_MAIN(tst_TsanClean)
#include "tst_tsanclean.moc"

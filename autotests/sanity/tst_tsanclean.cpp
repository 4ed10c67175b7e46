// The canary's race-free twin: the threading patterns the workers use, which must stay
// silent under the thread sanitizer with Qt's libraries uninstrumented. A report here means
// either a real race in how we use Qt or a gap in the suppressions.

#include <QCoreApplication>
#include <QMutex>
#include <QMutexLocker>
#include <QSemaphore>
#include <QTest>
#include <QThread>

#include <atomic>
#include <memory>

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
    void countersFromTwoThreads();
    void queuedSignalsCarryValues();
    void invokeMethodReachesGuiThread();
    void semaphoreRequestsAnsweredBySignal();
    void workerDestroyedAfterWait();
};

// A counter bumped from two threads, once as an atomic and once under a mutex.
void tst_TsanClean::countersFromTwoThreads()
{
    std::atomic<int> atomicCounter{0};
    QMutex lock;
    int guardedCounter = 0;
    auto bump = [&] {
        for (int i = 0; i < kRounds; ++i) {
            atomicCounter.fetch_add(1, std::memory_order_relaxed);
            QMutexLocker locker(&lock);
            ++guardedCounter;
        }
    };
    std::unique_ptr<QThread> first(QThread::create(bump));
    std::unique_ptr<QThread> second(QThread::create(bump));
    first->start();
    second->start();
    QVERIFY(first->wait(kWaitMs));
    QVERIFY(second->wait(kWaitMs));
    QCOMPARE(atomicCounter.load(), 2 * kRounds);
    QMutexLocker locker(&lock);
    QCOMPARE(guardedCounter, 2 * kRounds);
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

// The workers' destructors: stop flag, bounded wait, then the members go away. wait() must
// also order the worker's plain results before the reader, whether it blocks or finds the
// thread already finished.
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

        QList<int> results;
        std::unique_ptr<QThread> filler(QThread::create([&results] {
            for (int i = 0; i < 200; ++i)
                results.append(i * i);
        }));
        filler->start();
        if (round % 2) {
            QTRY_VERIFY_WITH_TIMEOUT(filler->isFinished(), kWaitMs);
        }
        QVERIFY(filler->wait(kWaitMs));
        QCOMPARE(results.size(), 200);
    }
}

QTEST_GUILESS_MAIN(tst_TsanClean)
#include "tst_tsanclean.moc"

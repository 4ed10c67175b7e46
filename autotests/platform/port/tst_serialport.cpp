#include "logcapture.h"
#include "ptypair.h"

#include "platform/port/port.h"

#include <QtTest>

#include <algorithm>
#include <atomic>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

sIODevice serialUnit(const QString &id, const QString &path)
{
    sIODevice unit;
    unit.id = id;
    unit.name = QStringLiteral("Unit ") + id;
    unit.devices.append({nullptr, QStringLiteral("serial"), QStringLiteral("serial"), path, {}});
    return unit;
}

QByteArray pattern(int size)
{
    QByteArray data(size, '\0');
    for (int i = 0; i < size; ++i)
        data[i] = static_cast<char>((i * 7 + i / 251) & 0xff);
    return data;
}

// flock locks belong to an open file description, so a second open() here stands for another program.
int lockLine(const QString &path)
{
    const int fd = ::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

bool otherProgramCanLock(const QString &path)
{
    const int fd = lockLine(path);
    return fd >= 0 && ::close(fd) == 0;
}

/** An open unit on a fresh pseudo-terminal, closed again at the end of the test. */
struct sOpenPty
{
    explicit sOpenPty(const QString &id) : unit(serialUnit(id, pty.slavePath()))
    {
        opened = pty.isValid() && port::open_port(unit);
        handle = port::calc_io_handle(unit);
    }
    ~sOpenPty() { port::close_port(unit, 0); }

    QByteArray read(int timeoutMs = 2000)
    {
        char buffer[64];
        int count = 0;
        return port::read(handle, buffer, sizeof(buffer), &count, timeoutMs) == 1 ? QByteArray(buffer, count)
                                                                                  : QByteArray("(failed)");
    }

    cPtyPair pty;
    sIODevice unit;
    bool opened = false;
    void *handle = nullptr;
};

} // namespace

class tst_SerialPort : public QObject
{
    Q_OBJECT

private slots:
    void readWaitsAtMostItsTimeOut_data()
    {
        QTest::addColumn<int>("timeoutMs");
        QTest::addColumn<int>("sendAfterMs");
        QTest::newRow("nothing, no wait") << 0 << -1;
        QTest::newRow("nothing, 400 ms") << 400 << -1;
        QTest::newRow("data returns at once") << 10000 << 100;
    }
    void readWaitsAtMostItsTimeOut()
    {
        QFETCH(int, timeoutMs);
        QFETCH(int, sendAfterMs);
        sOpenPty p(QStringLiteral("test:timeout"));
        QVERIFY(p.opened);
        std::thread unitSide([&] {
            if (sendAfterMs >= 0) {
                std::this_thread::sleep_for(std::chrono::milliseconds(sendAfterMs));
                p.pty.writeMaster("hello");
            }
        });
        QElapsedTimer timer;
        timer.start();
        const QByteArray got = p.read(timeoutMs);
        const qint64 elapsed = timer.elapsed();
        unitSide.join();
        QCOMPARE(got, sendAfterMs < 0 ? QByteArray() : QByteArray("hello"));
        QVERIFY2(sendAfterMs >= 0 || elapsed >= timeoutMs - 5, qPrintable(QString::number(elapsed)));
        QVERIFY2(elapsed < qMin(timeoutMs, 2000) + 3000, qPrintable(QString::number(elapsed)));
    }

    void readKeepsToCapacity()
    {
        sOpenPty p(QStringLiteral("test:capacity"));
        QVERIFY(p.opened);
        const QByteArray data = pattern(10);
        QVERIFY(p.pty.writeMaster(data));
        QTest::qWait(50);
        QByteArray buffer(12, '\x55');
        int count = -1;
        QCOMPARE(port::read(p.handle, buffer.data(), 0, &count, 1000), 1);
        QCOMPARE(count, 0);
        QCOMPARE(port::read(p.handle, buffer.data(), 4, &count, 1000), 1);
        QCOMPARE(buffer, data.left(4) + QByteArray(8, '\x55'));
        // Nothing is lost: the rest comes with the next reads.
        QByteArray all = buffer.left(count);
        for (int i = 0; i < 20 && all.size() < data.size(); ++i)
            all += p.read(200);
        QCOMPARE(all, data);
    }

    void writeStallFailsWithinBound()
    {
        sOpenPty p(QStringLiteral("test:stall"));
        QVERIFY(p.opened);
        // Nobody reads the unit side, so the terminal's buffer fills and stays full.
        const QByteArray data = pattern(4 * 1024 * 1024);
        int written = -1;
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(port::write(p.handle, data.constData(), int(data.size()), &written), 0);
        QVERIFY2(timer.elapsed() < 15000, qPrintable(QString::number(timer.elapsed())));
        QVERIFY(written > 0 && written < data.size());
        QCOMPARE(port::is_open(p.handle), 1); // a slow line is not a lost line
    }

    void largeConcurrentWritesStayWhole()
    {
        sOpenPty p(QStringLiteral("test:concurrent"));
        QVERIFY(p.opened);
        // Each block is larger than the terminal's buffer, so every write call has to go on after a partial write.
        const int blockSize = 100000, total = 4 * blockSize;
        QByteArray atUnit;
        std::thread reader([&] { atUnit = p.pty.readMaster(total, 30000); });
        const QByteArray blockA = pattern(blockSize);
        QByteArray blockB = blockA;
        std::reverse(blockB.begin(), blockB.end());
        std::atomic<int> failures {0};
        auto writer = [&](const QByteArray &block) {
            for (int i = 0, n = 0; i < 2; ++i)
                failures += port::write(p.handle, block.constData(), blockSize, &n) != 1 || n != blockSize;
        };
        std::thread a(writer, std::cref(blockA)), b(writer, std::cref(blockB));
        a.join();
        b.join();
        reader.join();
        QCOMPARE(failures.load(), 0);
        QCOMPARE(atUnit.size(), total);
        // Each write call's bytes stay together and in order on the line.
        for (int at = 0; at < total; at += blockSize) {
            const QByteArray chunk = atUnit.mid(at, blockSize);
            QVERIFY2(chunk == blockA || chunk == blockB, qPrintable(QString::number(at)));
        }
    }

    void exclusiveWhileOpen()
    {
        cLogCapture log;
        sOpenPty p(QStringLiteral("test:exclusive"));
        QVERIFY(p.opened);
        const QString path = p.pty.slavePath();
        const auto exclusiveFlag = [&] {
            int exclusive = -1;
            return ioctl(p.pty.slaveFd(), TIOCGEXCL, &exclusive) == 0 ? exclusive : -1;
        };
        sIODevice other = serialUnit(QStringLiteral("test:exclusive-other"), path);
        QVERIFY(!port::open_port(other));
        QVERIFY(log.contains({path, QStringLiteral("already open by unit"), p.unit.name}));
        QVERIFY(!otherProgramCanLock(path));
        QCOMPARE(exclusiveFlag(), 1);
        // The refusal did not disturb the unit that holds the line.
        QVERIFY(p.pty.writeMaster("ok"));
        QCOMPARE(p.read(), QByteArray("ok"));

        // The test keeps the slave side open, so the exclusive flag would outlive our descriptor.
        QVERIFY(port::close_port(p.unit, 300));
        QCOMPARE(exclusiveFlag(), 0);
        // Now another program holds it: refused, until that program lets go.
        const int held = lockLine(path);
        QVERIFY(held >= 0);
        QVERIFY(!port::open_port(p.unit));
        QVERIFY(!port::calc_io_handle(p.unit));
        QVERIFY(log.contains({path, QStringLiteral("already open by another program")}));
        ::close(held);
        QVERIFY(port::open_port(p.unit));
    }

    void blockedReadEnds_data()
    {
        QTest::addColumn<bool>("hangUp");
        QTest::newRow("unit hangs up") << true;
        QTest::newRow("unit closed meanwhile") << false;
    }
    void blockedReadEnds()
    {
        QFETCH(bool, hangUp);
        sOpenPty p(QStringLiteral("test:blocked"));
        QVERIFY(p.opened);
        std::atomic<int> status {-1};
        QElapsedTimer timer;
        timer.start();
        std::thread reader([&] {
            char buffer[256];
            int count = 0;
            status = port::read(p.handle, buffer, sizeof(buffer), &count, 8000);
        });
        QTest::qWait(200);
        if (hangUp)
            p.pty.closeMaster();
        else
            QVERIFY(port::close_port(p.unit, 300));
        reader.join();
        QCOMPARE(status.load(), 0);
        QVERIFY2(timer.elapsed() < 6000, qPrintable(QString::number(timer.elapsed())));
        QCOMPARE(port::is_open(p.handle), 0);

        // A lost line fails at once instead of waiting out the time-out.
        timer.restart();
        char buffer[16];
        int count = -1;
        QCOMPARE(port::read(p.handle, buffer, sizeof(buffer), &count, 5000), 0);
        QCOMPARE(count, 0);
        QCOMPARE(port::write(p.handle, "x", 1, &count), 0);
        QVERIFY2(timer.elapsed() < 3000, qPrintable(QString::number(timer.elapsed())));
        QCOMPARE(port::close_port(p.unit, 300), hangUp);
    }

    void badHandlesRefused()
    {
        sOpenPty p(QStringLiteral("test:bad-handles"));
        QVERIFY(p.opened);
        // A handle from the unit's earlier life must not reach the new line.
        void *stale = p.handle;
        QVERIFY(port::close_port(p.unit, 0));
        QVERIFY(port::open_port(p.unit));
        p.handle = port::calc_io_handle(p.unit);
        QVERIFY(p.handle != stale);
        for (void *handle : {static_cast<void *>(nullptr), reinterpret_cast<void *>(quintptr(0x1234)), stale}) {
            char buffer[16] = {};
            int count = -1;
            unsigned char state = 9;
            QCOMPARE(port::read(handle, buffer, sizeof(buffer), &count, 10), 0);
            QCOMPARE(count, 0);
            count = -1;
            QCOMPARE(port::write(handle, "x", 1, &count), 0);
            QCOMPARE(count, 0);
            for (int (*call)(void *) : {port::is_open, port::open, port::close, port::flush, port::discard_output})
                QCOMPARE(call(handle), 0);
            QCOMPARE(port::gpio_get_state(handle, "IN1", &state), 0);
            QCOMPARE(state, static_cast<unsigned char>(0));
        }
        QVERIFY(p.pty.writeMaster("alive")); // and the stale handle's calls left the new line alone
        QCOMPARE(p.read(), QByteArray("alive"));
    }

    void discardKeepsInput()
    {
        sOpenPty p(QStringLiteral("test:discard"));
        QVERIFY(p.opened);
        // Dropping queued output must not drop what the unit sent.
        QVERIFY(p.pty.writeMaster("kept"));
        QTest::qWait(50);
        const QByteArray queued(2000, 'q');
        int count = 0;
        QCOMPARE(port::write(p.handle, queued.constData(), int(queued.size()), &count), 1);
        QCOMPARE(port::discard_output(p.handle), 1);
        QCOMPARE(p.read(), QByteArray("kept"));
    }

    void openDropsStaleInput_data()
    {
        QTest::addColumn<bool>("reopen");
        QTest::newRow("first open") << false;
        QTest::newRow("open again after close") << true;
    }
    void openDropsStaleInput()
    {
        QFETCH(bool, reopen);
        cPtyPair pty;
        QVERIFY(pty.isValid());
        sIODevice unit = serialUnit(QStringLiteral("test:stale"), pty.slavePath());
        void *handle = nullptr;
        if (reopen) {
            QVERIFY(port::open_port(unit));
            handle = port::calc_io_handle(unit);
            QCOMPARE(port::close(handle), 1);
        }
        // A late answer reaches the line while nobody holds it; the test's own descriptor
        // shows when the terminal has it.
        QVERIFY(pty.writeMaster("stale answer\r\n"));
        pollfd arrived {pty.slaveFd(), POLLIN, 0};
        QCOMPARE(::poll(&arrived, 1, 5000), 1);
        if (reopen) {
            QCOMPARE(port::open(handle), 1);
        } else {
            QVERIFY(port::open_port(unit));
            handle = port::calc_io_handle(unit);
        }
        QVERIFY(pty.writeMaster("fresh"));
        char buffer[64];
        int count = 0;
        QCOMPARE(port::read(handle, buffer, sizeof(buffer), &count, 2000), 1);
        QCOMPARE(QByteArray(buffer, count), QByteArray("fresh"));
        QVERIFY(port::close_port(unit, 0));
    }

    void failedOpenLeavesNothingHeld_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("id");
        QTest::newRow("missing I2C bus") << "i2c" << "/dev/i2c-zt-missing";
        QTest::newRow("no simulated adapter") << "gpio" << "sim:/tmp/zt-no-such.sock";
        QTest::newRow("unknown type") << "can" << "can";
    }
    void failedOpenLeavesNothingHeld()
    {
        QFETCH(QString, type);
        QFETCH(QString, id);
        cLogCapture log;
        cPtyPair pty;
        QVERIFY(pty.isValid());
        sIODevice unit = serialUnit(QStringLiteral("test:half"), pty.slavePath());
        unit.devices.append({nullptr, type, type, id, {}});
        QVERIFY(!port::open_port(unit));
        QVERIFY(!port::calc_io_handle(unit));
        QVERIFY(log.contains({unit.name, id.mid(id.indexOf(':') + 1)}));
        // The serial line that did open was given back, to this program and to others.
        QVERIFY(otherProgramCanLock(pty.slavePath()));
        sIODevice plain = serialUnit(QStringLiteral("test:half-plain"), pty.slavePath());
        QVERIFY(port::open_port(plain));
        QVERIFY(port::close_port(plain, 0));
    }
};

QTEST_GUILESS_MAIN(tst_SerialPort)
#include "tst_serialport.moc"

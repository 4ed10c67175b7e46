#include "logcapture.h"
#include "ptypair.h"

#include "platform/port/port.h"

#include <QtTest>

#include <algorithm>
#include <atomic>
#include <thread>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
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
    if (fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0)
        return fd;
    if (fd >= 0)
        ::close(fd);
    return -1;
}

bool otherProgramCanLock(const QString &path)
{
    const int fd = lockLine(path);
    if (fd >= 0)
        ::close(fd);
    return fd >= 0;
}

int exclusiveFlag(const cPtyPair &pty)
{
    int exclusive = -1;
    return ioctl(pty.slaveFd(), TIOCGEXCL, &exclusive) == 0 ? exclusive : -1;
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
    void readWaitsAtMostItsTimeOut_data();
    void readWaitsAtMostItsTimeOut();
    void readKeepsToCapacity();
    void writeStallFailsWithinBound();
    void largeConcurrentWritesStayWhole();
    void exclusiveWhileOpen();
    void blockedReadEnds_data();
    void blockedReadEnds();
    void badHandlesRefused_data();
    void badHandlesRefused();
    void setBaudRate();
    void flushAndDiscard();
    void failedOpenLeavesNothingHeld_data();
    void failedOpenLeavesNothingHeld();
};

void tst_SerialPort::readWaitsAtMostItsTimeOut_data()
{
    QTest::addColumn<int>("timeoutMs");
    QTest::addColumn<int>("sendAfterMs");
    QTest::newRow("nothing, no wait") << 0 << -1;
    QTest::newRow("nothing, 400 ms") << 400 << -1;
    QTest::newRow("data returns at once") << 10000 << 100;
}

void tst_SerialPort::readWaitsAtMostItsTimeOut()
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
    if (sendAfterMs < 0)
        QVERIFY2(elapsed >= timeoutMs - 5, qPrintable(QString::number(elapsed)));
    QVERIFY2(elapsed < qMin(timeoutMs, 2000) + 3000, qPrintable(QString::number(elapsed)));
}

void tst_SerialPort::readKeepsToCapacity()
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
    QCOMPARE(count, 4);
    QCOMPARE(buffer, data.left(4) + QByteArray(8, '\x55'));

    // Nothing is lost: the rest comes with the next reads.
    QByteArray all = data.left(4);
    for (int i = 0; i < 20 && all.size() < data.size(); ++i)
        all += p.read(200);
    QCOMPARE(all, data);
}

void tst_SerialPort::writeStallFailsWithinBound()
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
    // A slow line is not a lost line.
    QCOMPARE(port::is_open(p.handle), 1);
}

void tst_SerialPort::largeConcurrentWritesStayWhole()
{
    sOpenPty p(QStringLiteral("test:concurrent"));
    QVERIFY(p.opened);
    // Each block is larger than the terminal's buffer, so every write call has to go on after a partial write.
    const int blockSize = 100000;
    const int total = 4 * blockSize;
    QByteArray atUnit;
    std::thread reader([&] { atUnit = p.pty.readMaster(total, 30000); });
    const QByteArray blockA = pattern(blockSize);
    QByteArray blockB = blockA;
    std::reverse(blockB.begin(), blockB.end());
    std::atomic<int> failures {0};
    auto writer = [&](const QByteArray &block) {
        for (int i = 0; i < 2; ++i) {
            int n = 0;
            if (port::write(p.handle, block.constData(), blockSize, &n) != 1 || n != blockSize)
                ++failures;
        }
    };
    std::thread a(writer, std::cref(blockA));
    std::thread b(writer, std::cref(blockB));
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

void tst_SerialPort::exclusiveWhileOpen()
{
    cLogCapture log;
    sOpenPty p(QStringLiteral("test:exclusive"));
    QVERIFY(p.opened);
    const QString path = p.pty.slavePath();

    sIODevice again = p.unit;
    QVERIFY(!port::open_port(again));
    sIODevice other = serialUnit(QStringLiteral("test:exclusive-other"), path);
    QVERIFY(!port::open_port(other));
    QVERIFY(log.contains({path, QStringLiteral("already open by unit"), p.unit.name}));
    QVERIFY(!otherProgramCanLock(path));
    QCOMPARE(exclusiveFlag(p.pty), 1);
    // The refusals did not disturb the unit that holds the line.
    QVERIFY(p.pty.writeMaster("ok"));
    QCOMPARE(p.read(), QByteArray("ok"));

    // Closed by handle, the line is free for others; reopened it is ours again.
    QCOMPARE(port::close(p.handle), 1);
    QCOMPARE(port::is_open(p.handle), 0);
    QCOMPARE(p.read(50), QByteArray("(failed)"));
    QVERIFY(otherProgramCanLock(path));
    QCOMPARE(port::open(p.handle), 1);
    QVERIFY(!otherProgramCanLock(path));
    QVERIFY(p.pty.writeMaster("back"));
    QCOMPARE(p.read(), QByteArray("back"));

    // The test keeps the slave side open, so the exclusive flag would outlive our descriptor.
    QVERIFY(port::close_port(p.unit, 300));
    QCOMPARE(exclusiveFlag(p.pty), 0);

    // Now another program holds it: refused, until that program lets go.
    const int held = lockLine(path);
    QVERIFY(held >= 0);
    QVERIFY(!port::open_port(p.unit));
    QVERIFY(!port::calc_io_handle(p.unit));
    QVERIFY(log.contains({path, QStringLiteral("already open by another program")}));
    ::close(held);
    QVERIFY(port::open_port(p.unit));
}

void tst_SerialPort::blockedReadEnds_data()
{
    QTest::addColumn<bool>("hangUp");
    QTest::newRow("unit hangs up") << true;
    QTest::newRow("unit closed meanwhile") << false;
}

void tst_SerialPort::blockedReadEnds()
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

void tst_SerialPort::badHandlesRefused_data()
{
    QTest::addColumn<int>("kind");
    QTest::newRow("null") << 0;
    QTest::newRow("made up") << 1;
    QTest::newRow("handle of a reopened unit's earlier life") << 2;
}

void tst_SerialPort::badHandlesRefused()
{
    QFETCH(int, kind);
    sOpenPty p(QStringLiteral("test:bad-handles"));
    QVERIFY(p.opened);
    void *handle = kind == 1 ? reinterpret_cast<void *>(quintptr(0x1234)) : nullptr;
    if (kind == 2) {
        handle = p.handle;
        QVERIFY(port::close_port(p.unit, 0));
        QVERIFY(port::open_port(p.unit));
        QVERIFY(port::calc_io_handle(p.unit) != handle);
    }

    char buffer[16] = {};
    int count = -1;
    unsigned char state = 9;
    QCOMPARE(port::is_open(handle), 0);
    QCOMPARE(port::read(handle, buffer, sizeof(buffer), &count, 10), 0);
    QCOMPARE(count, 0);
    count = -1;
    QCOMPARE(port::write(handle, "x", 1, &count), 0);
    QCOMPARE(count, 0);
    for (int (*call)(void *) : {port::open, port::close, port::flush, port::discard_output})
        QCOMPARE(call(handle), 0);
    QCOMPARE(port::set_baud_rate(handle, 9600), 0);
    QCOMPARE(port::gpio_get_state(handle, "IN1", &state), 0);
    QCOMPARE(state, static_cast<unsigned char>(0));
    QCOMPARE(port::gpio_set_state(handle, "OUT1", 1), 0);
    count = -1;
    QCOMPARE(port::i2c_read(handle, 0x50, buffer, 4, &count), 0);
    QCOMPARE(count, 0);
    QCOMPARE(port::i2c_write(handle, 0x50, buffer, 4, &count), 0);
}

void tst_SerialPort::setBaudRate()
{
    sOpenPty p(QStringLiteral("test:baud"));
    QVERIFY(p.opened);
    const auto lineSpeed = [&] {
        termios tio {};
        return tcgetattr(p.pty.slaveFd(), &tio) == 0 ? cfgetospeed(&tio) : speed_t(-1);
    };
    QCOMPARE(port::set_baud_rate(p.handle, 921600), 1);
    QCOMPARE(lineSpeed(), speed_t(B921600));
    // A rate the line cannot run is refused and leaves the line as it was.
    QCOMPARE(port::set_baud_rate(p.handle, 12345), 0);
    QCOMPARE(lineSpeed(), speed_t(B921600));
    QCOMPARE(port::is_open(p.handle), 1);
}

void tst_SerialPort::flushAndDiscard()
{
    sOpenPty p(QStringLiteral("test:flush"));
    QVERIFY(p.opened);
    QVERIFY(p.pty.writeMaster("stale answer"));
    QTest::qWait(50);
    QCOMPARE(port::flush(p.handle), 1);
    QCOMPARE(p.read(100), QByteArray());
    QVERIFY(p.pty.writeMaster("fresh"));
    QCOMPARE(p.read(), QByteArray("fresh"));

    // Dropping queued output keeps what the unit sent.
    QVERIFY(p.pty.writeMaster("kept"));
    QTest::qWait(50);
    const QByteArray queued(2000, 'q');
    int count = 0;
    QCOMPARE(port::write(p.handle, queued.constData(), int(queued.size()), &count), 1);
    QCOMPARE(port::discard_output(p.handle), 1);
    QCOMPARE(p.read(), QByteArray("kept"));
}

void tst_SerialPort::failedOpenLeavesNothingHeld_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("id");
    QTest::addColumn<QString>("logged");
    QTest::newRow("missing I2C bus") << "i2c" << "/dev/i2c-zt-missing" << "/dev/i2c-zt-missing";
    QTest::newRow("no simulated adapter") << "gpio" << "sim:/tmp/zt-no-such.sock" << "/tmp/zt-no-such.sock";
    QTest::newRow("unknown type") << "can" << "can0" << "can";
}

void tst_SerialPort::failedOpenLeavesNothingHeld()
{
    QFETCH(QString, type);
    QFETCH(QString, id);
    QFETCH(QString, logged);
    cLogCapture log;
    cPtyPair pty;
    QVERIFY(pty.isValid());

    sIODevice unit = serialUnit(QStringLiteral("test:half"), pty.slavePath());
    unit.devices.append({nullptr, type, type, id, {}});
    QVERIFY(!port::open_port(unit));
    QVERIFY(!port::calc_io_handle(unit));
    QVERIFY(!port::close_port(unit, 300));
    QVERIFY(log.contains({unit.name, logged}));
    // The serial line that did open was given back, to this program and to others.
    QVERIFY(otherProgramCanLock(pty.slavePath()));
    sIODevice plain = serialUnit(QStringLiteral("test:half-plain"), pty.slavePath());
    QVERIFY(port::open_port(plain));
    QVERIFY(port::close_port(plain, 0));
}

QTEST_GUILESS_MAIN(tst_SerialPort)
#include "tst_serialport.moc"

#include "cfakeadapter.h"
#include "logcapture.h"

#include "platform/port/port.h"

#include "sim/csimulatedunit.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <memory>
#include <thread>

namespace {

/** A unit with GPIO and I2C on an adapter socket (and a serial line if given), open for one test. */
struct sOpenAdapter
{
    sOpenAdapter(const QString &socket, const QString &serial = QString())
    {
        unit.id = QStringLiteral("test:adapter");
        unit.name = QStringLiteral("Adapter unit");
        if (!serial.isEmpty())
            unit.devices.append({nullptr, QStringLiteral("serial"), QStringLiteral("serial"), serial, {}});
        const QStringList lines {"IN1", "IN2", "IN3", "IN4", "OUT1", "OUT2", "OUT3", "OUT4", "IGN", "LED"};
        unit.devices.append({nullptr, QStringLiteral("gpio"), QStringLiteral("gpio"), "sim:" + socket, lines});
        unit.devices.append({nullptr, QStringLiteral("i2c"), QStringLiteral("i2c"), "sim:" + socket, {}});
        opened = port::open_port(unit);
        gpio = unit.devices.at(unit.devices.size() - 2).handle;
        i2c = unit.devices.last().handle;
    }
    ~sOpenAdapter() { port::close_port(unit, 0); }

    sIODevice unit;
    bool opened = false;
    void *gpio = nullptr;
    void *i2c = nullptr;
};

} // namespace

class tst_SimAdapter : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<cFakeAdapter> m_fake;

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_fake = std::make_unique<cFakeAdapter>(m_dir.filePath(QStringLiteral("fake.sock")));
        QVERIFY(m_fake->start());
    }
    void init() { m_fake->setMode(cFakeAdapter::Normal); }

    void badGpioNamesNeverSent_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::newRow("empty") << QByteArray("");
        QTest::newRow("with a space") << QByteArray("IN 1");
        QTest::newRow("a second request smuggled in") << QByteArray("IN1\nGPIO SET OUT1 1");
        QTest::newRow("not in the unit's list") << QByteArray("OUT9");
    }
    void badGpioNamesNeverSent()
    {
        QFETCH(QByteArray, name);
        cLogCapture log;
        sOpenAdapter a(m_fake->path());
        QVERIFY(a.opened);
        const int before = m_fake->requestCount();
        unsigned char value = 7;
        QCOMPARE(port::gpio_get_state(a.gpio, name.constData(), &value), 0);
        QCOMPARE(value, static_cast<unsigned char>(0));
        QCOMPARE(port::gpio_set_state(a.gpio, name.constData(), 1), 0);
        QCOMPARE(port::gpio_get_state(a.gpio, nullptr, &value), 0);
        QCOMPARE(m_fake->requestCount(), before);
        QVERIFY(log.contains({QStringLiteral("GPIO")}));
    }

    void i2cBounds_data()
    {
        QTest::addColumn<int>("address");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("status");
        QTest::newRow("nothing to read") << 0x50 << 0 << 1;
        QTest::newRow("largest read") << 0x50 << 4096 << 1;
        QTest::newRow("one past the largest") << 0x50 << 4097 << 0;
        QTest::newRow("negative count") << 0x50 << -1 << 0;
        QTest::newRow("address past 7 bits") << 0x80 << 1 << 0;
    }
    void i2cBounds()
    {
        QFETCH(int, address);
        QFETCH(int, count);
        QFETCH(int, status);
        sOpenAdapter a(m_fake->path());
        QVERIFY(a.opened);
        const int before = m_fake->requestCount();
        QByteArray buffer(qMax(count, 1) + 16, '\x55');
        int got = -1;
        QCOMPARE(port::i2c_read(a.i2c, static_cast<unsigned char>(address), buffer.data(), count, &got), status);
        QCOMPARE(got, status == 1 ? qMax(count, 0) : 0);
        QCOMPARE(buffer.mid(qMax(count, 1)), QByteArray(16, '\x55'));
        QCOMPARE(port::i2c_write(a.i2c, static_cast<unsigned char>(address), buffer.constData(), count, &got), status);
        // Refused and empty transfers never reach the adapter.
        QCOMPARE(m_fake->requestCount() - before, status == 1 && count > 0 ? 2 : 0);
    }

    void failuresLoggedAndLinkRecovers_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("gpio");
        QTest::addColumn<QString>("logged");
        QTest::newRow("setting an input") << int(cFakeAdapter::Normal) << true << "not an output IN1";
        QTest::newRow("reading a missing chip") << int(cFakeAdapter::Normal) << false << "no device at 51";
        QTest::newRow("silent") << int(cFakeAdapter::Silent) << true << "no answer";
        QTest::newRow("garbage") << int(cFakeAdapter::Garbage) << false << "gave";
        QTest::newRow("endless line") << int(cFakeAdapter::Endless) << true << "too long";
    }
    void failuresLoggedAndLinkRecovers()
    {
        QFETCH(int, mode);
        QFETCH(bool, gpio);
        QFETCH(QString, logged);
        cLogCapture log;
        sOpenAdapter a(m_fake->path());
        QVERIFY(a.opened);
        m_fake->setMode(static_cast<cFakeAdapter::Mode>(mode));
        // Chip 51 is missing on the fake; 80 is there, so only a bad answer fails it.
        char buffer[4] = {1, 2, 3, 4};
        int count = -1;
        QElapsedTimer timer;
        timer.start();
        if (gpio)
            QCOMPARE(port::gpio_set_state(a.gpio, "IN1", 1), 0);
        else
            QCOMPARE(port::i2c_read(a.i2c, mode == cFakeAdapter::Normal ? 51 : 80, buffer, 4, &count), 0);
        QCOMPARE(count, gpio ? -1 : 0);
        // Loose bound: a request gives up after the adapter's one-second time-out.
        QVERIFY2(timer.elapsed() < 6000, qPrintable(QString::number(timer.elapsed())));
        QVERIFY2(log.contains({logged}), qPrintable(log.texts().join('\n')));

        // Back to normal, the next request gets through (on a fresh connection if need be).
        m_fake->setMode(cFakeAdapter::Normal);
        unsigned char value = 7;
        QCOMPARE(port::gpio_get_state(a.gpio, "IN1", &value), 1);
    }

    void reconnectsAfterAdapterRestart()
    {
        sOpenAdapter a(m_fake->path());
        QVERIFY(a.opened);
        unsigned char value = 0;
        QCOMPARE(port::gpio_get_state(a.gpio, "IN2", &value), 1); // connected before the restart
        m_fake->stop();
        QCOMPARE(port::gpio_get_state(a.gpio, "IN2", &value), 0);
        m_fake = std::make_unique<cFakeAdapter>(m_dir.filePath(QStringLiteral("fake.sock")));
        QVERIFY(m_fake->start());
        QCOMPARE(port::gpio_set_state(a.gpio, "OUT2", 1), 1);
        QCOMPARE(port::gpio_get_state(a.gpio, "IN2", &value), 1);
        QCOMPARE(value, static_cast<unsigned char>(1));
        // An adapter that hangs up after every answer still serves every request.
        m_fake->setMode(cFakeAdapter::HangUpAfterAnswer);
        for (int i = 0; i < 5; ++i)
            QCOMPARE(port::gpio_get_state(a.gpio, "IN2", &value), 1);
    }

    void answersNeverCross()
    {
        sOpenAdapter a(m_fake->path());
        QVERIFY(a.opened);
        QCOMPARE(port::gpio_set_state(a.gpio, "OUT3", 1), 1);
        QCOMPARE(port::gpio_set_state(a.gpio, "OUT4", 0), 1);
        std::atomic<int> wrong {0};
        auto reader = [&](const char *name, unsigned char expected) {
            for (int i = 0; i < 200; ++i) {
                unsigned char value = 9;
                wrong += port::gpio_get_state(a.gpio, name, &value) != 1 || value != expected;
            }
        };
        std::thread one(reader, "IN3", 1), two(reader, "IN4", 0);
        one.join();
        two.join();
        QCOMPARE(wrong.load(), 0);
    }

    // The real unit: serial log, GPIO loop-back and the EEPROM through the port calls' encoding.
    void simulatedUnitEndToEnd()
    {
        cSimulatedUnit sim;
        QVERIFY2(sim.start(), qPrintable(sim.errorString()));
        sOpenAdapter a(sim.adapterSocketPath(), sim.ptyPath());
        QVERIFY(a.opened);
        void *io = port::calc_io_handle(a.unit);
        QVERIFY(io);
        QByteArray text;
        char block[16384];
        QElapsedTimer timer;
        timer.start();
        for (int count = 0; !text.contains('\n') && timer.elapsed() < 10000; text.append(block, count))
            QCOMPARE(port::read(io, block, sizeof(block), &count, 100), 1);
        QVERIFY(text.contains('\n'));

        for (const QByteArray line : {"1", "2", "3", "4"}) {
            for (unsigned char state : {1, 0}) {
                unsigned char value = 7;
                QCOMPARE(port::gpio_set_state(a.gpio, (QByteArray("OUT") + line).constData(), state), 1);
                QCOMPARE(port::gpio_get_state(a.gpio, (QByteArray("IN") + line).constData(), &value), 1);
                QCOMPARE(value, state);
            }
        }

        QByteArray data("\0\x01\xff\0", 4);
        for (int i = 0; i < 200; ++i)
            data.append(char(255 - i));
        const QByteArray write = '\x20' + data; // the EEPROM's address byte first
        int done = -1;
        QCOMPARE(port::i2c_write(a.i2c, 0x50, write.constData(), int(write.size()), &done), 1);
        QCOMPARE(done, write.size());
        QCOMPARE(port::i2c_write(a.i2c, 0x50, write.constData(), 1, &done), 1);
        QByteArray back(data.size(), '\x55');
        QCOMPARE(port::i2c_read(a.i2c, 0x50, back.data(), int(back.size()), &done), 1);
        QCOMPARE(done, data.size());
        QCOMPARE(back, data);
    }
};

QTEST_GUILESS_MAIN(tst_SimAdapter)
#include "tst_simadapter.moc"

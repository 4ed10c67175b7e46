#include "cfakeadapter.h"
#include "logcapture.h"

#include "platform/port/port.h"

#ifdef ZT_HAVE_SIM
#include "sim/csimulatedunit.h"
#endif

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <memory>
#include <thread>

namespace {

const QStringList kLines = {"IN1", "IN2", "IN3", "IN4", "OUT1", "OUT2", "OUT3", "OUT4", "IGN", "LED"};

sIODevice adapterUnit(const QString &id, const QString &socket, const QString &serial = QString())
{
    sIODevice unit;
    unit.id = id;
    unit.name = QStringLiteral("Unit ") + id;
    if (!serial.isEmpty())
        unit.devices.append(sIOSubDevice {nullptr, QStringLiteral("serial"), QStringLiteral("serial"), serial, {}});
    unit.devices.append(sIOSubDevice {nullptr, QStringLiteral("gpio"), QStringLiteral("gpio"),
                                      QStringLiteral("sim:") + socket, kLines});
    unit.devices.append(sIOSubDevice {nullptr, QStringLiteral("i2c"), QStringLiteral("i2c"),
                                      QStringLiteral("sim:") + socket, {}});
    return unit;
}

void *handleOf(const sIODevice &unit, const QString &varName)
{
    for (const sIOSubDevice &sub : unit.devices) {
        if (sub.varName == varName)
            return sub.handle;
    }
    return nullptr;
}

/** A unit opened on an adapter socket for the length of one test. */
struct sOpenAdapter
{
    sOpenAdapter(const QString &id, const QString &socket, const QString &serial = QString())
        : unit(adapterUnit(id, socket, serial))
    {
        opened = port::open_port(unit);
        gpio = handleOf(unit, QStringLiteral("gpio"));
        i2c = handleOf(unit, QStringLiteral("i2c"));
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

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();

    void gpioLoopBack_data();
    void gpioLoopBack();
    void eepromRoundTrip_data();
    void eepromRoundTrip();
    void badGpioNamesNeverSent_data();
    void badGpioNamesNeverSent();
    void i2cBounds_data();
    void i2cBounds();
    void refusedRequestsFail_data();
    void refusedRequestsFail();
    void misbehavingAdapter_data();
    void misbehavingAdapter();
    void reconnectsAfterAdapterRestart();
    void answersNeverCross();
    void openFailsWithoutAdapter();
#ifdef ZT_HAVE_SIM
    void simulatedUnitEndToEnd();
    void simulatedUnitHangUp();
#endif

private:
    void addBackendRows();
    QString socketFor(const QString &backend) const;

    QTemporaryDir m_dir;
    std::unique_ptr<cFakeAdapter> m_fake;
#ifdef ZT_HAVE_SIM
    std::unique_ptr<cSimulatedUnit> m_sim;
#endif
};

void tst_SimAdapter::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_fake = std::make_unique<cFakeAdapter>(m_dir.filePath(QStringLiteral("fake.sock")));
    QVERIFY(m_fake->start());
#ifdef ZT_HAVE_SIM
    m_sim = std::make_unique<cSimulatedUnit>();
    QVERIFY2(m_sim->start(), qPrintable(m_sim->errorString()));
#endif
}

void tst_SimAdapter::cleanupTestCase()
{
#ifdef ZT_HAVE_SIM
    m_sim->stop();
#endif
    m_fake->stop();
}

void tst_SimAdapter::init()
{
    m_fake->setMode(cFakeAdapter::Normal);
}

void tst_SimAdapter::addBackendRows()
{
    QTest::addColumn<QString>("backend");
}

QString tst_SimAdapter::socketFor(const QString &backend) const
{
#ifdef ZT_HAVE_SIM
    if (backend == QLatin1String("unit"))
        return m_sim->adapterSocketPath();
#endif
    Q_UNUSED(backend);
    return m_fake->path();
}

void tst_SimAdapter::gpioLoopBack_data()
{
    addBackendRows();
    QTest::addColumn<int>("line");
    QTest::addColumn<bool>("state");
    QStringList backends {QStringLiteral("fake")};
#ifdef ZT_HAVE_SIM
    backends << QStringLiteral("unit");
#endif
    for (const QString &backend : backends) {
        for (int line = 1; line <= 4; ++line) {
            for (bool state : {true, false})
                QTest::addRow("%s OUT%d=%d", qPrintable(backend), line, int(state)) << backend << line << state;
        }
    }
}

void tst_SimAdapter::gpioLoopBack()
{
    QFETCH(QString, backend);
    QFETCH(int, line);
    QFETCH(bool, state);
    sOpenAdapter a(QStringLiteral("test:gpio-") + backend, socketFor(backend));
    QVERIFY(a.opened);
    QVERIFY(a.gpio);

    const QByteArray out = "OUT" + QByteArray::number(line);
    const QByteArray in = "IN" + QByteArray::number(line);
    QCOMPARE(port::gpio_set_state(a.gpio, out.constData(), state ? 1 : 0), 1);
    unsigned char value = 7;
    QCOMPARE(port::gpio_get_state(a.gpio, in.constData(), &value), 1);
    QCOMPARE(value != 0, state);
    // An output reads back what was set.
    QCOMPARE(port::gpio_get_state(a.gpio, out.constData(), &value), 1);
    QCOMPARE(value != 0, state);
}

void tst_SimAdapter::eepromRoundTrip_data()
{
    addBackendRows();
    QTest::addColumn<int>("address");
    QTest::addColumn<QByteArray>("data");
    QStringList backends {QStringLiteral("fake")};
#ifdef ZT_HAVE_SIM
    backends << QStringLiteral("unit");
#endif
    for (const QString &backend : backends) {
        QTest::addRow("%s short", qPrintable(backend)) << backend << 0x10 << QByteArray("ZOVAN");
        QTest::addRow("%s zero bytes inside", qPrintable(backend)) << backend << 0x40 << QByteArray("\0\x01\xff\0", 4);
        QByteArray block(200, '\0');
        for (int i = 0; i < block.size(); ++i)
            block[i] = static_cast<char>(255 - i);
        QTest::addRow("%s 200 bytes", qPrintable(backend)) << backend << 0x20 << block;
    }
}

void tst_SimAdapter::eepromRoundTrip()
{
    QFETCH(QString, backend);
    QFETCH(int, address);
    QFETCH(QByteArray, data);
    sOpenAdapter a(QStringLiteral("test:eeprom-") + backend, socketFor(backend));
    QVERIFY(a.opened);

    const QByteArray write = char(address) + data;
    int written = -1;
    QCOMPARE(port::i2c_write(a.i2c, 0x50, write.constData(), write.size(), &written), 1);
    QCOMPARE(written, write.size());
    const char pointer = char(address);
    QCOMPARE(port::i2c_write(a.i2c, 0x50, &pointer, 1, &written), 1);
    QByteArray back(data.size(), '\x55');
    int got = -1;
    QCOMPARE(port::i2c_read(a.i2c, 0x50, back.data(), back.size(), &got), 1);
    QCOMPARE(got, data.size());
    QCOMPARE(back, data);
}

void tst_SimAdapter::badGpioNamesNeverSent_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::newRow("empty") << QByteArray("");
    QTest::newRow("with a space") << QByteArray("IN 1");
    QTest::newRow("a second request smuggled in") << QByteArray("IN1\nGPIO SET OUT1 1");
    QTest::newRow("not in the unit's list") << QByteArray("OUT9");
    QTest::newRow("wrong case") << QByteArray("in1");
}

void tst_SimAdapter::badGpioNamesNeverSent()
{
    QFETCH(QByteArray, name);
    cLogCapture log;
    sOpenAdapter a(QStringLiteral("test:names"), m_fake->path());
    QVERIFY(a.opened);
    const int before = m_fake->requests().size();

    unsigned char value = 7;
    QCOMPARE(port::gpio_get_state(a.gpio, name.constData(), &value), 0);
    QCOMPARE(value, static_cast<unsigned char>(0));
    QCOMPARE(port::gpio_set_state(a.gpio, name.constData(), 1), 0);
    QCOMPARE(port::gpio_get_state(a.gpio, nullptr, &value), 0);
    QCOMPARE(m_fake->requests().size(), before);
    QVERIFY(log.contains({QStringLiteral("GPIO")}));
}

void tst_SimAdapter::i2cBounds_data()
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

void tst_SimAdapter::i2cBounds()
{
    QFETCH(int, address);
    QFETCH(int, count);
    QFETCH(int, status);
    sOpenAdapter a(QStringLiteral("test:i2c-bounds"), m_fake->path());
    QVERIFY(a.opened);
    const int before = m_fake->requests().size();

    QByteArray buffer(qMax(count, 1) + 16, '\x55');
    int got = -1;
    QCOMPARE(port::i2c_read(a.i2c, static_cast<unsigned char>(address), buffer.data(), count, &got), status);
    QCOMPARE(got, status == 1 ? qMax(count, 0) : 0);
    QCOMPARE(buffer.mid(qMax(count, 1)), QByteArray(16, '\x55'));
    QCOMPARE(port::i2c_write(a.i2c, static_cast<unsigned char>(address), buffer.constData(), count, &got), status);
    // Refused and empty transfers never reach the adapter.
    QCOMPARE(m_fake->requests().size() - before, status == 1 && count > 0 ? 2 : 0);
}

void tst_SimAdapter::refusedRequestsFail_data()
{
    QTest::addColumn<QString>("what");
    QTest::addColumn<QString>("reason");
    QTest::newRow("setting an input") << QStringLiteral("gpio-set-input") << QStringLiteral("not an output IN1");
    QTest::newRow("reading a missing chip") << QStringLiteral("i2c-read") << QStringLiteral("no device at 51");
    QTest::newRow("writing a missing chip") << QStringLiteral("i2c-write") << QStringLiteral("no device at 51");
}

void tst_SimAdapter::refusedRequestsFail()
{
    QFETCH(QString, what);
    QFETCH(QString, reason);
    cLogCapture log;
    sOpenAdapter a(QStringLiteral("test:refused"), m_fake->path());
    QVERIFY(a.opened);

    char buffer[4] = {1, 2, 3, 4};
    int count = -1;
    int status = -1;
    if (what == QLatin1String("gpio-set-input"))
        status = port::gpio_set_state(a.gpio, "IN1", 1);
    else if (what == QLatin1String("i2c-read"))
        status = port::i2c_read(a.i2c, 51, buffer, 4, &count);
    else
        status = port::i2c_write(a.i2c, 51, buffer, 4, &count);
    QCOMPARE(status, 0);
    QVERIFY(count <= 0);
    QVERIFY2(log.contains({reason}), qPrintable(log.texts().join('\n')));

    // A refusal leaves the link usable.
    unsigned char value = 0;
    QCOMPARE(port::gpio_get_state(a.gpio, "IN1", &value), 1);
}

void tst_SimAdapter::misbehavingAdapter_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("logged");
    QTest::newRow("silent") << int(cFakeAdapter::Silent) << QStringLiteral("no answer");
    QTest::newRow("garbage") << int(cFakeAdapter::Garbage) << QStringLiteral("gave");
    QTest::newRow("endless line") << int(cFakeAdapter::Endless) << QStringLiteral("too long");
}

void tst_SimAdapter::misbehavingAdapter()
{
    QFETCH(int, mode);
    QFETCH(QString, logged);
    cLogCapture log;
    sOpenAdapter a(QStringLiteral("test:misbehaving"), m_fake->path());
    QVERIFY(a.opened);
    m_fake->setMode(static_cast<cFakeAdapter::Mode>(mode));

    QElapsedTimer timer;
    timer.start();
    unsigned char value = 7;
    QCOMPARE(port::gpio_get_state(a.gpio, "IN1", &value), 0);
    QCOMPARE(value, static_cast<unsigned char>(0));
    char buffer[8];
    int count = -1;
    QCOMPARE(port::i2c_read(a.i2c, 0x50, buffer, 2, &count), 0);
    QCOMPARE(count, 0);
    // Each request is bounded by the adapter's one-second time-out.
    QVERIFY2(timer.elapsed() < 5000, qPrintable(QString::number(timer.elapsed())));
    QVERIFY2(log.contains({logged}), qPrintable(log.texts().join('\n')));

    // Back to normal, the next request gets through on a fresh connection.
    m_fake->setMode(cFakeAdapter::Normal);
    QCOMPARE(port::gpio_get_state(a.gpio, "IN1", &value), 1);
}

void tst_SimAdapter::reconnectsAfterAdapterRestart()
{
    sOpenAdapter a(QStringLiteral("test:restart"), m_fake->path());
    QVERIFY(a.opened);
    unsigned char value = 0;
    QCOMPARE(port::gpio_set_state(a.gpio, "OUT2", 1), 1);

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

void tst_SimAdapter::answersNeverCross()
{
    sOpenAdapter a(QStringLiteral("test:cross"), m_fake->path());
    QVERIFY(a.opened);
    QCOMPARE(port::gpio_set_state(a.gpio, "OUT3", 1), 1);
    QCOMPARE(port::gpio_set_state(a.gpio, "OUT4", 0), 1);

    std::atomic<int> wrong {0};
    auto reader = [&](const char *name, unsigned char expected) {
        for (int i = 0; i < 200; ++i) {
            unsigned char value = 9;
            if (port::gpio_get_state(a.gpio, name, &value) != 1 || value != expected)
                ++wrong;
        }
    };
    std::thread one(reader, "IN3", 1);
    std::thread two(reader, "IN4", 0);
    one.join();
    two.join();
    QCOMPARE(wrong.load(), 0);
}

void tst_SimAdapter::openFailsWithoutAdapter()
{
    cLogCapture log;
    const QString missing = m_dir.filePath(QStringLiteral("nobody.sock"));
    sIODevice unit = adapterUnit(QStringLiteral("test:no-adapter"), missing);
    QVERIFY(!port::open_port(unit));
    QVERIFY(!handleOf(unit, QStringLiteral("gpio")));
    QVERIFY(log.contains({missing}));
}

#ifdef ZT_HAVE_SIM
void tst_SimAdapter::simulatedUnitEndToEnd()
{
    sOpenAdapter a(QStringLiteral("test:sim-unit"), m_sim->adapterSocketPath(), m_sim->ptyPath());
    QVERIFY(a.opened);
    void *io = port::calc_io_handle(a.unit);
    QVERIFY(io);
    QCOMPARE(io, handleOf(a.unit, QStringLiteral("serial")));

    // The unit prints its log: something arrives within a few seconds.
    QByteArray text;
    char block[16384];
    QElapsedTimer timer;
    timer.start();
    while (!text.contains('\n') && timer.elapsed() < 10000) {
        int count = 0;
        QCOMPARE(port::read(io, block, sizeof(block), &count, 100), 1);
        text.append(block, count);
    }
    QVERIFY(text.contains('\n'));

    // The temperature sensor gives two bytes of signed 8.8 degrees.
    unsigned char raw[2] = {};
    int got = 0;
    QCOMPARE(port::i2c_read(a.i2c, 0x48, raw, 2, &got), 1);
    QCOMPARE(got, 2);
    const double celsius = static_cast<qint16>((raw[0] << 8) | raw[1]) / 256.0;
    QVERIFY2(celsius > -40 && celsius < 125, qPrintable(QString::number(celsius)));
}

void tst_SimAdapter::simulatedUnitHangUp()
{
    cSimulatedUnit unit;
    QVERIFY2(unit.setOptions({QStringLiteral("hangup=200")}), qPrintable(unit.errorString()));
    QVERIFY2(unit.start(), qPrintable(unit.errorString()));
    sIODevice device = adapterUnit(QStringLiteral("test:sim-hangup"), unit.adapterSocketPath(), unit.ptyPath());
    QVERIFY(port::open_port(device));
    void *io = port::calc_io_handle(device);

    QElapsedTimer timer;
    timer.start();
    int status = 1;
    char block[1024];
    while (status == 1 && timer.elapsed() < 20000) {
        int count = 0;
        status = port::read(io, block, sizeof(block), &count, 100);
    }
    QCOMPARE(status, 0);
    QCOMPARE(port::is_open(io), 0);
    QVERIFY(port::close_port(device, 300));
    unit.stop();
}
#endif

QTEST_GUILESS_MAIN(tst_SimAdapter)
#include "tst_simadapter.moc"

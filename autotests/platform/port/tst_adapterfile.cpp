#include "logcapture.h"
#include "ptypair.h"

#include "platform/port/cadapterfile.h"
#include "platform/port/port.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <termios.h>

namespace {

// "varName type id [gpio,names]" per sub-device, joined with "; ".
QString describe(const sIODevice &device)
{
    QStringList parts;
    for (const sIOSubDevice &sub : device.devices) {
        QString part = sub.varName + QLatin1Char(' ') + sub.type + QLatin1Char(' ') + sub.id;
        if (!sub.gpio.isEmpty())
            part += QLatin1String(" [") + sub.gpio.join(QLatin1Char(',')) + QLatin1Char(']');
        parts << part;
    }
    return parts.join(QLatin1String("; "));
}

} // namespace

class tst_AdapterFile : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void parse_data();
    void parse();
    void unitFields();
    void enumerationOrder();
    void errorsLoggedOncePerChange();
    void baudReachesTheLine();

private:
    void writeAdapters(const QByteArray &text);

    QTemporaryDir m_dir;
    QString m_file;
};

void tst_AdapterFile::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_file = m_dir.filePath(QStringLiteral("adapters.ini"));
    qputenv("ZOVAN_ADAPTERS", m_file.toLocal8Bit());
    qputenv("ZOVAN_SCAN_SYSTEM_PORTS", "0");
    QCOMPARE(port::adapterFilePath(), m_file);
}

void tst_AdapterFile::writeAdapters(const QByteArray &text)
{
    QFile file(m_file);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text);
}

void tst_AdapterFile::parse_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QStringList>("ids");
    QTest::addColumn<QStringList>("devices");
    // Each error must hold all the parts of one entry ("|"-separated), in file order.
    QTest::addColumn<QStringList>("errors");

    QTest::newRow("full unit")
        << QByteArray("[bench]\nname=Bench 1\nserial=/dev/ttyUSB0\nbaud=57600\ngpiochip=/dev/gpiochip0\n"
                      "gpio=IGN, OUT1 ,IN1\ni2c=/dev/i2c-1\n")
        << QStringList {"adapter:bench"}
        << QStringList {"serial serial /dev/ttyUSB0; gpio gpio /dev/gpiochip0 [IGN,OUT1,IN1]; i2c i2c /dev/i2c-1"}
        << QStringList();
    QTest::newRow("serial only")
        << QByteArray("[b]\nserial=/dev/ttyS1\n") << QStringList {"adapter:b"}
        << QStringList {"serial serial /dev/ttyS1"} << QStringList();
    QTest::newRow("simulated adapter ids")
        << QByteArray("[s]\nserial=/dev/pts/9\ngpiochip=sim:/tmp/u.sock\ngpio=IN1,OUT1\ni2c=sim:/tmp/u.sock\n")
        << QStringList {"adapter:s"}
        << QStringList {"serial serial /dev/pts/9; gpio gpio sim:/tmp/u.sock [IN1,OUT1]; i2c i2c sim:/tmp/u.sock"}
        << QStringList();
    QTest::newRow("comments, blanks, CRLF, upper-case keys")
        << QByteArray("; my bench\r\n\r\n# two units\r\n[one]\r\nSERIAL = /dev/ttyUSB1\r\n  Baud=9600 \r\n"
                      "[two]\r\nserial=/dev/ttyACM0\r\n")
        << QStringList {"adapter:one", "adapter:two"}
        << QStringList {"serial serial /dev/ttyUSB1", "serial serial /dev/ttyACM0"} << QStringList();
    QTest::newRow("missing serial")
        << QByteArray("[a]\nbaud=9600\n[b]\nserial=/dev/ttyS0\n") << QStringList {"adapter:b"}
        << QStringList {"serial serial /dev/ttyS0"} << QStringList {"line 1|[a]|'serial'"};
    QTest::newRow("unknown key")
        << QByteArray("[a]\nserial=/dev/ttyS0\nspeed=9600\n") << QStringList() << QStringList()
        << QStringList {"line 3|[a]|'speed'|unknown"};
    QTest::newRow("baud not a number")
        << QByteArray("[a]\nserial=/dev/ttyS0\nbaud=fast\n") << QStringList() << QStringList()
        << QStringList {"line 3|[a]|'baud'|fast"};
    QTest::newRow("baud not a line speed")
        << QByteArray("[a]\nserial=/dev/ttyS0\nbaud=12345\n") << QStringList() << QStringList()
        << QStringList {"[a]|'baud'|12345"};
    QTest::newRow("negative baud")
        << QByteArray("[a]\nbaud=-9600\nserial=/dev/ttyS0\n") << QStringList() << QStringList()
        << QStringList {"line 2|[a]|'baud'"};
    QTest::newRow("empty baud")
        << QByteArray("[a]\nserial=/dev/ttyS0\nbaud=\n") << QStringList() << QStringList()
        << QStringList {"[a]|'baud'"};
    QTest::newRow("GPIO names without a chip")
        << QByteArray("[a]\nserial=/dev/ttyS0\ngpio=IGN\n") << QStringList() << QStringList()
        << QStringList {"[a]|'gpio'|gpiochip"};
    QTest::newRow("empty GPIO name")
        << QByteArray("[a]\nserial=/dev/ttyS0\ngpiochip=/dev/gpiochip0\ngpio=IGN,,OUT1\n") << QStringList()
        << QStringList() << QStringList {"[a]|'gpio'"};
    QTest::newRow("repeated GPIO name")
        << QByteArray("[a]\nserial=/dev/ttyS0\ngpiochip=/dev/gpiochip0\ngpio=IGN,IGN\n") << QStringList()
        << QStringList() << QStringList {"[a]|'gpio'|IGN"};
    QTest::newRow("GPIO name with a space")
        << QByteArray("[a]\nserial=/dev/ttyS0\ngpiochip=/dev/gpiochip0\ngpio=IN 1\n") << QStringList()
        << QStringList() << QStringList {"[a]|'gpio'|IN 1"};
    QTest::newRow("repeated key")
        << QByteArray("[a]\nserial=/dev/ttyS0\nserial=/dev/ttyS1\n") << QStringList() << QStringList()
        << QStringList {"line 3|[a]|'serial'|twice"};
    QTest::newRow("repeated section keeps the first")
        << QByteArray("[a]\nserial=/dev/ttyS0\n[a]\nserial=/dev/ttyS1\n") << QStringList {"adapter:a"}
        << QStringList {"serial serial /dev/ttyS0"} << QStringList {"line 3|[a]|twice"};
    QTest::newRow("one bad unit among good ones")
        << QByteArray("[good1]\nserial=/dev/ttyUSB0\n[bad]\nserial=/dev/ttyUSB1\nbaud=fast\n[good2]\nserial=/dev/ttyUSB2\n")
        << QStringList {"adapter:good1", "adapter:good2"}
        << QStringList {"serial serial /dev/ttyUSB0", "serial serial /dev/ttyUSB2"}
        << QStringList {"line 5|[bad]|'baud'"};
    QTest::newRow("key before any section")
        << QByteArray("serial=/dev/ttyS0\n[a]\nserial=/dev/ttyS1\n") << QStringList {"adapter:a"}
        << QStringList {"serial serial /dev/ttyS1"} << QStringList {"line 1|'serial'"};
    QTest::newRow("line without '='")
        << QByteArray("[a]\nserial /dev/ttyS0\n") << QStringList() << QStringList()
        << QStringList {"line 2|[a]|serial /dev/ttyS0"};
    QTest::newRow("unclosed section header")
        << QByteArray("[a\nserial=/dev/ttyS0\n[b]\nserial=/dev/ttyS1\n") << QStringList {"adapter:b"}
        << QStringList {"serial serial /dev/ttyS1"} << QStringList {"line 1|[a"};
    QTest::newRow("empty section name")
        << QByteArray("[ ]\nserial=/dev/ttyS0\n") << QStringList() << QStringList() << QStringList {"line 1|empty"};
    QTest::newRow("serial on a socket")
        << QByteArray("[a]\nserial=sim:/tmp/u.sock\n") << QStringList() << QStringList()
        << QStringList {"[a]|'serial'|sim:/tmp/u.sock"};
    QTest::newRow("empty I2C bus")
        << QByteArray("[a]\nserial=/dev/ttyS0\ni2c=\n") << QStringList() << QStringList() << QStringList {"[a]|'i2c'"};
    QTest::newRow("empty file") << QByteArray() << QStringList() << QStringList() << QStringList();
}

void tst_AdapterFile::parse()
{
    QFETCH(QByteArray, text);
    QFETCH(QStringList, ids);
    QFETCH(QStringList, devices);
    QFETCH(QStringList, errors);

    const QString fileName = QStringLiteral("/home/op/.config/zovan/adapters.ini");
    const cAdapterFile::sResult result = cAdapterFile::parse(text, fileName);
    QStringList gotIds;
    QStringList gotDevices;
    for (const cAdapterFile::sUnit &unit : result.units) {
        gotIds << unit.device.id;
        gotDevices << describe(unit.device);
    }
    QCOMPARE(gotIds, ids);
    QCOMPARE(gotDevices, devices);
    QCOMPARE(result.errors.size(), errors.size());
    for (int i = 0; i < errors.size(); ++i) {
        QVERIFY2(result.errors.at(i).contains(fileName), qPrintable(result.errors.at(i)));
        const QStringList parts = errors.at(i).split(QLatin1Char('|'));
        for (const QString &part : parts)
            QVERIFY2(result.errors.at(i).contains(part), qPrintable(result.errors.at(i) + " lacks " + part));
    }
}

void tst_AdapterFile::unitFields()
{
    const cAdapterFile::sResult result = cAdapterFile::parse(
        "[bench]\nname=Bench with IGN\nserial=/dev/ttyUSB0\nbaud=57600\n[plain]\nserial=/dev/ttyUSB1\n", "a.ini");
    QCOMPARE(result.units.size(), 2);
    QCOMPARE(result.units.at(0).device.name, QStringLiteral("Bench with IGN"));
    QCOMPARE(result.units.at(0).baud, 57600u);
    // Without a name the section names the unit; without a baud rate 115200 is used.
    QCOMPARE(result.units.at(1).device.name, QStringLiteral("plain"));
    QCOMPARE(result.units.at(1).baud, 115200u);
    for (const cAdapterFile::sUnit &unit : result.units) {
        for (const sIOSubDevice &sub : unit.device.devices)
            QVERIFY(!sub.handle);
    }
}

void tst_AdapterFile::enumerationOrder()
{
    writeAdapters("[bench]\nname=Bench\nserial=/dev/ttyUSB7\n[second]\nserial=/dev/ttyUSB8\n");
    sIODevice registered;
    registered.id = QStringLiteral("sim:embedded");
    registered.name = QStringLiteral("Simulated unit");
    registered.devices.append(sIOSubDevice {nullptr, QStringLiteral("serial"), QStringLiteral("serial"),
                                            QStringLiteral("/dev/pts/99"), {}});
    port::registerUnit(registered);

    QStringList ids;
    for (const sIODevice &device : port::enumerate())
        ids << device.id;
    QCOMPARE(ids, (QStringList {"sim:embedded", "adapter:bench", "adapter:second"}));

    // Registering again replaces; unregistering removes.
    registered.name = QStringLiteral("Renamed");
    port::registerUnit(registered);
    const QList<sIODevice> again = port::enumerate();
    QCOMPARE(again.size(), 3);
    QCOMPARE(again.first().name, QStringLiteral("Renamed"));
    port::unregisterUnit(registered.id);
    QCOMPARE(port::enumerate().size(), 2);

    QFile::remove(m_file);
    QVERIFY(port::enumerate().isEmpty());
}

void tst_AdapterFile::errorsLoggedOncePerChange()
{
    cLogCapture log;
    writeAdapters("[broken]\nserial=/dev/ttyUSB0\nspeed=1\n[fine]\nserial=/dev/ttyUSB1\n");
    for (int i = 0; i < 3; ++i)
        QCOMPARE(port::enumerate().size(), 1);
    QCOMPARE(log.count(QStringLiteral("'speed'")), 1);

    // A different mistake is news again.
    writeAdapters("[broken]\nserial=/dev/ttyUSB0\nbaud=fast\n[fine]\nserial=/dev/ttyUSB1\n");
    QCOMPARE(port::enumerate().size(), 1);
    QCOMPARE(port::enumerate().size(), 1);
    QCOMPARE(log.count(QStringLiteral("fast")), 1);
    QFile::remove(m_file);
}

void tst_AdapterFile::baudReachesTheLine()
{
    cPtyPair pty;
    QVERIFY(pty.isValid());
    writeAdapters("[slow]\nserial=" + pty.slavePath().toLocal8Bit() + "\nbaud=19200\n");
    const QList<sIODevice> units = port::enumerate();
    QCOMPARE(units.size(), 1);
    sIODevice unit = units.first();
    QVERIFY(port::open_port(unit));
    QVERIFY(unit.devices.first().handle);
    QCOMPARE(port::calc_io_handle(unit), unit.devices.first().handle);
    termios tio {};
    QCOMPARE(tcgetattr(pty.slaveFd(), &tio), 0);
    QCOMPARE(cfgetospeed(&tio), speed_t(B19200));
    QVERIFY(port::close_port(unit, 300));
    QFile::remove(m_file);
}

QTEST_GUILESS_MAIN(tst_AdapterFile)
#include "tst_adapterfile.moc"

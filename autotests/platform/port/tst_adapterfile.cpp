#include "logcapture.h"
#include "ptypair.h"

#include "platform/port/cadapterfile.h"
#include "platform/port/port.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <termios.h>

class tst_AdapterFile : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void parse_data();
    void parse();
    void enumerationOrder();
    void errorsLoggedOncePerChange();
    void baudReachesTheLine();

private:
    void writeAdapters(const QByteArray &text)
    {
        QFile file(m_file);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text);
    }

    QTemporaryDir m_dir;
    QString m_file;
};

void tst_AdapterFile::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_file = m_dir.filePath(QStringLiteral("adapters.ini"));
    qputenv("ZOVAN_ADAPTERS", m_file.toLocal8Bit());
    qputenv("ZOVAN_SCAN_SYSTEM_PORTS", "0");
}

void tst_AdapterFile::parse_data()
{
    QTest::addColumn<QByteArray>("text");
    // "id name baud: type id [gpio,names]; ..." per unit.
    QTest::addColumn<QStringList>("units");
    // Each error must hold all the parts of one entry ("|"-separated), in file order.
    QTest::addColumn<QStringList>("errors");
    using L = QStringList;

    QTest::newRow("full unit")
        << QByteArray("[bench]\nname=Bench 1\nserial=/dev/ttyUSB0\nbaud=57600\ngpiochip=/dev/gpiochip0\n"
                      "gpio=IGN, OUT1 ,IN1\ni2c=sim:/tmp/u.sock\n")
        << L {"adapter:bench Bench 1 57600: serial /dev/ttyUSB0; gpio /dev/gpiochip0 [IGN,OUT1,IN1]; i2c sim:/tmp/u.sock"}
        << L();
    QTest::newRow("comments, blanks, CRLF, upper-case keys")
        << QByteArray("; my bench\r\n\r\n# two units\r\n[one]\r\nSERIAL = /dev/ttyUSB1\r\n  Baud=9600 \r\n"
                      "[two]\r\nserial=/dev/ttyACM0\r\n")
        << L {"adapter:one one 9600: serial /dev/ttyUSB1", "adapter:two two 115200: serial /dev/ttyACM0"} << L();
    QTest::newRow("missing serial") << QByteArray("[a]\nbaud=9600\n[b]\nserial=/dev/ttyS0\n")
                                    << L {"adapter:b b 115200: serial /dev/ttyS0"} << L {"line 1|[a]|'serial'"};
    QTest::newRow("unknown key") << QByteArray("[a]\nserial=/dev/ttyS0\nspeed=9600\n") << L()
                                 << L {"line 3|[a]|'speed'|unknown"};
    QTest::newRow("baud not a line speed") << QByteArray("[a]\nbaud=12345\nserial=/dev/ttyS0\n") << L()
                                           << L {"line 2|[a]|'baud'|12345"};
    QTest::newRow("GPIO names without a chip") << QByteArray("[a]\nserial=/dev/ttyS0\ngpio=IGN\n") << L()
                                               << L {"[a]|'gpio'|gpiochip"};
    const QByteArray chip("[a]\nserial=/dev/ttyS0\ngpiochip=/dev/gpiochip0\n");
    QTest::newRow("repeated GPIO name") << chip + "gpio=IGN,IGN\n" << L() << L {"[a]|'gpio'|IGN"};
    QTest::newRow("GPIO name with a space") << chip + "gpio=IN 1\n" << L() << L {"[a]|'gpio'|IN 1"};
    QTest::newRow("repeated key") << QByteArray("[a]\nserial=/dev/ttyS0\nserial=/dev/ttyS1\n") << L()
                                  << L {"line 3|[a]|'serial'|twice"};
    QTest::newRow("repeated section keeps the first") << QByteArray("[a]\nserial=/dev/ttyS0\n[a]\nserial=/dev/ttyS1\n")
                                                      << L {"adapter:a a 115200: serial /dev/ttyS0"} << L {"line 3|[a]|twice"};
    QTest::newRow("one bad unit among good ones")
        << QByteArray("[g1]\nserial=/dev/ttyUSB0\n[bad]\nserial=/dev/ttyUSB1\nbaud=fast\n[g2]\nserial=/dev/ttyUSB2\n")
        << L {"adapter:g1 g1 115200: serial /dev/ttyUSB0", "adapter:g2 g2 115200: serial /dev/ttyUSB2"}
        << L {"line 5|[bad]|'baud'|fast"};
    QTest::newRow("key before any section") << QByteArray("serial=/dev/ttyS0\n[a]\nserial=/dev/ttyS1\n")
                                            << L {"adapter:a a 115200: serial /dev/ttyS1"} << L {"line 1|'serial'"};
    QTest::newRow("line without '='") << QByteArray("[a]\nserial /dev/ttyS0\n") << L()
                                      << L {"line 2|[a]|serial /dev/ttyS0"};
    QTest::newRow("unclosed section header") << QByteArray("[a\nserial=/dev/ttyS0\n[b]\nserial=/dev/ttyS1\n")
                                             << L {"adapter:b b 115200: serial /dev/ttyS1"} << L {"line 1|[a"};
    QTest::newRow("empty section name") << QByteArray("[ ]\nserial=/dev/ttyS0\n") << L() << L {"line 1|empty"};
    QTest::newRow("serial on a socket") << QByteArray("[a]\nserial=sim:/tmp/u.sock\n") << L()
                                        << L {"[a]|'serial'|sim:/tmp/u.sock"};
    QTest::newRow("empty I2C bus") << QByteArray("[a]\nserial=/dev/ttyS0\ni2c=\n") << L() << L {"[a]|'i2c'"};
    QTest::newRow("oversized file") << QByteArray("[a]\nserial=/dev/ttyS0\n").leftJustified(cAdapterFile::kMaxFileSize + 1, '#')
                                    << L() << L {"larger"};
    QTest::newRow("empty file") << QByteArray() << L() << L();
}

void tst_AdapterFile::parse()
{
    QFETCH(QByteArray, text);
    QFETCH(QStringList, units);
    QFETCH(QStringList, errors);

    const QString fileName = QStringLiteral("/home/op/.config/zovan/adapters.ini");
    const cAdapterFile::sResult result = cAdapterFile::parse(text, fileName);
    QStringList got;
    for (const cAdapterFile::sUnit &unit : result.units) {
        QStringList subs;
        for (const sIOSubDevice &sub : unit.device.devices) {
            QCOMPARE(sub.varName, sub.type);
            subs << sub.type + ' ' + sub.id + (sub.gpio.isEmpty() ? QString() : " [" + sub.gpio.join(',') + ']');
        }
        got << QStringLiteral("%1 %2 %3: %4").arg(unit.device.id, unit.device.name).arg(unit.baud).arg(subs.join("; "));
    }
    QCOMPARE(got, units);
    QCOMPARE(result.errors.size(), errors.size());
    for (int i = 0; i < errors.size(); ++i) {
        const QStringList parts = errors.at(i).split('|') << fileName;
        for (const QString &part : parts)
            QVERIFY2(result.errors.at(i).contains(part), qPrintable(result.errors.at(i) + " lacks " + part));
    }
}

void tst_AdapterFile::enumerationOrder()
{
    const auto ids = [] {
        QStringList result;
        for (const sIODevice &device : port::enumerate())
            result << device.id + ' ' + device.name;
        return result;
    };
    writeAdapters("[bench]\nname=Bench\nserial=/dev/ttyUSB7\n[second]\nserial=/dev/ttyUSB8\n");
    sIODevice registered;
    registered.id = QStringLiteral("sim:embedded");
    registered.name = QStringLiteral("Simulated");
    registered.devices.append({nullptr, QStringLiteral("serial"), QStringLiteral("serial"), "/dev/pts/99", {}});
    port::registerUnit(registered);
    // Registering again replaces, and registered units come before the file's.
    registered.name = QStringLiteral("Renamed");
    port::registerUnit(registered);
    QCOMPARE(ids(), (QStringList {"sim:embedded Renamed", "adapter:bench Bench", "adapter:second second"}));
    port::unregisterUnit(registered.id);
    QCOMPARE(ids(), (QStringList {"adapter:bench Bench", "adapter:second second"}));
    QFile::remove(m_file);
    QVERIFY(port::enumerate().isEmpty());
}

void tst_AdapterFile::errorsLoggedOncePerChange()
{
    cLogCapture log;
    // Rescans read the file every 1.5 s; the same mistake must not flood the log, a different one is news.
    for (const QByteArray bad : {"speed=1", "baud=fast"}) {
        writeAdapters("[broken]\nserial=/dev/ttyUSB0\n" + bad + "\n[fine]\nserial=/dev/ttyUSB1\n");
        for (int i = 0; i < 3; ++i)
            QCOMPARE(port::enumerate().size(), 1);
        QCOMPARE(log.texts().filter("'" + bad.split('=').first() + "'").size(), 1);
    }
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
    termios tio {};
    QCOMPARE(tcgetattr(pty.slaveFd(), &tio), 0);
    QCOMPARE(cfgetospeed(&tio), speed_t(B19200));
    QVERIFY(port::close_port(unit, 300));
    QFile::remove(m_file);
}

QTEST_GUILESS_MAIN(tst_AdapterFile)
#include "tst_adapterfile.moc"

// The unit's line faults and pacing with a clock the test drives, its adapter channel over the
// real socket, and the path rules of its file systems.

#include "ctestadapterclient.h"

#include "sim/csimlinepipe.h"
#include "sim/csimmemoryfs.h"
#include "sim/csimulatedunit.h"

#include <QTest>

#include <cmath>

namespace {

// Pushes n zero bytes in chunks and takes everything out again at a clock far in the future.
QByteArray passThrough(cSimLinePipe &pipe, int n)
{
    for (int done = 0; done < n; done += 4096)
        pipe.push(QByteArray(qMin(4096, n - done), '\0'), 0);
    QByteArray out;
    while (!pipe.isEmpty()) {
        const QByteArray part = pipe.peek(Q_INT64_C(1) << 40, 1 << 20);
        pipe.consume(part.size());
        out += part;
    }
    return out;
}

// Five standard deviations of a binomial count, and a handful more.
bool nearExpected(double count, double rate, double n)
{
    return std::abs(count - rate * n) <= 5.0 * std::sqrt(rate * n * (1.0 - rate)) + 3.0;
}

} // namespace

class tst_SimParts : public QObject
{
    Q_OBJECT

    cSimulatedUnit m_unit;

private slots:
    void initTestCase()
    {
        QVERIFY(m_unit.setOptions({QStringLiteral("log-rate=1")}));
        QVERIFY2(m_unit.start(), qPrintable(m_unit.errorString()));
    }

    void faultRates_data()
    {
        QTest::addColumn<double>("flip");
        QTest::addColumn<double>("drop");
        QTest::newRow("clean") << 0.0 << 0.0;
        QTest::newRow("frequent flips") << 0.05 << 0.0;
        QTest::newRow("frequent drops") << 0.0 << 0.1;
        QTest::newRow("every byte flipped") << 1.0 << 0.0;
        QTest::newRow("every byte dropped") << 0.0 << 1.0;
    }
    void faultRates()
    {
        QFETCH(double, flip);
        QFETCH(double, drop);
        cSimLinePipe pipe(flip, drop, 0, 0, 42);
        const int n = 400000;
        const QByteArray out = passThrough(pipe, n);
        const int lost = n - int(out.size());
        int changed = 0;
        for (char c : out) {
            changed += c != 0 ? 1 : 0;
            // Exactly one bit per damaged byte.
            QVERIFY(c == 0 || (quint8(c) & (quint8(c) - 1)) == 0);
        }
        QVERIFY2(nearExpected(lost, drop, n), qPrintable(QString::number(lost)));
        QVERIFY2(nearExpected(changed, flip, out.size()), qPrintable(QString::number(changed)));
        QCOMPARE(pipe.droppedBytes(), quint64(lost));
        QCOMPARE(pipe.flippedBytes(), quint64(changed));
    }

    void faultsRepeatWithTheSeed()
    {
        cSimLinePipe a(0.01, 0.01, 0, 0, 5), b(0.01, 0.01, 0, 0, 5), c(0.01, 0.01, 0, 0, 6);
        const QByteArray five = passThrough(a, 100000);
        QCOMPARE(passThrough(b, 100000), five);
        QVERIFY(passThrough(c, 100000) != five);
        // Chunk boundaries do not change where faults fall.
        cSimLinePipe whole(0.01, 0.0, 0, 0, 77), pieces(0.01, 0.0, 0, 0, 77);
        whole.push(QByteArray(10000, '\0'), 0);
        for (int i = 0; i < 10000; i += 7)
            pieces.push(QByteArray(qMin(7, 10000 - i), '\0'), 0);
        QCOMPARE(whole.peek(1, 20000), pieces.peek(1, 20000));
    }

    void delayAndBaudPacing()
    {
        cSimLinePipe delayed(0.0, 0.0, 250, 0, 1);
        delayed.push("first", 1000);
        delayed.push("second", 101000);
        QVERIFY(delayed.peek(250999, 100).isEmpty());
        QCOMPARE(delayed.waitUs(250999), 1);
        QCOMPARE(delayed.peek(251000, 100), QByteArray("first"));
        delayed.consume(5);
        QCOMPARE(delayed.waitUs(251000), 100000);
        QCOMPARE(delayed.peek(351000, 100), QByteArray("second"));
        delayed.consume(6);
        QCOMPARE(delayed.waitUs(351000), -1);

        // 9600 baud: 960 bytes per second, whatever the reader asks for.
        cSimLinePipe slow(0.0, 0.0, 0, 9600, 1);
        slow.push(QByteArray(100000, 'x'), 0);
        qint64 sent = 0, t = 0;
        for (; t <= 5000000; t += 7000) {
            const QByteArray part = slow.peek(t, 1 << 20);
            slow.consume(part.size());
            sent += part.size();
        }
        QVERIFY2(std::abs(double(sent) - 960.0 * 5.0) < 960.0 * 0.05, qPrintable(QString::number(sent)));
        // A reader that waits for the pipe is told when the next byte may go.
        const qint64 wait = slow.waitUs(t);
        QVERIFY(wait >= 0 && wait <= 1100);
    }

    void adapterRequests_data()
    {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<QByteArray>("answer");   // exact, or a prefix ending in '*'
        QTest::newRow("ignition") << QByteArray("GPIO GET IGN") << QByteArray("OK 1");
        QTest::newRow("input is read-only") << QByteArray("GPIO SET IN1 1") << QByteArray("ERR *");
        QTest::newRow("unknown line") << QByteArray("GPIO GET OUT5") << QByteArray("ERR *");
        QTest::newRow("bad state") << QByteArray("GPIO SET OUT1 2") << QByteArray("ERR *");
        QTest::newRow("count too big") << QByteArray("I2C READ 80 4097") << QByteArray("ERR *");
        QTest::newRow("hex address") << QByteArray("I2C READ 0x50 1") << QByteArray("ERR *");
        QTest::newRow("nobody there") << QByteArray("I2C WRITE 33 00") << QByteArray("ERR *");
        QTest::newRow("odd hex") << QByteArray("I2C WRITE 80 abc") << QByteArray("ERR *");
        QTest::newRow("write nothing") << QByteArray("I2C WRITE 80 ") << QByteArray("OK 0");
        QTest::newRow("empty") << QByteArray("") << QByteArray("ERR unknown request");
        QTest::newRow("carriage return tolerated") << QByteArray("GPIO GET IGN\r") << QByteArray("OK 1");
        QTest::newRow("temperature sensor") << QByteArray("I2C READ 72 2") << QByteArray("OK *");
    }
    void adapterRequests()
    {
        QFETCH(QByteArray, request);
        QFETCH(QByteArray, answer);
        cTestAdapterClient client;
        QVERIFY(client.connectTo(m_unit.adapterSocketPath()));
        const QByteArray got = client.request(request);
        if (answer.endsWith('*'))
            QVERIFY2(got.startsWith(answer.chopped(1)) && got.size() > answer.size(), got.constData());
        else
            QCOMPARE(got, answer);
    }

    void adapterConnection()
    {
        cTestAdapterClient client, other;
        QVERIFY(client.connectTo(m_unit.adapterSocketPath()) && other.connectTo(m_unit.adapterSocketPath()));
        // A runaway line gets one error and the connection goes on.
        QVERIFY(client.send("I2C WRITE 80 " + QByteArray(20000, 'a')));
        QVERIFY(client.send(QByteArray(20000, 'b') + "\n"));
        QCOMPARE(client.answer(), QByteArray("ERR line too long"));
        // Several requests in one write are answered in order; OUTn loops back to INn.
        QVERIFY(client.send("GPIO SET OUT4 1\nGPIO GET IN4\nGPIO SET OUT4 0\nGPIO GET IN4\nGPIO GET OUT4\n"));
        for (const char *expected : {"OK", "OK 1", "OK", "OK 0", "OK 0"})
            QCOMPARE(client.answer(), QByteArray(expected));
        // Lines are the unit's, not the connection's: a second client sees the same state.
        QCOMPARE(client.request("GPIO SET OUT2 1"), QByteArray("OK"));
        QCOMPARE(other.request("GPIO GET IN2"), QByteArray("OK 1"));
        QCOMPARE(other.request("GPIO GET IN1"), QByteArray("OK 0"));
        QCOMPARE(client.request("GPIO SET OUT2 0"), QByteArray("OK"));
    }

    void eepromAddressAndWrap()
    {
        cTestAdapterClient client;
        QVERIFY(client.connectTo(m_unit.adapterSocketPath()));
        // A one-byte write sets the address; reads go on where the last stopped, and both wrap at 256.
        QCOMPARE(client.request("I2C WRITE 80 feaabbcc"), QByteArray("OK 4"));
        QCOMPARE(client.request("I2C WRITE 80 fe"), QByteArray("OK 1"));
        QCOMPARE(client.request("I2C READ 80 1"), QByteArray("OK aa"));
        QCOMPARE(client.request("I2C READ 80 2"), QByteArray("OK bbcc"));
        QCOMPARE(client.request("I2C WRITE 80 00"), QByteArray("OK 1"));
        QCOMPARE(client.request("I2C READ 80 1"), QByteArray("OK cc"));
        // The longest write and read are served; a read wraps round the chip 16 times, in lower-case hex.
        QCOMPARE(client.request("I2C WRITE 80 00" + QByteArray(4095 * 2, 'f')), QByteArray("OK 4096"));
        const QByteArray longest = client.request("I2C READ 80 4096");
        QCOMPARE(longest.size(), 3 + 8192);
        QCOMPARE(longest.mid(3, 512), longest.mid(3 + 512, 512));
        QCOMPARE(longest.mid(3), longest.mid(3).toLower());
    }

    void unitPaths_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QStringList>("parts");   // {""}: refused
        const QStringList refused {QString()};
        QTest::newRow("root") << "/" << QStringList();
        QTest::newRow("quoted") << "\"/statfs/a.txt\"" << QStringList {"statfs", "a.txt"};
        QTest::newRow("doubled slashes and dots") << "//statfs/.//a.txt/" << QStringList {"statfs", "a.txt"};
        QTest::newRow("dots in a name") << "/a..b" << QStringList {"a..b"};
        QTest::newRow("parent") << "/.." << refused;
        QTest::newRow("parent inside") << "/statfs/../../etc" << refused;
        QTest::newRow("backslash") << "/statfs\\..\\x" << refused;
        QTest::newRow("control character") << "/a\nb" << refused;
        QTest::newRow("listing separators") << "/a*b|c" << refused;
        QTest::newRow("name too long") << QStringLiteral("/") + QString(256, QLatin1Char('n')) << refused;
    }
    void unitPaths()
    {
        QFETCH(QString, path);
        QFETCH(QStringList, parts);
        QStringList got;
        const bool refused = parts == QStringList {QString()};
        QCOMPARE(cSimFileSystem::splitPath(path, &got), !refused);
        if (!refused)
            QCOMPARE(got, parts);
    }

    void memoryFsLimits()
    {
        using R = cSimFileSystem::eResult;
        cSimMemoryFs fs;
        QCOMPARE(fs.makeDir("/d"), R::Ok);
        QCOMPARE(fs.write("/d/a", QByteArray(1000, 'a')), R::Ok);
        QCOMPARE(fs.usedBytes(), qint64(1000));
        // Replacing a file counts its new size only; renaming over a file frees the old one.
        QCOMPARE(fs.write("/d/a", QByteArray(10, 'a')), R::Ok);
        QCOMPARE(fs.write("/d/b", QByteArray(20, 'b')), R::Ok);
        QCOMPARE(fs.rename("/d/b", "/d/a"), R::Ok);
        QCOMPARE(fs.usedBytes(), qint64(20));
        // A folder never moves into itself and is never replaced; nothing reaches above the root.
        QCOMPARE(fs.makeDir("/d/sub"), R::Ok);
        QCOMPARE(fs.rename("/d", "/d/sub/d"), R::BadPath);
        QCOMPARE(fs.rename("/d/a", "/d/sub"), R::Exists);
        QCOMPARE(fs.write("/d/../../x", "x"), R::BadPath);
        QCOMPARE(fs.rename("/d/a", "/../a"), R::BadPath);
        QCOMPARE(fs.removeDir("/"), R::BadPath);
        // A write that would pass the capacity is refused and changes nothing.
        const QByteArray big(int(cSimMemoryFs::kCapacity / 2), 'x');
        QCOMPARE(fs.write("/d/big1", big), R::Ok);
        QCOMPARE(fs.write("/d/big2", big), R::NoSpace);
        QList<cSimFileSystem::sEntry> entries;
        QCOMPARE(fs.list("/d", &entries), R::Ok);
        QCOMPARE(entries.size(), 3);
        QCOMPARE(fs.removeDir("/d"), R::NotEmpty);
    }
};

QTEST_GUILESS_MAIN(tst_SimParts)
#include "tst_simparts.moc"

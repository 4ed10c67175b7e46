#include "platform/port/port.h"
#include "platform/port/widgets/cportselector.h"

#include <QComboBox>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

namespace {

// Registers unit "u:<name>" on port /dev/tty<name>.
void plug(const QString &name)
{
    sIODevice device;
    device.id = QStringLiteral("u:") + name;
    device.name = name;
    device.devices.append(sIOSubDevice {nullptr, QStringLiteral("serial"), QStringLiteral("serial"),
                                        QStringLiteral("/dev/tty") + name, {}});
    port::registerUnit(device);
}

QStringList ids(const QList<sIODevice> &devices)
{
    QStringList result;
    for (const sIODevice &device : devices)
        result << device.id;
    return result;
}

// A scan takes 1.5 s to come round; give it several.
constexpr int kWaitMs = 8000;

} // namespace

class tst_PortSelector : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        // Only the units the test registers: no adapter file, no serial ports of this machine.
        qputenv("ZOVAN_ADAPTERS", m_dir.filePath(QStringLiteral("none.ini")).toLocal8Bit());
        qputenv("ZOVAN_SCAN_SYSTEM_PORTS", "0");
    }
    void cleanup()
    {
        for (const sIODevice &device : port::enumerate())
            port::unregisterUnit(device.id);
    }
    void scansFromConstruction();
    void keepsChoiceAcrossRescans();
    void reportsAvailabilityChanges();
};

void tst_PortSelector::scansFromConstruction()
{
    // As the page windows make it: nobody calls startScan() before the first disconnect.
    plug(QStringLiteral("S"));
    cPortSelector selector(nullptr, {});
    selector.setMode(1);
    QSignalSpy content(&selector, &cPortSelector::hasContent);
    QVERIFY(content.isValid());
    QVERIFY(selector.isScanning());
    QVERIFY(content.wait(kWaitMs));
    QCOMPARE(content.takeFirst().at(0).toBool(), true);
    QCOMPARE(selector.currentDevice().id, QStringLiteral("u:S"));
}

void tst_PortSelector::keepsChoiceAcrossRescans()
{
    plug(QStringLiteral("A"));
    plug(QStringLiteral("X")); // not one of the names asked for: never offered
    plug(QStringLiteral("B"));
    cPortSelector selector(nullptr, {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")});
    QSignalSpy changed(&selector, &cPortSelector::currentDeviceChanged);
    QVERIFY(changed.isValid());
    selector.startScan();
    QTRY_COMPARE_WITH_TIMEOUT(ids(selector.devices()), (QStringList {"u:A", "u:B"}), kWaitMs);
    auto *combo = selector.findChild<QComboBox *>();
    QVERIFY(combo);
    QCOMPARE(combo->itemText(1), QStringLiteral("B (/dev/ttyB)"));
    changed.clear();
    combo->setCurrentIndex(1); // the operator picks B
    QCOMPARE(changed.count(), 1);
    QCOMPARE(selector.currentDevice().id, QStringLiteral("u:B"));

    // A unit appears ahead of B and A moves behind it: B stays chosen, without a change signal.
    port::unregisterUnit(QStringLiteral("u:A"));
    plug(QStringLiteral("C"));
    plug(QStringLiteral("A"));
    changed.clear();
    QTRY_COMPARE_WITH_TIMEOUT(ids(selector.devices()), (QStringList {"u:B", "u:C", "u:A"}), kWaitMs);
    QCOMPARE(selector.currentDevice().id, QStringLiteral("u:B"));
    QCOMPARE(combo->currentIndex(), 0);
    QCOMPARE(changed.count(), 0);

    // B is unplugged, then comes back: another unit meanwhile, and the operator's choice after.
    port::unregisterUnit(QStringLiteral("u:B"));
    QTRY_COMPARE_WITH_TIMEOUT(ids(selector.devices()), (QStringList {"u:C", "u:A"}), kWaitMs);
    QVERIFY(changed.count() >= 1);
    QVERIFY(!selector.currentDevice().isNull());
    plug(QStringLiteral("B"));
    QTRY_COMPARE_WITH_TIMEOUT(selector.currentDevice().id, QStringLiteral("u:B"), kWaitMs);
}

void tst_PortSelector::reportsAvailabilityChanges()
{
    cPortSelector selector(nullptr, {});
    selector.setMode(1);
    QSignalSpy content(&selector, &cPortSelector::hasContent);
    QVERIFY(content.isValid());
    selector.startScan();
    QVERIFY(content.wait(kWaitMs));
    QTest::qWait(2 * cPortSelector::kScanIntervalMs + 300); // two more scans with nothing new: no repeats
    QCOMPARE(content.count(), 1);
    QCOMPARE(content.takeFirst().at(0).toBool(), false);

    plug(QStringLiteral("L"));
    QVERIFY(content.wait(kWaitMs));
    QCOMPARE(content.takeFirst().at(0).toBool(), true);
    QCOMPARE(selector.currentDevice().id, QStringLiteral("u:L"));
    port::unregisterUnit(QStringLiteral("u:L"));
    QVERIFY(content.wait(kWaitMs));
    QCOMPARE(content.takeFirst().at(0).toBool(), false);
    QVERIFY(selector.currentDevice().isNull());

    // Stopped, nothing changes until the refresh button asks for one scan.
    selector.stopScan();
    plug(QStringLiteral("N"));
    QTest::qWait(cPortSelector::kScanIntervalMs + 300);
    QVERIFY(selector.devices().isEmpty());
    auto *button = selector.findChild<QToolButton *>();
    QVERIFY(button);
    button->click();
    QTRY_COMPARE_WITH_TIMEOUT(ids(selector.devices()), QStringList {"u:N"}, kWaitMs);
}

QTEST_MAIN(tst_PortSelector)
#include "tst_portselector.moc"

#include "platform/port/port.h"
#include "platform/port/widgets/cportselector.h"

#include <QComboBox>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

namespace {

sIODevice unit(const QString &id, const QString &name, const QString &path)
{
    sIODevice device;
    device.id = id;
    device.name = name;
    device.devices.append(sIOSubDevice {nullptr, QStringLiteral("serial"), QStringLiteral("serial"), path, {}});
    return device;
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

private slots:
    void initTestCase();
    void cleanup();
    void showsNameAndPortOfListedUnits();
    void keepsChoiceAcrossRescans();
    void reportsAvailabilityChanges();
    void refreshButtonScansWhileStopped();

private:
    QTemporaryDir m_dir;
};

void tst_PortSelector::initTestCase()
{
    QVERIFY(m_dir.isValid());
    // Only the units the test registers: no adapter file, no serial ports of this machine.
    qputenv("ZOVAN_ADAPTERS", m_dir.filePath(QStringLiteral("none.ini")).toLocal8Bit());
    qputenv("ZOVAN_SCAN_SYSTEM_PORTS", "0");
}

void tst_PortSelector::cleanup()
{
    for (const sIODevice &device : port::enumerate())
        port::unregisterUnit(device.id);
}

void tst_PortSelector::showsNameAndPortOfListedUnits()
{
    port::registerUnit(unit(QStringLiteral("u:1"), QStringLiteral("Bench one"), QStringLiteral("/dev/tty1")));
    port::registerUnit(unit(QStringLiteral("u:2"), QStringLiteral("Bench two"), QStringLiteral("/dev/pts/3")));
    cPortSelector selector(nullptr, {QStringLiteral("Bench two")});
    QSignalSpy content(&selector, &cPortSelector::hasContent);
    QVERIFY(content.isValid());
    selector.startScan();
    QVERIFY(content.wait(kWaitMs));

    QCOMPARE(ids(selector.devices()), QStringList {"u:2"});
    auto *combo = selector.findChild<QComboBox *>();
    QVERIFY(combo);
    QCOMPARE(combo->count(), 1);
    QCOMPARE(combo->itemText(0), QStringLiteral("Bench two (/dev/pts/3)"));
    QCOMPARE(selector.currentDevice().devices.first().id, QStringLiteral("/dev/pts/3"));
}

void tst_PortSelector::keepsChoiceAcrossRescans()
{
    port::registerUnit(unit(QStringLiteral("u:a"), QStringLiteral("A"), QStringLiteral("/dev/ttyA")));
    port::registerUnit(unit(QStringLiteral("u:b"), QStringLiteral("B"), QStringLiteral("/dev/ttyB")));
    cPortSelector selector(nullptr, {});
    selector.setMode(1);
    QSignalSpy changed(&selector, &cPortSelector::currentDeviceChanged);
    QVERIFY(changed.isValid());
    selector.startScan();
    QTRY_COMPARE_WITH_TIMEOUT(ids(selector.devices()), (QStringList {"u:a", "u:b"}), kWaitMs);
    QCOMPARE(selector.currentDevice().id, QStringLiteral("u:a"));

    // The operator picks B.
    auto *combo = selector.findChild<QComboBox *>();
    QVERIFY(combo);
    changed.clear();
    combo->setCurrentIndex(1);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(selector.currentDevice().id, QStringLiteral("u:b"));

    // A unit appears ahead of B and A moves behind it: B stays chosen, without a change signal.
    port::unregisterUnit(QStringLiteral("u:a"));
    port::registerUnit(unit(QStringLiteral("u:c"), QStringLiteral("C"), QStringLiteral("/dev/ttyC")));
    port::registerUnit(unit(QStringLiteral("u:a"), QStringLiteral("A"), QStringLiteral("/dev/ttyA")));
    changed.clear();
    QTRY_COMPARE_WITH_TIMEOUT(ids(selector.devices()), (QStringList {"u:b", "u:c", "u:a"}), kWaitMs);
    QCOMPARE(selector.currentDevice().id, QStringLiteral("u:b"));
    QCOMPARE(combo->currentIndex(), 0);
    QCOMPARE(changed.count(), 0);

    // B goes away (unplugged): another unit is offered and the change is told.
    port::unregisterUnit(QStringLiteral("u:b"));
    QTRY_COMPARE_WITH_TIMEOUT(ids(selector.devices()), (QStringList {"u:c", "u:a"}), kWaitMs);
    QVERIFY(changed.count() >= 1);
    QVERIFY(!selector.currentDevice().isNull());

    // B comes back: the operator's choice returns with it.
    port::registerUnit(unit(QStringLiteral("u:b"), QStringLiteral("B"), QStringLiteral("/dev/ttyB")));
    QTRY_COMPARE_WITH_TIMEOUT(selector.currentDevice().id, QStringLiteral("u:b"), kWaitMs);
}

void tst_PortSelector::reportsAvailabilityChanges()
{
    cPortSelector selector(nullptr, {});
    QSignalSpy content(&selector, &cPortSelector::hasContent);
    QVERIFY(content.isValid());
    selector.startScan();
    QVERIFY(content.wait(kWaitMs));
    // Two more scans with nothing new: no repeats.
    QTest::qWait(2 * cPortSelector::kScanIntervalMs + 300);
    QCOMPARE(content.count(), 1);
    QCOMPARE(content.takeFirst().at(0).toBool(), false);
    QVERIFY(selector.currentDevice().isNull());

    port::registerUnit(unit(QStringLiteral("u:late"), QStringLiteral("Late"), QStringLiteral("/dev/ttyL")));
    QVERIFY(content.wait(kWaitMs));
    QCOMPARE(content.takeFirst().at(0).toBool(), true);
    QCOMPARE(selector.currentDevice().id, QStringLiteral("u:late"));

    port::unregisterUnit(QStringLiteral("u:late"));
    QVERIFY(content.wait(kWaitMs));
    QCOMPARE(content.takeFirst().at(0).toBool(), false);
    QVERIFY(selector.currentDevice().isNull());
}

void tst_PortSelector::refreshButtonScansWhileStopped()
{
    cPortSelector selector(nullptr, {});
    selector.setMode(1);
    QSignalSpy content(&selector, &cPortSelector::hasContent);
    QVERIFY(content.isValid());
    selector.startScan();
    QVERIFY(content.wait(kWaitMs));
    selector.stopScan();
    QVERIFY(!selector.isScanning());

    port::registerUnit(unit(QStringLiteral("u:new"), QStringLiteral("New"), QStringLiteral("/dev/ttyN")));
    QTest::qWait(cPortSelector::kScanIntervalMs + 300);
    QVERIFY(selector.devices().isEmpty());

    auto *button = selector.findChild<QToolButton *>();
    QVERIFY(button);
    button->click();
    QTRY_COMPARE_WITH_TIMEOUT(ids(selector.devices()), QStringList {"u:new"}, kWaitMs);
}

QTEST_MAIN(tst_PortSelector)
#include "tst_portselector.moc"

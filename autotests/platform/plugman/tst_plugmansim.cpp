#include "platform/context/ccontext.h"
#include "platform/plugman/iplugman.h"
#include "platform/plugman/plugintables.h"
#include "platform/port/port.h"
#include "platform/port/siodevice.h"
#include "sim/csimulatedunit.h"

#include <QCoreApplication>
#include <QRandomGenerator>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <cstdlib>

namespace {

QByteArray randomBytes(int n, quint32 seed)
{
    QRandomGenerator g(seed);
    QByteArray b(n, '\0');
    for (char &c : b)
        c = char(g.bounded(256));
    return b;
}

} // namespace

// The real plug-ins over a real pseudo-terminal, with the simulated unit on the other end.
class tst_PlugManSim : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void roundTrip_data();
    void roundTrip();

private:
    QTemporaryDir m_settingsDir;
};

void tst_PlugManSim::initTestCase()
{
    QVERIFY(m_settingsDir.isValid());
    QCoreApplication::setOrganizationName(QStringLiteral("ZovanToolsTest"));
    QCoreApplication::setApplicationName(QStringLiteral("tst_plugmansim"));
    QSettings::setDefaultFormat(QSettings::IniFormat);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_settingsDir.path());
}

void tst_PlugManSim::roundTrip_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::newRow("clean, chatty log") << QStringList{"log-rate=0", "ready-ms=300"};
    QTest::newRow("noisy 115200 baud") << QStringList{"baud=115200", "flip=1e-4", "drop=2e-5", "ready-ms=300"};
}

void tst_PlugManSim::roundTrip()
{
    QFETCH(QStringList, options);
    cSimulatedUnit sim;
    QVERIFY2(sim.setOptions(options), qPrintable(sim.errorString()));
    QVERIFY2(sim.start(), qPrintable(sim.errorString()));
    sIODevice device;
    device.id = QStringLiteral("sim");
    device.devices.append(sIOSubDevice{nullptr, QStringLiteral("serial"), QStringLiteral("serial"), sim.ptyPath(), {}});
    QVERIFY(port::open_port(device));
    void *handle = port::calc_io_handle(device);
    QVERIFY(handle);
    const sResPlugin *res = pm::get(false)->resPlugin(device);
    QVERIFY(res);
    cContext ctx;
    QVERIFY(res->openTransfer(handle, "sim", &ctx));

    const QByteArray content = randomBytes(20000, 17);
    char *data = nullptr;
    int size = 0;
    QVERIFY(res->putFile(handle, "sim", "/statfs/up.bin", content.constData(), int(content.size()), &ctx));
    QVERIFY(res->getFile(handle, "sim", "\"/statfs/up.bin\"", &data, &size, &ctx));
    QVERIFY(QByteArray(data, size) == content);
    std::free(data);
    char *listing = nullptr;
    QVERIFY(res->listDir(handle, "/statfs", &listing, &ctx));
    const QByteArray entries(listing);
    std::free(listing);
    QVERIFY2(entries.contains("|up.bin*-rw*") && !entries.contains(".zt-part"), entries.constData());
    QVERIFY(res->deleteFile(handle, "/statfs/up.bin", &ctx));
    QVERIFY(!res->getFile(handle, "sim", "\"/statfs/up.bin\"", &data, &size, &ctx));

    res->closeTransfer(handle, "sim", &ctx);
    port::close_port(device, 300);
    sim.stop();
}

QTEST_GUILESS_MAIN(tst_PlugManSim)
#include "tst_plugmansim.moc"

#include "embeddedunit.h"

#include "platform/port/port.h"
#include "sim/csimulatedunit.h"

#include <QCoreApplication>
#include <QMutex>
#include <QMutexLocker>

#include <memory>

namespace {

QMutex g_lock;
std::unique_ptr<cSimulatedUnit> g_unit;
QString g_registeredId;

// The adapter lines the simulated unit wires up; scripts address them by these names.
QStringList simulatedGpioNames()
{
    return {QStringLiteral("IN1"), QStringLiteral("IN2"), QStringLiteral("IN3"), QStringLiteral("IN4"),
            QStringLiteral("OUT1"), QStringLiteral("OUT2"), QStringLiteral("OUT3"), QStringLiteral("OUT4"),
            QStringLiteral("IGN"), QStringLiteral("LED")};
}

sIODevice describe(const cSimulatedUnit &unit)
{
    const QString adapter = QStringLiteral("sim:") + unit.adapterSocketPath();
    sIODevice device;
    device.id = unit.ptyPath();
    device.name = unit.options().name.isEmpty() ? QCoreApplication::translate("embeddedunit", "Simulated unit")
                                                : unit.options().name;
    device.info = QCoreApplication::translate("embeddedunit", "simulated unit on %1").arg(unit.ptyPath());
    device.devices.append(sIOSubDevice{nullptr, QStringLiteral("serial"), QStringLiteral("serial"), unit.ptyPath(), {}});
    device.devices.append(sIOSubDevice{nullptr, QStringLiteral("gpio"), QStringLiteral("gpio"), adapter, simulatedGpioNames()});
    device.devices.append(sIOSubDevice{nullptr, QStringLiteral("i2c"), QStringLiteral("i2c"), adapter, {}});
    return device;
}

} // namespace

bool startEmbeddedUnit(const QStringList &options, QString *error)
{
    QMutexLocker locker(&g_lock);
    if (error)
        error->clear();
    if (g_unit)
        return true;
    auto unit = std::make_unique<cSimulatedUnit>();
    if (!unit->setOptions(options) || !unit->start()) {
        if (error)
            *error = unit->errorString();
        return false;
    }
    const sIODevice device = describe(*unit);
    port::registerUnit(device);
    g_registeredId = device.id;
    g_unit = std::move(unit);
    // The unit's thread must end before the application's statics go away.
    if (QCoreApplication *app = QCoreApplication::instance())
        QObject::connect(app, &QCoreApplication::aboutToQuit, app, [] { stopEmbeddedUnit(); });
    return true;
}

void stopEmbeddedUnit()
{
    QMutexLocker locker(&g_lock);
    if (!g_unit)
        return;
    port::unregisterUnit(g_registeredId);
    g_registeredId.clear();
    g_unit->stop();
    g_unit.reset();
}

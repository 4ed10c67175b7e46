#include "app/cli/cliunit.h"

#include "app/common/embeddedunit.h"
#include "platform/port/port.h"

#include <QSet>

bool resolveCliUnit(bool sim, const QStringList &simOptions, const QString &portId, sIODevice *device,
                    bool *simStarted, QString *error)
{
    *simStarted = false;
    QSet<QString> before;
    if (sim) {
        for (const sIODevice &d : port::enumerate())
            before.insert(d.id);
        QString why;
        if (!startEmbeddedUnit(simOptions, &why)) {
            *error = QStringLiteral("cannot start the simulated unit: %1").arg(why);
            return false;
        }
        *simStarted = true;
    }
    const QList<sIODevice> units = port::enumerate();
    for (const sIODevice &d : units) {
        if (sim ? !before.contains(d.id) : d.id == portId) {
            *device = d;
            return true;
        }
    }
    if (sim) {
        *error = QStringLiteral("the simulated unit was started but is not offered as a port");
        return false;
    }
    QStringList ids;
    for (const sIODevice &d : units)
        ids << d.id;
    *error = QStringLiteral("unknown port '%1'; available: %2")
                 .arg(portId, ids.isEmpty() ? QStringLiteral("none") : ids.join(QStringLiteral(", ")));
    return false;
}

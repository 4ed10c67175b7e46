#pragma once

#include "platform/port/siodevice.h"

#include <QString>
#include <QStringList>

/**
 * The unit a command names: with sim, the simulated unit started here for it (the port that
 * appears when it starts, whatever else is offered); otherwise the offered port with portId.
 * *simStarted tells whether stopEmbeddedUnit() is owed. False, with the reason, when there is none.
 */
bool resolveCliUnit(bool sim, const QStringList &simOptions, const QString &portId, sIODevice *device,
                    bool *simStarted, QString *error);

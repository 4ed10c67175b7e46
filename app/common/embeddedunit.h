#pragma once

#include <QString>
#include <QStringList>

/**
 * Starts a simulated unit inside this process so that the tool can be used without hardware.
 * Options are "KEY=VALUE" texts. False, with a reason in *error, when it cannot start.
 */
bool startEmbeddedUnit(const QStringList &options, QString *error);

/** Stops the simulated unit started by startEmbeddedUnit(); harmless when none runs. */
void stopEmbeddedUnit();

#include "embeddedunit.h"

bool startEmbeddedUnit(const QStringList &options, QString *error)
{
    Q_UNUSED(options)
    if (error)
        error->clear();
    return true;
}

void stopEmbeddedUnit()
{
}

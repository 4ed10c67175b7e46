#include "engineeringmode.h"

bool isEngineeringSwitch(const QStringList &arguments)
{
    for (const QString &argument : arguments) {
        if (argument == QLatin1String("/useoverrides") || argument == QLatin1String("/useovr")
            || argument == QLatin1String("--engineering"))
            return true;
    }
    return false;
}

#pragma once

#include <QDateTime>
#include <QString>

/** One message of the log engine. */
struct sLogMessage
{
    QString text;
    int level = 0;
    QDateTime time;
    QString source;
    QString group;
};

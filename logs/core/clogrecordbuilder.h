#pragma once

#include "logs/core/clogrecord.h"

#include <QStringView>

class QRegularExpressionMatch;

/** A record pattern's captures, numbered from 1 as in the pattern. */
struct sLogCaptures
{
    QStringView cap[6];
    QStringView capturedView(int n) const { return cap[n]; }
};

/** Makes the typed record of a record pattern that matched, with the firmware's conversions. */
class cLogRecordBuilder
{
public:
    static sLogRecord fromCaptures(int pattern, const sLogCaptures &m);
    static sLogCaptures capturesOf(const QRegularExpressionMatch &m);
};

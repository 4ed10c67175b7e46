#include "testlog.h"

#include "platform/logging/logs.h"

namespace testlog {

void note(const QString &text, eLogLevel level)
{
    logs::add(text, level);
}

void noteTest(const QString &text, eLogLevel level, const QString &test)
{
    logs::add(text, level, test, QStringLiteral("TEST"));
}

QString levelTag(int level)
{
    switch (level) {
    case LogNotify:
        return QStringLiteral("NOTIFY ");
    case LogWarning:
        return QStringLiteral("WARNING");
    case LogError:
        return QStringLiteral("ERROR  ");
    case LogDebug:
        return QStringLiteral("DEBUG  ");
    default:
        return QStringLiteral("TRACE  ");
    }
}

} // namespace testlog

#include "platform/plugman/cpluginsettings.h"

#include "platform/link/clinkclient.h"
#include "platform/plugman/pluginnames.h"

#include <QSettings>

namespace pluginsettings {

std::unique_ptr<QSettings> openStore(const QString &plugin)
{
    auto s = std::make_unique<QSettings>();
    s->beginGroup(plugin);
    return s;
}

qint64 integer(const QString &plugin, const QString &key, qint64 defaultValue, qint64 min, qint64 max)
{
    QSettings s;
    s.beginGroup(plugin);
    bool ok = false;
    const qint64 v = s.value(key).toLongLong(&ok);
    if (!ok)
        return defaultValue;
    return qBound(min, v, max);
}

sLinkOptions linkOptions()
{
    const QString p = QString::fromLatin1(pluginnames::kFiles);
    sLinkOptions o;
    o.timeoutMs = int(integer(p, QStringLiteral("commandTimeoutMs"), zlink::kDefaultTimeoutMs, 100, 600000));
    o.blockSize = int(integer(p, QStringLiteral("blockSize"), zlink::kDefaultBlockSize, zlink::kMinBlockSize,
                              zlink::kMaxBlockSize));
    o.window = int(integer(p, QStringLiteral("window"), zlink::kDefaultWindow, zlink::kMinWindow, zlink::kMaxWindow));
    o.retries = int(integer(p, QStringLiteral("retries"), zlink::kDefaultRetries, 0, 100));
    o.maxFileSize = integer(p, QStringLiteral("maxFileSize"), zlink::kDefaultMaxFileSize, 0, zlink::kHardMaxFileSize);
    return o;
}

} // namespace pluginsettings

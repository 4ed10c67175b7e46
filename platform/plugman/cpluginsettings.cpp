#include "platform/plugman/cpluginsettings.h"

#include "platform/link/clinkclient.h"
#include "platform/plugman/pluginnames.h"

#include <QSettings>

namespace {

/** One integer setting of a built-in plug-in: its default and the range the plug-in accepts. */
struct sIntegerSetting
{
    const char *plugin;
    const char *key;
    qint64 defaultValue;
    qint64 min;
    qint64 max;
};

// The one place that knows defaults and bounds; the declared settings (their tool tips) name them.
const sIntegerSetting kIntegerSettings[] = {
    {pluginnames::kFiles, "commandTimeoutMs", zlink::kDefaultTimeoutMs, 100, 600000},
    {pluginnames::kFiles, "blockSize", zlink::kDefaultBlockSize, zlink::kMinBlockSize, zlink::kMaxBlockSize},
    {pluginnames::kFiles, "window", zlink::kDefaultWindow, zlink::kMinWindow, zlink::kMaxWindow},
    {pluginnames::kFiles, "retries", zlink::kDefaultRetries, 0, 100},
    {pluginnames::kFiles, "maxFileSize", zlink::kDefaultMaxFileSize, 0, zlink::kHardMaxFileSize},
    {pluginnames::kCommand, "commandTimeoutMs", 5000, 100, 600000},
    {pluginnames::kCommand, "maxAnswerSize", 1024 * 1024, 0, 64 * 1024 * 1024},
    {pluginnames::kLua, "commandTimeoutMs", 3000, 100, 600000},
};

const sIntegerSetting *find(const QString &plugin, const QString &key)
{
    for (const sIntegerSetting &s : kIntegerSettings) {
        if (plugin == QLatin1String(s.plugin) && key == QLatin1String(s.key))
            return &s;
    }
    return nullptr;
}

qint64 inEffect(const sIntegerSetting &s, const QVariant &stored)
{
    bool ok = false;
    const qint64 v = stored.toLongLong(&ok);
    return ok ? qBound(s.min, v, s.max) : s.defaultValue;
}

} // namespace

namespace pluginsettings {

std::unique_ptr<QSettings> openStore(const QString &plugin)
{
    auto s = std::make_unique<QSettings>();
    s->beginGroup(plugin);
    return s;
}

void settle(QSettings &store, const QString &plugin)
{
    for (const sIntegerSetting &s : kIntegerSettings) {
        if (plugin != QLatin1String(s.plugin))
            continue;
        const QString key = QLatin1String(s.key);
        const QVariant stored = store.value(key);
        const qint64 value = inEffect(s, stored);
        bool ok = false;
        if (stored.toLongLong(&ok) != value || !ok)
            store.setValue(key, value);
    }
}

qint64 integer(const QString &plugin, const QString &key)
{
    const sIntegerSetting *s = find(plugin, key);
    Q_ASSERT(s);
    if (!s)
        return 0;
    QSettings store;
    store.beginGroup(plugin);
    return inEffect(*s, store.value(key));
}

sLinkOptions linkOptions()
{
    const QString p = QString::fromLatin1(pluginnames::kFiles);
    sLinkOptions o;
    o.timeoutMs = int(integer(p, QStringLiteral("commandTimeoutMs")));
    o.blockSize = int(integer(p, QStringLiteral("blockSize")));
    o.window = int(integer(p, QStringLiteral("window")));
    o.retries = int(integer(p, QStringLiteral("retries")));
    o.maxFileSize = integer(p, QStringLiteral("maxFileSize"));
    return o;
}

} // namespace pluginsettings

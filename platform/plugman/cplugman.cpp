#include "platform/plugman/cplugman.h"

#include "platform/link/clinkclient.h"
#include "platform/plugman/clinksessions.h"
#include "platform/plugman/cmdplugin.h"
#include "platform/plugman/cpluginsettings.h"
#include "platform/plugman/filesplugin.h"
#include "platform/plugman/pluginnames.h"
#include "platform/plugman/unitluaplugin.h"
#include "platform/port/siodevice.h"

#include <QSettings>

QMutex cPlugMan::s_contextLock;
QHash<cContext *, cPlugMan::sRegistered> cPlugMan::s_contexts;

namespace {

struct sBuiltin
{
    const char *name;
    const char *description;
    const sPluginSetting *(*settings)();
    int (*settingsCount)();
};

// Registration order is the order of pluginNames() and of the settings dialog.
const sBuiltin kEntries[] = {
    {pluginnames::kFiles, "Unit file system over the checked link: listings, copies both ways, folders",
     filesplugin::settings, filesplugin::settingsCount},
    {pluginnames::kCommand, "Unit commands over the checked link (GET_APP_RUN_STATE, CLI, RESTART NOBOOT ...)",
     cmdplugin::settings, cmdplugin::settingsCount},
    {pluginnames::kLua, "Lua table 'unit' for test scripts: unit.command, unit.list_dir, unit.get_file, unit.put_file",
     unitluaplugin::settings, unitluaplugin::settingsCount},
};

const sBuiltin *entries(int *count)
{
    *count = int(sizeof(kEntries) / sizeof(kEntries[0]));
    return kEntries;
}

const sBuiltin *entry(const QString &name)
{
    int n = 0;
    const sBuiltin *e = entries(&n);
    for (int i = 0; i < n; ++i)
        if (name == QLatin1String(e[i].name))
            return &e[i];
    return nullptr;
}

} // namespace

cPlugMan::cPlugMan() = default;
cPlugMan::~cPlugMan() = default;

int cPlugMan::version() const { return 1; }

bool cPlugMan::loadPlugins() { return true; } // built in: always there

void cPlugMan::unloadPlugins()
{
    // Built-in tables stay valid; only the link sessions are forgotten.
    cLinkSessions::instance().clear();
}

int cPlugMan::pluginCount() const
{
    int n = 0;
    entries(&n);
    return n;
}

bool cPlugMan::hasPlugin(const QString &name) const { return entry(name) != nullptr; }

const sResPlugin *cPlugMan::resPlugin(const sIODevice &device)
{
    return device.isNull() ? nullptr : filesplugin::table();
}

const sLuaPlugin *cPlugMan::pluginByName(const QString &name)
{
    // Only Lua plug-ins have a table here: the runner calls entry 0 of whatever it gets with a Lua state.
    return name == QLatin1String(pluginnames::kLua) ? unitluaplugin::table() : nullptr;
}

QString cPlugMan::pluginForDevice(const sIODevice &device) const
{
    return device.isNull() ? QString() : QString::fromLatin1(pluginnames::kFiles);
}

const sCmdPlugin *cPlugMan::cmdPlugin(const sIODevice &device)
{
    return device.isNull() ? nullptr : cmdplugin::table();
}

void cPlugMan::registerContext(cContext *ctx, tProgressFunc progress, void *, tCancelQuery cancel)
{
    if (!ctx)
        return;
    QMutexLocker g(&s_contextLock);
    s_contexts.insert(ctx, {progress, cancel});
}

void cPlugMan::unregisterContext(cContext *ctx)
{
    QMutexLocker g(&s_contextLock);
    s_contexts.remove(ctx);
}

sLinkCallbacks cPlugMan::callbacks(cContext *ctx)
{
    sLinkCallbacks cb;
    if (!ctx)
        return cb;
    sRegistered r;
    {
        QMutexLocker g(&s_contextLock);
        const auto it = s_contexts.constFind(ctx);
        if (it == s_contexts.constEnd())
            return cb;
        r = it.value();
    }
    if (r.progress)
        cb.progress = [f = r.progress](int percent) { f(percent); };
    if (r.cancel)
        cb.cancelled = [f = r.cancel] { return f(); };
    return cb;
}

QStringList cPlugMan::pluginNames() const
{
    QStringList names;
    int n = 0;
    const sBuiltin *e = entries(&n);
    for (int i = 0; i < n; ++i)
        names << QString::fromLatin1(e[i].name);
    return names;
}

QString cPlugMan::pluginDescription(const QString &name) const
{
    const sBuiltin *e = entry(name);
    return e ? QString::fromLatin1(e->description) : QString();
}

int cPlugMan::settingsCount(const QString &name) const
{
    const sBuiltin *e = entry(name);
    return e ? e->settingsCount() : 0;
}

const sPluginSetting *cPlugMan::settingsList(const QString &name) const
{
    const sBuiltin *e = entry(name);
    return e ? e->settings() : nullptr;
}

QSettings *cPlugMan::settingsHandle(const QString &name)
{
    if (!entry(name))
        return nullptr;
    QMutexLocker g(&m_lock);
    QSettings *s = m_stores.value(name);
    if (!s) {
        m_ownedStores.push_back(pluginsettings::openStore(name));
        s = m_ownedStores.back().get();
        m_stores.insert(name, s);
    }
    // On every hand-out: anyone may have written a missing or unusable value since the last one.
    pluginsettings::settle(*s, name);
    return s;
}

namespace pm {

iPlugMan *get(bool reload)
{
    static cPlugMan manager;
    if (reload)
        manager.loadPlugins();
    return &manager;
}

} // namespace pm

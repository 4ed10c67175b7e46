#pragma once

#include "platform/plugman/plugintables.h"

#include <QString>
#include <QStringList>

class QSettings;
struct sIODevice;

/** The plug-in manager. Operation (slot) order is part of the contract. */
class iPlugMan
{
public:
    virtual ~iPlugMan() = default;

    /* 0 */ virtual int version() const = 0;
    /* 1 */ virtual bool loadPlugins() = 0;
    /* 2 */ virtual void unloadPlugins() = 0;
    /* 3 */ virtual int pluginCount() const = 0;
    /* 4 */ virtual bool hasPlugin(const QString &name) const = 0;
    /* 5 */ virtual const sResPlugin *resPlugin(const sIODevice &device) = 0;
    /* 6 */ virtual const sLuaPlugin *pluginByName(const QString &name) = 0;
    /* 7 */ virtual QString pluginForDevice(const sIODevice &device) const = 0;
    /* 8 */ virtual const sCmdPlugin *cmdPlugin(const sIODevice &device) = 0;
    /* 9 */ virtual void registerContext(cContext *ctx, tProgressFunc progress, void *reserved,
                                         tCancelQuery cancel) = 0;
    /* 10 */ virtual void unregisterContext(cContext *ctx) = 0;
    /* 11 */ virtual QStringList pluginNames() const = 0;
    /* 12 */ virtual QString pluginDescription(const QString &name) const = 0;
    /* 13 */ virtual int settingsCount(const QString &name) const = 0;
    /* 14 */ virtual const sPluginSetting *settingsList(const QString &name) const = 0;
    /* 15 */ virtual QSettings *settingsHandle(const QString &name) = 0;
};

namespace pm {
/** The one plug-in manager; callers pass false and never delete it. */
iPlugMan *get(bool reload = false);
} // namespace pm

#pragma once

#include "platform/plugman/iplugman.h"

#include <QHash>
#include <QMutex>

#include <memory>

struct sLinkCallbacks;

/** The plug-in manager with the built-in link plug-ins: unit files, unit commands, unit Lua functions. */
class cPlugMan : public iPlugMan
{
public:
    cPlugMan();
    ~cPlugMan() override;
    Q_DISABLE_COPY_MOVE(cPlugMan)

    int version() const override;
    bool loadPlugins() override;
    void unloadPlugins() override;
    int pluginCount() const override;
    bool hasPlugin(const QString &name) const override;
    const sResPlugin *resPlugin(const sIODevice &device) override;
    const sLuaPlugin *pluginByName(const QString &name) override;
    QString pluginForDevice(const sIODevice &device) const override;
    const sCmdPlugin *cmdPlugin(const sIODevice &device) override;
    void registerContext(cContext *ctx, tProgressFunc progress, void *reserved, tCancelQuery cancel) override;
    void unregisterContext(cContext *ctx) override;
    QStringList pluginNames() const override;
    QString pluginDescription(const QString &name) const override;
    int settingsCount(const QString &name) const override;
    const sPluginSetting *settingsList(const QString &name) const override;
    QSettings *settingsHandle(const QString &name) override;

    /** The progress function and cancel query registered with ctx, as link callbacks (empty if none). */
    static sLinkCallbacks callbacks(cContext *ctx);

private:
    struct sRegistered
    {
        tProgressFunc progress = nullptr;
        tCancelQuery cancel = nullptr;
    };

    static QMutex s_contextLock;
    static QHash<cContext *, sRegistered> s_contexts;

    mutable QMutex m_lock;
    QHash<QString, QSettings *> m_stores;
    std::vector<std::unique_ptr<QSettings>> m_ownedStores;
};

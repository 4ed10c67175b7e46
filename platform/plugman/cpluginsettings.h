#pragma once

#include <QString>
#include <QVariant>

#include <memory>

class QSettings;
struct sLinkOptions;

/**
 * Where the plug-ins keep their settings: one group per plug-in name in the application's
 * settings store. Values are read afresh on every use, so a change in the settings dialog
 * applies to the next call.
 */
namespace pluginsettings {

/** A store positioned at the plug-in's group (for the settings dialog). */
std::unique_ptr<QSettings> openStore(const QString &plugin);
/**
 * Puts the value in effect of each of the plug-in's settings into its store wherever the store
 * lacks it or holds one the plug-in would not use as it stands, so that the settings dialog
 * shows, and writes back on OK, what the plug-in really uses (and never zeros for missing keys).
 */
void settle(QSettings &store, const QString &plugin);
/** The value in effect of one of the plug-in's integer settings: the stored one bounded, or its default. */
qint64 integer(const QString &plugin, const QString &key);
/** The link tunables of the file plug-in. */
sLinkOptions linkOptions();

} // namespace pluginsettings

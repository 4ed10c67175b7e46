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
/** One integer value, bounded; the default when missing or not a number. */
qint64 integer(const QString &plugin, const QString &key, qint64 defaultValue, qint64 min, qint64 max);
/** The link tunables of the file plug-in. */
sLinkOptions linkOptions();

} // namespace pluginsettings

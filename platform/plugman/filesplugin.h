#pragma once

struct sResPlugin;
struct sPluginSetting;

/** The resource plug-in "zt-link-files": the unit's file system over the link. */
namespace filesplugin {
const sResPlugin *table();
const sPluginSetting *settings();
int settingsCount();
/** Removes one pair of surrounding double quotes, as the file runner quotes unit paths. */
const char *unquotedEnd(const char *path, const char **begin);
} // namespace filesplugin

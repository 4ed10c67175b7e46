#pragma once

struct sLuaPlugin;
struct sPluginSetting;

/**
 * The Lua plug-in "zt-unit-lua": adds the table `unit` to a script state:
 * unit.command(text [, timeout_ms [, handle]]) -> answer | nil, error
 * unit.list_dir(path [, handle]) -> listing | nil, error
 * unit.get_file(path [, handle]) -> data | nil, error
 * unit.put_file(path, data [, handle]) -> true | nil, error
 * Without a handle the port whose transfer mode was opened last is used; the global call_ctx,
 * when set, gives the cancel query.
 */
namespace unitluaplugin {
const sLuaPlugin *table();
const sPluginSetting *settings();
int settingsCount();
} // namespace unitluaplugin

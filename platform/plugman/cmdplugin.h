#pragma once

struct sCmdPlugin;
struct sPluginSetting;

/** The command plug-in "zt-link-cmd": one unit command and its answer over the link. */
namespace cmdplugin {
const sCmdPlugin *table();
const sPluginSetting *settings();
int settingsCount();
} // namespace cmdplugin

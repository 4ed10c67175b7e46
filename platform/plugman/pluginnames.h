#pragma once

/** Names of the built-in plug-ins (also their settings groups). */
namespace pluginnames {
constexpr const char kFiles[] = "zt-link-files";
constexpr const char kCommand[] = "zt-link-cmd";
constexpr const char kLua[] = "zt-unit-lua";
} // namespace pluginnames

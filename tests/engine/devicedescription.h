#pragma once

#include <QString>

struct sIODevice;

/** The Lua text that describes a unit to the scripts (the table zt_io_device). */
namespace devicedescription {

/**
 * The chunk "zt_io_device = { id = '...', name = '...', devices = { ... }, }". Texts holding
 * quotes, back-slashes, line breaks or control characters are written as Lua escapes, and a
 * variable name that is not a plain Lua name becomes a ['...'] key, so no value can end the
 * string or add code.
 */
QString text(const sIODevice &device);

/** The text as the inside of a single-quoted Lua string. */
QString escaped(const QString &value);

/** The variable name as a table key: itself when it is a plain Lua name, else ['...']. */
QString tableKey(const QString &name);

} // namespace devicedescription

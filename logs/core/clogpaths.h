#pragma once

#include <QString>

/**
 * Where the log monitor keeps what it writes: beside the application ("<root>/bin/log",
 * "<root>/etc/keywords.xml") or, when the application folder cannot be written (a system
 * install), in the user's data folder.
 */
namespace logpaths {

/** The folder holding the dated device log folders. */
QString deviceLogRoot();
/** The keyword list to read: the user's copy when there is one, else the application's. */
QString keywordFileForReading();
/** The keyword list to write. */
QString keywordFileForWriting();

} // namespace logpaths

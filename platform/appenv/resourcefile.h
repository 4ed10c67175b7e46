#pragma once

#include <QString>

/**
 * Where the application folder is: the folder above the running program's folder
 * (<root>/bin/program -> <root>). The environment variable ZOVAN_APP_ROOT overrides it,
 * for test programs that live outside the application folder.
 */
QString appRootDir();

/** <root>/<name> for one of the application's sibling folders ("res", "etc", "scripts/general", "tests" ...). */
QString appSubDir(const QString &name);

/** Absolute path of a file in <root>/res; empty for an empty name or when the folder is missing. */
QString resourceFile(const QString &fileName);

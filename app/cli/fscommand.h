#pragma once

#include <QStringList>

/** Runs "zovan-tools-cli fs ..." with the arguments after "fs"; returns the exit status. */
int runFsCommand(const QStringList &arguments);

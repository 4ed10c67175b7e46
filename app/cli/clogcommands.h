#pragma once

#include <QStringList>

/**
 * The command-line tool's log commands: "parse" runs the log parser over a saved device log,
 * "log" prints a unit's live log or its typed records until interrupted.
 */
class cLogCommands
{
public:
    /** True when the arguments (after the program name) start with one of these commands. */
    static bool handles(const QStringList &arguments);
    /** Runs the command; the result is the process exit status. Needs a QCoreApplication. */
    static int run(const QStringList &arguments);

    static QString parseHelp();
    static QString logHelp();
};

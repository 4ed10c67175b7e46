#pragma once

#include <QString>
#include <QStringList>

/** The simulated unit's settings; every field has a working default. */
struct sSimOptions
{
    double flipRate = 0.0;    // probability per byte of one flipped bit, both directions
    double dropRate = 0.0;    // probability per byte of losing it, both directions
    int delayMs = 0;          // latency added to every chunk, both directions
    int baud = 0;             // line speed; 0 = unthrottled
    qint64 hangupBytes = 0;   // close the line after this many bytes; 0 = never
    int readyMs = 1000;       // boot time until the application reports "DONE"
    double logRate = 20.0;    // log lines per second; 0 = as fast as the line takes them
    bool edgeLog = false;     // log profile "edge": also print what a unit prints on a bad day
    bool package = true;      // whether /statfs/zovan_tools_tests.out exists
    bool runState = true;     // false: firmware without GET_APP_RUN_STATE ("Unknown command")
    bool listing = true;      // false: firmware without directory listings ("Unknown command:")
    QString fsDir;            // back the file system with this folder; empty = in memory
    quint64 seed = 1;         // seed of every random choice (faults, log values)
    QString name = QStringLiteral("ZOVAN-SIM");
};

/** Parses "KEY=VALUE" option lists for the simulated unit and describes the options. */
class cSimOptions
{
public:
    /**
     * Applies every "KEY=VALUE" entry of list to options, in order. Returns false and a
     * message in error for the first unknown key, missing "=" or malformed value; options
     * is then left unchanged.
     */
    static bool parse(const QStringList &list, sSimOptions *options, QString *error);

    /** One line per option: "KEY=VALUE  description (default)", for --help texts. */
    static QStringList help();
};

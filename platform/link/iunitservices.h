#pragma once

#include <QByteArray>
#include <QString>

/**
 * What the unit does for the link server. Paths are the unit's 8-bit path bytes. Calls come from
 * the thread that drives cLinkServer and must not block for long.
 */
class iUnitServices
{
public:
    virtual ~iUnitServices() = default;

    /** Runs a unit command (e.g. "GET_APP_RUN_STATE") and returns its answer text. */
    virtual QByteArray command(const QByteArray &text) = 0;
    /**
     * The listing of a directory, exactly as the file manager parses it: "|name*attr*time*size|" lines
     * joined by "\n\r", or one of "Dir empty", "Can't get dir list", "Can't open dir", "Unknown command: ...".
     */
    virtual QByteArray listDir(const QByteArray &path) = 0;
    virtual bool readFile(const QByteArray &path, QByteArray *data, QString *error) = 0;
    /** Writes a whole file; the server only writes to temporary names and renames them afterwards. */
    virtual bool writeFile(const QByteArray &path, const QByteArray &data, QString *error) = 0;
    virtual bool makeDir(const QByteArray &path, QString *error) = 0;
    virtual bool deleteFile(const QByteArray &path, QString *error) = 0;
    virtual bool deleteDir(const QByteArray &path, QString *error) = 0;
    /** Renames, replacing an existing target file. */
    virtual bool renameFile(const QByteArray &from, const QByteArray &to, QString *error) = 0;
    /** Plain text that arrived outside frames: the unit's own command line ("cli\r\n", "exit\r\n", ...). */
    virtual void plainText(const QByteArray &text) = 0;
};

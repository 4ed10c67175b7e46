#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

/**
 * The unit's file system as its command handlers see it. Paths are the unit's: absolute,
 * "/" separated, optionally enclosed in double quotes as some requests send them. Paths
 * with ".." are refused, so no request can reach outside the unit's root.
 */
class cSimFileSystem
{
public:
    enum class eResult { Ok, NotFound, NotDir, IsDir, Exists, NotEmpty, ReadOnly, BadPath, NoSpace, IoError };

    struct sEntry
    {
        QString name;
        bool isDir = false;
        bool readable = true;
        bool writable = true;
        qint64 mtime = 0;   // Unix seconds
        qint64 size = 0;
    };

    virtual ~cSimFileSystem() = default;

    virtual eResult list(const QString &path, QList<sEntry> *entries) const = 0;
    virtual eResult stat(const QString &path, sEntry *entry) const = 0;
    virtual eResult read(const QString &path, QByteArray *data) const = 0;
    /** Creates or replaces a file; its folder must exist. */
    virtual eResult write(const QString &path, const QByteArray &data) = 0;
    virtual eResult makeDir(const QString &path) = 0;
    virtual eResult removeFile(const QString &path) = 0;
    /** Removes an empty folder; a folder with entries is refused with NotEmpty. */
    virtual eResult removeDir(const QString &path) = 0;
    /** Moves a file or folder; a file replaces an existing file, never a folder. */
    virtual eResult rename(const QString &from, const QString &to) = 0;

    /**
     * Splits a unit path into its names: surrounding quotes and empty or "." parts dropped.
     * False for "..", control characters, backslashes and other names the unit refuses.
     */
    static bool splitPath(const QString &path, QStringList *parts);
    /**
     * Splits both paths of a rename. BadPath for a refused path, the root, or a folder moved
     * into itself.
     */
    static eResult splitRename(const QString &from, const QString &to, QStringList *fromParts, QStringList *toParts);
    /**
     * The listing the unit prints for a folder (cDirListing's format, names in UTF-8), or
     * "Can't open dir" / "Can't get dir list" for a folder it cannot list.
     */
    static QByteArray listingAnswer(eResult result, const QList<sEntry> &entries);
    /** Short English reason, as the unit prints it after an error. */
    static QString resultText(eResult result);

protected:
    cSimFileSystem() = default;
};

#pragma once

#include <QByteArray>
#include <QList>

/**
 * The unit's directory listing, written by the unit and read by the host: one
 * "|name*attributes*mtime[*size]|" line per entry, lines joined by "\n\r", or one of the
 * special answers below. Names are bytes as the unit stores them (the host's 8-bit encoding).
 */
class cDirListing
{
public:
    static constexpr char kUnknownCommand[] = "Unknown command:";
    static constexpr char kDirEmpty[] = "Dir empty";
    static constexpr char kCantGetList[] = "Can't get dir list";
    static constexpr char kCantOpenDir[] = "Can't open dir";
    static constexpr char kLineSeparator[] = "\n\r";

    /** What an answer is, tested in this order: a special answer wins over entry lines. */
    enum class eAnswer { UnknownCommand, DirEmpty, CantGetList, CantOpenDir, Entries };

    struct sEntry
    {
        QByteArray name;
        bool isDir = false;
        bool readable = false;
        bool writable = false;
        quint64 mtime = 0;   // Unix seconds
        qint64 size = 0;     // 0 when the line carries none
    };

    static eAnswer classify(const QByteArray &answer);
    /** The lines of an entries answer that begin with "|", in listing order. */
    static QList<QByteArray> entryLines(const QByteArray &answer);
    /**
     * Parses one entry line: 3 or 4 "*"-separated fields once white space and every "|" are
     * gone. An attribute field that is not three characters long clears all three flags; a
     * time or size that is not a number reads as 0.
     */
    static bool parseLine(const QByteArray &line, sEntry *entry);

    static QByteArray attributes(const sEntry &entry);
    /** One line; folders carry no size. */
    static QByteArray formatLine(const sEntry &entry);
    /** The whole answer for a folder's entries: "Dir empty" when there are none. */
    static QByteArray format(const QList<sEntry> &entries);
};

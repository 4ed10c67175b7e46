#include "sim/csimfilesystem.h"

#include "platform/link/cdirlisting.h"
#include "platform/link/linklimits.h"

bool cSimFileSystem::splitPath(const QString &path, QStringList *parts)
{
    QString p = path.trimmed();
    if (p.size() >= 2 && p.startsWith(QLatin1Char('"')) && p.endsWith(QLatin1Char('"')))
        p = p.mid(1, p.size() - 2);
    parts->clear();
    if (p.size() > zlink::kMaxPathBytes)
        return false;
    const QStringList pieces = p.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (const QString &piece : pieces) {
        if (piece == QLatin1String("."))
            continue;
        if (piece == QLatin1String("..") || piece.size() > zlink::kMaxNameBytes)
            return false;
        for (const QChar c : piece) {
            // '*' and '|' would break the listing format; '\\' and control characters are
            // not names a unit stores, and on a host folder they could mean something else.
            if (c.unicode() < 0x20 || c == QLatin1Char('\\') || c == QLatin1Char('*') || c == QLatin1Char('|')
                || c == QLatin1Char('"') || c.unicode() == 0x7f)
                return false;
        }
        parts->append(piece);
    }
    return true;
}

cSimFileSystem::eResult cSimFileSystem::splitRename(const QString &from, const QString &to, QStringList *fromParts,
                                                    QStringList *toParts)
{
    if (!splitPath(from, fromParts) || !splitPath(to, toParts) || fromParts->isEmpty() || toParts->isEmpty())
        return eResult::BadPath;
    if (toParts->size() > fromParts->size() && toParts->mid(0, fromParts->size()) == *fromParts)
        return eResult::BadPath;
    return eResult::Ok;
}

QByteArray cSimFileSystem::listingAnswer(eResult result, const QList<sEntry> &entries)
{
    switch (result) {
    case eResult::Ok:
        break;
    case eResult::NotFound:
    case eResult::BadPath:
        return cDirListing::kCantOpenDir;
    default:
        return cDirListing::kCantGetList;
    }
    QList<cDirListing::sEntry> lines;
    lines.reserve(entries.size());
    for (const sEntry &e : entries) {
        cDirListing::sEntry l;
        l.name = e.name.toUtf8();
        l.isDir = e.isDir;
        l.readable = e.readable;
        l.writable = e.writable;
        l.mtime = quint64(qMax<qint64>(0, e.mtime));
        l.size = e.size;
        lines.append(l);
    }
    return cDirListing::format(lines);
}

QString cSimFileSystem::resultText(eResult result)
{
    switch (result) {
    case eResult::Ok: return QStringLiteral("OK");
    case eResult::NotFound: return QStringLiteral("No such file or directory");
    case eResult::NotDir: return QStringLiteral("Not a directory");
    case eResult::IsDir: return QStringLiteral("Is a directory");
    case eResult::Exists: return QStringLiteral("File exists");
    case eResult::NotEmpty: return QStringLiteral("Directory not empty");
    case eResult::ReadOnly: return QStringLiteral("Read-only file");
    case eResult::BadPath: return QStringLiteral("Invalid path");
    case eResult::NoSpace: return QStringLiteral("No space left on device");
    case eResult::IoError: return QStringLiteral("I/O error");
    }
    return QStringLiteral("Error");
}

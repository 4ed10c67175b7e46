#include "files/core/cdevicelisting.h"

#include "platform/link/cdirlisting.h"

#include <QCoreApplication>

namespace {

// The runner logs these texts, so they are translated in its context.
QString translated(const char *text)
{
    return QCoreApplication::translate("cDeviceFSRunner", text);
}

enum eLevel { kNotify = 1, kWarning = 2, kError = 3 };

} // namespace

bool cDeviceListing::isPlainName(const QString &name)
{
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return false;
    for (const QChar c : name) {
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c.unicode() < 0x20 || c.unicode() == 0x7f)
            return false;
    }
    return true;
}

cDeviceListing::sResult cDeviceListing::parse(const QByteArray &answer, const QString &dir)
{
    sResult r;
    switch (cDirListing::classify(answer)) {
    case cDirListing::eAnswer::UnknownCommand:
        r.messages.append({translated(QT_TRANSLATE_NOOP("cDeviceFSRunner", "System error: failed to get dir list")), kError});
        return r;
    case cDirListing::eAnswer::DirEmpty:
        r.messages.append({translated(QT_TRANSLATE_NOOP("cDeviceFSRunner", "Directory is empty")), kWarning});
        r.ok = true;
        return r;
    case cDirListing::eAnswer::CantGetList:
        r.messages.append({translated(QT_TRANSLATE_NOOP("cDeviceFSRunner", "Can't get directory contents")), kWarning});
        return r;
    case cDirListing::eAnswer::CantOpenDir:
        r.messages.append({translated(QT_TRANSLATE_NOOP("cDeviceFSRunner", "Can't open directory")), kError});
        return r;
    case cDirListing::eAnswer::Entries:
        break;
    }
    const QString prefix = dir.isEmpty() ? QStringLiteral("./") : dir + QLatin1Char('/');
    const QList<QByteArray> lines = cDirListing::entryLines(answer);
    r.entries.reserve(lines.size());
    for (const QByteArray &line : lines) {
        cDirListing::sEntry raw;
        const QString name = cDirListing::parseLine(line, &raw) ? QString::fromLocal8Bit(raw.name) : QString();
        // A name that is not one plain name would lead a download or a delete somewhere else.
        if (!isPlainName(name)) {
            r.messages.append({translated(QT_TRANSLATE_NOOP("cDeviceFSRunner", "failed to parse entry: %1")).arg(QString::fromLocal8Bit(line)), kError});
            continue;
        }
        sDeviceFSEntry e;
        e.name = name;
        e.path = prefix + name;
        e.size = raw.size;
        // Times past the year 9999 are no time a unit can have written.
        e.modified = raw.mtime <= 253402300799ULL ? QDateTime::fromSecsSinceEpoch(qint64(raw.mtime)) : QDateTime();
        e.isDir = raw.isDir;
        e.readable = raw.readable;
        e.writable = raw.writable;
        r.entries.append(e);
    }
    r.ok = true;
    return r;
}

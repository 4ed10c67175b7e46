#include "sim/csimdirfs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cstdio>

namespace {
// Files larger than this are not served: the unit's requests carry whole files.
constexpr qint64 kMaxFile = 256LL * 1024 * 1024;
} // namespace

cSimDirFs::cSimDirFs(const QString &rootDir)
    : m_root(QFileInfo(rootDir).canonicalFilePath())
{
}

bool cSimDirFs::inside(const QString &canonical) const
{
    return !m_root.isEmpty()
           && (canonical == m_root || canonical.startsWith(m_root + QLatin1Char('/')) || m_root == QLatin1String("/"));
}

QString cSimDirFs::hostPath(const QString &unitPath) const
{
    QStringList parts;
    if (m_root.isEmpty() || !splitPath(unitPath, &parts))
        return QString();
    QString path = m_root;
    for (const QString &p : parts)
        path += QLatin1Char('/') + p;
    // The deepest part that exists decides: a link anywhere on the way must resolve inside.
    QFileInfo info(path);
    if (info.exists() || info.isSymLink()) {
        const QString canon = info.canonicalFilePath();
        return (!canon.isEmpty() && inside(canon)) ? path : QString();
    }
    const QString parentCanon = QFileInfo(info.absolutePath()).canonicalFilePath();
    if (!parentCanon.isEmpty() && !inside(parentCanon))
        return QString();
    return path;
}

cSimFileSystem::eResult cSimDirFs::hostPathBelowRoot(const QString &unitPath, QString *host) const
{
    QStringList parts;
    if (!splitPath(unitPath, &parts) || parts.isEmpty())
        return eResult::BadPath;
    *host = hostPath(unitPath);
    return host->isEmpty() ? eResult::BadPath : eResult::Ok;
}

cSimFileSystem::eResult cSimDirFs::existing(const QString &unitPath, QString *host, QFileInfo *info) const
{
    *host = hostPath(unitPath);
    if (host->isEmpty())
        return eResult::BadPath;
    *info = QFileInfo(*host);
    return info->exists() ? eResult::Ok : eResult::NotFound;
}

cSimFileSystem::sEntry cSimDirFs::entryOf(const QFileInfo &info)
{
    sEntry e;
    e.name = info.fileName();
    e.isDir = info.isDir();
    e.readable = info.isReadable();
    e.writable = info.isWritable();
    e.mtime = info.lastModified().toSecsSinceEpoch();
    e.size = e.isDir ? 0 : info.size();
    return e;
}

cSimFileSystem::eResult cSimDirFs::list(const QString &path, QList<sEntry> *entries) const
{
    entries->clear();
    const QString host = hostPath(path);
    if (host.isEmpty())
        return eResult::BadPath;
    const QFileInfo info(host);
    if (!info.exists())
        return eResult::NotFound;
    if (!info.isDir())
        return eResult::NotDir;
    const QDir dir(host);
    const QFileInfoList infos =
        dir.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::Name);
    for (const QFileInfo &fi : infos) {
        QStringList check;
        // Names the unit could not address are left out of its listing.
        if (!splitPath(fi.fileName(), &check) || check.size() != 1)
            continue;
        entries->append(entryOf(fi));
    }
    return eResult::Ok;
}

cSimFileSystem::eResult cSimDirFs::stat(const QString &path, sEntry *entry) const
{
    QString host;
    QFileInfo fi;
    if (const eResult r = existing(path, &host, &fi); r != eResult::Ok)
        return r;
    *entry = entryOf(fi);
    return eResult::Ok;
}

cSimFileSystem::eResult cSimDirFs::read(const QString &path, QByteArray *data) const
{
    QString host;
    QFileInfo fi;
    if (const eResult r = existing(path, &host, &fi); r != eResult::Ok)
        return r;
    if (fi.isDir())
        return eResult::IsDir;
    if (fi.size() > kMaxFile)
        return eResult::IoError;
    QFile f(host);
    if (!f.open(QIODevice::ReadOnly))
        return eResult::IoError;
    *data = f.readAll();
    return eResult::Ok;
}

cSimFileSystem::eResult cSimDirFs::write(const QString &path, const QByteArray &data)
{
    QString host;
    if (const eResult r = hostPathBelowRoot(path, &host); r != eResult::Ok)
        return r;
    const QFileInfo fi(host);
    const QFileInfo parent(fi.absolutePath());
    if (!parent.exists())
        return eResult::NotFound;
    if (!parent.isDir())
        return eResult::NotDir;
    if (fi.isDir())
        return eResult::IsDir;
    if (fi.exists() && !fi.isWritable())
        return eResult::ReadOnly;
    if (data.size() > kMaxFile)
        return eResult::NoSpace;
    // Write to a temporary file and rename, so a failed transfer never leaves half a file.
    QSaveFile f(host);
    if (!f.open(QIODevice::WriteOnly) || f.write(data) != data.size() || !f.commit())
        return eResult::IoError;
    return eResult::Ok;
}

cSimFileSystem::eResult cSimDirFs::makeDir(const QString &path)
{
    QString host;
    if (const eResult r = hostPathBelowRoot(path, &host); r != eResult::Ok)
        return r;
    const QFileInfo fi(host);
    if (fi.exists() || fi.isSymLink())
        return eResult::Exists;
    const QFileInfo parent(fi.absolutePath());
    if (!parent.exists())
        return eResult::NotFound;
    if (!parent.isDir())
        return eResult::NotDir;
    return QDir().mkdir(host) ? eResult::Ok : eResult::IoError;
}

cSimFileSystem::eResult cSimDirFs::removeFile(const QString &path)
{
    QString host;
    if (const eResult r = hostPathBelowRoot(path, &host); r != eResult::Ok)
        return r;
    const QFileInfo fi(host);
    if (!fi.exists())
        return eResult::NotFound;
    if (fi.isDir())
        return eResult::IsDir;
    return QFile::remove(host) ? eResult::Ok : eResult::IoError;
}

cSimFileSystem::eResult cSimDirFs::removeDir(const QString &path)
{
    QString host;
    if (const eResult r = hostPathBelowRoot(path, &host); r != eResult::Ok)
        return r;
    const QFileInfo fi(host);
    if (!fi.exists())
        return eResult::NotFound;
    if (!fi.isDir() || fi.isSymLink())
        return eResult::NotDir;
    if (!QDir(host).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System))
        return eResult::NotEmpty;
    return QDir().rmdir(host) ? eResult::Ok : eResult::IoError;
}

cSimFileSystem::eResult cSimDirFs::rename(const QString &from, const QString &to)
{
    QStringList fromParts;
    QStringList toParts;
    if (const eResult r = splitRename(from, to, &fromParts, &toParts); r != eResult::Ok)
        return r;
    const QString a = hostPath(from);
    const QString b = hostPath(to);
    if (a.isEmpty() || b.isEmpty())
        return eResult::BadPath;
    if (!QFileInfo::exists(a))
        return eResult::NotFound;
    if (fromParts == toParts)
        return eResult::Ok;
    const QFileInfo src(a);
    const QFileInfo dst(b);
    if (dst.exists()) {
        if (dst.isDir() || src.isDir())
            return eResult::Exists;
        if (!dst.isWritable())
            return eResult::ReadOnly;
    }
    if (!QFileInfo(dst.absolutePath()).isDir())
        return eResult::NotFound;
    // rename(2) replaces the target file in one step, so a reader never sees it missing.
    return ::rename(QFile::encodeName(a).constData(), QFile::encodeName(b).constData()) == 0 ? eResult::Ok
                                                                                              : eResult::IoError;
}

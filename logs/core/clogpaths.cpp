#include "logs/core/clogpaths.h"

#include "platform/appenv/resourcefile.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

bool writableDir(const QString &path)
{
    // The folder may not exist yet: then its nearest existing parent decides.
    QFileInfo info(path);
    while (!info.exists()) {
        const QString parent = info.absolutePath();
        if (parent == info.absoluteFilePath())
            return false;
        info = QFileInfo(parent);
    }
    return info.isDir() && info.isWritable();
}

QString userDir()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

} // namespace

namespace logpaths {

QString deviceLogRoot()
{
    const QString own = appSubDir(QStringLiteral("bin/log"));
    return writableDir(own) ? own : userDir() + QStringLiteral("/log");
}

QString keywordFileForReading()
{
    const QString user = userDir() + QStringLiteral("/keywords.xml");
    const QString own = appSubDir(QStringLiteral("etc")) + QStringLiteral("/keywords.xml");
    return !writableDir(appSubDir(QStringLiteral("etc"))) && QFileInfo::exists(user) ? user : own;
}

QString keywordFileForWriting()
{
    const QString etc = appSubDir(QStringLiteral("etc"));
    const QString own = etc + QStringLiteral("/keywords.xml");
    const QFileInfo info(own);
    if (info.exists() ? info.isWritable() : writableDir(etc))
        return own;
    return userDir() + QStringLiteral("/keywords.xml");
}

} // namespace logpaths

#include "resourcefile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

QString appRootDir()
{
    const QString overridden = qEnvironmentVariable("ZOVAN_APP_ROOT");
    if (!overridden.isEmpty())
        return QDir::cleanPath(QDir(overridden).absolutePath());
    // applicationDirPath() needs an application object; fall back to the working folder.
    const QString binDir = QCoreApplication::instance() ? QCoreApplication::applicationDirPath()
                                                        : QDir::currentPath();
    return QDir::cleanPath(binDir + QStringLiteral("/.."));
}

QString appSubDir(const QString &name)
{
    return QDir::cleanPath(appRootDir() + QLatin1Char('/') + name);
}

QString resourceFile(const QString &fileName)
{
    if (fileName.isEmpty())
        return QString();
    const QDir res(appSubDir(QStringLiteral("res")));
    if (!res.exists())
        return QString();
    return QFileInfo(res.filePath(fileName)).absoluteFilePath();
}

#include "crunnersettings.h"

#include <QMutexLocker>
#include <QSettings>

QString cRunnerSettings::appRoot() const
{
    QMutexLocker locker(&m_lock);
    return m_appRoot;
}

void cRunnerSettings::setAppRoot(const QString &root)
{
    QMutexLocker locker(&m_lock);
    m_appRoot = root;
}

bool cRunnerSettings::trustUnitPackages() const
{
    QMutexLocker locker(&m_lock);
    if (m_trustOverride >= 0)
        return m_trustOverride == 1;
    return QSettings().value(QStringLiteral("TestRunner/TrustUnitPackages"), false).toBool();
}

void cRunnerSettings::setTrustUnitPackages(bool trusted)
{
    QMutexLocker locker(&m_lock);
    m_trustOverride = trusted ? 1 : 0;
}

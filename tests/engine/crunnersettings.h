#pragma once

#include <QMutex>
#include <QString>

/** Where the runner finds its local scripts and whether it trusts the units' test packages. */
class cRunnerSettings
{
public:
    cRunnerSettings() = default;
    Q_DISABLE_COPY_MOVE(cRunnerSettings)

    /** Empty until set: the application's folder is meant. */
    QString appRoot() const;
    void setAppRoot(const QString &root);

    /** Until set, the settings key "TestRunner/TrustUnitPackages" is read at every call. */
    bool trustUnitPackages() const;
    void setTrustUnitPackages(bool trusted);

private:
    mutable QMutex m_lock;
    QString m_appRoot;
    int m_trustOverride = -1;  // -1: read the settings
};

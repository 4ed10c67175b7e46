#pragma once

#include <QColor>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>

/** Keeps a test away from the user's files: private settings, and application folders made on demand. */
class cTestScope
{
public:
    cTestScope();
    ~cTestScope();

    void clearSettings() const;
    /** Replaces the settings file with raw bytes. */
    void writeSettingsFile(const QByteArray &content) const;

    /** A fresh application folder (with or without res/, fake catalogues); ZOVAN_APP_ROOT points at it. */
    QString makeAppRoot(bool withRes, const QStringList &languages = {});
    /** Writes a square picture of one colour into <root>/res. */
    static bool writePicture(const QString &root, const QString &name, const QColor &color);

    /** Closes the next modal dialog within the bound, handing it to inspect first; *seen tells whether one came. */
    static void closeNextModal(const std::function<void(QWidget *)> &inspect, bool *seen, int boundMs = 5000);

private:
    QTemporaryDir m_settingsDir;
    QTemporaryDir m_roots;
    int m_rootCount = 0;
    QByteArray m_previousRoot;
};

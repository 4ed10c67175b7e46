#pragma once

#include <QColor>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>

/**
 * Keeps a test away from the user's files: a private settings folder and organisation, and
 * application folders made on demand (with or without res/ and translations).
 */
class cTestScope
{
public:
    cTestScope();
    ~cTestScope();

    /** The settings file that QSettings() writes in this scope. */
    QString settingsFile() const;
    void clearSettings() const;
    /** Replaces the settings file with raw bytes. */
    void writeSettingsFile(const QByteArray &content) const;

    /** A fresh application folder; ZOVAN_APP_ROOT points at it until the next call. */
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

#pragma once

#include "platform/link/iunitservices.h"

#include <QByteArray>
#include <QMap>
#include <QMutex>
#include <QSet>

/** A unit file system in memory, for the link tests; safe to inspect from the test thread. */
class cMemoryUnit : public iUnitServices
{
public:
    QByteArray command(const QByteArray &text) override
    {
        QMutexLocker g(&m_lock);
        m_commands.append(text);
        if (text == "GET_APP_RUN_STATE")
            return "DONE";
        if (text.startsWith("ECHO "))
            return text.mid(5);
        if (text.startsWith("BIG "))
            return QByteArray(text.mid(4).toInt(), 'x');
        return "Unknown command: " + text;
    }
    QByteArray listDir(const QByteArray &path) override
    {
        QMutexLocker g(&m_lock);
        const QByteArray prefix = path.endsWith('/') ? path : path + '/';
        QByteArrayList lines;
        for (auto it = m_files.cbegin(); it != m_files.cend(); ++it) {
            if (it.key().startsWith(prefix) && !it.key().mid(prefix.size()).contains('/'))
                lines << "|" + it.key().mid(prefix.size()) + "*-rw*1700000000*" + QByteArray::number(it.value().size()) + "|";
        }
        if (lines.isEmpty())
            return m_dirs.contains(path) ? "Dir empty" : "Can't open dir";
        return lines.join("\n\r");
    }
    bool readFile(const QByteArray &path, QByteArray *data, QString *error) override
    {
        QMutexLocker g(&m_lock);
        *data = m_files.value(path);
        return m_files.contains(path) || fail(error, "No such file");
    }
    bool writeFile(const QByteArray &path, const QByteArray &data, QString *error) override
    {
        QMutexLocker g(&m_lock);
        if (m_failWrites)
            return fail(error, "Disk full");
        m_files.insert(path, data);
        return true;
    }
    bool makeDir(const QByteArray &path, QString *) override { QMutexLocker g(&m_lock); m_dirs.insert(path); return true; }
    bool deleteFile(const QByteArray &path, QString *error) override
    {
        QMutexLocker g(&m_lock);
        m_deleteCalls.append(path);
        return m_files.remove(path) > 0 || fail(error, "No such file");
    }
    bool deleteDir(const QByteArray &path, QString *) override { QMutexLocker g(&m_lock); return m_dirs.remove(path); }
    bool renameFile(const QByteArray &from, const QByteArray &to, QString *error) override
    {
        QMutexLocker g(&m_lock);
        if (!m_files.contains(from))
            return fail(error, "No such file");
        m_files.insert(to, m_files.take(from));
        return true;
    }
    void plainText(const QByteArray &text) override { QMutexLocker g(&m_lock); m_text.append(text); }

    void setFile(const QByteArray &path, const QByteArray &data) { QMutexLocker g(&m_lock); m_files.insert(path, data); }
    void setFailWrites(bool fail) { QMutexLocker g(&m_lock); m_failWrites = fail; }
    QMap<QByteArray, QByteArray> files() const { QMutexLocker g(&m_lock); return m_files; }
    QByteArrayList deleteCalls() const { QMutexLocker g(&m_lock); return m_deleteCalls; }
    QByteArrayList commands() const { QMutexLocker g(&m_lock); return m_commands; }
    QByteArray text() const { QMutexLocker g(&m_lock); return m_text; }
    QSet<QByteArray> dirs() const { QMutexLocker g(&m_lock); return m_dirs; }

private:
    static bool fail(QString *error, const char *why)
    {
        *error = QString::fromLatin1(why);
        return false;
    }

    mutable QMutex m_lock;
    QMap<QByteArray, QByteArray> m_files;
    QSet<QByteArray> m_dirs;
    QByteArrayList m_deleteCalls;
    QByteArrayList m_commands;
    QByteArray m_text;
    bool m_failWrites = false;
};

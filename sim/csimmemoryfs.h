#pragma once

#include "sim/csimfilesystem.h"

#include <map>
#include <memory>

/** The unit's file system kept in memory, bounded in total size. */
class cSimMemoryFs final : public cSimFileSystem
{
public:
    static constexpr qint64 kCapacity = 256LL * 1024 * 1024;
    /** Files in /archive/2026/11: their listing is longer than one transfer block. */
    static constexpr int kArchiveTrips = 60;

    cSimMemoryFs();
    ~cSimMemoryFs() override;
    Q_DISABLE_COPY_MOVE(cSimMemoryFs)

    /**
     * Fills the file system with the folders of a unit in service: statistics, logs,
     * configuration, a firmware image, an empty folder, an archive tree (an empty file,
     * names that are not ASCII, a long folder), and the test package when
     * package is not null.
     */
    void populate(const QByteArray *package, qint64 nowSecs);
    /** Adds a read-only file (creating its folders); for set-up only. */
    void addReadOnlyFile(const QString &path, const QByteArray &data, qint64 mtime);
    qint64 usedBytes() const { return m_used; }

    eResult list(const QString &path, QList<sEntry> *entries) const override;
    eResult stat(const QString &path, sEntry *entry) const override;
    eResult read(const QString &path, QByteArray *data) const override;
    eResult write(const QString &path, const QByteArray &data) override;
    eResult makeDir(const QString &path) override;
    eResult removeFile(const QString &path) override;
    eResult removeDir(const QString &path) override;
    eResult rename(const QString &from, const QString &to) override;

private:
    struct sNode
    {
        bool isDir = false;
        bool writable = true;
        qint64 mtime = 0;
        QByteArray data;
        std::map<QString, std::unique_ptr<sNode>> children;
    };
    using tChildren = std::map<QString, std::unique_ptr<sNode>>;

    const sNode *find(const QStringList &parts) const;
    sNode *find(const QStringList &parts);
    /** The folder that holds the last part; error when missing or not a folder. */
    eResult lookup(const QString &path, QStringList *parts, const sNode **node) const;
    eResult parentOf(const QString &path, sNode **parent, QString *name);
    /** The entry at path and the folder that holds it; NotFound when there is none. */
    eResult existing(const QString &path, sNode **parent, tChildren::iterator *entry);
    static sEntry entryOf(const QString &name, const sNode &node);

    std::unique_ptr<sNode> m_root;
    qint64 m_used = 0;
};

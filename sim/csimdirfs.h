#pragma once

#include "sim/csimfilesystem.h"

class QFileInfo;

/**
 * The unit's file system backed by a host folder, which is the unit's root. Every path is
 * checked to stay inside that folder, symbolic links included.
 */
class cSimDirFs final : public cSimFileSystem
{
public:
    explicit cSimDirFs(const QString &rootDir);

    QString root() const { return m_root; }

    eResult list(const QString &path, QList<sEntry> *entries) const override;
    eResult stat(const QString &path, sEntry *entry) const override;
    eResult read(const QString &path, QByteArray *data) const override;
    eResult write(const QString &path, const QByteArray &data) override;
    eResult makeDir(const QString &path) override;
    eResult removeFile(const QString &path) override;
    eResult removeDir(const QString &path) override;
    eResult rename(const QString &from, const QString &to) override;

private:
    /**
     * The host path for a unit path, or an empty string when the path is refused or would
     * leave the root through a link. The last part need not exist.
     */
    QString hostPath(const QString &unitPath) const;
    /** hostPath() for a path that names something below the root, which changes cannot touch. */
    eResult hostPathBelowRoot(const QString &unitPath, QString *host) const;
    /** hostPath() of something that exists; BadPath or NotFound otherwise. */
    eResult existing(const QString &unitPath, QString *host, QFileInfo *info) const;
    static sEntry entryOf(const QFileInfo &info);
    bool inside(const QString &canonical) const;

    QString m_root;   // canonical
};

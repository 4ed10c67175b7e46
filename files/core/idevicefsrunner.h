#pragma once

#include "files/core/sdevicefsentry.h"

#include <QList>
#include <QString>
#include <QStringList>

class QObject;
struct sIODevice;

/**
 * The device file-system runner as the file manager and the command-line tool see it.
 * Every request only queues work; its end is reported by the runner's signal
 * operationFinished(int) (0 success, 2 failure, 3 cancelled). A directory read first
 * announces its entries with dirListed(QString), to be fetched with takeListing(); copies report
 * currentFileCopyed(QString) and copyProgress(quint8 total, quint8 current). Connect to
 * them through qobject().
 */
class iDeviceFSRunner
{
public:
    virtual ~iDeviceFSRunner() = default;

    /* 0 */ virtual QObject *qobject() = 0;
    /* 1 */ virtual void init(const sIODevice &device) = 0;
    /* 2 */ virtual void deinit() = 0;
    /* 3 */ virtual void readDir(const QString &path) = 0;
    /* 4 */ virtual void copyFromDevice(const QStringList &unitFiles, const QString &localDir) = 0;
    /* 5 */ virtual void copyToDevice(const QStringList &localFiles, const QString &unitDir) = 0;
    /* 6 */ virtual void cancelCopy() = 0;
    /* 7 */ virtual void makeDir(const QString &path) = 0;
    /* 8 */ virtual void remove(const QStringList &files, const QStringList &dirs) = 0;
    /* 9 */ virtual QStringList roots() const = 0;
    /* 10 */ virtual QList<sDeviceFSEntry> takeListing() = 0;
};

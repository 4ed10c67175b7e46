#pragma once

#include <QDateTime>
#include <QList>
#include <QMetaType>
#include <QString>

/** One entry of a unit directory listing, as the runner hands it to the GUI thread. */
struct sDeviceFSEntry
{
    QString name;
    QString path;        // listed directory + "/" + name; "./" + name for an empty directory path
    qint64 size = 0;     // bytes; 0 when the line carries no size
    QDateTime modified;
    bool isDir = false;
    bool readable = false;
    bool writable = false;
};

Q_DECLARE_METATYPE(sDeviceFSEntry)
Q_DECLARE_METATYPE(QList<sDeviceFSEntry>)

#pragma once

#include "files/core/sdevicefsentry.h"

#include <QByteArray>
#include <QList>
#include <QString>

/**
 * Turns a unit's listing answer into entries and the messages the operator sees about it.
 * Pure: the runner logs the messages, the fuzzer and the tests read them.
 */
class cDeviceListing
{
public:
    struct sMessage
    {
        QString text;
        int level = 0;
    };
    struct sResult
    {
        bool ok = false;
        QList<sDeviceFSEntry> entries;
        QList<sMessage> messages;
    };

    /** The listing of dir from the plug-in's answer; the answer's names are in the local 8-bit encoding. */
    static sResult parse(const QByteArray &answer, const QString &dir);
    /** False for a name that is no single name in a folder: empty, ".", "..", or with "/", "\\" or a control character in it. */
    static bool isPlainName(const QString &name);
};

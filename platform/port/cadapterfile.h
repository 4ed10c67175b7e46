#pragma once

#include "platform/port/siodevice.h"

#include <QList>
#include <QString>
#include <QStringList>

/**
 * The user's adapter file: an INI text in which each section describes one unit
 * (name, serial, baud, gpiochip, gpio, i2c). A section with an error is skipped whole,
 * the others still load.
 */
class cAdapterFile
{
public:
    struct sUnit
    {
        sIODevice device;
        unsigned int baud = kDefaultBaud;
    };

    struct sResult
    {
        QList<sUnit> units;
        QStringList errors;   // one text per problem, naming the file, line, section and key
    };

    /** Reads the text of an adapter file; fileName only appears in the error texts. */
    static sResult parse(const QByteArray &text, const QString &fileName);

    /** The id an adapter unit gets from its section name. */
    static QString unitId(const QString &section);

    static constexpr unsigned int kDefaultBaud = 115200;
    static constexpr int kMaxFileSize = 1024 * 1024;
};

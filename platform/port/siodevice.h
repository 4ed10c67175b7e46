#pragma once

#include <QList>
#include <QMetaType>
#include <QString>
#include <QStringList>

/** One part of a unit's adapter: a serial line, a set of GPIO lines or an I2C bus. */
struct sIOSubDevice
{
    void *handle = nullptr;   // opaque; filled by port::open_port, null while closed
    QString varName;          // the name scripts know it by ("serial", "gpio", "i2c" ...)
    QString type;             // "serial", "gpio" or "i2c"
    QString id;               // device path or address ("/dev/ttyUSB0", "/dev/gpiochip0", "/dev/i2c-1")
    QStringList gpio;         // GPIO line names (gpio sub-devices)
};

/** A unit as the port selector offers it; copied by value. */
struct sIODevice
{
    QString id;               // port id, given to plug-ins as the port name
    QString name;             // the unit's name, used in messages
    QString info;             // free text (adapter kind, description)
    QList<sIOSubDevice> devices;
    unsigned char flags = 0;

    bool isNull() const { return id.isEmpty(); }
};

Q_DECLARE_METATYPE(sIODevice)

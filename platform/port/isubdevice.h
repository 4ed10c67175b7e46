#pragma once

#include <QString>

/** One opened part of a unit (serial line, GPIO lines, I2C bus) as the port registry keeps it. */
class iSubDevice
{
public:
    virtual ~iSubDevice() = default;

    /** Opens the device; on failure returns false and puts the reason in error. */
    virtual bool open(QString *error) = 0;
    /** Closes the device, giving pending output up to drainMs to leave. */
    virtual void close(int drainMs) = 0;
    virtual bool isOpen() const = 0;
    /** The device path or id, for messages. */
    virtual QString id() const = 0;
};

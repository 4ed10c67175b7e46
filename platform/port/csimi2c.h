#pragma once

#include "platform/port/csimadapterdevice.h"
#include "platform/port/ii2cbus.h"

/** The I2C bus of the simulated unit, reached over its adapter socket. */
class cSimI2c final : public cSimAdapterDevice, public iI2cBus
{
public:
    explicit cSimI2c(const QString &id);
    ~cSimI2c() override;

    bool read(unsigned char address, unsigned char *buffer, int count, int *readCount) override;
    bool write(unsigned char address, const unsigned char *data, int length, int *written) override;
};

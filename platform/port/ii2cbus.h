#pragma once

/** An I2C bus of an adapter: single-message transfers to a 7-bit address. */
class iI2cBus
{
public:
    virtual ~iI2cBus() = default;

    virtual bool read(unsigned char address, unsigned char *buffer, int count, int *readCount) = 0;
    virtual bool write(unsigned char address, const unsigned char *data, int length, int *written) = 0;
};

#pragma once

#include "platform/port/ii2cbus.h"
#include "platform/port/isubdevice.h"

#include <mutex>

/** An I2C bus through Linux's i2c-dev (/dev/i2c-N), one I2C_RDWR message per transfer. */
class cI2cDevBus final : public iSubDevice, public iI2cBus
{
public:
    explicit cI2cDevBus(const QString &path);
    ~cI2cDevBus() override;
    cI2cDevBus(const cI2cDevBus &) = delete;
    cI2cDevBus &operator=(const cI2cDevBus &) = delete;

    bool open(QString *error) override;
    void close(int drainMs) override;
    bool isOpen() const override;
    QString id() const override;

    bool read(unsigned char address, unsigned char *buffer, int count, int *readCount) override;
    bool write(unsigned char address, const unsigned char *data, int length, int *written) override;

private:
    bool transfer(unsigned char address, bool reading, unsigned char *bytes, int length);

    const QString m_path;
    mutable std::mutex m_lock;
    int m_fd = -1;
};

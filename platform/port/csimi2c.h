#pragma once

#include "platform/port/ii2cbus.h"
#include "platform/port/isubdevice.h"

#include <memory>
#include <mutex>

class cSimAdapterLink;

/** The I2C bus of the simulated unit, reached over its adapter socket. */
class cSimI2c final : public iSubDevice, public iI2cBus
{
public:
    explicit cSimI2c(const QString &id);
    ~cSimI2c() override;

    bool open(QString *error) override;
    void close(int drainMs) override;
    bool isOpen() const override;
    QString id() const override;

    bool read(unsigned char address, unsigned char *buffer, int count, int *readCount) override;
    bool write(unsigned char address, const unsigned char *data, int length, int *written) override;

private:
    std::shared_ptr<cSimAdapterLink> link() const;

    const QString m_id;
    mutable std::mutex m_lock;
    std::shared_ptr<cSimAdapterLink> m_link;
};

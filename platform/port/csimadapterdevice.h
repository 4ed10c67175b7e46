#pragma once

#include "platform/port/isubdevice.h"

#include <QByteArray>

#include <memory>
#include <mutex>

class cSimAdapterLink;

/**
 * A part of the simulated unit's adapter (GPIO lines, I2C bus) reached over its socket.
 * Each request takes its own reference to the link, so close() on another thread never
 * pulls the link from under a request in progress.
 */
class cSimAdapterDevice : public iSubDevice
{
public:
    /** id is "sim:<socket path>". */
    explicit cSimAdapterDevice(const QString &id);
    ~cSimAdapterDevice() override;
    cSimAdapterDevice(const cSimAdapterDevice &) = delete;
    cSimAdapterDevice &operator=(const cSimAdapterDevice &) = delete;

    bool open(QString *error) override;
    void close(int drainMs) override;
    bool isOpen() const override;
    QString id() const override;

protected:
    /**
     * Sends one adapter request. False when the device is closed (message empty) or the
     * request failed (reason in message); true with the answer otherwise.
     */
    bool request(const QByteArray &line, QByteArray *answer, QString *message) const;

    const QString m_id;

private:
    std::shared_ptr<cSimAdapterLink> link() const;

    mutable std::mutex m_lock;
    std::shared_ptr<cSimAdapterLink> m_link;
};

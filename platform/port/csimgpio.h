#pragma once

#include "platform/port/cgpionames.h"
#include "platform/port/igpiolines.h"
#include "platform/port/isubdevice.h"

#include <memory>
#include <mutex>

class cSimAdapterLink;

/** GPIO lines of the simulated unit, reached over its adapter socket. */
class cSimGpio final : public iSubDevice, public iGpioLines
{
public:
    cSimGpio(const QString &id, const QStringList &names);
    ~cSimGpio() override;

    bool open(QString *error) override;
    void close(int drainMs) override;
    bool isOpen() const override;
    QString id() const override;

    bool getState(const QByteArray &name, bool *state) override;
    bool setState(const QByteArray &name, bool state) override;

private:
    std::shared_ptr<cSimAdapterLink> link() const;

    const QString m_id;
    const cGpioNames m_names;
    mutable std::mutex m_lock;
    std::shared_ptr<cSimAdapterLink> m_link;
};

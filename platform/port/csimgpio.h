#pragma once

#include "platform/port/cgpionames.h"
#include "platform/port/csimadapterdevice.h"
#include "platform/port/igpiolines.h"

/** GPIO lines of the simulated unit, reached over its adapter socket. */
class cSimGpio final : public cSimAdapterDevice, public iGpioLines
{
public:
    cSimGpio(const QString &id, const QStringList &names);
    ~cSimGpio() override;

    bool getState(const QByteArray &name, bool *state) override;
    bool setState(const QByteArray &name, bool state) override;

private:
    bool accepts(const QByteArray &name) const;

    const cGpioNames m_names;
};

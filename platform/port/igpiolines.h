#pragma once

#include <QByteArray>

/** Named GPIO lines of an adapter. */
class iGpioLines
{
public:
    virtual ~iGpioLines() = default;

    virtual bool getState(const QByteArray &name, bool *state) = 0;
    virtual bool setState(const QByteArray &name, bool state) = 0;
};

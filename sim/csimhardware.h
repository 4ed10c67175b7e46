#pragma once

#include <QByteArray>
#include <QString>

#include <array>

/**
 * The unit's GPIO lines and I2C devices as the test adapter sees them: OUT1..OUT4 wired back
 * to IN1..IN4, the ignition and LED outputs, a 256-byte EEPROM at 0x50 and a temperature
 * sensor at 0x48. Answers one adapter request line at a time.
 */
class cSimHardware
{
public:
    static constexpr int kEepromAddress = 0x50;
    static constexpr int kTempSensorAddress = 0x48;
    static constexpr int kMaxI2cCount = 4096;

    cSimHardware();

    /** One request line without its "\n"; returns the answer line without "\n". */
    QByteArray handleRequest(const QByteArray &line, qint64 nowUs);

    /** State of a named line (inputs follow their outputs); false for unknown names. */
    bool line(const QString &name) const;
    bool ignition() const { return m_ign; }
    /** Board temperature in degrees Celsius at the given time since start. */
    double temperature(qint64 nowUs) const;

private:
    QByteArray gpioGet(const QByteArray &name) const;
    QByteArray gpioSet(const QByteArray &name, const QByteArray &value);
    QByteArray i2cRead(const QByteArray &addr, const QByteArray &count, qint64 nowUs);
    QByteArray i2cWrite(const QByteArray &addr, const QByteArray &hex);

    std::array<bool, 4> m_out {};
    bool m_ign = true;
    bool m_led = false;
    std::array<quint8, 256> m_eeprom {};
    quint8 m_eepromPointer = 0;
};

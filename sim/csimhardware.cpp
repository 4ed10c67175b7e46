#include "sim/csimhardware.h"

#include <QList>

#include <cmath>

namespace {

int outputIndex(const QByteArray &name, const char *prefix)
{
    const QByteArray p(prefix);
    if (name.size() != p.size() + 1 || !name.startsWith(p))
        return -1;
    const char d = name.at(p.size());
    return (d >= '1' && d <= '4') ? d - '1' : -1;
}

bool parseDecimal(const QByteArray &text, int lo, int hi, int *out)
{
    if (text.isEmpty() || text.size() > 6)
        return false;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
    }
    const int v = text.toInt();
    if (v < lo || v > hi)
        return false;
    *out = v;
    return true;
}

} // namespace

cSimHardware::cSimHardware()
{
    // A factory-written header so a fresh EEPROM is not all zeros.
    const QByteArray header("ZOVAN-EE v1\0SN 000123456", 24);
    for (int i = 0; i < header.size(); ++i)
        m_eeprom[size_t(i)] = quint8(header.at(i));
    for (size_t i = size_t(header.size()); i < m_eeprom.size(); ++i)
        m_eeprom[i] = 0xff;
}

QByteArray cSimHardware::handleRequest(const QByteArray &line, qint64 nowUs)
{
    QByteArray text = line;
    if (text.endsWith('\r'))
        text.chop(1);
    const QList<QByteArray> words = text.split(' ');
    const auto word = [&](int i) { return i < words.size() ? words.at(i) : QByteArray(); };
    if (word(0) == "GPIO" && word(1) == "GET" && words.size() == 3)
        return gpioGet(word(2));
    if (word(0) == "GPIO" && word(1) == "SET" && words.size() == 4)
        return gpioSet(word(2), word(3));
    if (word(0) == "I2C" && word(1) == "READ" && words.size() == 4)
        return i2cRead(word(2), word(3), nowUs);
    // A write of zero bytes may come as "I2C WRITE 80" or "I2C WRITE 80 ".
    if (word(0) == "I2C" && word(1) == "WRITE" && (words.size() == 3 || words.size() == 4))
        return i2cWrite(word(2), word(3));
    if (word(0) == "GPIO" || word(0) == "I2C")
        return "ERR malformed request";
    return "ERR unknown request";
}

bool cSimHardware::line(const QString &name) const
{
    const QByteArray n = name.toLatin1();
    int i = outputIndex(n, "OUT");
    if (i < 0)
        i = outputIndex(n, "IN");
    if (i >= 0)
        return m_out[size_t(i)];
    if (n == "IGN")
        return m_ign;
    if (n == "LED")
        return m_led;
    return false;
}

double cSimHardware::temperature(qint64 nowUs) const
{
    // Warms up over the first minutes, then drifts slowly around 31 degrees.
    const double t = double(nowUs) / 1e6;
    return 24.0 + 7.0 * (1.0 - std::exp(-t / 120.0)) + 0.8 * std::sin(t / 45.0);
}

QByteArray cSimHardware::gpioGet(const QByteArray &name) const
{
    const bool known = outputIndex(name, "OUT") >= 0 || outputIndex(name, "IN") >= 0
                       || name == "IGN" || name == "LED";
    if (!known)
        return "ERR unknown line " + name;
    return line(QString::fromLatin1(name)) ? "OK 1" : "OK 0";
}

QByteArray cSimHardware::gpioSet(const QByteArray &name, const QByteArray &value)
{
    if (value != "0" && value != "1")
        return "ERR state must be 0 or 1";
    const bool on = value == "1";
    const int i = outputIndex(name, "OUT");
    if (i >= 0) {
        m_out[size_t(i)] = on;
        return "OK";
    }
    if (outputIndex(name, "IN") >= 0)
        return "ERR " + name + " is an input";
    if (name == "IGN") {
        m_ign = on;
        return "OK";
    }
    if (name == "LED") {
        m_led = on;
        return "OK";
    }
    return "ERR unknown line " + name;
}

QByteArray cSimHardware::i2cRead(const QByteArray &addrText, const QByteArray &countText, qint64 nowUs)
{
    int addr = 0;
    int count = 0;
    if (!parseDecimal(addrText, 0, 127, &addr))
        return "ERR bad address";
    if (!parseDecimal(countText, 1, kMaxI2cCount, &count))
        return "ERR bad count";
    QByteArray data;
    data.reserve(count);
    if (addr == kEepromAddress) {
        for (int i = 0; i < count; ++i)
            data.append(char(m_eeprom[m_eepromPointer++]));
    } else if (addr == kTempSensorAddress) {
        const double c = temperature(nowUs);
        const int raw = int(std::lround(c * 256.0));
        const quint16 v = quint16(qint16(qBound(-32768, raw, 32767)));
        // Like the real part, a longer read repeats the register.
        for (int i = 0; i < count; ++i)
            data.append(char(i % 2 == 0 ? v >> 8 : v & 0xff));
    } else {
        return "ERR no device at address " + addrText;
    }
    return "OK " + data.toHex();
}

QByteArray cSimHardware::i2cWrite(const QByteArray &addrText, const QByteArray &hex)
{
    int addr = 0;
    if (!parseDecimal(addrText, 0, 127, &addr))
        return "ERR bad address";
    if (hex.size() % 2 != 0 || hex.size() > 2 * kMaxI2cCount)
        return "ERR bad data";
    for (char c : hex) {
        const bool ok = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
        if (!ok)
            return "ERR bad data";
    }
    const QByteArray data = QByteArray::fromHex(hex);
    if (addr == kEepromAddress) {
        if (!data.isEmpty()) {
            m_eepromPointer = quint8(data.at(0));
            for (int i = 1; i < data.size(); ++i)
                m_eeprom[m_eepromPointer++] = quint8(data.at(i));
        }
    } else if (addr != kTempSensorAddress) {
        return "ERR no device at address " + addrText;
    }
    return "OK " + QByteArray::number(data.size());
}

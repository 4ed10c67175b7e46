#include "platform/port/csimi2c.h"

#include "platform/logging/logs.h"
#include "platform/port/ci2climits.h"

#include <QCoreApplication>

#include <cstring>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("port", text);
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// QByteArray::fromHex skips bad characters silently; a garbled answer must fail instead.
bool decodeHex(const QByteArray &hex, QByteArray *bytes)
{
    if (hex.size() % 2 != 0)
        return false;
    bytes->resize(hex.size() / 2);
    for (int i = 0; i < bytes->size(); ++i) {
        const int hi = hexValue(hex.at(2 * i));
        const int lo = hexValue(hex.at(2 * i + 1));
        if (hi < 0 || lo < 0)
            return false;
        (*bytes)[i] = static_cast<char>(hi * 16 + lo);
    }
    return true;
}

} // namespace

cSimI2c::cSimI2c(const QString &id) : cSimAdapterDevice(id) {}

cSimI2c::~cSimI2c() = default;

bool cSimI2c::read(unsigned char address, unsigned char *buffer, int count, int *readCount)
{
    *readCount = 0;
    if (!isOpen())
        return false;
    if (address > i2climits::kMaxAddress || count < 0 || count > i2climits::kMaxTransfer || (count > 0 && !buffer)) {
        logs::add(tr("%1: bad I2C read of %2 bytes at address %3").arg(m_id).arg(count).arg(address), 3);
        return false;
    }
    if (count == 0)
        return true;
    QByteArray answer;
    QString error;
    if (!request("I2C READ " + QByteArray::number(address) + ' ' + QByteArray::number(count), &answer, &error)) {
        if (!error.isEmpty())
            logs::add(tr("%1: I2C read at address %2 failed: %3").arg(m_id).arg(address).arg(error), 3);
        return false;
    }
    QByteArray bytes;
    if (!decodeHex(answer, &bytes) || bytes.size() > count) {
        logs::add(tr("%1: I2C read at address %2 gave a malformed answer").arg(m_id).arg(address), 3);
        return false;
    }
    std::memcpy(buffer, bytes.constData(), static_cast<size_t>(bytes.size()));
    *readCount = static_cast<int>(bytes.size());
    return true;
}

bool cSimI2c::write(unsigned char address, const unsigned char *data, int length, int *written)
{
    *written = 0;
    if (!isOpen())
        return false;
    if (address > i2climits::kMaxAddress || length < 0 || length > i2climits::kMaxTransfer || (length > 0 && !data)) {
        logs::add(tr("%1: bad I2C write of %2 bytes at address %3").arg(m_id).arg(length).arg(address), 3);
        return false;
    }
    if (length == 0)
        return true;
    const QByteArray hex = QByteArray(reinterpret_cast<const char *>(data), length).toHex();
    QByteArray answer;
    QString error;
    if (!request("I2C WRITE " + QByteArray::number(address) + ' ' + hex, &answer, &error)) {
        if (!error.isEmpty())
            logs::add(tr("%1: I2C write at address %2 failed: %3").arg(m_id).arg(address).arg(error), 3);
        return false;
    }
    bool ok = false;
    const int count = answer.toInt(&ok);
    if (!ok || count < 0 || count > length) {
        logs::add(tr("%1: I2C write at address %2 gave a malformed answer").arg(m_id).arg(address), 3);
        return false;
    }
    *written = count;
    return count == length;
}

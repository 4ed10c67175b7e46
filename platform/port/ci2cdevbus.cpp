#include "platform/port/ci2cdevbus.h"

#include "platform/logging/logs.h"
#include "platform/port/ci2climits.h"

#include <QCoreApplication>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <linux/i2c-dev.h>
#include <linux/i2c.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("port", text);
}

QString errnoText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace

cI2cDevBus::cI2cDevBus(const QString &path) : m_path(path) {}

cI2cDevBus::~cI2cDevBus()
{
    close(0);
}

QString cI2cDevBus::id() const
{
    return m_path;
}

bool cI2cDevBus::open(QString *error)
{
    std::lock_guard<std::mutex> lock(m_lock);
    if (m_fd >= 0)
        return true;
    const int fd = ::open(m_path.toLocal8Bit().constData(), O_RDWR | O_CLOEXEC);
    if (fd < 0) {
        *error = tr("%1 cannot be opened (%2)").arg(m_path, errnoText(errno));
        return false;
    }
    unsigned long functions = 0;
    if (ioctl(fd, I2C_FUNCS, &functions) != 0 || !(functions & I2C_FUNC_I2C)) {
        ::close(fd);
        *error = tr("%1 is not an I2C bus that takes plain transfers").arg(m_path);
        return false;
    }
    m_fd = fd;
    return true;
}

void cI2cDevBus::close(int)
{
    std::lock_guard<std::mutex> lock(m_lock);
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

bool cI2cDevBus::isOpen() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_fd >= 0;
}

bool cI2cDevBus::transfer(unsigned char address, bool reading, unsigned char *bytes, int length)
{
    std::lock_guard<std::mutex> lock(m_lock);
    if (m_fd < 0)
        return false;
    i2c_msg message {};
    message.addr = address;
    message.flags = reading ? I2C_M_RD : 0;
    message.len = static_cast<__u16>(length);
    message.buf = bytes;
    i2c_rdwr_ioctl_data data {&message, 1};
    if (ioctl(m_fd, I2C_RDWR, &data) != 1) {
        logs::add(tr("%1: I2C %2 of %3 bytes at address %4 failed (%5)")
                      .arg(m_path, reading ? tr("read") : tr("write"))
                      .arg(length)
                      .arg(address)
                      .arg(errnoText(errno)),
                  3);
        return false;
    }
    return true;
}

bool cI2cDevBus::read(unsigned char address, unsigned char *buffer, int count, int *readCount)
{
    *readCount = 0;
    if (!isOpen())
        return false;
    if (address > i2climits::kMaxAddress || count < 0 || count > i2climits::kMaxTransfer || (count > 0 && !buffer)) {
        logs::add(tr("%1: bad I2C read of %2 bytes at address %3").arg(m_path).arg(count).arg(address), 3);
        return false;
    }
    if (count == 0)
        return true;
    if (!transfer(address, true, buffer, count))
        return false;
    *readCount = count;
    return true;
}

bool cI2cDevBus::write(unsigned char address, const unsigned char *data, int length, int *written)
{
    *written = 0;
    if (!isOpen())
        return false;
    if (address > i2climits::kMaxAddress || length < 0 || length > i2climits::kMaxTransfer || (length > 0 && !data)) {
        logs::add(tr("%1: bad I2C write of %2 bytes at address %3").arg(m_path).arg(length).arg(address), 3);
        return false;
    }
    if (length == 0)
        return true;
    // The kernel takes a non-const buffer even for writes.
    QByteArray copy(reinterpret_cast<const char *>(data), length);
    if (!transfer(address, false, reinterpret_cast<unsigned char *>(copy.data()), length))
        return false;
    *written = length;
    return true;
}

#include "platform/port/port.h"

#include "platform/logging/logs.h"
#include "platform/port/cportmanager.h"
#include "platform/port/cserialline.h"
#include "platform/port/igpiolines.h"
#include "platform/port/ii2cbus.h"
#include "platform/port/isubdevice.h"

#include <QStandardPaths>

namespace {

// What port::close() gives pending output before it closes a line.
constexpr int kCloseDrainMs = 500;

} // namespace

namespace port {

bool open_port(sIODevice &device)
{
    return cPortManager::instance().openUnit(device);
}

bool close_port(const sIODevice &device, int timeoutMs)
{
    return cPortManager::instance().closeUnit(device, timeoutMs);
}

void *calc_io_handle(const sIODevice &device)
{
    return cPortManager::instance().ioHandle(device);
}

int open(void *handle)
{
    const std::shared_ptr<iSubDevice> device = cPortManager::instance().find(handle);
    if (!device)
        return 0;
    QString error;
    if (!device->open(&error)) {
        logs::add(error, 3);
        return 0;
    }
    return 1;
}

int close(void *handle)
{
    const std::shared_ptr<iSubDevice> device = cPortManager::instance().find(handle);
    if (!device)
        return 0;
    device->close(kCloseDrainMs);
    cPortManager::instance().notifyClosed({handle});
    return 1;
}

int is_open(void *handle)
{
    const std::shared_ptr<iSubDevice> device = cPortManager::instance().find(handle);
    return device && device->isOpen() ? 1 : 0;
}

int flush(void *handle)
{
    const std::shared_ptr<cSerialLine> line = cPortManager::instance().findSerial(handle);
    return line && line->flush() ? 1 : 0;
}

int discard_output(void *handle)
{
    const std::shared_ptr<cSerialLine> line = cPortManager::instance().findSerial(handle);
    return line && line->discardOutput() ? 1 : 0;
}

int set_baud_rate(void *handle, unsigned int rate)
{
    const std::shared_ptr<cSerialLine> line = cPortManager::instance().findSerial(handle);
    return line && line->setBaudRate(rate) ? 1 : 0;
}

int read(void *handle, void *buffer, int capacity, int *count, int timeoutMs)
{
    if (count)
        *count = 0;
    const std::shared_ptr<cSerialLine> line = cPortManager::instance().findSerial(handle);
    return line && line->read(buffer, capacity, count, timeoutMs) ? 1 : 0;
}

int write(void *handle, const void *data, int length, int *count)
{
    if (count)
        *count = 0;
    const std::shared_ptr<cSerialLine> line = cPortManager::instance().findSerial(handle);
    return line && line->write(data, length, count) ? 1 : 0;
}

int gpio_get_state(void *handle, const char *name, unsigned char *state)
{
    if (state)
        *state = 0;
    const std::shared_ptr<iGpioLines> lines = cPortManager::instance().findGpio(handle);
    if (!lines || !name)
        return 0;
    bool value = false;
    if (!lines->getState(QByteArray(name), &value))
        return 0;
    if (state)
        *state = value ? 1 : 0;
    return 1;
}

int gpio_set_state(void *handle, const char *name, unsigned char state)
{
    const std::shared_ptr<iGpioLines> lines = cPortManager::instance().findGpio(handle);
    if (!lines || !name)
        return 0;
    return lines->setState(QByteArray(name), state != 0) ? 1 : 0;
}

int i2c_read(void *handle, unsigned char address, void *buffer, int count, int *readCount)
{
    int got = 0;
    if (readCount)
        *readCount = 0;
    const std::shared_ptr<iI2cBus> bus = cPortManager::instance().findI2c(handle);
    if (!bus)
        return 0;
    const bool ok = bus->read(address, static_cast<unsigned char *>(buffer), count, &got);
    if (readCount)
        *readCount = got;
    return ok ? 1 : 0;
}

int i2c_write(void *handle, unsigned char address, const void *data, int length, int *written)
{
    int done = 0;
    if (written)
        *written = 0;
    const std::shared_ptr<iI2cBus> bus = cPortManager::instance().findI2c(handle);
    if (!bus)
        return 0;
    const bool ok = bus->write(address, static_cast<const unsigned char *>(data), length, &done);
    if (written)
        *written = done;
    return ok ? 1 : 0;
}

QList<sIODevice> enumerate()
{
    return cPortManager::instance().enumerate();
}

void registerUnit(const sIODevice &device)
{
    cPortManager::instance().registerUnit(device);
}

void unregisterUnit(const QString &id)
{
    cPortManager::instance().unregisterUnit(id);
}

void addCloseListener(std::function<void(void *handle)> listener)
{
    cPortManager::instance().addCloseListener(std::move(listener));
}

QString adapterFilePath()
{
    const QString overridden = qEnvironmentVariable("ZOVAN_ADAPTERS");
    if (!overridden.isEmpty())
        return overridden;
    return QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation) + QStringLiteral("/adapters.ini");
}

} // namespace port

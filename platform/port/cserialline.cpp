#include "platform/port/cserialline.h"

#include "platform/logging/logs.h"

#include <QCoreApplication>

#include <chrono>
#include <thread>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

struct sSpeed
{
    unsigned int rate;
    speed_t code;
};

const sSpeed kSpeeds[] = {
    {50, B50}, {75, B75}, {110, B110}, {134, B134}, {150, B150}, {200, B200}, {300, B300},
    {600, B600}, {1200, B1200}, {1800, B1800}, {2400, B2400}, {4800, B4800}, {9600, B9600},
    {19200, B19200}, {38400, B38400}, {57600, B57600}, {115200, B115200}, {230400, B230400},
    {460800, B460800}, {500000, B500000}, {576000, B576000}, {921600, B921600},
    {1000000, B1000000}, {1152000, B1152000}, {1500000, B1500000}, {2000000, B2000000},
    {2500000, B2500000}, {3000000, B3000000}, {3500000, B3500000}, {4000000, B4000000},
};

bool speedCode(unsigned int rate, speed_t *code)
{
    for (const sSpeed &s : kSpeeds) {
        if (s.rate == rate) {
            *code = s.code;
            return true;
        }
    }
    return false;
}

QString errnoText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

QString tr(const char *text)
{
    return QCoreApplication::translate("port", text);
}

int remainingMs(Clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

void clearWake(int fd)
{
    eventfd_t value = 0;
    eventfd_read(fd, &value);
}

} // namespace

cSerialLine::cSerialLine(const QString &path, unsigned int baud)
    : m_path(path), m_localPath(path.toLocal8Bit()), m_baud(baud)
{
    m_readWake = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    m_writeWake = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
}

cSerialLine::~cSerialLine()
{
    close(0);
    if (m_readWake >= 0)
        ::close(m_readWake);
    if (m_writeWake >= 0)
        ::close(m_writeWake);
}

QString cSerialLine::id() const
{
    return m_path;
}

bool cSerialLine::isSupportedBaudRate(unsigned int rate)
{
    speed_t code;
    return speedCode(rate, &code);
}

bool cSerialLine::configure(int fd, unsigned int baud, QString *error) const
{
    speed_t code;
    if (!speedCode(baud, &code)) {
        *error = tr("unsupported baud rate %1").arg(baud);
        return false;
    }
    termios tio {};
    if (tcgetattr(fd, &tio) != 0) {
        *error = tr("cannot read the line settings (%1)").arg(errnoText(errno));
        return false;
    }
    cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    tio.c_cflag &= ~(CSTOPB | CRTSCTS | PARENB);
    tio.c_iflag &= ~(IXON | IXOFF | IXANY);
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
    cfsetspeed(&tio, code);
    if (tcsetattr(fd, TCSANOW, &tio) != 0) {
        *error = tr("cannot apply the line settings (%1)").arg(errnoText(errno));
        return false;
    }
    return true;
}

bool cSerialLine::open(QString *error)
{
    std::unique_lock<std::shared_mutex> lock(m_stateLock);
    if (m_fd >= 0 && !m_hungUp)
        return true;
    if (m_fd >= 0)
        closeFdLocked(0);
    if (m_readWake < 0 || m_writeWake < 0) {
        *error = tr("%1 cannot be opened: out of file descriptors").arg(m_path);
        return false;
    }
    const int fd = ::open(m_localPath.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        *error = tr("%1 cannot be opened (%2)").arg(m_path, errnoText(errno));
        return false;
    }
    // Root passes TIOCEXCL, so the advisory lock is what keeps two programs apart.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int err = errno;
        ::close(fd);
        *error = tr("%1 is already open by another program (%2)").arg(m_path, errnoText(err));
        return false;
    }
    ioctl(fd, TIOCEXCL);
    if (!configure(fd, m_baud, error)) {
        ::close(fd);
        *error = tr("%1 cannot be opened: %2").arg(m_path, *error);
        return false;
    }
    // What the unit sent while nobody held the line (a late answer frame, half a log line)
    // belongs to no reader of this open.
    tcflush(fd, TCIFLUSH);
    m_fd = fd;
    m_hungUp = false;
    return true;
}

void cSerialLine::closeFdLocked(int drainMs)
{
    if (m_fd < 0)
        return;
    if (!m_hungUp && drainMs > 0) {
        // tcdrain() has no time-out; watch the output queue instead.
        const auto deadline = Clock::now() + std::chrono::milliseconds(drainMs);
        int pending = 0;
        while (ioctl(m_fd, TIOCOUTQ, &pending) == 0 && pending > 0 && Clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    // Whatever did not leave in time is dropped, so that close() cannot wait on the driver.
    tcflush(m_fd, TCOFLUSH);
    // The exclusive flag belongs to the terminal, not to our descriptor: a terminal that
    // someone else keeps open (the simulated unit does) would stay closed to other users.
    ioctl(m_fd, TIOCNXCL);
    ::close(m_fd);
    m_fd = -1;
}

void cSerialLine::close(int drainMs)
{
    m_closing = true;
    if (m_readWake >= 0)
        eventfd_write(m_readWake, 1);
    std::unique_lock<std::shared_mutex> lock(m_stateLock, std::defer_lock);
    const auto start = Clock::now();
    const auto writeDeadline = start + std::chrono::milliseconds(drainMs > 0 ? drainMs : 0);
    // Let a write in progress finish within the drain time before cutting it off. Polled
    // with try_lock() rather than a timed lock: the sanitizers do not see timed rwlocks.
    while (!lock.try_lock()) {
        if (Clock::now() >= writeDeadline) {
            if (m_writeWake >= 0)
                eventfd_write(m_writeWake, 1);
            lock.lock();
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    const int left = drainMs - static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                     Clock::now() - start).count());
    closeFdLocked(left);
    if (m_readWake >= 0)
        clearWake(m_readWake);
    if (m_writeWake >= 0)
        clearWake(m_writeWake);
    m_hungUp = false;
    m_closing = false;
}

bool cSerialLine::isOpen() const
{
    if (m_closing)
        return false;
    std::shared_lock<std::shared_mutex> lock(m_stateLock);
    return m_fd >= 0 && !m_hungUp;
}

void cSerialLine::markHungUp(const char *operation, int error)
{
    if (!m_hungUp.exchange(true)) {
        logs::add(tr("%1 was disconnected (%2: %3)")
                      .arg(m_path, QString::fromLatin1(operation), errnoText(error)),
                  3);
    }
}

bool cSerialLine::read(void *buffer, int capacity, int *count, int timeoutMs)
{
    if (count)
        *count = 0;
    if (capacity < 0 || (capacity > 0 && !buffer))
        return false;
    std::lock_guard<std::mutex> readLock(m_readLock);
    if (m_closing)
        return false;
    std::shared_lock<std::shared_mutex> lock(m_stateLock);
    if (m_fd < 0 || m_hungUp)
        return false;
    if (capacity == 0)
        return true;

    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs > 0 ? timeoutMs : 0);
    for (;;) {
        pollfd fds[2] = {{m_fd, POLLIN, 0}, {m_readWake, POLLIN, 0}};
        const int ready = ::poll(fds, 2, remainingMs(deadline));
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            logs::add(tr("%1: waiting for data failed (%2)").arg(m_path, errnoText(errno)), 3);
            return false;
        }
        if (fds[1].revents)
            return false;
        if (fds[0].revents & POLLNVAL) {
            markHungUp("poll", EBADF);
            return false;
        }
        if (fds[0].revents) {
            const ssize_t n = ::read(m_fd, buffer, static_cast<size_t>(capacity));
            if (n > 0) {
                if (count)
                    *count = static_cast<int>(n);
                return true;
            }
            if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
                if (remainingMs(deadline) == 0)
                    return true;
                continue;
            }
            // End of file on a terminal means it was hung up (unplugged, or the other side closed).
            markHungUp("read", n < 0 ? errno : EIO);
            return false;
        }
        if (ready == 0 || remainingMs(deadline) == 0)
            return true;
    }
}

bool cSerialLine::write(const void *data, int length, int *count)
{
    if (count)
        *count = 0;
    if (length < 0 || (length > 0 && !data))
        return false;
    std::lock_guard<std::mutex> writeLock(m_writeLock);
    if (m_closing)
        return false;
    std::shared_lock<std::shared_mutex> lock(m_stateLock);
    if (m_fd < 0 || m_hungUp)
        return false;

    const char *bytes = static_cast<const char *>(data);
    int done = 0;
    while (done < length) {
        const ssize_t n = ::write(m_fd, bytes + done, static_cast<size_t>(length - done));
        if (n > 0) {
            done += static_cast<int>(n);
            if (count)
                *count = done;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EAGAIN) {
            pollfd fds[2] = {{m_fd, POLLOUT, 0}, {m_writeWake, POLLIN, 0}};
            const int ready = ::poll(fds, 2, kWriteStallMs);
            if (ready < 0 && errno == EINTR)
                continue;
            if (ready < 0) {
                logs::add(tr("%1: waiting to write failed (%2)").arg(m_path, errnoText(errno)), 3);
                return false;
            }
            if (ready == 0) {
                logs::add(tr("%1: write timed out after %2 of %3 bytes").arg(m_path).arg(done).arg(length), 3);
                return false;
            }
            if (fds[1].revents)
                return false;
            if (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) {
                markHungUp("write", EIO);
                return false;
            }
            continue;
        }
        const int err = n < 0 ? errno : EIO;
        if (err == EIO || err == ENXIO || err == ENODEV || err == EBADF)
            markHungUp("write", err);
        else
            logs::add(tr("%1: write failed (%2)").arg(m_path, errnoText(err)), 3);
        return false;
    }
    return true;
}

bool cSerialLine::flush()
{
    if (m_closing)
        return false;
    std::shared_lock<std::shared_mutex> lock(m_stateLock);
    if (m_fd < 0 || m_hungUp)
        return false;
    return tcflush(m_fd, TCIFLUSH) == 0;
}

bool cSerialLine::discardOutput()
{
    if (m_closing)
        return false;
    std::shared_lock<std::shared_mutex> lock(m_stateLock);
    if (m_fd < 0 || m_hungUp)
        return false;
    return tcflush(m_fd, TCOFLUSH) == 0;
}

bool cSerialLine::setBaudRate(unsigned int rate)
{
    if (!isSupportedBaudRate(rate)) {
        logs::add(tr("%1: unsupported baud rate %2").arg(m_path).arg(rate), 3);
        return false;
    }
    if (m_closing)
        return false;
    std::shared_lock<std::shared_mutex> lock(m_stateLock);
    if (m_fd < 0 || m_hungUp)
        return false;
    QString error;
    if (!configure(m_fd, rate, &error)) {
        logs::add(tr("%1: %2").arg(m_path, error), 3);
        return false;
    }
    m_baud = rate;
    return true;
}

#include "ctestline.h"

#include <QElapsedTimer>
#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

cTestLine::~cTestLine()
{
    close();
}

bool cTestLine::open(const QString &path)
{
    close();
    m_fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m_fd < 0)
        return false;
    termios tio {};
    if (::tcgetattr(m_fd, &tio) != 0) {
        close();
        return false;
    }
    ::cfmakeraw(&tio);
    ::tcsetattr(m_fd, TCSANOW, &tio);
    return true;
}

void cTestLine::close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

int cTestLine::write(const char *data, int length)
{
    if (m_fd < 0)
        return -1;
    int done = 0;
    QElapsedTimer timer;
    timer.start();
    while (done < length && timer.elapsed() < 5000) {
        const ssize_t n = ::write(m_fd, data + done, size_t(length - done));
        if (n > 0) {
            done += int(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR)
            return done > 0 ? done : -1;
        pollfd p {m_fd, POLLOUT, 0};
        ::poll(&p, 1, 50);
    }
    return done;
}

int cTestLine::read(char *buffer, int capacity, int timeoutMs)
{
    if (m_fd < 0)
        return -1;
    pollfd p {m_fd, POLLIN, 0};
    const int r = ::poll(&p, 1, timeoutMs);
    if (r < 0)
        return errno == EINTR ? 0 : -1;
    if (r == 0)
        return 0;
    const ssize_t n = ::read(m_fd, buffer, size_t(capacity));
    if (n > 0)
        return int(n);
    if (n < 0 && (errno == EAGAIN || errno == EINTR))
        return 0;
    return -1;   // EIO or end of file: the other end is gone
}

void cTestLine::discardOutput()
{
    if (m_fd >= 0)
        ::tcflush(m_fd, TCOFLUSH);
}

bool cTestLine::writeAll(const QByteArray &bytes)
{
    return write(bytes.constData(), int(bytes.size())) == bytes.size();
}

QByteArray cTestLine::readFor(int ms)
{
    QByteArray out;
    QElapsedTimer timer;
    timer.start();
    char buf[65536];
    for (qint64 left = ms; left > 0; left = ms - timer.elapsed()) {
        const int n = read(buf, int(sizeof buf), int(left));
        if (n < 0)
            break;
        out.append(buf, n);
    }
    return out;
}

bool cTestLine::readUntil(const QByteArray &needle, int ms, QByteArray *seen)
{
    QByteArray out;
    QElapsedTimer timer;
    timer.start();
    char buf[65536];
    bool found = false;
    for (qint64 left = ms; left > 0 && !found; left = ms - timer.elapsed()) {
        const int n = read(buf, int(sizeof buf), int(qMin<qint64>(left, 50)));
        if (n < 0)
            break;
        out.append(buf, n);
        found = out.contains(needle);
    }
    if (seen)
        *seen = out;
    return found;
}

QByteArray cTestLine::readUntilHangup(int ms, bool *hungUp)
{
    QByteArray out;
    QElapsedTimer timer;
    timer.start();
    char buf[65536];
    *hungUp = false;
    for (qint64 left = ms; left > 0; left = ms - timer.elapsed()) {
        const int n = read(buf, int(sizeof buf), int(qMin<qint64>(left, 50)));
        if (n < 0) {
            *hungUp = true;
            break;
        }
        out.append(buf, n);
    }
    return out;
}

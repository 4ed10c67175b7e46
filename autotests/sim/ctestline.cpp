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
    if (m_fd >= 0)
        ::close(m_fd);
}

bool cTestLine::open(const QString &path)
{
    m_fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    termios tio {};
    if (m_fd < 0 || ::tcgetattr(m_fd, &tio) != 0)
        return false;
    ::cfmakeraw(&tio);
    return ::tcsetattr(m_fd, TCSANOW, &tio) == 0;
}

int cTestLine::write(const char *data, int length)
{
    int done = 0;
    QElapsedTimer timer;
    timer.start();
    while (m_fd >= 0 && done < length && timer.elapsed() < 5000) {
        const ssize_t n = ::write(m_fd, data + done, size_t(length - done));
        if (n > 0) {
            done += int(n);
        } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
            return done > 0 ? done : -1;
        } else {
            pollfd p {m_fd, POLLOUT, 0};
            ::poll(&p, 1, 50);
        }
    }
    return m_fd >= 0 ? done : -1;
}

int cTestLine::read(char *buffer, int capacity, int timeoutMs)
{
    if (m_fd < 0)
        return -1;
    pollfd p {m_fd, POLLIN, 0};
    const int r = ::poll(&p, 1, timeoutMs);
    if (r <= 0)
        return r < 0 && errno != EINTR ? -1 : 0;
    const ssize_t n = ::read(m_fd, buffer, size_t(capacity));
    if (n < 0 && (errno == EAGAIN || errno == EINTR))
        return 0;
    return n > 0 ? int(n) : -1;   // EIO or end of file: the unit has hung up
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

bool cTestLine::collect(int ms, const QByteArray &needle, QByteArray *out)
{
    QElapsedTimer timer;
    timer.start();
    char buf[65536];
    for (qint64 left = ms; left > 0; left = ms - timer.elapsed()) {
        const int n = read(buf, int(sizeof buf), int(qMin<qint64>(left, 50)));
        if (n < 0)
            return true;
        out->append(buf, n);
        if (!needle.isEmpty() && out->contains(needle))
            break;
    }
    return false;
}

QByteArray cTestLine::readFor(int ms, bool *hungUp)
{
    QByteArray out;
    const bool gone = collect(ms, QByteArray(), &out);
    if (hungUp)
        *hungUp = gone;
    return out;
}

bool cTestLine::readUntil(const QByteArray &needle, int ms, QByteArray *seen)
{
    QByteArray out;
    collect(ms, needle, &out);
    const bool found = out.contains(needle);
    if (seen)
        *seen = out;
    return found;
}

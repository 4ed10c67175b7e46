#pragma once

#include "simtestio.h"

#include "platform/link/ilinktransport.h"

#include <QFile>

#include <termios.h>

/** The host's end of a unit's line, opened as any program would (raw termios), and a link transport. */
class cTestLine final : public iLinkTransport
{
public:
    cTestLine() = default;
    ~cTestLine() override { if (m_fd >= 0) ::close(m_fd); }
    Q_DISABLE_COPY_MOVE(cTestLine)

    bool open(const QString &path)
    {
        m_fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        termios tio {};
        if (m_fd < 0 || ::tcgetattr(m_fd, &tio) != 0)
            return false;
        ::cfmakeraw(&tio);
        return ::tcsetattr(m_fd, TCSANOW, &tio) == 0;
    }
    bool writeAll(const QByteArray &bytes) { return write(bytes.constData(), int(bytes.size())) == bytes.size(); }
    /** Everything that arrives within ms, or until needle has or the line goes away. */
    QByteArray readFor(int ms, const QByteArray &needle = {})
    {
        QByteArray out;
        QElapsedTimer timer;
        timer.start();
        for (qint64 left = ms; left > 0 && (needle.isEmpty() || !out.contains(needle)); left = ms - timer.elapsed()) {
            if (!testDrain(m_fd, int(qMin<qint64>(left, 50)), &out))
                break;
        }
        return out;
    }
    bool readUntil(const QByteArray &needle, int ms) { return readFor(ms, needle).contains(needle); }

    int write(const char *data, int length) override
    {
        int done = 0;
        QElapsedTimer timer;
        timer.start();
        for (pollfd p {m_fd, POLLOUT, 0}; done < length && timer.elapsed() < 5000; ::poll(&p, 1, 50)) {
            if (const ssize_t n = ::write(m_fd, data + done, size_t(length - done)); n > 0)
                done += int(n);
            else if (errno != EAGAIN && errno != EINTR)
                return done > 0 ? done : -1;
        }
        return done;
    }
    int read(char *buffer, int capacity, int timeoutMs) override
    {
        pollfd p {m_fd, POLLIN, 0};
        if (const int r = ::poll(&p, 1, timeoutMs); r <= 0)
            return r < 0 && errno != EINTR ? -1 : 0;
        const ssize_t n = ::read(m_fd, buffer, size_t(capacity));
        if (n < 0 && (errno == EAGAIN || errno == EINTR))
            return 0;
        return n > 0 ? int(n) : -1;
    }
    void discardOutput() override { ::tcflush(m_fd, TCOFLUSH); }

private:
    int m_fd = -1;
};

#pragma once

// The host's side of a simulated unit, built on plain system calls: its line, its adapter socket
// and its program. (QProcess starts children in a way thread-sanitizer builds cannot follow.)

#include "platform/link/ilinktransport.h"

#include <QElapsedTimer>
#include <QFile>
#include <QStringList>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

// Appends what fd holds, waiting up to ms for the first bytes; false once the other end is gone.
inline bool testDrain(int fd, int ms, QByteArray *out)
{
    char buf[65536];
    for (pollfd p {fd, POLLIN, 0}; ::poll(&p, 1, ms) > 0; ms = 0) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n <= 0)
            return n < 0 && (errno == EAGAIN || errno == EINTR);   // EIO or end of file: hung up
        out->append(buf, qsizetype(n));
    }
    return true;
}

// The next line in buffer (filled from fd for up to ms) without its "\n"; empty when none came.
inline QByteArray testTakeLine(int fd, int ms, QByteArray *buffer)
{
    QElapsedTimer timer;
    timer.start();
    while (!buffer->contains('\n') && timer.elapsed() < ms && testDrain(fd, 50, buffer)) {}
    const qsizetype nl = buffer->indexOf('\n');
    const QByteArray line = buffer->left(nl < 0 ? 0 : nl);
    buffer->remove(0, nl + 1);
    return line;
}

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

/** A plain client of the unit's adapter socket: request lines out, answer lines back. */
class cTestAdapterClient
{
public:
    cTestAdapterClient() = default;
    ~cTestAdapterClient() { if (m_fd >= 0) ::close(m_fd); }
    Q_DISABLE_COPY_MOVE(cTestAdapterClient)

    bool connectTo(const QString &path)
    {
        const QByteArray native = QFile::encodeName(path);
        sockaddr_un addr {};
        if (native.isEmpty() || size_t(native.size()) >= sizeof addr.sun_path)
            return false;
        addr.sun_family = AF_UNIX;
        std::memcpy(addr.sun_path, native.constData(), size_t(native.size()));
        m_fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        return m_fd >= 0 && ::connect(m_fd, reinterpret_cast<const sockaddr *>(&addr), sizeof addr) == 0;
    }
    /** Sends the bytes as they are (add "\n" yourself). */
    bool send(const QByteArray &bytes)
    {
        for (qsizetype done = 0, n = 0; done < bytes.size(); done += n) {
            n = ::send(m_fd, bytes.constData() + done, size_t(bytes.size() - done), MSG_NOSIGNAL);
            if (n <= 0)
                return false;
        }
        return true;
    }
    /** The next answer line without its "\n"; empty after 3 s without one. */
    QByteArray answer() { return testTakeLine(m_fd, 3000, &m_in); }
    QByteArray request(const QByteArray &line) { return send(line + '\n') ? answer() : QByteArray(); }

private:
    int m_fd = -1;
    QByteArray m_in;
};

/** Runs a program with pipes on its standard output and error. */
class cTestProgram
{
public:
    cTestProgram() = default;
    ~cTestProgram()
    {
        if (m_pid > 0 && ::kill(m_pid, SIGKILL) == 0)
            ::waitpid(m_pid, nullptr, 0);
        for (int fd : m_fds)
            ::close(fd);
    }
    Q_DISABLE_COPY_MOVE(cTestProgram)

    bool start(const QString &program, const QStringList &arguments)
    {
        int out[2], err[2];
        if (::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0)
            return false;
        // Prepared before fork: the child only calls async-signal-safe functions.
        std::vector<QByteArray> storage {QFile::encodeName(program)};
        for (const QString &a : arguments)
            storage.push_back(a.toLocal8Bit());
        std::vector<char *> argv;
        for (QByteArray &s : storage)
            argv.push_back(s.data());
        argv.push_back(nullptr);
        if ((m_pid = ::fork()) == 0) {
            ::dup2(out[1], 1);
            ::dup2(err[1], 2);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        ::close(out[1]);
        ::close(err[1]);
        m_fds[0] = out[0];
        m_fds[1] = err[0];
        return m_pid > 0;
    }
    /** One line of standard output without its "\n"; empty when none came within ms. */
    QByteArray readLine(int ms) { return testTakeLine(m_fds[0], ms, &m_texts[0]); }
    void terminate() { if (m_pid > 0) ::kill(m_pid, SIGTERM); }
    /** Waits up to ms for the end; the exit code, or -1 when it ended by a signal or still runs. */
    int waitForExitCode(int ms)
    {
        QElapsedTimer timer;
        timer.start();
        for (int status = 0; timer.elapsed() < ms;) {
            const bool ended = ::waitpid(m_pid, &status, WNOHANG) == m_pid;
            // Drained on the way, so a chatty program never blocks on a full pipe; to the end once it has gone.
            testDrain(m_fds[0], 0, &m_texts[0]);
            testDrain(m_fds[1], ended ? 0 : 20, &m_texts[1]);
            if (ended) {
                m_pid = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
        }
        return -1;
    }
    QByteArray standardOutput() const { return m_texts[0]; }
    QByteArray standardError() const { return m_texts[1]; }

private:
    pid_t m_pid = -1;
    int m_fds[2] = {-1, -1};
    QByteArray m_texts[2];
};

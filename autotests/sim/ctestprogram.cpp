#include "ctestprogram.h"

#include <QElapsedTimer>
#include <QFile>

#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

cTestProgram::~cTestProgram()
{
    if (m_pid > 0) {
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, nullptr, 0);
    }
    for (int fd : m_fds) {
        if (fd >= 0)
            ::close(fd);
    }
}

bool cTestProgram::start(const QString &program, const QStringList &arguments)
{
    int out[2] = {-1, -1};
    int err[2] = {-1, -1};
    if (::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0)
        return false;
    // Everything exec needs is prepared before fork: the child only calls async-signal-safe functions.
    std::vector<QByteArray> storage {QFile::encodeName(program)};
    for (const QString &a : arguments)
        storage.push_back(a.toLocal8Bit());
    std::vector<char *> argv;
    for (QByteArray &s : storage)
        argv.push_back(s.data());
    argv.push_back(nullptr);

    m_pid = ::fork();
    if (m_pid == 0) {
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

// Appends what the pipe holds, waiting up to ms for the first bytes; returns all collected so far.
QByteArray cTestProgram::drain(int stream, int ms)
{
    char buf[4096];
    for (pollfd p {m_fds[stream], POLLIN, 0}; p.fd >= 0 && ::poll(&p, 1, ms) > 0; ms = 0) {
        const ssize_t n = ::read(p.fd, buf, sizeof buf);
        if (n <= 0)
            break;
        m_texts[stream].append(buf, qsizetype(n));
    }
    return m_texts[stream];
}

QByteArray cTestProgram::readLine(int ms)
{
    QElapsedTimer timer;
    timer.start();
    while (!m_texts[0].contains('\n') && timer.elapsed() < ms)
        drain(0, 50);
    const qsizetype nl = m_texts[0].indexOf('\n');
    const QByteArray line = nl < 0 ? QByteArray() : m_texts[0].left(nl);
    m_texts[0].remove(0, nl + 1);
    return line;
}

void cTestProgram::terminate()
{
    if (m_pid > 0)
        ::kill(m_pid, SIGTERM);
}

int cTestProgram::waitForExitCode(int ms)
{
    QElapsedTimer timer;
    timer.start();
    while (m_pid > 0 && timer.elapsed() < ms) {
        // Drained on the way, so a chatty program never blocks on a full pipe.
        drain(0, 0);
        drain(1, 20);
        int status = 0;
        if (::waitpid(m_pid, &status, WNOHANG) == m_pid) {
            m_pid = -1;
            return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
    }
    return -1;
}

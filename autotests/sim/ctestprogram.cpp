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
        waitForFinished(3000);
    }
    for (int fd : {m_out, m_err}) {
        if (fd >= 0)
            ::close(fd);
    }
}

bool cTestProgram::start(const QString &program, const QStringList &arguments)
{
    int out[2];
    int err[2];
    if (::pipe2(out, O_CLOEXEC) != 0)
        return false;
    if (::pipe2(err, O_CLOEXEC) != 0) {
        ::close(out[0]);
        ::close(out[1]);
        return false;
    }
    // Everything exec needs is prepared before fork: the child only calls async-signal-safe functions.
    std::vector<QByteArray> storage {QFile::encodeName(program)};
    for (const QString &a : arguments)
        storage.push_back(a.toLocal8Bit());
    std::vector<char *> argv;
    for (QByteArray &s : storage)
        argv.push_back(s.data());
    argv.push_back(nullptr);

    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(out[1], 1);
        ::dup2(err[1], 2);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(out[1]);
    ::close(err[1]);
    m_pid = pid;
    m_out = out[0];
    m_err = err[0];
    return pid > 0;
}

// Appends what the pipe holds, waiting up to ms for the first bytes; returns all collected so far.
QByteArray cTestProgram::drain(int fd, QByteArray *into, int ms)
{
    char buf[4096];
    for (pollfd p {fd, POLLIN, 0}; fd >= 0 && ::poll(&p, 1, ms) > 0; ms = 0) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n <= 0)
            break;
        into->append(buf, qsizetype(n));
    }
    return *into;
}

QByteArray cTestProgram::readLine(int ms)
{
    QElapsedTimer timer;
    timer.start();
    while (!m_outText.contains('\n') && timer.elapsed() < ms)
        drain(m_out, &m_outText, 50);
    const qsizetype nl = m_outText.indexOf('\n');
    const QByteArray line = nl < 0 ? QByteArray() : m_outText.left(nl);
    m_outText.remove(0, nl + 1);
    return line;
}

void cTestProgram::terminate()
{
    if (m_pid > 0)
        ::kill(m_pid, SIGTERM);
}

bool cTestProgram::waitForFinished(int ms)
{
    QElapsedTimer timer;
    timer.start();
    while (m_pid > 0) {
        drain(m_out, &m_outText);
        drain(m_err, &m_errText);
        int status = 0;
        const pid_t r = ::waitpid(m_pid, &status, WNOHANG);
        if (r == m_pid) {
            m_exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            m_pid = -1;
        } else if (r < 0 || timer.elapsed() >= ms) {
            return false;
        } else {
            ::usleep(20 * 1000);
        }
    }
    return true;
}

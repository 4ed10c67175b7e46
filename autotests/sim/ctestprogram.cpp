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
    if (m_pid > 0 && m_exitCode < 0) {
        ::kill(m_pid, SIGKILL);
        waitForFinished(3000);
    }
    if (m_out >= 0)
        ::close(m_out);
    if (m_err >= 0)
        ::close(m_err);
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
    std::vector<QByteArray> storage;
    storage.push_back(QFile::encodeName(program));
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
    if (pid < 0) {
        ::close(out[0]);
        ::close(err[0]);
        return false;
    }
    m_pid = pid;
    m_out = out[0];
    m_err = err[0];
    return true;
}

void cTestProgram::drain(int fd, QByteArray *into)
{
    if (fd < 0)
        return;
    char buf[4096];
    for (;;) {
        pollfd p {fd, POLLIN, 0};
        if (::poll(&p, 1, 0) <= 0)
            return;
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n <= 0)
            return;
        into->append(buf, qsizetype(n));
    }
}

QByteArray cTestProgram::readLine(int ms)
{
    QElapsedTimer timer;
    timer.start();
    while (!m_outText.contains('\n') && timer.elapsed() < ms) {
        pollfd p {m_out, POLLIN, 0};
        if (::poll(&p, 1, 50) > 0) {
            char buf[4096];
            const ssize_t n = ::read(m_out, buf, sizeof buf);
            if (n <= 0)
                break;
            m_outText.append(buf, qsizetype(n));
        }
    }
    const qsizetype nl = m_outText.indexOf('\n');
    if (nl < 0)
        return QByteArray();
    const QByteArray line = m_outText.left(nl);
    m_outText.remove(0, nl + 1);
    return line;
}

void cTestProgram::terminate()
{
    if (m_pid > 0 && m_exitCode < 0)
        ::kill(m_pid, SIGTERM);
}

bool cTestProgram::waitForFinished(int ms)
{
    if (m_pid <= 0)
        return false;
    QElapsedTimer timer;
    timer.start();
    for (;;) {
        drain(m_out, &m_outText);
        drain(m_err, &m_errText);
        int status = 0;
        const pid_t r = ::waitpid(m_pid, &status, WNOHANG);
        if (r == m_pid) {
            m_exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            drain(m_out, &m_outText);
            drain(m_err, &m_errText);
            m_pid = -1;
            return true;
        }
        if (r < 0 || timer.elapsed() >= ms)
            return false;
        ::usleep(20 * 1000);
    }
}

QByteArray cTestProgram::standardOutput()
{
    drain(m_out, &m_outText);
    return m_outText;
}

QByteArray cTestProgram::standardError()
{
    drain(m_err, &m_errText);
    return m_errText;
}

#pragma once

#include "simtestio.h"

#include <QStringList>

#include <csignal>
#include <sys/wait.h>
#include <vector>

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

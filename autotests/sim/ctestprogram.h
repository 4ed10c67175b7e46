#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <sys/types.h>

/**
 * Runs a program with fork and exec, with pipes on its standard output and error. (QProcess
 * starts children in a way that thread-sanitizer builds cannot follow.)
 */
class cTestProgram
{
public:
    cTestProgram() = default;
    ~cTestProgram();
    Q_DISABLE_COPY_MOVE(cTestProgram)

    bool start(const QString &program, const QStringList &arguments);
    /** One line of standard output without its "\n"; empty when none came within ms. */
    QByteArray readLine(int ms);
    void terminate();
    /** Waits up to ms for the end; the exit code, or -1 when it ended by a signal or still runs. */
    int waitForExitCode(int ms);
    QByteArray standardOutput() { return drain(0, 0); }
    QByteArray standardError() { return drain(1, 0); }

private:
    QByteArray drain(int stream, int ms);

    pid_t m_pid = -1;
    int m_fds[2] = {-1, -1};
    QByteArray m_texts[2];
};

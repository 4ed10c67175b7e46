#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <sys/types.h>

/**
 * Runs a program with fork and exec and pipes on its standard output and error. (QProcess
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
    /** Waits for the end; false when the program still runs after ms. */
    bool waitForFinished(int ms);
    /** The exit code, or -1 when it ended by a signal or has not ended. */
    int exitCode() const { return m_exitCode; }
    QByteArray standardOutput();
    QByteArray standardError();

private:
    void drain(int fd, QByteArray *into);

    pid_t m_pid = -1;
    int m_out = -1;
    int m_err = -1;
    int m_exitCode = -1;
    QByteArray m_outText;
    QByteArray m_errText;
};

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
    /** Waits for the end; false when the program still runs after ms. */
    bool waitForFinished(int ms);
    /** The exit code, or -1 when it ended by a signal or has not ended. */
    int exitCode() const { return m_exitCode; }
    QByteArray standardOutput() { return drain(m_out, &m_outText); }
    QByteArray standardError() { return drain(m_err, &m_errText); }

private:
    static QByteArray drain(int fd, QByteArray *into, int ms = 0);

    pid_t m_pid = -1;
    int m_out = -1;
    int m_err = -1;
    int m_exitCode = -1;
    QByteArray m_outText;
    QByteArray m_errText;
};

#pragma once

#include "platform/link/ilinktransport.h"

#include <QByteArray>
#include <QString>

/**
 * The host's end of a simulated unit's line, opened as any program would: POSIX open and
 * raw termios on the pseudo-terminal path. Also a link transport, for framed requests.
 */
class cTestLine final : public iLinkTransport
{
public:
    cTestLine() = default;
    ~cTestLine() override;
    Q_DISABLE_COPY_MOVE(cTestLine)

    bool open(const QString &path);
    void close();
    int fd() const { return m_fd; }

    bool writeAll(const QByteArray &bytes);
    /** Everything that arrives within ms. */
    QByteArray readFor(int ms);
    /** Reads until needle has arrived or ms passed; everything read goes to seen. */
    bool readUntil(const QByteArray &needle, int ms, QByteArray *seen = nullptr);
    /** Reads until the line reports a hang-up or ms passed; returns the bytes read. */
    QByteArray readUntilHangup(int ms, bool *hungUp);

    int write(const char *data, int length) override;
    int read(char *buffer, int capacity, int timeoutMs) override;
    void discardOutput() override;

private:
    int m_fd = -1;
};

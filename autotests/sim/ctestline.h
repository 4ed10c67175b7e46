#pragma once

#include "platform/link/ilinktransport.h"

#include <QByteArray>
#include <QString>

/** The host's end of a simulated unit's line, opened as any program would (raw termios), and a link transport. */
class cTestLine final : public iLinkTransport
{
public:
    cTestLine() = default;
    ~cTestLine() override;
    Q_DISABLE_COPY_MOVE(cTestLine)

    bool open(const QString &path);
    bool writeAll(const QByteArray &bytes);
    /** Everything that arrives within ms; hungUp tells whether the line went away meanwhile. */
    QByteArray readFor(int ms, bool *hungUp = nullptr);
    /** Reads until needle has arrived or ms passed; everything read goes to seen. */
    bool readUntil(const QByteArray &needle, int ms, QByteArray *seen = nullptr);

    int write(const char *data, int length) override;
    int read(char *buffer, int capacity, int timeoutMs) override;
    void discardOutput() override;

private:
    bool collect(int ms, const QByteArray &needle, QByteArray *out);

    int m_fd = -1;
};

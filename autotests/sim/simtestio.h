#pragma once

// Reading a descriptor of a simulated unit (line, socket, pipe) with plain system calls: QProcess
// starts children in a way thread-sanitizer builds cannot follow, so these tests use none of it.

#include <QByteArray>
#include <QElapsedTimer>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

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

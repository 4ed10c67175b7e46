#include "platform/port/csimadapterlink.h"

#include <QCoreApplication>
#include <QHash>
#include <QMutex>

#include <chrono>

#include <cerrno>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

QString tr(const char *text)
{
    return QCoreApplication::translate("port", text);
}

QString errnoText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

int remainingMs(Clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

// Failures of a connection that the other end dropped since the last request.
bool isStaleConnection(int error)
{
    return error == EPIPE || error == ECONNRESET || error == ENOTCONN;
}

} // namespace

cSimAdapterLink::cSimAdapterLink(const QString &socketPath) : m_path(socketPath) {}

cSimAdapterLink::~cSimAdapterLink()
{
    disconnectLocked();
}

std::shared_ptr<cSimAdapterLink> cSimAdapterLink::shared(const QString &socketPath)
{
    static QMutex lock;
    static QHash<QString, std::weak_ptr<cSimAdapterLink>> links;
    QMutexLocker locker(&lock);
    std::shared_ptr<cSimAdapterLink> link = links.value(socketPath).lock();
    if (!link) {
        link = std::make_shared<cSimAdapterLink>(socketPath);
        links.insert(socketPath, link);
    }
    return link;
}

QString cSimAdapterLink::socketPath() const
{
    return m_path;
}

void cSimAdapterLink::disconnectLocked()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

bool cSimAdapterLink::connectLocked(int timeoutMs, QString *error)
{
    const QByteArray path = m_path.toLocal8Bit();
    sockaddr_un address {};
    if (path.isEmpty() || static_cast<size_t>(path.size()) >= sizeof(address.sun_path)) {
        *error = tr("bad socket path '%1'").arg(m_path);
        return false;
    }
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.constData(), static_cast<size_t>(path.size()));

    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        *error = tr("cannot create a socket (%1)").arg(errnoText(errno));
        return false;
    }
    if (::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof(address)) != 0) {
        int err = errno;
        if (err == EINPROGRESS || err == EAGAIN) {
            pollfd pfd {fd, POLLOUT, 0};
            const int ready = ::poll(&pfd, 1, timeoutMs);
            socklen_t len = sizeof(err);
            if (ready <= 0)
                err = ready == 0 ? ETIMEDOUT : errno;
            else if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len) != 0)
                err = errno;
        }
        if (err != 0) {
            ::close(fd);
            *error = tr("cannot connect to %1 (%2)").arg(m_path, errnoText(err));
            return false;
        }
    }
    m_fd = fd;
    return true;
}

bool cSimAdapterLink::connectNow(QString *error)
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_fd >= 0 || connectLocked(kRequestTimeoutMs, error);
}

bool cSimAdapterLink::request(const QByteArray &line, QByteArray *payload, QString *error)
{
    payload->clear();
    if (line.contains('\n') || line.contains('\r') || line.size() > kMaxLineLength) {
        *error = tr("malformed request");
        return false;
    }
    std::lock_guard<std::mutex> lock(m_lock);
    const auto deadline = Clock::now() + std::chrono::milliseconds(kRequestTimeoutMs);
    const QByteArray out = line + '\n';

    for (int attempt = 0; attempt < 2; ++attempt) {
        const bool fresh = m_fd < 0;
        if (fresh && !connectLocked(remainingMs(deadline), error))
            return false;

        int sent = 0;
        int failure = 0;
        while (sent < out.size() && failure == 0) {
            const ssize_t n = ::send(m_fd, out.constData() + sent, static_cast<size_t>(out.size() - sent),
                                     MSG_NOSIGNAL);
            if (n > 0) {
                sent += static_cast<int>(n);
            } else if (n < 0 && errno == EINTR) {
                continue;
            } else if (n < 0 && errno == EAGAIN) {
                pollfd pfd {m_fd, POLLOUT, 0};
                const int ready = ::poll(&pfd, 1, remainingMs(deadline));
                if (ready == 0)
                    failure = ETIMEDOUT;
                else if (ready < 0 && errno != EINTR)
                    failure = errno;
            } else {
                failure = n < 0 ? errno : EIO;
            }
        }
        if (failure != 0) {
            disconnectLocked();
            if (!fresh && sent == 0 && isStaleConnection(failure))
                continue;
            *error = tr("cannot send to %1 (%2)").arg(m_path, errnoText(failure));
            return false;
        }

        QByteArray answer;
        char chunk[4096];
        for (;;) {
            const int newline = answer.indexOf('\n');
            if (newline >= 0) {
                if (newline != answer.size() - 1)
                    disconnectLocked();   // more than one answer: out of step, start afresh
                answer.truncate(newline);
                if (answer.endsWith('\r'))
                    answer.chop(1);
                break;
            }
            if (answer.size() > kMaxLineLength) {
                disconnectLocked();
                *error = tr("answer from %1 is too long").arg(m_path);
                return false;
            }
            pollfd pfd {m_fd, POLLIN, 0};
            const int ready = ::poll(&pfd, 1, remainingMs(deadline));
            if (ready < 0 && errno == EINTR)
                continue;
            if (ready <= 0) {
                disconnectLocked();
                *error = ready == 0 ? tr("no answer from %1 within %2 ms").arg(m_path).arg(kRequestTimeoutMs)
                                    : tr("cannot read from %1 (%2)").arg(m_path, errnoText(errno));
                return false;
            }
            const ssize_t n = ::recv(m_fd, chunk, sizeof(chunk), 0);
            if (n > 0) {
                answer.append(chunk, static_cast<int>(n));
                continue;
            }
            if (n < 0 && (errno == EINTR || errno == EAGAIN))
                continue;
            const int err = n < 0 ? errno : ECONNRESET;
            disconnectLocked();
            if (!fresh && answer.isEmpty() && attempt == 0 && isStaleConnection(err)) {
                answer.clear();
                failure = err;
                break;
            }
            *error = tr("connection to %1 lost (%2)").arg(m_path, errnoText(err));
            return false;
        }
        if (failure != 0)
            continue;

        if (answer == "OK" || answer.startsWith("OK ")) {
            *payload = answer.mid(3);
            return true;
        }
        if (answer.startsWith("ERR")) {
            *error = QString::fromLatin1(answer.mid(4).trimmed());
            if (error->isEmpty())
                *error = tr("request refused");
            return false;
        }
        disconnectLocked();
        *error = tr("unexpected answer '%1'").arg(QString::fromLatin1(answer.left(80)));
        return false;
    }
    *error = tr("connection to %1 lost").arg(m_path);
    return false;
}

#include "sim/csimadapterserver.h"

#include "sim/csimhardware.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {
// A client that sends requests without reading the answers is not served further once
// this much is waiting for it.
constexpr int kMaxPendingOut = 256 * 1024;
} // namespace

cSimAdapterServer::cSimAdapterServer(cSimHardware *hardware)
    : m_hw(hardware)
{
}

cSimAdapterServer::~cSimAdapterServer()
{
    close();
}

bool cSimAdapterServer::listen(const QString &path, QString *error)
{
    close();
    const QByteArray native = QFile::encodeName(path);
    sockaddr_un addr {};
    if (native.isEmpty() || size_t(native.size()) >= sizeof addr.sun_path) {
        *error = QStringLiteral("adapter socket path too long: %1").arg(path);
        return false;
    }
    addr.sun_family = AF_UNIX;
    std::memcpy(addr.sun_path, native.constData(), size_t(native.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        *error = QStringLiteral("socket failed: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    ::unlink(native.constData());
    if (::bind(fd, reinterpret_cast<const sockaddr *>(&addr), sizeof addr) != 0 || ::listen(fd, 8) != 0) {
        *error = QStringLiteral("cannot listen on %1: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno)));
        ::close(fd);
        return false;
    }
    m_listen = fd;
    m_path = path;
    return true;
}

void cSimAdapterServer::close()
{
    for (sClient &c : m_clients)
        ::close(c.fd);
    m_clients.clear();
    if (m_listen >= 0) {
        ::close(m_listen);
        ::unlink(QFile::encodeName(m_path).constData());
    }
    m_listen = -1;
    m_pollCount = 0;
}

void cSimAdapterServer::addPollFds(std::vector<pollfd> *fds)
{
    m_pollStart = fds->size();
    m_pollCount = 0;
    if (m_listen < 0)
        return;
    fds->push_back(pollfd {m_listen, POLLIN, 0});
    for (const sClient &c : m_clients) {
        short events = 0;
        if (!c.closing && c.out.size() < kMaxPendingOut)
            events |= POLLIN;
        if (!c.out.isEmpty())
            events |= POLLOUT;
        fds->push_back(pollfd {c.fd, events, 0});
    }
    m_pollCount = fds->size() - m_pollStart;
}

void cSimAdapterServer::process(const std::vector<pollfd> &fds, qint64 nowUs)
{
    if (m_pollCount == 0)
        return;
    // Clients are served before accepting, so the indexes still match the poll set.
    std::vector<sClient> kept;
    kept.reserve(m_clients.size());
    for (size_t i = 0; i < m_clients.size(); ++i) {
        sClient &c = m_clients[i];
        const short re = (i + 1 < m_pollCount) ? fds[m_pollStart + 1 + i].revents : short(0);
        bool alive = true;
        if (re & (POLLIN | POLLHUP | POLLERR))
            alive = readClient(c, nowUs);
        if (alive && !c.out.isEmpty())
            alive = writeClient(c);
        if (alive && c.closing && c.out.isEmpty())
            alive = false;
        if (alive)
            kept.push_back(std::move(c));
        else
            ::close(c.fd);
    }
    m_clients = std::move(kept);
    if (fds[m_pollStart].revents & POLLIN)
        accept();
}

void cSimAdapterServer::accept()
{
    for (;;) {
        const int fd = ::accept4(m_listen, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0)
            return;
        if (int(m_clients.size()) >= kMaxClients) {
            static const char busy[] = "ERR too many clients\n";
            [[maybe_unused]] const ssize_t n = ::send(fd, busy, sizeof busy - 1, MSG_NOSIGNAL);
            ::close(fd);
            continue;
        }
        sClient c;
        c.fd = fd;
        m_clients.push_back(std::move(c));
    }
}

bool cSimAdapterServer::readClient(sClient &c, qint64 nowUs)
{
    // At most this much per pass, so one busy client cannot hold the unit's loop.
    constexpr int kReadPerPass = 64 * 1024;
    char buf[4096];
    for (int total = 0; total < kReadPerPass;) {
        const ssize_t n = ::recv(c.fd, buf, sizeof buf, 0);
        if (n == 0) {
            c.closing = true;
            break;
        }
        if (n < 0) {
            if (errno == EINTR)
                continue;
            if (errno == EAGAIN || errno == EWOULDBLOCK)
                break;
            return false;
        }
        c.in.append(buf, qsizetype(n));
        total += int(n);
    }
    qsizetype start = 0;
    for (;;) {
        const qsizetype nl = c.in.indexOf('\n', start);
        if (nl < 0)
            break;
        if (c.discarding)
            c.discarding = false;
        else if (nl - start > kMaxLine)
            c.out += "ERR line too long\n";
        else
            c.out += m_hw->handleRequest(c.in.mid(start, nl - start), nowUs) + '\n';
        start = nl + 1;
    }
    c.in.remove(0, start);
    if (c.in.size() > kMaxLine) {
        // Answer the runaway line once, then skip the rest of it.
        if (!c.discarding)
            c.out += "ERR line too long\n";
        c.discarding = true;
        c.in.clear();
    }
    return true;
}

bool cSimAdapterServer::writeClient(sClient &c)
{
    while (!c.out.isEmpty()) {
        const ssize_t n = ::send(c.fd, c.out.constData(), size_t(c.out.size()), MSG_NOSIGNAL);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno == EAGAIN || errno == EWOULDBLOCK;
        }
        c.out.remove(0, qsizetype(n));
    }
    return true;
}

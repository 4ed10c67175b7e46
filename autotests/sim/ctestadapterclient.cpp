#include "ctestadapterclient.h"

#include <QElapsedTimer>
#include <QFile>

#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

cTestAdapterClient::~cTestAdapterClient()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool cTestAdapterClient::connectTo(const QString &path)
{
    const QByteArray native = QFile::encodeName(path);
    sockaddr_un addr {};
    if (native.isEmpty() || size_t(native.size()) >= sizeof addr.sun_path)
        return false;
    addr.sun_family = AF_UNIX;
    std::memcpy(addr.sun_path, native.constData(), size_t(native.size()));
    m_fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    return m_fd >= 0 && ::connect(m_fd, reinterpret_cast<const sockaddr *>(&addr), sizeof addr) == 0;
}

bool cTestAdapterClient::send(const QByteArray &bytes)
{
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t n = ::send(m_fd, bytes.constData() + done, size_t(bytes.size() - done), MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

QByteArray cTestAdapterClient::answer()
{
    QElapsedTimer timer;
    timer.start();
    while (!m_in.contains('\n') && timer.elapsed() < 3000) {
        pollfd p {m_fd, POLLIN, 0};
        if (::poll(&p, 1, 100) <= 0)
            continue;
        char buf[16384];
        const ssize_t n = ::recv(m_fd, buf, sizeof buf, 0);
        if (n <= 0)
            break;
        m_in.append(buf, qsizetype(n));
    }
    const qsizetype nl = m_in.indexOf('\n');
    const QByteArray line = nl < 0 ? QByteArray() : m_in.left(nl);
    m_in.remove(0, nl + 1);
    return line;
}

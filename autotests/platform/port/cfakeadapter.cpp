#include "cfakeadapter.h"

#include <QList>

#include <algorithm>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

bool cFakeAdapter::start()
{
    const QByteArray local = m_path.toLocal8Bit();
    ::unlink(local.constData());
    m_listen = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, local.constData(), sizeof(address.sun_path) - 1);
    if (m_listen < 0 || ::bind(m_listen, reinterpret_cast<sockaddr *>(&address), sizeof(address)) != 0
        || ::listen(m_listen, 8) != 0 || ::pipe(m_wake) != 0)
        return false;
    m_thread = std::thread([this] { run(); });
    return true;
}

void cFakeAdapter::stop()
{
    if (m_thread.joinable()) {
        (void)!::write(m_wake[1], "x", 1);
        m_thread.join();
    }
    for (int *fd : {&m_listen, &m_wake[0], &m_wake[1]}) {
        if (*fd >= 0)
            ::close(*fd);
        *fd = -1;
    }
    ::unlink(m_path.toLocal8Bit().constData());
}

QByteArray cFakeAdapter::answer(const QByteArray &request)
{
    ++m_requests;
    const QList<QByteArray> w = request.split(' ');
    if (w.size() == 3 && w[0] == "GPIO" && w[1] == "GET")
        return m_outputs.value(QByteArray(w[2]).replace("IN", "OUT")) ? "OK 1" : "OK 0";
    if (w.size() == 4 && w[0] == "GPIO" && w[1] == "SET") {
        if (!w[2].startsWith("OUT"))
            return "ERR not an output " + w[2];
        m_outputs[w[2]] = w[3] == "1";
        return "OK";
    }
    if (w.size() == 4 && w[0] == "I2C" && w[2] != "80")
        return "ERR no device at " + w[2];
    if (w.size() == 4 && w[0] == "I2C" && w[1] == "READ")
        return "OK " + QByteArray(w[3].toInt(), '\0').toHex();
    if (w.size() == 4 && w[0] == "I2C" && w[1] == "WRITE")
        return "OK " + QByteArray::number(w[3].size() / 2);
    return "ERR unknown request";
}

void cFakeAdapter::run()
{
    std::vector<std::pair<int, QByteArray>> clients; // descriptor and what came in so far
    for (;;) {
        std::vector<pollfd> fds {{m_wake[0], POLLIN, 0}, {m_listen, POLLIN, 0}};
        for (const auto &c : clients)
            fds.push_back({c.first, POLLIN, 0});
        if (::poll(fds.data(), fds.size(), 1000) < 0)
            continue;
        if (fds[0].revents)
            break;
        if (fds[1].revents & POLLIN) {
            const int fd = ::accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd >= 0)
                clients.push_back({fd, {}});
        }
        for (size_t i = 2; i < fds.size(); ++i) {
            if (!fds[i].revents)
                continue;
            auto &[fd, in] = clients[i - 2];
            char chunk[4096];
            const ssize_t n = ::read(fd, chunk, sizeof(chunk));
            if (n <= 0) {
                ::close(fd);
                fd = -1;
                continue;
            }
            in.append(chunk, n);
            for (qsizetype newline; fd >= 0 && (newline = in.indexOf('\n')) >= 0;) {
                const QByteArray request = in.left(newline);
                in.remove(0, newline + 1);
                QByteArray out = answer(request) + '\n';
                if (m_mode == Silent)
                    continue;
                if (m_mode == Garbage)
                    out = request.startsWith("I2C READ") ? "OK zz9\n" : "OK maybe\n";
                else if (m_mode == Endless)
                    out = QByteArray(64 * 1024, 'a');
                (void)!::send(fd, out.constData(), out.size(), MSG_NOSIGNAL);
                if (m_mode == HangUpAfterAnswer) {
                    ::close(fd);
                    fd = -1;
                }
            }
        }
        clients.erase(std::remove_if(clients.begin(), clients.end(), [](const auto &c) { return c.first < 0; }),
                      clients.end());
    }
    for (const auto &c : clients)
        ::close(c.first);
}

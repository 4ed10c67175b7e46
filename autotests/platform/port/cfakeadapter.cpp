#include "cfakeadapter.h"

#include <QList>

#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

cFakeAdapter::cFakeAdapter(const QString &path) : m_path(path) {}

cFakeAdapter::~cFakeAdapter()
{
    stop();
}

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

QStringList cFakeAdapter::requests() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_requests;
}

QByteArray cFakeAdapter::answer(const QByteArray &request)
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_requests << QString::fromLatin1(request);
    const QList<QByteArray> words = request.split(' ');
    // "IN3" -> 2, "OUT1" -> 0; -1 for any other name.
    auto lineIndex = [](const QByteArray &name, const QByteArray &prefix) {
        if (name.size() == prefix.size() + 1 && name.startsWith(prefix) && name.back() >= '1' && name.back() <= '4')
            return name.back() - '1';
        return -1;
    };
    if (words.size() == 3 && words[0] == "GPIO" && words[1] == "GET") {
        int line = lineIndex(words[2], "IN");
        if (line < 0)
            line = lineIndex(words[2], "OUT");
        if (line >= 0)
            return m_out[line] ? "OK 1" : "OK 0";
        return "ERR no such line " + words[2];
    }
    if (words.size() == 4 && words[0] == "GPIO" && words[1] == "SET") {
        const int out = lineIndex(words[2], "OUT");
        if (out < 0)
            return "ERR not an output " + words[2];
        m_out[out] = words[3] == "1";
        return "OK";
    }
    if (words.size() == 4 && words[0] == "I2C" && words[1] == "READ" && words[2] == "80") {
        QByteArray bytes;
        for (int i = 0; i < words[3].toInt(); ++i)
            bytes.append(static_cast<char>(m_eeprom[m_pointer++]));
        return "OK " + bytes.toHex();
    }
    if (words.size() == 4 && words[0] == "I2C" && words[1] == "WRITE" && words[2] == "80") {
        const QByteArray bytes = QByteArray::fromHex(words[3]);
        if (!bytes.isEmpty())
            m_pointer = static_cast<unsigned char>(bytes.at(0));
        for (int i = 1; i < bytes.size(); ++i)
            m_eeprom[m_pointer++] = static_cast<unsigned char>(bytes.at(i));
        return "OK " + QByteArray::number(bytes.size());
    }
    if (words.size() >= 3 && words[0] == "I2C")
        return "ERR no device at " + words[2];
    return "ERR unknown request";
}

void cFakeAdapter::run()
{
    struct sClient
    {
        int fd;
        QByteArray in;
    };
    std::vector<sClient> clients;
    for (;;) {
        std::vector<pollfd> fds {{m_wake[0], POLLIN, 0}, {m_listen, POLLIN, 0}};
        for (const sClient &c : clients)
            fds.push_back({c.fd, POLLIN, 0});
        if (::poll(fds.data(), fds.size(), 1000) < 0)
            continue;
        if (fds[0].revents)
            break;
        if (fds[1].revents & POLLIN) {
            const int fd = ::accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd >= 0) {
                clients.push_back({fd, {}});
                ++m_connections;
            }
        }
        for (size_t i = 2; i < fds.size(); ++i) {
            if (!fds[i].revents)
                continue;
            sClient &c = clients[i - 2];
            char chunk[4096];
            const ssize_t n = ::read(c.fd, chunk, sizeof(chunk));
            if (n <= 0) {
                ::close(c.fd);
                c.fd = -1;
                continue;
            }
            c.in.append(chunk, static_cast<int>(n));
            int newline;
            while (c.fd >= 0 && (newline = c.in.indexOf('\n')) >= 0) {
                const QByteArray request = c.in.left(newline);
                c.in.remove(0, newline + 1);
                const QByteArray reply = answer(request);
                QByteArray out;
                switch (m_mode.load()) {
                case Silent:
                    continue;
                case Garbage:
                    out = request.startsWith("I2C READ") ? "OK zz9\n" : "OK maybe\n";
                    break;
                case Endless:
                    out = QByteArray(64 * 1024, 'a');
                    break;
                default:
                    out = reply + '\n';
                }
                (void)!::send(c.fd, out.constData(), out.size(), MSG_NOSIGNAL);
                if (m_mode == HangUpAfterAnswer) {
                    ::close(c.fd);
                    c.fd = -1;
                }
            }
        }
        for (size_t i = clients.size(); i-- > 0;) {
            if (clients[i].fd < 0)
                clients.erase(clients.begin() + static_cast<long>(i));
        }
    }
    for (const sClient &c : clients) {
        if (c.fd >= 0)
            ::close(c.fd);
    }
}

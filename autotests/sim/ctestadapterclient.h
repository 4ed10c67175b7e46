#pragma once

#include "simtestio.h"

#include <QFile>
#include <QString>

#include <sys/socket.h>
#include <sys/un.h>

/** A plain client of the unit's adapter socket: request lines out, answer lines back. */
class cTestAdapterClient
{
public:
    cTestAdapterClient() = default;
    ~cTestAdapterClient() { if (m_fd >= 0) ::close(m_fd); }
    Q_DISABLE_COPY_MOVE(cTestAdapterClient)

    bool connectTo(const QString &path)
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
    /** Sends the bytes as they are (add "\n" yourself). */
    bool send(const QByteArray &bytes)
    {
        for (qsizetype done = 0, n = 0; done < bytes.size(); done += n) {
            n = ::send(m_fd, bytes.constData() + done, size_t(bytes.size() - done), MSG_NOSIGNAL);
            if (n <= 0)
                return false;
        }
        return true;
    }
    /** The next answer line without its "\n"; empty after 3 s without one. */
    QByteArray answer() { return testTakeLine(m_fd, 3000, &m_in); }
    QByteArray request(const QByteArray &line) { return send(line + '\n') ? answer() : QByteArray(); }

private:
    int m_fd = -1;
    QByteArray m_in;
};

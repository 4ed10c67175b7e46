#include "ptypair.h"

#include <QElapsedTimer>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

cPtyPair::cPtyPair()
{
    char name[128] = {};
    if (openpty(&m_master, &m_slave, name, nullptr, nullptr) != 0) {
        m_master = m_slave = -1;
        return;
    }
    fcntl(m_master, F_SETFD, FD_CLOEXEC);
    fcntl(m_slave, F_SETFD, FD_CLOEXEC);
    // Raw from the start, so nothing the test sends is cooked before the port library opens.
    termios tio {};
    tcgetattr(m_slave, &tio);
    cfmakeraw(&tio);
    tcsetattr(m_slave, TCSANOW, &tio);
    m_slavePath = QString::fromLocal8Bit(name);
}

cPtyPair::~cPtyPair()
{
    closeMaster();
    if (m_slave >= 0)
        ::close(m_slave);
}

void cPtyPair::closeMaster()
{
    if (m_master >= 0)
        ::close(m_master);
    m_master = -1;
}

bool cPtyPair::writeMaster(const QByteArray &data)
{
    return ::write(m_master, data.constData(), size_t(data.size())) == data.size();
}

QByteArray cPtyPair::readMaster(int size, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    QByteArray result;
    char chunk[4096];
    for (int left = timeoutMs; result.size() < size && left > 0; left = timeoutMs - int(timer.elapsed())) {
        pollfd pfd {m_master, POLLIN, 0};
        if (::poll(&pfd, 1, left) <= 0)
            continue;
        const ssize_t n = ::read(m_master, chunk, std::min<size_t>(sizeof(chunk), size_t(size - result.size())));
        if (n > 0)
            result.append(chunk, n);
        else if (n == 0 || errno != EINTR)
            break;
    }
    return result;
}

#include "sim/csimpty.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

cSimPty::~cSimPty()
{
    close();
}

bool cSimPty::open(QString *error)
{
    close();
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (master < 0) {
        *error = QStringLiteral("posix_openpt failed: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    char name[256] = {};
    if (::grantpt(master) != 0 || ::unlockpt(master) != 0 || ::ptsname_r(master, name, sizeof name) != 0) {
        *error = QStringLiteral("cannot unlock the pseudo-terminal: %1")
                     .arg(QString::fromLocal8Bit(std::strerror(errno)));
        ::close(master);
        return false;
    }
    const int slave = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (slave < 0) {
        *error = QStringLiteral("cannot open %1: %2")
                     .arg(QString::fromLocal8Bit(name), QString::fromLocal8Bit(std::strerror(errno)));
        ::close(master);
        return false;
    }
    // Raw mode, so that neither echo nor line editing nor CR/LF translation touches the bytes
    // before a port library sets its own mode.
    termios tio {};
    if (::tcgetattr(slave, &tio) == 0) {
        ::cfmakeraw(&tio);
        tio.c_cc[VMIN] = 1;
        tio.c_cc[VTIME] = 0;
        ::cfsetispeed(&tio, B115200);
        ::cfsetospeed(&tio, B115200);
        ::tcsetattr(slave, TCSANOW, &tio);
    }
    m_master = master;
    m_keepAlive = slave;
    m_slavePath = QString::fromLocal8Bit(name);
    return true;
}

int cSimPty::unreadByHost() const
{
    int n = 0;
    if (m_keepAlive < 0 || ::ioctl(m_keepAlive, FIONREAD, &n) != 0)
        return -1;
    return n;
}

void cSimPty::close()
{
    if (m_keepAlive >= 0)
        ::close(m_keepAlive);
    if (m_master >= 0)
        ::close(m_master);
    m_keepAlive = -1;
    m_master = -1;
}

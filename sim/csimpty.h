#pragma once

#include <QString>

/**
 * The unit's end of a pseudo-terminal. The sim keeps one descriptor of the other end open as
 * well, so the master never reports a hang-up while no program has the port open, and the
 * port stays openable (with raw settings) for as long as the unit runs.
 */
class cSimPty
{
public:
    cSimPty() = default;
    ~cSimPty();
    Q_DISABLE_COPY_MOVE(cSimPty)

    /** Creates the pair; false and a reason in error when the system refuses. */
    bool open(QString *error);
    void close();
    bool isOpen() const { return m_master >= 0; }

    /** Non-blocking descriptor the unit reads from and writes to. */
    int masterFd() const { return m_master; }
    /** Bytes written by the unit that no program has read yet (-1 when unknown). */
    int unreadByHost() const;
    /** The path a port library opens, e.g. /dev/pts/3. */
    QString slavePath() const { return m_slavePath; }

private:
    int m_master = -1;
    int m_keepAlive = -1;
    QString m_slavePath;
};

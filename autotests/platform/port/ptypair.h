#pragma once

#include <QByteArray>
#include <QString>

/** A pseudo-terminal for tests: the test plays the unit on the master side and keeps a slave descriptor. */
class cPtyPair
{
public:
    cPtyPair();
    ~cPtyPair();
    cPtyPair(const cPtyPair &) = delete;
    cPtyPair &operator=(const cPtyPair &) = delete;

    bool isValid() const { return m_master >= 0; }
    QString slavePath() const { return m_slavePath; }
    int slaveFd() const { return m_slave; }

    // Tests send only a few bytes at a time, which a terminal's buffer always takes at once.
    bool writeMaster(const QByteArray &data);
    /** Reads until size bytes arrived or timeoutMs passed. */
    QByteArray readMaster(int size, int timeoutMs);
    void closeMaster();

private:
    int m_master = -1;
    int m_slave = -1;
    QString m_slavePath;
};

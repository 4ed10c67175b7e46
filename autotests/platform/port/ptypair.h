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

    bool writeMaster(const QByteArray &data, int timeoutMs = 5000);
    /** Reads until size bytes arrived or timeoutMs passed. */
    QByteArray readMaster(int size, int timeoutMs = 5000);
    void closeMaster();

private:
    int m_master = -1;
    int m_slave = -1;
    QString m_slavePath;
};

#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

class cSimHardware;
struct pollfd;

/**
 * The adapter channel of the simulated unit: a Unix-domain stream socket on which clients
 * send one GPIO or I2C request per line and get one answer line back. It runs inside the
 * unit's poll loop; nothing here blocks.
 */
class cSimAdapterServer
{
public:
    static constexpr int kMaxClients = 16;
    /** Longest request: an I2C write of 4096 bytes in hex plus its words. */
    static constexpr int kMaxLine = 8300;

    explicit cSimAdapterServer(cSimHardware *hardware);
    ~cSimAdapterServer();
    Q_DISABLE_COPY_MOVE(cSimAdapterServer)

    bool listen(const QString &path, QString *error);
    void close();
    QString path() const { return m_path; }

    /** Appends the descriptors to watch; remembers where they start. */
    void addPollFds(std::vector<pollfd> *fds);
    /** Serves what poll reported for the descriptors added last. */
    void process(const std::vector<pollfd> &fds, qint64 nowUs);

private:
    struct sClient
    {
        int fd = -1;
        QByteArray in;
        QByteArray out;
        bool discarding = false;   // inside an over-long line, until its end
        bool closing = false;      // peer finished sending; close once answers are out
    };

    void accept();
    bool readClient(sClient &c, qint64 nowUs);
    bool writeClient(sClient &c);

    cSimHardware *m_hw;
    int m_listen = -1;
    QString m_path;
    std::vector<sClient> m_clients;
    size_t m_pollStart = 0;
    size_t m_pollCount = 0;
};

#pragma once

#include <QByteArray>
#include <QString>

#include <memory>
#include <mutex>

/**
 * The client end of the simulated unit's adapter socket: one text line out, one text line
 * back. Connects on demand and drops the connection after any time-out, so that a late
 * answer can never be taken for the next request's.
 */
class cSimAdapterLink
{
public:
    explicit cSimAdapterLink(const QString &socketPath);
    ~cSimAdapterLink();
    cSimAdapterLink(const cSimAdapterLink &) = delete;
    cSimAdapterLink &operator=(const cSimAdapterLink &) = delete;

    /** The link to a socket, shared by every sub-device of this process that uses it. */
    static std::shared_ptr<cSimAdapterLink> shared(const QString &socketPath);

    /** Connects now unless connected; false with the reason otherwise. */
    bool connectNow(QString *error);
    /**
     * Sends one request (without its line end). True for an "OK" answer, whose rest goes to
     * payload; false for an "ERR" answer or a failed exchange, with the reason in error.
     */
    bool request(const QByteArray &line, QByteArray *payload, QString *error);
    QString socketPath() const;

    static constexpr int kRequestTimeoutMs = 1000;
    static constexpr int kMaxLineLength = 16384;

private:
    bool connectLocked(int timeoutMs, QString *error);
    void disconnectLocked();

    const QString m_path;
    std::mutex m_lock;
    int m_fd = -1;
};

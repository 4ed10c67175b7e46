#pragma once

#include <QByteArray>
#include <QString>

/** A plain client of the simulated unit's adapter socket: request lines out, answer lines back. */
class cTestAdapterClient
{
public:
    cTestAdapterClient() = default;
    ~cTestAdapterClient();
    Q_DISABLE_COPY_MOVE(cTestAdapterClient)

    bool connectTo(const QString &path);
    /** Sends the bytes as they are (add "\n" yourself). */
    bool send(const QByteArray &bytes);
    /** The next answer line without its "\n"; empty after 3 s without one. */
    QByteArray answer();
    QByteArray request(const QByteArray &line) { return send(line + '\n') ? answer() : QByteArray(); }

private:
    int m_fd = -1;
    QByteArray m_in;
};

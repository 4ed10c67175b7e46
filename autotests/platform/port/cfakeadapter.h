#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

#include <atomic>
#include <thread>

/**
 * A stand-in for the simulated unit's adapter socket that can also misbehave: stay silent,
 * answer garbage, send an endless line, or hang up after every answer. OUTn loops back to INn;
 * the only I2C chip is at 80 and reads as zeros. Setting an input answers "ERR not an output INn".
 */
class cFakeAdapter
{
public:
    enum Mode { Normal, Silent, Garbage, Endless, HangUpAfterAnswer };

    explicit cFakeAdapter(const QString &path) : m_path(path) {}
    ~cFakeAdapter() { stop(); }
    Q_DISABLE_COPY_MOVE(cFakeAdapter)

    bool start();
    void stop();
    void setMode(Mode mode) { m_mode = mode; }
    QString path() const { return m_path; }
    int requestCount() const { return m_requests; }

private:
    void run();
    QByteArray answer(const QByteArray &request);

    const QString m_path;
    int m_listen = -1;
    int m_wake[2] = {-1, -1};
    std::thread m_thread;
    std::atomic<int> m_mode {Normal};
    std::atomic<int> m_requests {0};
    QHash<QByteArray, bool> m_outputs; // only the adapter's thread touches it
};

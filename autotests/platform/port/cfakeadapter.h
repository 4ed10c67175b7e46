#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <atomic>
#include <mutex>
#include <thread>

/**
 * A stand-in for the simulated unit's adapter socket that can also misbehave: stay silent,
 * answer garbage, send an endless line, or hang up after every answer.
 */
class cFakeAdapter
{
public:
    enum Mode { Normal, Silent, Garbage, Endless, HangUpAfterAnswer };

    explicit cFakeAdapter(const QString &path);
    ~cFakeAdapter();
    cFakeAdapter(const cFakeAdapter &) = delete;
    cFakeAdapter &operator=(const cFakeAdapter &) = delete;

    bool start();
    void stop();
    void setMode(Mode mode) { m_mode = mode; }
    QString path() const { return m_path; }
    QStringList requests() const;
    int connections() const { return m_connections; }

private:
    void run();
    QByteArray answer(const QByteArray &request);

    const QString m_path;
    int m_listen = -1;
    int m_wake[2] = {-1, -1};
    std::thread m_thread;
    std::atomic<int> m_mode {Normal};
    std::atomic<int> m_connections {0};
    mutable std::mutex m_lock;
    QStringList m_requests;
    bool m_out[4] = {false, false, false, false};
    unsigned char m_eeprom[256] = {};
    unsigned char m_pointer = 0;
};

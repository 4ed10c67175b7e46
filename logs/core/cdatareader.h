#pragma once

#include "platform/port/siodevice.h"

#include <QByteArray>
#include <QMutex>
#include <QStringList>
#include <QThread>

#include <atomic>

/**
 * Owns the unit's port while its log is monitored: takes the unit out of its command line,
 * reads what it prints into a bounded receive buffer and sends queued operator commands, one
 * per pass. The parser takes complete lines out of the buffer.
 */
class cDataReader : public QThread
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(cDataReader)

public:
    explicit cDataReader(QObject *parent = nullptr);
    ~cDataReader() override;

    void startReading(const sIODevice &device);
    void stopReading();
    /** Queues a command for the unit's command line; dropped when empty or while not reading. */
    void addCommand(const QString &command);

    /** The next complete line without its line feed (Latin-1, so every byte is kept); empty when none. */
    QString takeLine();
    /** Up to max complete lines at once, for a reader of bursts; also after the thread ended. */
    QStringList takeLines(int max);
    /** Whether bytes wait in the receive buffer (complete lines or not). */
    bool hasPendingText() const;

    /** Whether a stop was asked for and the thread has not yet started again. */
    bool stopRequested() const { return m_stop.load(); }

    /** Bytes and lines received since the last start (any thread). */
    quint64 bytesReceived() const { return m_bytes.load(); }

    /** Receive buffer bound; beyond it the oldest whole lines are dropped. */
    static constexpr int kMaxBuffer = 16 * 1024 * 1024;
    /** Longer text without a line feed is handed on in pieces of this size. */
    static constexpr int kMaxLine = 1024 * 1024;
    /** Consecutive failed reads after which the unit counts as gone. */
    static constexpr int kMaxReadFailures = 10;

protected:
    void run() override;

private:
    void append(const char *data, int size);
    bool takeLineLocked(QString *line);
    void sendCommand(void *handle);

    sIODevice m_device;
    mutable QMutex m_bufferLock;
    QByteArray m_buffer;        // bytes from m_offset on are not yet taken
    qsizetype m_offset = 0;
    QString m_bufferName;       // the unit's name for buffer messages, which the parser thread may write
    bool m_droppedReported = false;
    bool m_splitReported = false;
    std::atomic<bool> m_stop {false};
    std::atomic<quint64> m_bytes {0};
    QMutex m_commandLock;
    QStringList m_commands;
};

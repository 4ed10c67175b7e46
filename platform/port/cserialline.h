#pragma once

#include "platform/port/isubdevice.h"

#include <atomic>
#include <mutex>
#include <shared_mutex>

/**
 * A serial line driven with termios and poll(). Any thread may call it; reads and writes
 * each have their own lock so one thread can read while another writes, and close()
 * wakes a blocked reader at once instead of waiting for its time-out.
 */
class cSerialLine final : public iSubDevice
{
public:
    cSerialLine(const QString &path, unsigned int baud);
    ~cSerialLine() override;
    cSerialLine(const cSerialLine &) = delete;
    cSerialLine &operator=(const cSerialLine &) = delete;

    bool open(QString *error) override;
    void close(int drainMs) override;
    bool isOpen() const override;
    QString id() const override;

    /** Waits up to timeoutMs for data; true with count 0 on time-out, false when the line failed. */
    bool read(void *buffer, int capacity, int *count, int timeoutMs);
    /** Writes everything or fails once the line has taken nothing for kWriteStallMs. */
    bool write(const void *data, int length, int *count);
    /** Discards input that arrived but was not read yet (output already written still goes out). */
    bool flush();
    bool discardOutput();
    bool setBaudRate(unsigned int rate);

    static bool isSupportedBaudRate(unsigned int rate);

    static constexpr int kWriteStallMs = 2000;

private:
    bool configure(int fd, unsigned int baud, QString *error) const;
    void markHungUp(const char *operation, int error);
    void closeFdLocked(int drainMs);

    const QString m_path;
    const QByteArray m_localPath;
    std::atomic<unsigned int> m_baud;
    // Guards the life of m_fd: I/O holds it shared, open and close hold it exclusively.
    mutable std::shared_mutex m_stateLock;
    std::mutex m_readLock;
    std::mutex m_writeLock;
    int m_fd = -1;
    int m_readWake = -1;    // eventfds that close() signals to end a blocked poll()
    int m_writeWake = -1;
    std::atomic<bool> m_hungUp{false};
    std::atomic<bool> m_closing{false};
};

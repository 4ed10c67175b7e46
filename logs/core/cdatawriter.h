#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>
#include <QMutex>
#include <QThread>
#include <QWaitCondition>

/**
 * Keeps a copy of everything the unit prints while its log is read: text is collected in memory
 * and written by the writer's own thread every 2 s into a new dated file per reading run,
 * <log root>/yyyy-MM-dd/device_log_hh_mm_ss.txt, byte for byte as the unit sent it.
 */
class cDataWriter : public QThread
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(cDataWriter)

public:
    explicit cDataWriter(QObject *parent = nullptr);
    ~cDataWriter() override;

    /** The folder that holds the dated folders; empty (the default) means the application's. */
    void setLogRoot(const QString &folder);
    /** The file of the current run; empty while none is open. */
    QString fileName() const;

    /** Pending-text bound while no file can be opened; beyond it the oldest whole lines go. */
    static constexpr int kMaxPending = 64 * 1024 * 1024;
    static constexpr int kWriteIntervalMs = 2000;
    /** A folder that cannot be written is tried again at most this often. */
    static constexpr int kRetryIntervalMs = 1000;

public slots:
    void appendData(QString str);
    void stopIt();

protected:
    void run() override;

private:
    void openFileLocked();
    void writeLocked();

    mutable QMutex m_bufferLock;   // guards the buffer, the file and the fields below
    QByteArray m_buffer;
    QFile m_file;
    QString m_logRoot;
    QElapsedTimer m_lastTry;
    bool m_reported = false;
    bool m_dropReported = false;
    QWaitCondition m_wake;
    bool m_stop = false;
    bool m_running = false;   // the loop runs (set when started, cleared when it leaves)
};

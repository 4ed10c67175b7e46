#pragma once

#include "platform/port/siodevice.h"

#include <QList>
#include <QThread>

#include <condition_variable>
#include <mutex>

/**
 * Enumerates the units on offer in its own thread, so a slow scan never stalls the GUI.
 * It has no event loop: requests are counted under a lock. A result waits under the same lock
 * until the receiver takes it: the hand-over is then ordered by a lock that the thread sanitizer
 * can see, not only by Qt's uninstrumented event queue.
 */
class cPortScanner : public QThread
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(cPortScanner)

public:
    explicit cPortScanner(QObject *parent = nullptr);
    /** Stops the thread, waiting for a scan in progress to end. */
    ~cPortScanner() override;

    /** Asks for one scan; requests made while one is waiting are merged into it. */
    void requestScan();
    void stop();
    /** The newest result, for the receiver of scanned(). */
    QList<sIODevice> lastResult();

signals:
    void scanned();

protected:
    void run() override;

private:
    std::mutex m_lock;
    std::condition_variable m_wake;
    QList<sIODevice> m_result;
    bool m_requested = false;
    bool m_stop = false;
};

#include "platform/port/widgets/cportscanner.h"

#include "platform/port/port.h"

cPortScanner::cPortScanner(QObject *parent) : QThread(parent)
{
    setObjectName(QStringLiteral("port scanner"));
}

cPortScanner::~cPortScanner()
{
    stop();
    // Enumeration reads only sysfs and a small file; this is a last resort.
    if (!wait(5000)) {
        terminate();
        wait(1000);
    }
}

void cPortScanner::requestScan()
{
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_requested = true;
    }
    m_wake.notify_one();
}

void cPortScanner::stop()
{
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_stop = true;
    }
    m_wake.notify_one();
}

void cPortScanner::run()
{
    for (;;) {
        {
            std::unique_lock<std::mutex> lock(m_lock);
            m_wake.wait(lock, [this] { return m_requested || m_stop; });
            if (m_stop)
                return;
            m_requested = false;
        }
        QList<sIODevice> found = port::enumerate();
        {
            std::lock_guard<std::mutex> lock(m_lock);
            m_result = std::move(found);
        }
        emit scanned();
    }
}

QList<sIODevice> cPortScanner::lastResult()
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_result;
}

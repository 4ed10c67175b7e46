#include "logs/core/cdatawriter.h"

#include "logs/core/clogpaths.h"
#include "platform/logging/logs.h"

#include <QDateTime>
#include <QDir>
#include <QMutexLocker>

namespace {

constexpr int kLevelError = 3;
constexpr int kLevelWarning = 2;
constexpr int kLevelDebug = 4;

} // namespace

cDataWriter::cDataWriter(QObject *parent)
    : QThread(parent)
{
    m_buffer.reserve(4 * 1024 * 1024);
}

cDataWriter::~cDataWriter()
{
    stopIt();
    if (!wait(5000)) {
        terminate();
        wait();
    }
    QMutexLocker locker(&m_bufferLock);
    if (m_file.isOpen()) {
        writeLocked();
        m_file.close();
    }
}

void cDataWriter::setLogRoot(const QString &folder)
{
    QMutexLocker locker(&m_bufferLock);
    m_logRoot = folder;
}

QString cDataWriter::fileName() const
{
    QMutexLocker locker(&m_bufferLock);
    return m_file.isOpen() ? m_file.fileName() : QString();
}

void cDataWriter::appendData(QString str)
{
    QMutexLocker locker(&m_bufferLock);
    if (m_stop)
        return;
    {
        m_buffer.append(str.toLatin1());
        if (m_buffer.size() > kMaxPending) {
            // No file for a long time: keep the newest text, cut at a line start.
            qsizetype cut = m_buffer.indexOf('\n', m_buffer.size() - kMaxPending);
            cut = cut < 0 ? m_buffer.size() - kMaxPending : cut + 1;
            m_buffer.remove(0, cut);
            if (!m_dropReported) {
                m_dropReported = true;
                logs::add(QString::fromLatin1("Device log: no file could be written, %1 bytes of the oldest lines dropped")
                              .arg(cut),
                          kLevelWarning);
            }
        }
        if (!m_file.isOpen() && (!m_lastTry.isValid() || m_lastTry.hasExpired(kRetryIntervalMs)))
            openFileLocked();
    }
    if (!m_running) {
        // The previous run has left its loop and holds nothing; let it end before the next one.
        wait();
        m_running = true;
        start(QThread::InheritPriority);
    }
}

void cDataWriter::stopIt()
{
    QMutexLocker locker(&m_bufferLock);
    // Only a running loop clears the flag again; without one it would silence every later run.
    if (!m_running)
        return;
    m_stop = true;
    m_wake.wakeAll();
}

void cDataWriter::openFileLocked()
{
    m_lastTry.start();
    const QDateTime now = QDateTime::currentDateTime();
    const QString root = m_logRoot.isEmpty() ? logpaths::deviceLogRoot() : m_logRoot;
    const QString folder = root + QLatin1Char('/') + now.toString(QStringLiteral("yyyy-MM-dd"));
    QDir().mkpath(folder);
    m_file.setFileName(folder + QStringLiteral("/device_log_%1.txt").arg(now.toString(QStringLiteral("hh_mm_ss"))));
    if (m_file.open(QIODevice::WriteOnly | QIODevice::Append)) {
        logs::add(QString::fromLatin1("Device log opened: %1").arg(m_file.fileName()), kLevelDebug);
        m_wake.wakeAll();
    } else if (!m_reported) {
        m_reported = true;
        logs::add(QString::fromLatin1("Failed to open device log: %1").arg(m_file.fileName()), kLevelError);
    }
}

void cDataWriter::writeLocked()
{
    if (m_buffer.isEmpty() || !m_file.isOpen())
        return;
    m_file.write(m_buffer);
    m_file.flush();
    m_buffer.clear();
}

void cDataWriter::run()
{
    QMutexLocker locker(&m_bufferLock);
    while (!m_stop) {
        writeLocked();
        m_wake.wait(&m_bufferLock, kWriteIntervalMs);
        // A run that has no file yet keeps trying, also when no text arrives.
        if (!m_file.isOpen() && !m_buffer.isEmpty() && m_lastTry.hasExpired(kRetryIntervalMs))
            openFileLocked();
    }
    // What came before the stop belongs to this run's file.
    writeLocked();
    m_file.close();
    m_reported = false;
    m_dropReported = false;
    m_lastTry.invalidate();
    m_stop = false;
    m_running = false;
}

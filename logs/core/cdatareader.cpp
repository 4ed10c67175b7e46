#include "logs/core/cdatareader.h"

#include "platform/logging/logs.h"
#include "platform/port/port.h"

#include <QMutexLocker>

namespace {

constexpr int kReadBlock = 16384;
constexpr int kReadTimeoutMs = 100;
constexpr int kPassPauseMs = 50;
constexpr int kExitPauseMs = 300;
constexpr int kCloseTimeoutMs = 300;
constexpr int kLevelError = 3;
constexpr int kLevelWarning = 2;
constexpr int kLevelDebug = 4;

bool writeAll(void *handle, const QByteArray &bytes)
{
    int written = 0;
    return port::write(handle, bytes.constData(), int(bytes.size()), &written) == 1;
}

} // namespace

cDataReader::cDataReader(QObject *parent)
    : QThread(parent)
{
}

cDataReader::~cDataReader()
{
    m_stop = true;
    if (!wait(5000)) {
        terminate();
        wait();
    }
}

bool cDataReader::hasPendingText() const
{
    QMutexLocker locker(&m_bufferLock);
    return m_buffer.size() > m_offset;
}

void cDataReader::startReading(const sIODevice &device)
{
    if (isRunning())
        return;
    m_device = device;
    m_stop = false;
    {
        QMutexLocker locker(&m_bufferLock);
        m_buffer.clear();
        m_offset = 0;
        m_bufferName = device.name;
        m_droppedReported = false;
        m_splitReported = false;
    }
    m_bytes = 0;
    start(QThread::HighPriority);
}

void cDataReader::stopReading()
{
    m_stop = true;
}

void cDataReader::addCommand(const QString &command)
{
    if (!isRunning() || command.isEmpty())
        return;
    QMutexLocker locker(&m_commandLock);
    m_commands.append(command);
}

void cDataReader::append(const char *data, int size)
{
    QMutexLocker locker(&m_bufferLock);
    if (m_offset > 0 && m_offset >= m_buffer.size() / 2) {
        m_buffer.remove(0, m_offset);
        m_offset = 0;
    }
    m_buffer.append(data, size);
    const qsizetype pending = m_buffer.size() - m_offset;
    if (pending <= kMaxBuffer)
        return;
    // Nobody takes lines fast enough: keep the newest text, cut at a line start.
    qsizetype cut = m_buffer.indexOf('\n', m_buffer.size() - kMaxBuffer);
    cut = cut < 0 ? m_buffer.size() - kMaxBuffer : cut + 1;
    const qsizetype dropped = cut - m_offset;
    m_buffer.remove(0, cut);
    m_offset = 0;
    if (!m_droppedReported) {
        m_droppedReported = true;
        logs::add(QString::fromLatin1("Device '%1': receive buffer full, %2 bytes of the oldest lines dropped")
                      .arg(m_bufferName)
                      .arg(dropped),
                  kLevelWarning);
    }
}

bool cDataReader::takeLineLocked(QString *line)
{
    const qsizetype lf = m_buffer.indexOf('\n', m_offset);
    qsizetype length = lf - m_offset;
    qsizetype consumed = length + 1;
    // A line over the bound is cut whether or not its line feed is in yet: how much of it
    // arrived before the first take must not decide what the view and the file get.
    if (lf < 0 || length > kMaxLine) {
        if (lf < 0 && m_buffer.size() - m_offset < kMaxLine)
            return false;
        length = consumed = kMaxLine;
        if (!m_splitReported) {
            m_splitReported = true;
            logs::add(QString::fromLatin1("Device '%1': a line longer than %2 bytes was split")
                          .arg(m_bufferName)
                          .arg(kMaxLine),
                      kLevelWarning);
        }
    }
    *line = QString::fromLatin1(m_buffer.constData() + m_offset, length);
    m_offset += consumed;
    if (m_offset == m_buffer.size()) {
        m_buffer.clear();
        m_offset = 0;
    }
    return true;
}

QString cDataReader::takeLine()
{
    if (!isRunning())
        return QString();
    QMutexLocker locker(&m_bufferLock);
    QString line;
    takeLineLocked(&line);
    return line;
}

QStringList cDataReader::takeLines(int max)
{
    // Also after the thread ended: what it read before stopping still belongs to the log.
    QStringList lines;
    QMutexLocker locker(&m_bufferLock);
    QString line;
    while (lines.size() < max && takeLineLocked(&line)) {
        // An empty line (two line feeds) is no line at all, as for takeLine().
        if (!line.isEmpty())
            lines.append(line);
    }
    return lines;
}

void cDataReader::sendCommand(void *handle)
{
    QMutexLocker locker(&m_commandLock);
    if (m_commands.isEmpty())
        return;
    const QString command = m_commands.takeFirst() + QStringLiteral("\r\n");
    logs::add(QString::fromLatin1("Executing cli command: %1").arg(command), kLevelDebug);
    if (writeAll(handle, command.toLocal8Bit()))
        logs::add(QStringLiteral("OK"), kLevelDebug);
    else
        logs::add(QStringLiteral("FAIL"), kLevelError);
}

void cDataReader::run()
{
    if (!port::open_port(m_device))
        return;
    void *handle = port::calc_io_handle(m_device);
    if (!handle) {
        port::close_port(m_device, kCloseTimeoutMs);
        return;
    }
    // The unit prints its log only outside its command line.
    if (writeAll(handle, QByteArrayLiteral("exit\r\n")))
        msleep(kExitPauseMs);
    else
        logs::add(QString::fromLatin1("Device '%1' write failed").arg(m_device.name), kLevelError);

    char block[kReadBlock];
    int failures = 0;
    while (!m_stop) {
        int count = 0;
        if (port::read(handle, block, kReadBlock, &count, kReadTimeoutMs) == 1) {
            failures = 0;
            if (count > 0) {
                m_bytes += quint64(count);
                append(block, count);
            }
        } else {
            // A pulled unit fails every read from now on: say so once, then give the port up.
            if (failures == 0)
                logs::add(QString::fromLatin1("Device '%1' read failed").arg(m_device.name), kLevelError);
            if (++failures >= kMaxReadFailures) {
                logs::add(QString::fromLatin1("Device '%1' does not answer any more; reading stopped")
                              .arg(m_device.name),
                          kLevelError);
                break;
            }
        }
        sendCommand(handle);
        // While text flows, read on at once: a pause would let the line's buffer fill and
        // throttle (or, on a real serial line, overrun) a fast unit.
        if (count == 0)
            msleep(kPassPauseMs);
    }
    port::close_port(m_device, kCloseTimeoutMs);
}

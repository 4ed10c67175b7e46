#include "logs/core/ctextlogparser.h"

#include "logs/core/cdatareader.h"
#include "logs/core/cdatawriter.h"
#include "logs/core/clogrecognizer.h"
#include "platform/logging/logs.h"

#include <QElapsedTimer>
#include <QHash>
#include <QMetaMethod>
#include <QMutexLocker>

namespace {

constexpr int kIdleSleepMs = 50;
constexpr int kLinesPerTake = 256;
constexpr int kLevelWarning = 2;
// A stopping reader ends within about 150 ms; the parser waits for its last lines this long.
constexpr int kDrainBoundMs = 1000;

// The statistics cell a record overwrites: its kind and its channel numbers.
quint32 cellOf(const sLogRecord &r)
{
    quint32 channel = 0;
    switch (r.kind) {
    case sLogRecord::Ain: case sLogRecord::Din: case sLogRecord::Fuel: case sLogRecord::CanAin:
    case sLogRecord::CanDin: case sLogRecord::Counter: case sLogRecord::Fmeter: case sLogRecord::CanCounter:
    case sLogRecord::Stor: case sLogRecord::Tracker:
        channel = quint32(r.values[0]);
        break;
    case sLogRecord::CanFuel: channel = quint32(r.values[0]) << 8 | quint32(r.values[1]); break;
    default: break;
    }
    return quint32(r.kind) << 16 | channel;
}

} // namespace

cTextLogParser::cTextLogParser(cDataReader *reader, QObject *parent)
    : QThread(parent)
    , m_reader(reader)
    , m_writer(new cDataWriter(this))
{
}

cTextLogParser::~cTextLogParser()
{
    m_stop = true;
    m_writer->stopIt();
    if (!wait(5000)) {
        terminate();
        wait();
    }
}

void cTextLogParser::startParsing(const QString &keywords)
{
    if (isRunning())
        return;
    m_filter = cKeywordFilter(keywords);
    for (const QString &problem : m_filter.problems())
        logs::add(problem, kLevelWarning);
    m_stop = false;
    m_lines = 0;
    start(QThread::HighestPriority);
}

void cTextLogParser::stopParsing()
{
    m_stop = true;
    // A running loop stops the writer itself once the reader's last lines are in the file.
    if (!isRunning())
        m_writer->stopIt();
}

QStringList cTextLogParser::takeShownLines(int *skipped)
{
    QMutexLocker locker(&m_outboxLock);
    *skipped = std::exchange(m_outboxSkipped, 0);
    return std::exchange(m_outbox, {});
}

void cTextLogParser::emitRecord(const sLogRecord &r)
{
    const auto u8 = [&r](int i) { return quint8(r.values[i]); };
    const auto u32 = [&r](int i) { return quint32(r.values[i]); };
    switch (r.kind) {
    case sLogRecord::Nav: emit nav(u32(0), qint32(r.values[1]), qint32(r.values[2]), qint32(r.values[3]), u8(4), r.values[5] != 0); break;
    case sLogRecord::Gsm: emit gsm(r.text, u8(1), u8(2)); break;
    case sLogRecord::Ain: emit ain(u8(0), u32(1)); break;
    case sLogRecord::Din: emit din(u8(0), u8(1)); break;
    case sLogRecord::Fuel: emit fuel(u8(0), r.real, u32(2)); break;
    case sLogRecord::CanLog:
        emit canLog(quint16(r.values[0]), quint16(r.values[1]), qint16(r.values[2]), u32(3), u32(4), u32(5));
        break;
    case sLogRecord::CanAin: emit canain(u8(0), u32(1)); break;
    case sLogRecord::CanDin: emit candin(u8(0), u8(1)); break;
    case sLogRecord::CanFuel: emit canfuel(u8(0), u8(1), r.real, u32(3)); break;
    case sLogRecord::Vin: emit vin(u32(0)); break;
    case sLogRecord::ExtVin: emit extvin(u32(0)); break;
    case sLogRecord::Vscap: emit vscap(u32(0)); break;
    case sLogRecord::Counter: emit counter(u8(0), u32(1)); break;
    case sLogRecord::Fmeter: emit fmeter(u8(0), u32(1)); break;
    case sLogRecord::CanCounter: emit cancounter(u8(0), u32(1)); break;
    case sLogRecord::Stor: emit stor(u8(0), u32(1), u32(2), u32(3), u32(4), u32(5), u32(6), u32(7), u32(8)); break;
    case sLogRecord::Tracker: emit tracker(u8(0), u32(1), u32(2), u32(3), u32(4)); break;
    case sLogRecord::Sos: emit sos(u32(0), u32(1), r.values[2] != 0); break;
    case sLogRecord::CallReq: emit callreq(u32(0), u32(1), r.values[2] != 0); break;
    case sLogRecord::Cpu: emit cpu(r.real, quint16(r.values[1])); break;
    case sLogRecord::Mem: emit mem(u32(0), u32(1), u32(2), u32(3), u32(4)); break;
    case sLogRecord::CanLogExt: emit canlogext(u32(0), u32(1)); break;
    case sLogRecord::KindCount: break;
    }
}

void cTextLogParser::run()
{
    const bool batching = m_batchMs > 0;
    QStringList shown;
    int skipped = 0;
    QList<sLogRecord> latest;         // batch mode: the newest record per cell, in first-seen order
    QHash<quint32, qsizetype> cellIndex;
    QElapsedTimer sinceFlush;
    sinceFlush.start();
    m_batchInFlight = false;
    const auto flush = [&] {
        if (m_batchInFlight)
            return;
        if (!shown.isEmpty()) {
            m_batchInFlight = true;
            {
                QMutexLocker locker(&m_outboxLock);
                m_outbox = std::exchange(shown, {});
                m_outboxSkipped = std::exchange(skipped, 0);
            }
            emit linesReady();
        }
        for (const sLogRecord &r : std::as_const(latest))
            emitRecord(r);
        latest.clear();
        cellIndex.clear();
        sinceFlush.restart();
    };

    const bool wantsRecords = isSignalConnected(QMetaMethod::fromSignal(&cTextLogParser::recordFound));
    cLogRecognizer::Records records;
    QElapsedTimer draining;   // since the stop request: the reader's last lines still come in
    for (;;) {
        if (m_stop && !draining.isValid())
            draining.start();
        // Stopping: wait (bounded) only for a reader that is stopping too; one that goes on
        // reading would keep this loop busy for ever.
        if (draining.isValid()
            && (draining.hasExpired(kDrainBoundMs) || (m_reader->isRunning() && !m_reader->stopRequested())))
            break;
        const QStringList lines = m_reader->takeLines(kLinesPerTake);
        if (lines.isEmpty()) {
            if (draining.isValid() && !m_reader->isRunning())
                break;
            if (batching)
                flush();
            msleep(draining.isValid() ? 1 : kIdleSleepMs);
            continue;
        }
        m_lines += quint64(lines.size());
        for (const QString &line : lines) {
            m_writer->appendData(line + QLatin1Char('\n'));
            const int times = m_filter.matchCount(line);
            if (times > 0) {
                const QString view = cLogRecognizer::trimmedForView(line);
                for (int i = 0; i < times; ++i) {
                    emit lineFound(view);
                    if (batching) {
                        if (shown.size() == kMaxBatchLines) {
                            shown.removeFirst();
                            ++skipped;
                        }
                        shown.append(view);
                    }
                }
            }
            records.clear();
            cLogRecognizer::recognize(line, &records);
            for (const sLogRecord &r : std::as_const(records)) {
                if (wantsRecords)
                    emit recordFound(r);
                if (!batching) {
                    emitRecord(r);
                    continue;
                }
                const quint32 cell = cellOf(r);
                if (const auto it = cellIndex.constFind(cell); it != cellIndex.cend()) {
                    latest[*it] = r;
                } else {
                    cellIndex.insert(cell, latest.size());
                    latest.append(r);
                }
            }
        }
        if (batching && sinceFlush.hasExpired(m_batchMs))
            flush();
    }
    if (batching) {
        // The last batch goes out even while the view is busy: nothing of a run is held back.
        m_batchInFlight = false;
        flush();
    }
    m_writer->stopIt();
}

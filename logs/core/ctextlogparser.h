#pragma once

#include "logs/core/ckeywordfilter.h"
#include "logs/core/clogrecord.h"

#include <QMutex>
#include <QStringList>
#include <QThread>

#include <atomic>

class cDataReader;
class cDataWriter;

/**
 * Turns the unit's log into data off the GUI thread: takes complete lines from the reader,
 * hands each to the device log writer, sends the lines the keyword filter passes to the view
 * and the recognised status records as typed signals.
 */
class cTextLogParser : public QThread
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(cTextLogParser)

public:
    cTextLogParser(cDataReader *reader, QObject *parent);
    ~cTextLogParser() override;

    void startParsing(const QString &keywords);
    void stopParsing();

    cDataWriter *writer() const { return m_writer; }

    /**
     * For a view that cannot take every line singly: with an interval above 0, shown lines also
     * arrive as linesFound() lists and only the latest record of each table cell is signalled,
     * both at most once per interval. 0 (the default) signals every record as it is found.
     * Set it while not running.
     */
    void setBatchInterval(int milliseconds) { m_batchMs = milliseconds; }

    /**
     * Batch mode: the view has shown the last linesFound() batch. Until it says so, no new batch
     * is sent; lines wait (the newest kMaxBatchLines of them) and records keep their latest value,
     * so a view that cannot keep up never lets events pile up.
     */
    void batchShown() { m_batchInFlight = false; }
    /**
     * Batch mode: the lines of the waiting batch, oldest first; *skipped counts the lines before
     * them that were too many to show (the device log has them). Any thread.
     */
    QStringList takeShownLines(int *skipped);
    /** At most this many lines go to the view per batch; older ones are counted as skipped. */
    static constexpr int kMaxBatchLines = 1000;

    /** Lines taken since the last start (any thread). */
    quint64 linesTaken() const { return m_lines.load(); }

    /** Emits the typed signal of a record (used by the loop, and by tools replaying records). */
    void emitRecord(const sLogRecord &record);

signals:
    void lineFound(QString line);
    void nav(quint32 tm, qint32 lon, qint32 lat, qint32 alt, quint8 sat, bool valid);
    void gsm(QString net, quint8 csq, quint8 state);
    void ain(quint8 num, quint32 val);
    void din(quint8 num, quint8 val);
    void fuel(quint8 num, qreal val, quint32 t);
    void canLog(quint16 rpm, quint16 flevel, qint16 temp, quint32 uptime, quint32 fconall, quint32 odometer);
    void canain(quint8 num, quint32 val);
    void candin(quint8 num, quint8 val);
    void canfuel(quint8 num, quint8 chanel, qreal val, quint32 t);
    void vin(quint32 val);
    void extvin(quint32 val);
    void vscap(quint32 val);
    void counter(quint8 num, quint32 val);
    void fmeter(quint8 num, quint32 val);
    void cancounter(quint8 num, quint32 val);
    void stor(quint8 cnum, quint32 id_max, quint32 id_min, quint32 tm_oldest, quint32 tm_oldest_unack,
              quint32 cnt_unack, quint32 cnt_unack_losted, quint32 cnt_ack_from_start, quint32 cnt_add_from_start);
    void tracker(quint8 cnum, quint32 cnt_ack, quint32 cnt_ack_realtime, quint32 cnt_noack, quint32 cnt_connect);
    void sos(quint32 presses, quint32 releases, bool state);
    void callreq(quint32 presses, quint32 releases, bool state);
    void cpu(double cpu, quint16 threads);
    void mem(quint32 hTotal, quint32 hUsed, quint32 mTotal, quint32 mUsed, quint32 mMin);
    void canlogext(quint32 high, quint32 low);
    /** Batch mode: a batch of shown lines waits for takeShownLines(). */
    void linesReady();
    /** Every typed record as one value too, for tools that print them all (not batched). */
    void recordFound(sLogRecord record);

protected:
    void run() override;

private:
    cDataReader *const m_reader;
    cDataWriter *const m_writer;
    cKeywordFilter m_filter;   // changed only while the thread is not running
    int m_batchMs = 0;
    std::atomic<bool> m_stop {false};
    std::atomic<bool> m_batchInFlight {false};
    // The batch on its way to the view: handed over under a lock, not inside a queued signal,
    // so that the hand-over is ordered for every thread checker too.
    QMutex m_outboxLock;
    QStringList m_outbox;
    int m_outboxSkipped = 0;
    std::atomic<quint64> m_lines {0};
};

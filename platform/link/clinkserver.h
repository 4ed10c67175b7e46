#pragma once

#include "platform/link/clinkdecoder.h"
#include "platform/link/linkprotocol.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>

#include <memory>

class iUnitServices;
class cLinkTxWindow;
class cLinkRxWindow;

/** Counters of the unit side, for tests, benchmarks and the simulated unit's status. */
struct sLinkServerStats
{
    quint64 framesIn = 0;
    quint64 framesDamaged = 0;
    quint64 requests = 0;
    quint64 replays = 0;           // repeated request ids answered from the cache
    quint64 blocksSent = 0;
    quint64 blocksResent = 0;
    quint64 blocksReceived = 0;
    quint64 textDropped = 0;       // unit text dropped because the output queue was full
};

/**
 * The unit's end of the link. Single-threaded and without timers of its own: the unit feeds it
 * what it receives and pulls what it may send when its line has room (at least every 10 ms
 * while hasWork()), so a throttled line never queues more than one frame ahead.
 */
class cLinkServer
{
public:
    explicit cLinkServer(iUnitServices *services);
    ~cLinkServer();
    Q_DISABLE_COPY_MOVE(cLinkServer)

    /** Largest file (upload or download) the unit accepts; larger headers are refused. */
    void setMaxFileSize(qint64 bytes);
    qint64 maxFileSize() const { return m_maxFileSize; }

    /** Bytes the unit received; text outside frames goes to iUnitServices::plainText. */
    void feed(const char *data, int length);
    void feed(const QByteArray &data) { feed(data.constData(), int(data.size())); }

    /** The unit's own text (log, prompts) to interleave with frames, between frames only. */
    void sendText(const QByteArray &text);

    /** Up to maxBytes of what the unit must send next; empty when there is nothing now. */
    QByteArray takeOutput(int maxBytes);
    /** True while output is pending or a transfer is running (keep calling takeOutput). */
    bool hasWork() const;
    /** True while a frame has been partly handed out by takeOutput. */
    bool inFrame() const { return m_currentPos > 0 && m_currentPos < m_current.size(); }

    const sLinkServerStats &stats() const { return m_stats; }

private:
    struct sCached
    {
        quint16 id = 0;
        QByteArray answer; // encoded answer frame
    };
    struct sDownload;
    struct sUpload;

    void handleFrame(const sLinkFrame &frame);
    void handleRequest(const sLinkFrame &frame);
    QByteArray execute(quint16 id, const QByteArray &payload);
    QByteArray blobAnswer(quint16 id, const QByteArray &args, bool ok, const QByteArray &blob,
                          const QString &error);
    QByteArray putRequest(quint16 id, const QByteArray &args);
    QByteArray commit(const QByteArray &path, const QByteArray &data, quint32 crc);
    QByteArray commitUpload(quint16 transferId);
    void checkTimeouts();
    void handleData(const sLinkFrame &frame);
    void handleAck(const sLinkFrame &frame);
    void queueControl(const sLinkFrame &frame);
    void endTransfers();
    bool nextFrame();
    qint64 now() const { return m_clock.elapsed(); }

    iUnitServices *m_services;
    cLinkDecoder m_decoder;
    QElapsedTimer m_clock;
    qint64 m_maxFileSize = zlink::kDefaultMaxFileSize;
    quint32 m_session = 0;
    bool m_hasSession = false;
    QList<sCached> m_cache;        // last answers, newest last, for replays
    QList<QByteArray> m_control;   // encoded answers and acks, sent before data
    QByteArray m_text;             // unit text waiting for a frame boundary
    QByteArray m_current;          // the frame (or text piece) being handed out
    qsizetype m_currentPos = 0;
    bool m_textTurn = false;
    std::unique_ptr<sDownload> m_download;
    std::unique_ptr<sUpload> m_upload;
    sLinkServerStats m_stats;
};

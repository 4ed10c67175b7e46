#pragma once

#include "platform/link/clinkdecoder.h"
#include "platform/link/linkprotocol.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QString>

#include <functional>

class iLinkTransport;

/** Tunables of one link session; the plug-ins fill them from their settings on every call. */
struct sLinkOptions
{
    int blockSize = zlink::kDefaultBlockSize;
    int window = zlink::kDefaultWindow;
    int retries = zlink::kDefaultRetries;      // whole-transfer retries after a checksum failure
    int timeoutMs = zlink::kDefaultTimeoutMs;  // bound of one request, and of a stalled transfer
    qint64 maxFileSize = zlink::kDefaultMaxFileSize;
};

/** Progress (percent of the current file) and the cancel query of one call; both may be empty. */
struct sLinkCallbacks
{
    std::function<void(int)> progress;
    std::function<bool()> cancelled;
};

/** Counters of the client side. */
struct sLinkClientStats
{
    quint64 framesIn = 0;
    quint64 framesDamaged = 0;
    quint64 requestsSent = 0;
    quint64 requestRetries = 0;
    quint64 blocksSent = 0;
    quint64 blocksResent = 0;
    quint64 blocksReceived = 0;
    quint64 transferRetries = 0;
    quint64 textBytes = 0;      // plain text (unit log) seen while waiting for frames
};

/**
 * The host's end of the link over any byte transport. Every call is bounded by its time-out,
 * checks every frame and every file, and returns false with lastError() rather than a doubtful
 * result. Not thread-safe: one caller at a time (the plug-ins lock a session per port handle).
 */
class cLinkClient
{
public:
    explicit cLinkClient(iLinkTransport *transport);
    ~cLinkClient();
    Q_DISABLE_COPY_MOVE(cLinkClient)

    void setOptions(const sLinkOptions &options);
    const sLinkOptions &options() const { return m_options; }
    /** Receives plain text that arrives while the client waits (the unit's log); may be empty. */
    void setTextSink(std::function<void(const QByteArray &)> sink);

    /** Writes plain text to the line (the unit's command line: "cli\r\n", "exit\r\n"). */
    bool sendText(const QByteArray &text);
    /** Starts a fresh session: the unit forgets transfers and cached answers of earlier ones. */
    bool sync(int timeoutMs);
    bool isSynced() const { return m_synced; }

    bool command(const QByteArray &text, int timeoutMs, QByteArray *answer,
                 const sLinkCallbacks &callbacks = {});
    /** The unit's listing answer text, as the unit gave it (see iUnitServices::listDir). */
    bool listDir(const QByteArray &path, QByteArray *answer, const sLinkCallbacks &callbacks = {});
    bool getFile(const QByteArray &path, QByteArray *data, const sLinkCallbacks &callbacks = {});
    bool putFile(const QByteArray &path, const QByteArray &data, const sLinkCallbacks &callbacks = {});
    bool makeDir(const QByteArray &path, const sLinkCallbacks &callbacks = {});
    bool deleteFile(const QByteArray &path, const sLinkCallbacks &callbacks = {});
    bool deleteDir(const QByteArray &path, const sLinkCallbacks &callbacks = {});
    bool renameFile(const QByteArray &from, const QByteArray &to, const sLinkCallbacks &callbacks = {});

    QString lastError() const { return m_error; }
    const sLinkClientStats &stats() const { return m_stats; }

private:
    struct sAnswer
    {
        quint8 status = 0;
        QByteArray body;
    };
    enum eWait { WaitOk, WaitTimeout, WaitCancelled, WaitLineLost };

    bool ensureSynced(int timeoutMs);
    eWait request(quint8 op, const QByteArray &args, int timeoutMs, const sLinkCallbacks &callbacks,
                  sAnswer *answer, quint16 *requestId = nullptr);
    bool simpleOp(quint8 op, const QByteArray &args, const sLinkCallbacks &callbacks);
    bool blobOp(quint8 op, const QByteArray &arg, int timeoutMs, const sLinkCallbacks &callbacks,
                QByteArray *result, bool isFile);
    int receiveBlob(quint16 id, const sAnswer &answer, int timeoutMs, const sLinkCallbacks &callbacks,
                    QByteArray *result, bool isFile);
    int sendBlocks(quint16 id, const QByteArray &data, int blockSize, int window,
                   const sLinkCallbacks &callbacks);
    bool abortTransfer(quint16 id);
    bool pump(int timeoutMs);
    bool takeFrame(sLinkFrame *frame);
    bool writeAll(const QByteArray &bytes);
    bool writeFrame(const sLinkFrame &frame);
    void ackStale(const sLinkFrame &frame);
    bool fail(const QString &error);
    quint16 nextId();
    int effectiveBlockSize() const;
    int effectiveWindow() const;

    iLinkTransport *m_transport;
    cLinkDecoder m_decoder;
    sLinkOptions m_options;
    std::function<void(const QByteArray &)> m_textSink;
    QList<sLinkFrame> m_pending;  // decoded, not yet consumed
    QElapsedTimer m_clock;
    QByteArray m_readBuffer;
    qint64 m_lastBytesAt = -1000;
    QString m_error;
    quint16 m_lastId = 0;
    quint16 m_lastTransfer = 0;   // finished download whose late blocks are answered with a full ack
    quint32 m_lastTransferBlocks = 0;
    bool m_synced = false;
    int m_unitMaxBlock = zlink::kMaxBlockSize;
    int m_unitMaxWindow = zlink::kMaxWindow;
    sLinkClientStats m_stats;
};

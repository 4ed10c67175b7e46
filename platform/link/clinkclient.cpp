#include "platform/link/clinkclient.h"

#include "platform/link/clinkrxwindow.h"
#include "platform/link/clinktxwindow.h"
#include "platform/link/ilinktransport.h"
#include "platform/link/linkbytes.h"

#include <QRandomGenerator>
#include <QThread>
#include <QtEndian>

namespace {

using zlink::put16;
using zlink::put32;

using zlink::kAckRepeatMs;
using zlink::kFirstResendMs;
using zlink::kMaxResendMs;
constexpr int kAbortTimeoutMs = 400;
constexpr int kReadChunk = 16384;

enum eBlobResult { BlobOk, BlobRetry, BlobFailed, BlobCancelled };

QString tooLarge(qint64 size, qint64 limit)
{
    return QStringLiteral("File too large: %1 bytes (limit %2)").arg(size).arg(limit);
}

bool isCancelled(const sLinkCallbacks &cb) { return cb.cancelled && cb.cancelled(); }

} // namespace

cLinkClient::cLinkClient(iLinkTransport *transport)
    : m_transport(transport)
    , m_readBuffer(kReadChunk, Qt::Uninitialized)
{
    m_clock.start();
}

cLinkClient::~cLinkClient() = default;

void cLinkClient::setOptions(const sLinkOptions &options)
{
    m_options = options;
    m_options.blockSize = qBound(zlink::kMinBlockSize, options.blockSize, zlink::kMaxBlockSize);
    m_options.window = qBound(zlink::kMinWindow, options.window, zlink::kMaxWindow);
    m_options.retries = qBound(0, options.retries, 100);
    m_options.timeoutMs = qBound(100, options.timeoutMs, 600000);
    m_options.maxFileSize = qBound<qint64>(0, options.maxFileSize, zlink::kHardMaxFileSize);
}

void cLinkClient::setTextSink(std::function<void(const QByteArray &)> sink)
{
    m_textSink = std::move(sink);
}

bool cLinkClient::fail(const QString &error)
{
    m_error = error;
    return false;
}

quint16 cLinkClient::nextId()
{
    ++m_lastId;
    if (m_lastId == 0)
        ++m_lastId;
    return m_lastId;
}

int cLinkClient::effectiveBlockSize() const { return qMin(m_options.blockSize, m_unitMaxBlock); }
int cLinkClient::effectiveWindow() const { return qMin(m_options.window, m_unitMaxWindow); }

bool cLinkClient::writeAll(const QByteArray &bytes)
{
    qsizetype done = 0;
    QElapsedTimer t;
    t.start();
    while (done < bytes.size()) {
        const int n = m_transport->write(bytes.constData() + done, int(bytes.size() - done));
        if (n < 0)
            return fail(QStringLiteral("Line closed"));
        if (n == 0) {
            if (t.elapsed() > m_options.timeoutMs)
                return fail(QStringLiteral("Time-out: the line does not take data"));
            QThread::msleep(1);
            continue;
        }
        done += n;
    }
    return true;
}

bool cLinkClient::writeFrame(const sLinkFrame &frame)
{
    return writeAll(zlink::encodeFrame(frame));
}

bool cLinkClient::sendText(const QByteArray &text)
{
    return writeAll(text);
}

bool cLinkClient::pump(int timeoutMs)
{
    const int n = m_transport->read(m_readBuffer.data(), int(m_readBuffer.size()), qMax(0, timeoutMs));
    if (n < 0) {
        m_synced = false;
        return fail(QStringLiteral("Line closed"));
    }
    if (n == 0)
        return true;
    m_lastBytesAt = m_clock.elapsed();
    QList<sLinkChunk> chunks;
    const quint64 damagedBefore = m_decoder.framesDamaged();
    m_decoder.feed(m_readBuffer.constData(), n, &chunks);
    m_stats.framesDamaged += m_decoder.framesDamaged() - damagedBefore;
    for (sLinkChunk &c : chunks) {
        if (c.isFrame) {
            ++m_stats.framesIn;
            m_pending.append(std::move(c.frame));
        } else {
            m_stats.textBytes += quint64(c.text.size());
            if (m_textSink)
                m_textSink(c.text);
        }
    }
    return true;
}

bool cLinkClient::takeFrame(sLinkFrame *frame)
{
    if (m_pending.isEmpty())
        return false;
    *frame = m_pending.takeFirst();
    return true;
}

void cLinkClient::ackStale(const sLinkFrame &frame)
{
    // Blocks of a download that is already complete here: the final ack was lost, say so again.
    if (frame.type == zlink::FrameData && m_lastTransfer != 0 && frame.id == m_lastTransfer) {
        sLinkFrame ack;
        ack.type = zlink::FrameAck;
        ack.id = frame.id;
        ack.seq = m_lastTransferBlocks;
        ack.payload = QByteArray(4, '\xFF');
        writeFrame(ack);
    }
}

cLinkClient::eWait cLinkClient::request(quint8 op, const QByteArray &args, int timeoutMs,
                                        const sLinkCallbacks &callbacks, sAnswer *answer, quint16 *requestId)
{
    sLinkFrame req;
    req.type = zlink::FrameRequest;
    req.id = nextId();
    req.payload.reserve(args.size() + 1);
    req.payload.append(char(op));
    req.payload.append(args);
    if (requestId)
        *requestId = req.id;
    const QByteArray encoded = zlink::encodeFrame(req);
    if (!writeAll(encoded))
        return WaitLineLost;
    ++m_stats.requestsSent;

    const qint64 start = m_clock.elapsed();
    const qint64 deadline = start + qMax(1, timeoutMs);
    int resendMs = kFirstResendMs;
    qint64 nextResend = start + resendMs;
    for (;;) {
        sLinkFrame f;
        while (takeFrame(&f)) {
            if (f.type == zlink::FrameAnswer && f.id == req.id && !f.payload.isEmpty()) {
                answer->status = quint8(f.payload[0]);
                answer->body = f.payload.mid(1);
                return WaitOk;
            }
            ackStale(f);
        }
        if (isCancelled(callbacks)) {
            fail(QStringLiteral("Cancelled"));
            return WaitCancelled;
        }
        const qint64 t = m_clock.elapsed();
        if (t >= deadline) {
            m_synced = false;
            fail(QStringLiteral("Time-out: the unit did not answer within %1 ms").arg(timeoutMs));
            return WaitTimeout;
        }
        // A long answer may still be on its way: while a frame is arriving, resending only adds
        // load. The unit's log text is no sign of an answer, and a frame that is not the answer
        // (a stale block) holds the resend back by one period at most.
        const bool frameArriving = m_decoder.inFrame() && t - m_lastBytesAt < 100 && t - nextResend < resendMs;
        if (t >= nextResend && !frameArriving) {
            if (!writeAll(encoded))
                return WaitLineLost;
            ++m_stats.requestRetries;
            resendMs = qMin(resendMs * 2, kMaxResendMs);
            nextResend = t + resendMs;
        }
        const qint64 resendWait = t >= nextResend ? 10 : nextResend - m_clock.elapsed();
        const qint64 wait = qMin(qMin(deadline - m_clock.elapsed(), resendWait), qint64(50));
        if (!pump(int(qMax<qint64>(1, wait))))
            return WaitLineLost;
    }
}

bool cLinkClient::sync(int timeoutMs)
{
    m_synced = false;
    m_pending.clear();
    m_decoder.reset();
    QByteArray args;
    put32(&args, QRandomGenerator::global()->generate());
    sAnswer a;
    if (request(zlink::OpHello, args, timeoutMs, {}, &a) != WaitOk)
        return false;
    if (a.status != zlink::StatusOk || a.body.size() < 9)
        return fail(QStringLiteral("The unit refused the link: %1").arg(QString::fromLatin1(a.body)));
    const quint16 version = qFromLittleEndian<quint16>(a.body.constData());
    if (version != zlink::kProtocolVersion)
        return fail(QStringLiteral("Unsupported link protocol version %1").arg(version));
    m_unitMaxBlock = qBound(zlink::kMinBlockSize, int(qFromLittleEndian<quint16>(a.body.constData() + 2)),
                            zlink::kMaxBlockSize);
    m_unitMaxWindow = qBound(zlink::kMinWindow, int(quint8(a.body[4])), zlink::kMaxWindow);
    m_lastTransfer = 0;
    m_synced = true;
    return true;
}

bool cLinkClient::ensureSynced(int timeoutMs)
{
    return m_synced || sync(timeoutMs);
}

bool cLinkClient::abortTransfer(quint16 id)
{
    m_transport->discardOutput();
    QByteArray args;
    put16(&args, id);
    sAnswer a;
    const eWait w = request(zlink::OpAbort, args, kAbortTimeoutMs, {}, &a);
    m_pending.clear();
    if (w != WaitOk)
        m_synced = false; // the next call starts a fresh session, which drops the transfer anyway
    return w == WaitOk;
}

bool cLinkClient::simpleOp(quint8 op, const QByteArray &args, const sLinkCallbacks &callbacks)
{
    if (!ensureSynced(m_options.timeoutMs))
        return false;
    sAnswer a;
    if (request(op, args, m_options.timeoutMs, callbacks, &a) != WaitOk)
        return false;
    if (a.status != zlink::StatusOk)
        return fail(QString::fromLatin1(a.body));
    m_error.clear();
    return true;
}

bool cLinkClient::makeDir(const QByteArray &path, const sLinkCallbacks &callbacks)
{
    if (!zlink::pathFits(path))
        return fail(QStringLiteral("Bad path"));
    return simpleOp(zlink::OpMakeDir, path, callbacks);
}

bool cLinkClient::deleteFile(const QByteArray &path, const sLinkCallbacks &callbacks)
{
    if (!zlink::pathFits(path))
        return fail(QStringLiteral("Bad path"));
    return simpleOp(zlink::OpDeleteFile, path, callbacks);
}

bool cLinkClient::deleteDir(const QByteArray &path, const sLinkCallbacks &callbacks)
{
    if (!zlink::pathFits(path))
        return fail(QStringLiteral("Bad path"));
    return simpleOp(zlink::OpDeleteDir, path, callbacks);
}

bool cLinkClient::renameFile(const QByteArray &from, const QByteArray &to, const sLinkCallbacks &callbacks)
{
    if (!zlink::pathFits(from) || !zlink::pathFits(to))
        return fail(QStringLiteral("Bad path"));
    QByteArray args;
    put16(&args, quint16(from.size()));
    args.append(from);
    args.append(to);
    return simpleOp(zlink::OpRename, args, callbacks);
}

bool cLinkClient::command(const QByteArray &text, int timeoutMs, QByteArray *answer,
                          const sLinkCallbacks &callbacks)
{
    if (text.size() > zlink::kMaxCommandBytes) {
        if (answer)
            answer->clear();
        return fail(QStringLiteral("Command too long"));
    }
    return blobOp(zlink::OpCommand, text, timeoutMs > 0 ? timeoutMs : m_options.timeoutMs, callbacks, answer,
                  false);
}

bool cLinkClient::listDir(const QByteArray &path, QByteArray *answer, const sLinkCallbacks &callbacks)
{
    // An empty path lists the root.
    if (!path.isEmpty() && !zlink::pathFits(path)) {
        if (answer)
            answer->clear();
        return fail(QStringLiteral("Bad path"));
    }
    return blobOp(zlink::OpList, path, m_options.timeoutMs, callbacks, answer, false);
}

bool cLinkClient::getFile(const QByteArray &path, QByteArray *data, const sLinkCallbacks &callbacks)
{
    if (!zlink::pathFits(path)) {
        if (data)
            data->clear();
        return fail(QStringLiteral("Bad path"));
    }
    return blobOp(zlink::OpGet, path, m_options.timeoutMs, callbacks, data, true);
}

bool cLinkClient::blobOp(quint8 op, const QByteArray &arg, int timeoutMs, const sLinkCallbacks &callbacks,
                         QByteArray *result, bool isFile)
{
    if (result)
        result->clear();
    if (!ensureSynced(qMin(timeoutMs, m_options.timeoutMs)))
        return false;
    for (int attempt = 0; attempt <= m_options.retries; ++attempt) {
        QByteArray args;
        put16(&args, quint16(effectiveBlockSize()));
        args.append(char(effectiveWindow()));
        args.append(arg);
        sAnswer a;
        quint16 id = 0;
        const eWait w = request(op, args, timeoutMs, callbacks, &a, &id);
        if (w != WaitOk)
            return false;
        if (a.status != zlink::StatusOk)
            return fail(QString::fromLatin1(a.body));
        QByteArray data;
        const int r = receiveBlob(id, a, timeoutMs, callbacks, &data, isFile);
        if (r == BlobOk) {
            if (result)
                *result = std::move(data);
            m_error.clear();
            return true;
        }
        if (r != BlobRetry)
            return false;
        ++m_stats.transferRetries;
    }
    return fail(QStringLiteral("Checksum mismatch: the transfer failed %1 times").arg(m_options.retries + 1));
}

int cLinkClient::receiveBlob(quint16 id, const sAnswer &answer, int timeoutMs, const sLinkCallbacks &callbacks,
                             QByteArray *result, bool isFile)
{
    if (answer.body.size() < 8) {
        fail(QStringLiteral("Malformed answer"));
        return BlobRetry;
    }
    const qint64 size = qFromLittleEndian<quint32>(answer.body.constData());
    const quint32 crc = qFromLittleEndian<quint32>(answer.body.constData() + 4);
    const int blockSize = effectiveBlockSize();
    const qint64 limit = m_options.maxFileSize;
    if (size > limit) {
        abortTransfer(id);
        fail(tooLarge(size, limit));
        return BlobFailed;
    }
    if (size <= blockSize) {
        const QByteArray data = answer.body.mid(8);
        if (data.size() != size || zlink::crc32(data) != crc) {
            fail(QStringLiteral("Checksum mismatch"));
            return BlobRetry;
        }
        if (isFile && callbacks.progress)
            callbacks.progress(100);
        *result = data;
        return BlobOk;
    }

    cLinkRxWindow rx;
    rx.start(size, blockSize, effectiveWindow());
    qint64 lastProgress = m_clock.elapsed();
    qint64 lastAck = lastProgress;
    int reported = -1;
    while (!rx.complete()) {
        bool ackDue = false;
        sLinkFrame f;
        while (takeFrame(&f)) {
            if (f.type == zlink::FrameData && f.id == id) {
                const auto r = rx.accept(f.seq, f.payload);
                if (r == cLinkRxWindow::Accepted) {
                    ++m_stats.blocksReceived;
                    lastProgress = m_clock.elapsed();
                }
                if (r != cLinkRxWindow::Invalid)
                    ackDue = true;
            } else {
                ackStale(f);
            }
        }
        const qint64 t = m_clock.elapsed();
        if (ackDue || t - lastAck >= kAckRepeatMs) {
            if (!writeFrame(rx.makeAck(id)))
                return BlobFailed;
            lastAck = t;
        }
        if (rx.complete())
            break;
        if (isFile && callbacks.progress && rx.percent() != reported) {
            reported = rx.percent();
            callbacks.progress(reported);
        }
        if (isCancelled(callbacks)) {
            abortTransfer(id);
            fail(QStringLiteral("Cancelled"));
            return BlobCancelled;
        }
        if (t - lastProgress > timeoutMs) {
            abortTransfer(id);
            m_synced = false;
            fail(QStringLiteral("Time-out: the transfer stalled for %1 ms").arg(timeoutMs));
            return BlobFailed;
        }
        if (!pump(20))
            return BlobFailed;
    }
    m_lastTransfer = id;
    m_lastTransferBlocks = quint32(rx.blocks());
    if (zlink::crc32(rx.data()) != crc) {
        fail(QStringLiteral("Checksum mismatch"));
        return BlobRetry;
    }
    if (isFile && callbacks.progress && reported != 100)
        callbacks.progress(100);
    *result = rx.takeData();
    return BlobOk;
}

bool cLinkClient::putFile(const QByteArray &path, const QByteArray &data, const sLinkCallbacks &callbacks)
{
    // The unit writes an upload under a temporary name first, which must fit too.
    if (!zlink::pathFits(path, zlink::kUploadSuffixBytes))
        return fail(QStringLiteral("Bad path"));
    if (data.size() > m_options.maxFileSize)
        return fail(tooLarge(data.size(), m_options.maxFileSize));
    if (!ensureSynced(m_options.timeoutMs))
        return false;
    const quint32 crc = zlink::crc32(data);
    for (int attempt = 0; attempt <= m_options.retries; ++attempt) {
        const int blockSize = effectiveBlockSize();
        const int window = effectiveWindow();
        const bool inlineData = data.size() <= blockSize;
        QByteArray args;
        put16(&args, quint16(blockSize));
        args.append(char(window));
        put32(&args, quint32(data.size()));
        put32(&args, crc);
        put16(&args, quint16(path.size()));
        args.append(path);
        if (inlineData)
            args.append(data);
        sAnswer a;
        quint16 id = 0;
        if (request(zlink::OpPut, args, m_options.timeoutMs, callbacks, &a, &id) != WaitOk) {
            if (isCancelled(callbacks))
                abortTransfer(id);
            return false;
        }
        if (a.status == zlink::StatusChecksum) {
            ++m_stats.transferRetries;
            continue;
        }
        if (a.status != zlink::StatusOk)
            return fail(QString::fromLatin1(a.body));
        if (!inlineData) {
            const int r = sendBlocks(id, data, blockSize, window, callbacks);
            if (r != BlobOk)
                return false;
            QByteArray commitArgs;
            put16(&commitArgs, id);
            if (request(zlink::OpCommit, commitArgs, m_options.timeoutMs, {}, &a) != WaitOk)
                return false;
            if (a.status == zlink::StatusChecksum) {
                ++m_stats.transferRetries;
                continue;
            }
            if (a.status != zlink::StatusOk)
                return fail(QString::fromLatin1(a.body));
        }
        if (callbacks.progress)
            callbacks.progress(100);
        m_error.clear();
        return true;
    }
    return fail(QStringLiteral("Checksum mismatch: the upload failed %1 times").arg(m_options.retries + 1));
}

int cLinkClient::sendBlocks(quint16 id, const QByteArray &data, int blockSize, int window,
                            const sLinkCallbacks &callbacks)
{
    cLinkTxWindow tx;
    const int blocks = int((data.size() + blockSize - 1) / blockSize);
    tx.start(blocks, window, m_clock.elapsed());
    int reported = -1;
    while (!tx.complete()) {
        if (isCancelled(callbacks)) {
            abortTransfer(id);
            fail(QStringLiteral("Cancelled"));
            return BlobCancelled;
        }
        const int block = tx.next(m_clock.elapsed());
        if (block >= 0) {
            sLinkFrame f;
            f.type = zlink::FrameData;
            f.id = id;
            f.seq = quint32(block);
            f.payload = data.mid(qsizetype(block) * blockSize, blockSize);
            if (tx.lastWasResend())
                ++m_stats.blocksResent;
            else
                ++m_stats.blocksSent;
            if (!writeFrame(f))
                return BlobFailed;
            tx.sent(block, m_clock.elapsed());
        }
        if (!pump(block >= 0 ? 0 : 10))
            return BlobFailed;
        sLinkFrame f;
        while (takeFrame(&f)) {
            if (f.type == zlink::FrameAck && f.id == id)
                tx.ack(f.seq, f.payload, m_clock.elapsed());
            else
                ackStale(f);
        }
        if (callbacks.progress) {
            const int p = blocks ? int(qint64(tx.ackedBlocks()) * 100 / blocks) : 100;
            if (p != reported && p < 100) {
                reported = p;
                callbacks.progress(p);
            }
        }
        if (m_clock.elapsed() - tx.lastProgressMs() > m_options.timeoutMs) {
            abortTransfer(id);
            m_synced = false;
            fail(QStringLiteral("Time-out: the unit stopped acknowledging for %1 ms").arg(m_options.timeoutMs));
            return BlobFailed;
        }
    }
    return BlobOk;
}

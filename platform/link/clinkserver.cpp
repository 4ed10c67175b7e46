#include "platform/link/clinkserver.h"

#include "platform/link/clinkrxwindow.h"
#include "platform/link/clinktxwindow.h"
#include "platform/link/iunitservices.h"
#include "platform/link/linkbytes.h"

#include <QtEndian>

namespace {

using zlink::put16;
using zlink::put32;
using zlink::u16;
using zlink::u32;

constexpr int kCacheSize = 32;
constexpr int kTextLimit = 64 * 1024;
constexpr int kTextPiece = 256;
using zlink::kAbandonMs;
using zlink::kAckRepeatMs;

QByteArray statusPayload(quint8 status, const QString &text = QString())
{
    QByteArray p(1, char(status));
    p.append(text.toLatin1());
    return p;
}

QString tooLarge(qint64 size, qint64 limit)
{
    return QStringLiteral("File too large: %1 bytes (limit %2)").arg(size).arg(limit);
}

QByteArray badRequest()
{
    return statusPayload(zlink::StatusBadRequest, QStringLiteral("Bad request"));
}

} // namespace

struct cLinkServer::sDownload
{
    quint16 id = 0;
    QByteArray blob;
    int blockSize = zlink::kDefaultBlockSize;
    cLinkTxWindow tx;
    qint64 lastHeard = 0;
};

struct cLinkServer::sUpload
{
    quint16 id = 0;
    QByteArray path;
    quint32 crc = 0;
    cLinkRxWindow rx;
    bool ackDue = false;
    qint64 lastHeard = 0;
    qint64 lastAck = 0;
};

cLinkServer::cLinkServer(iUnitServices *services)
    : m_services(services)
{
    m_clock.start();
}

cLinkServer::~cLinkServer() = default;

void cLinkServer::setMaxFileSize(qint64 bytes)
{
    m_maxFileSize = qBound<qint64>(0, bytes, zlink::kHardMaxFileSize);
}

void cLinkServer::feed(const char *data, int length)
{
    QList<sLinkChunk> chunks;
    const quint64 damagedBefore = m_decoder.framesDamaged();
    m_decoder.feed(data, length, &chunks);
    m_stats.framesDamaged += m_decoder.framesDamaged() - damagedBefore;
    for (const sLinkChunk &c : chunks) {
        if (c.isFrame) {
            ++m_stats.framesIn;
            handleFrame(c.frame);
        } else if (m_services) {
            m_services->plainText(c.text);
        }
    }
}

void cLinkServer::sendText(const QByteArray &text)
{
    if (m_text.size() + text.size() > kTextLimit) {
        m_stats.textDropped += quint64(text.size());
        return;
    }
    QByteArray clean = text;
    for (char &c : clean) {
        const quint8 b = quint8(c);
        if (b == zlink::kStartMarker || b == zlink::kEndMarker || b == zlink::kEscape)
            c = '?';
    }
    m_text.append(clean);
}

bool cLinkServer::hasWork() const
{
    return m_currentPos < m_current.size() || !m_control.isEmpty() || !m_text.isEmpty() || m_download
           || m_upload;
}

QByteArray cLinkServer::takeOutput(int maxBytes)
{
    QByteArray out;
    checkTimeouts();
    while (out.size() < maxBytes) {
        if (m_currentPos >= m_current.size()) {
            m_current.clear();
            m_currentPos = 0;
            if (!nextFrame())
                break;
        }
        const qsizetype n = qMin<qsizetype>(maxBytes - out.size(), m_current.size() - m_currentPos);
        out.append(m_current.constData() + m_currentPos, n);
        m_currentPos += n;
    }
    return out;
}

void cLinkServer::checkTimeouts()
{
    const qint64 t = now();
    if (m_download && t - m_download->lastHeard > kAbandonMs)
        m_download.reset();
    if (m_upload) {
        if (t - m_upload->lastHeard > kAbandonMs)
            m_upload.reset();
        else if (!m_upload->rx.complete() && t - qMax(m_upload->lastAck, m_upload->lastHeard) >= kAckRepeatMs)
            m_upload->ackDue = true;
    }
}

bool cLinkServer::nextFrame()
{
    if (!m_control.isEmpty()) {
        m_current = m_control.takeFirst();
        return true;
    }
    if (m_upload && m_upload->ackDue) {
        m_upload->ackDue = false;
        m_upload->lastAck = now();
        m_current = zlink::encodeFrame(m_upload->rx.makeAck(m_upload->id));
        return true;
    }
    // Text and data take turns, so a chatty unit cannot stall a download, nor the reverse.
    const bool textFirst = m_textTurn || !m_download;
    if (!m_text.isEmpty() && textFirst) {
        m_textTurn = false;
        m_current = m_text.left(kTextPiece);
        m_text.remove(0, m_current.size());
        return true;
    }
    m_textTurn = true;
    if (m_download) {
        const int block = m_download->tx.next(now());
        if (block >= 0) {
            sLinkFrame f;
            f.type = zlink::FrameData;
            f.id = m_download->id;
            f.seq = quint32(block);
            f.payload = m_download->blob.mid(qsizetype(block) * m_download->blockSize, m_download->blockSize);
            if (m_download->tx.lastWasResend())
                ++m_stats.blocksResent;
            else
                ++m_stats.blocksSent;
            m_download->tx.sent(block, now());
            m_current = zlink::encodeFrame(f);
            return true;
        }
    }
    if (!m_text.isEmpty()) {
        m_current = m_text.left(kTextPiece);
        m_text.remove(0, m_current.size());
        return true;
    }
    return false;
}

void cLinkServer::queueControl(const sLinkFrame &frame)
{
    m_control.append(zlink::encodeFrame(frame));
}

void cLinkServer::endTransfers()
{
    m_download.reset();
    m_upload.reset();
}

void cLinkServer::handleFrame(const sLinkFrame &frame)
{
    switch (frame.type) {
    case zlink::FrameRequest:
        handleRequest(frame);
        break;
    case zlink::FrameData:
        handleData(frame);
        break;
    case zlink::FrameAck:
        handleAck(frame);
        break;
    default:
        break; // answers are the unit's own; anything else is not for us
    }
}

void cLinkServer::handleRequest(const sLinkFrame &frame)
{
    if (frame.payload.isEmpty())
        return;
    const quint8 op = quint8(frame.payload[0]);
    if (op != zlink::OpHello) {
        for (const sCached &c : std::as_const(m_cache)) {
            if (c.id == frame.id) {
                ++m_stats.replays;
                if (!m_control.contains(c.answer))
                    m_control.append(c.answer);
                return;
            }
        }
    }
    ++m_stats.requests;
    const QByteArray answer = execute(frame.id, frame.payload);
    sLinkFrame a;
    a.type = zlink::FrameAnswer;
    a.id = frame.id;
    a.payload = answer;
    const QByteArray encoded = zlink::encodeFrame(a);
    m_cache.append({frame.id, encoded});
    while (m_cache.size() > kCacheSize)
        m_cache.removeFirst();
    m_control.append(encoded);
}

QByteArray cLinkServer::execute(quint16 id, const QByteArray &payload)
{
    const quint8 op = quint8(payload[0]);
    const QByteArray args = payload.mid(1);

    // A new request means the host has finished with any transfer, except the one it commits or aborts.
    if (op != zlink::OpCommit && op != zlink::OpAbort)
        endTransfers();

    QString error;
    switch (op) {
    case zlink::OpHello: {
        if (args.size() < 4)
            return statusPayload(zlink::StatusBadRequest, QStringLiteral("Bad request"));
        m_session = u32(args, 0);
        m_hasSession = true;
        m_cache.clear();
        m_control.clear();
        QByteArray p(1, char(zlink::StatusOk));
        put16(&p, zlink::kProtocolVersion);
        put16(&p, quint16(zlink::kMaxBlockSize));
        p.append(char(zlink::kMaxWindow));
        put32(&p, quint32(m_maxFileSize));
        return p;
    }
    case zlink::OpCommand:
        if (args.size() < 3 || args.size() - 3 > zlink::kMaxCommandBytes)
            return badRequest();
        return blobAnswer(id, args, true, m_services ? m_services->command(args.mid(3)) : QByteArray(), {});
    case zlink::OpList:
        if (args.size() < 3 || (args.size() > 3 && !zlink::pathFits(args.mid(3))))
            return badRequest();
        return blobAnswer(id, args, true, m_services ? m_services->listDir(args.mid(3)) : QByteArray(), {});
    case zlink::OpGet: {
        if (args.size() < 3 || !zlink::pathFits(args.mid(3)))
            return badRequest();
        QByteArray data;
        const bool ok = m_services && m_services->readFile(args.mid(3), &data, &error);
        return blobAnswer(id, args, ok, data, error.isEmpty() ? QStringLiteral("Can't read file") : error);
    }
    case zlink::OpPut:
        return putRequest(id, args);
    case zlink::OpCommit:
        if (args.size() < 2)
            return statusPayload(zlink::StatusBadRequest, QStringLiteral("Bad request"));
        return commitUpload(u16(args, 0));
    case zlink::OpAbort: {
        if (args.size() < 2)
            return statusPayload(zlink::StatusBadRequest, QStringLiteral("Bad request"));
        const quint16 t = u16(args, 0);
        if (m_download && m_download->id == t)
            m_download.reset();
        if (m_upload && m_upload->id == t)
            m_upload.reset();
        return statusPayload(zlink::StatusOk);
    }
    case zlink::OpMakeDir:
    case zlink::OpDeleteFile:
    case zlink::OpDeleteDir: {
        if (!zlink::pathFits(args) || !m_services)
            return statusPayload(zlink::StatusBadRequest, QStringLiteral("Bad request"));
        bool ok = false;
        if (op == zlink::OpMakeDir)
            ok = m_services->makeDir(args, &error);
        else if (op == zlink::OpDeleteFile)
            ok = m_services->deleteFile(args, &error);
        else
            ok = m_services->deleteDir(args, &error);
        return ok ? statusPayload(zlink::StatusOk)
                  : statusPayload(zlink::StatusFailed, error.isEmpty() ? QStringLiteral("Operation failed") : error);
    }
    case zlink::OpRename: {
        if (args.size() < 2 || !m_services)
            return statusPayload(zlink::StatusBadRequest, QStringLiteral("Bad request"));
        const int n = u16(args, 0);
        if (args.size() <= 2 + n || !zlink::pathFits(args.mid(2, n)) || !zlink::pathFits(args.mid(2 + n)))
            return badRequest();
        const bool ok = m_services->renameFile(args.mid(2, n), args.mid(2 + n), &error);
        return ok ? statusPayload(zlink::StatusOk)
                  : statusPayload(zlink::StatusFailed, error.isEmpty() ? QStringLiteral("Operation failed") : error);
    }
    default:
        return statusPayload(zlink::StatusUnknownOp, QStringLiteral("Unknown operation %1").arg(op));
    }
}

QByteArray cLinkServer::blobAnswer(quint16 id, const QByteArray &args, bool ok, const QByteArray &blob,
                                   const QString &error)
{
    if (!ok)
        return statusPayload(zlink::StatusFailed, error);
    const int blockSize = u16(args, 0);
    const int window = quint8(args[2]);
    if (blockSize < zlink::kMinBlockSize || blockSize > zlink::kMaxBlockSize || window < zlink::kMinWindow
        || window > zlink::kMaxWindow)
        return statusPayload(zlink::StatusBadRequest, QStringLiteral("Bad block size or window"));
    if (blob.size() > m_maxFileSize)
        return statusPayload(zlink::StatusTooLarge, tooLarge(blob.size(), m_maxFileSize));
    QByteArray p(1, char(zlink::StatusOk));
    put32(&p, quint32(blob.size()));
    put32(&p, zlink::crc32(blob));
    if (blob.size() <= blockSize) {
        p.append(blob);
        return p;
    }
    m_download = std::make_unique<sDownload>();
    m_download->id = id;
    m_download->blob = blob;
    m_download->blockSize = blockSize;
    m_download->tx.start(int((blob.size() + blockSize - 1) / blockSize), window, now());
    m_download->lastHeard = now();
    return p;
}

QByteArray cLinkServer::putRequest(quint16 id, const QByteArray &args)
{
    if (args.size() < 13)
        return statusPayload(zlink::StatusBadRequest, QStringLiteral("Bad request"));
    const int blockSize = u16(args, 0);
    const int window = quint8(args[2]);
    const qint64 size = u32(args, 3);
    const quint32 crc = u32(args, 7);
    const int pathLen = u16(args, 11);
    if (blockSize < zlink::kMinBlockSize || blockSize > zlink::kMaxBlockSize || window < zlink::kMinWindow
        || window > zlink::kMaxWindow || args.size() < 13 + pathLen
        || !zlink::pathFits(args.mid(13, pathLen), zlink::kUploadSuffixBytes))
        return statusPayload(zlink::StatusBadRequest, QStringLiteral("Bad request"));
    if (size > m_maxFileSize)
        return statusPayload(zlink::StatusTooLarge, tooLarge(size, m_maxFileSize));
    const QByteArray path = args.mid(13, pathLen);
    const QByteArray inlineData = args.mid(13 + pathLen);
    if (size <= blockSize) {
        if (inlineData.size() != size)
            return statusPayload(zlink::StatusBadRequest, QStringLiteral("Bad request"));
        return commit(path, inlineData, crc);
    }
    if (!inlineData.isEmpty())
        return statusPayload(zlink::StatusBadRequest, QStringLiteral("Bad request"));
    m_upload = std::make_unique<sUpload>();
    m_upload->id = id;
    m_upload->path = path;
    m_upload->crc = crc;
    m_upload->rx.start(size, blockSize, window);
    m_upload->lastHeard = now();
    m_upload->lastAck = now();
    return statusPayload(zlink::StatusOk);
}

QByteArray cLinkServer::commit(const QByteArray &path, const QByteArray &data, quint32 crc)
{
    if (zlink::crc32(data) != crc)
        return statusPayload(zlink::StatusChecksum, QStringLiteral("Checksum mismatch"));
    if (!m_services)
        return statusPayload(zlink::StatusFailed, QStringLiteral("Can't write file"));
    // The target is replaced only by a complete, checked file: a failure never leaves a half file.
    const QByteArray temp = path + zlink::kUploadSuffix;
    QString error;
    if (!m_services->writeFile(temp, data, &error)) {
        QString ignored;
        m_services->deleteFile(temp, &ignored);
        return statusPayload(zlink::StatusFailed, error.isEmpty() ? QStringLiteral("Can't write file") : error);
    }
    if (!m_services->renameFile(temp, path, &error)) {
        QString ignored;
        m_services->deleteFile(temp, &ignored);
        return statusPayload(zlink::StatusFailed, error.isEmpty() ? QStringLiteral("Can't rename file") : error);
    }
    return statusPayload(zlink::StatusOk);
}

QByteArray cLinkServer::commitUpload(quint16 transferId)
{
    if (!m_upload || m_upload->id != transferId)
        return statusPayload(zlink::StatusNoTransfer, QStringLiteral("No such transfer"));
    if (!m_upload->rx.complete()) {
        m_upload.reset();
        return statusPayload(zlink::StatusFailed, QStringLiteral("Upload incomplete"));
    }
    const QByteArray path = m_upload->path;
    const quint32 crc = m_upload->crc;
    const QByteArray data = m_upload->rx.takeData();
    m_upload.reset();
    return commit(path, data, crc);
}

void cLinkServer::handleData(const sLinkFrame &frame)
{
    if (!m_upload || m_upload->id != frame.id)
        return;
    m_upload->lastHeard = now();
    const auto r = m_upload->rx.accept(frame.seq, frame.payload);
    if (r == cLinkRxWindow::Invalid)
        return;
    if (r == cLinkRxWindow::Accepted)
        ++m_stats.blocksReceived;
    m_upload->ackDue = true;
}

void cLinkServer::handleAck(const sLinkFrame &frame)
{
    if (!m_download || m_download->id != frame.id)
        return;
    m_download->lastHeard = now();
    m_download->tx.ack(frame.seq, frame.payload, now());
    if (m_download->tx.complete())
        m_download.reset();
}

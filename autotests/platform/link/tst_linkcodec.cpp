#include "platform/link/clinkdecoder.h"
#include "platform/link/linkprotocol.h"
#include "platform/link/slinkframe.h"

#include <QRandomGenerator>
#include <QTest>

namespace {

sLinkFrame makeFrame(quint8 type, quint16 id, quint32 seq, const QByteArray &payload)
{
    sLinkFrame f;
    f.type = type;
    f.id = id;
    f.seq = seq;
    f.payload = payload;
    return f;
}

QByteArray allBytes()
{
    QByteArray b;
    for (int i = 0; i < 256; ++i)
        b.append(char(i));
    return b;
}

QByteArray randomBytes(int n, quint32 seed)
{
    QRandomGenerator g(seed);
    QByteArray b(n, '\0');
    for (char &c : b)
        c = char(g.bounded(256));
    return b;
}

// Decodes a stream fed in pieces of `step` bytes; returns the text and the frames in order.
QList<sLinkChunk> decodeAll(const QByteArray &stream, int step, cLinkDecoder *decoder)
{
    QList<sLinkChunk> out;
    for (qsizetype at = 0; at < stream.size(); at += step)
        decoder->feed(stream.constData() + at, int(qMin<qsizetype>(step, stream.size() - at)), &out);
    return out;
}

QByteArray textOf(const QList<sLinkChunk> &chunks)
{
    QByteArray t;
    for (const auto &c : chunks)
        if (!c.isFrame)
            t += c.text;
    return t;
}

QList<sLinkFrame> framesOf(const QList<sLinkChunk> &chunks)
{
    QList<sLinkFrame> f;
    for (const auto &c : chunks)
        if (c.isFrame)
            f.append(c.frame);
    return f;
}

} // namespace

class tst_LinkCodec : public QObject
{
    Q_OBJECT

private slots:
    void crcKnownValues_data();
    void crcKnownValues();
    void roundTrip_data();
    void roundTrip();
    void markersNeverInsideFrame();
    void textAroundFrames_data();
    void textAroundFrames();
    void damagedFrame_data();
    void damagedFrame();
    void everySingleBitFlipIsCaught();
    void textAfterDamagedEndMarkerKept();
    void oversizedFrameBounded();
};

void tst_LinkCodec::crcKnownValues_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<quint32>("crc");
    QTest::newRow("empty") << QByteArray() << 0x00000000u;
    QTest::newRow("check string") << QByteArray("123456789") << 0xCBF43926u;
    QTest::newRow("fox") << QByteArray("The quick brown fox jumps over the lazy dog") << 0x414FA339u;
}

void tst_LinkCodec::crcKnownValues()
{
    QFETCH(QByteArray, data);
    QFETCH(quint32, crc);
    QCOMPARE(zlink::crc32(data), crc);
    // Continuing over two halves gives the same value as one pass.
    const qsizetype half = data.size() / 2;
    QCOMPARE(zlink::crc32(data.mid(half), zlink::crc32(data.left(half))), crc);
}

void tst_LinkCodec::roundTrip_data()
{
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<int>("step");
    QTest::newRow("empty") << QByteArray() << 1;
    QTest::newRow("one byte") << QByteArray("x") << 1;
    QTest::newRow("only markers") << QByteArray("\xC0\xC1\xF5\xC0\xF5\xF5", 6) << 1;
    QTest::newRow("escaped forms unescaped") << QByteArray("\xE0\xE1\xD5", 3) << 2;
    QTest::newRow("all byte values") << allBytes() << 7;
    QTest::newRow("largest payload") << randomBytes(zlink::kMaxPayload, 3) << 4096;
    QTest::newRow("random block, byte by byte") << randomBytes(1024, 9) << 1;
}

void tst_LinkCodec::roundTrip()
{
    QFETCH(QByteArray, payload);
    QFETCH(int, step);
    const sLinkFrame in = makeFrame(zlink::FrameData, 0xBEEF, 0xDEADBEEF, payload);
    const QByteArray wire = zlink::encodeFrame(in);
    QVERIFY(wire.size() <= zlink::maxEncodedSize(int(payload.size())));
    cLinkDecoder dec;
    const auto chunks = decodeAll(wire, step, &dec);
    const auto frames = framesOf(chunks);
    QCOMPARE(frames.size(), 1);
    QCOMPARE(frames[0].type, in.type);
    QCOMPARE(frames[0].id, in.id);
    QCOMPARE(frames[0].seq, in.seq);
    QCOMPARE(frames[0].payload, payload);
    QVERIFY(textOf(chunks).isEmpty());
    QCOMPARE(dec.framesDamaged(), 0u);
}

void tst_LinkCodec::markersNeverInsideFrame()
{
    const QByteArray wire = zlink::encodeFrame(makeFrame(zlink::FrameData, 0xC0C1, 0xF5C0C1F5, allBytes()));
    QCOMPARE(quint8(wire.front()), zlink::kStartMarker);
    QCOMPARE(quint8(wire.back()), zlink::kEndMarker);
    const QByteArray inner = wire.mid(1, wire.size() - 2);
    QVERIFY(!inner.contains(char(zlink::kStartMarker)));
    QVERIFY(!inner.contains(char(zlink::kEndMarker)));
}

void tst_LinkCodec::textAroundFrames_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("between");
    QTest::addColumn<QByteArray>("after");
    QTest::newRow("no text") << QByteArray() << QByteArray() << QByteArray();
    QTest::newRow("log before") << QByteArray("NAV: lat=55.1 lon=37.2\r\n") << QByteArray() << QByteArray();
    QTest::newRow("log between") << QByteArray() << QByteArray("GSM: csq=17\r\n") << QByteArray();
    QTest::newRow("partial line after") << QByteArray() << QByteArray() << QByteArray("IN1=0 IN2");
    QTest::newRow("utf-8 all around") << QByteArray("\xD0\x9F\xD1\x80\xD0\xB8") << QByteArray("\xE2\x82\xAC")
                                      << QByteArray("\xF0\x9F\x98\x80\r\n");
}

void tst_LinkCodec::textAroundFrames()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, between);
    QFETCH(QByteArray, after);
    const sLinkFrame a = makeFrame(zlink::FrameAnswer, 1, 0, "first");
    const sLinkFrame b = makeFrame(zlink::FrameAnswer, 2, 0, allBytes());
    const QByteArray stream = before + zlink::encodeFrame(a) + between + zlink::encodeFrame(b) + after;
    for (int step : {1, 2, 3, 5, 64, int(stream.size())}) {
        cLinkDecoder dec;
        const auto chunks = decodeAll(stream, step, &dec);
        QCOMPARE(textOf(chunks), before + between + after);
        const auto frames = framesOf(chunks);
        QCOMPARE(frames.size(), 2);
        QCOMPARE(frames[0].payload, a.payload);
        QCOMPARE(frames[1].payload, b.payload);
        // Order is kept: text before the first frame comes before it.
        if (!before.isEmpty())
            QVERIFY(!chunks.first().isFrame);
    }
}

void tst_LinkCodec::damagedFrame_data()
{
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<int>("goodFrames");
    QTest::addColumn<QByteArray>("text");
    const QByteArray good = zlink::encodeFrame(makeFrame(zlink::FrameAnswer, 7, 0, "ok"));
    QByteArray badCrc = good;
    badCrc[badCrc.size() - 2] = char(badCrc[badCrc.size() - 2] ^ 0x01);
    QByteArray badEscape = good;
    badEscape.insert(3, char(zlink::kEscape));
    badEscape.insert(4, 'A');
    const QByteArray truncated = good.left(good.size() - 3);
    QByteArray shortFrame;
    shortFrame.append(char(zlink::kStartMarker)).append("abc").append(char(zlink::kEndMarker));
    QTest::newRow("bad crc") << badCrc + good << 1 << QByteArray();
    QTest::newRow("bad escape") << badEscape + good << 1 << QByteArray();
    QTest::newRow("cut by next frame") << truncated + good << 1 << QByteArray();
    QTest::newRow("too short") << shortFrame + "log\r\n" + good << 1 << QByteArray("log\r\n");
    QTest::newRow("stray end marker") << QByteArray("a") + char(zlink::kEndMarker) + "b" + good << 1
                                      << QByteArray("a\xC1" "b");
}

void tst_LinkCodec::damagedFrame()
{
    QFETCH(QByteArray, stream);
    QFETCH(int, goodFrames);
    QFETCH(QByteArray, text);
    cLinkDecoder dec;
    const auto chunks = decodeAll(stream, 1, &dec);
    const auto frames = framesOf(chunks);
    QCOMPARE(frames.size(), goodFrames);
    for (const auto &f : frames)
        QCOMPARE(f.payload, QByteArray("ok"));
    QCOMPARE(textOf(chunks), text);
}

void tst_LinkCodec::everySingleBitFlipIsCaught()
{
    // No single flipped bit anywhere in a frame may yield a frame with other content.
    const sLinkFrame in = makeFrame(zlink::FrameAnswer, 0x1234, 5, "|notes.txt*-rw*1700000000*512|");
    const QByteArray wire = zlink::encodeFrame(in);
    int delivered = 0;
    for (int i = 0; i < wire.size(); ++i) {
        for (int bit = 0; bit < 8; ++bit) {
            QByteArray w = wire;
            w[i] = char(w[i] ^ (1 << bit));
            cLinkDecoder dec;
            const auto frames = framesOf(decodeAll(w, 16, &dec));
            for (const auto &f : frames) {
                QCOMPARE(f.payload, in.payload);
                QCOMPARE(f.id, in.id);
                ++delivered;
            }
        }
    }
    QCOMPARE(delivered, 0);
}

void tst_LinkCodec::textAfterDamagedEndMarkerKept()
{
    QByteArray frame = zlink::encodeFrame(makeFrame(zlink::FrameAnswer, 1, 0, "answer"));
    frame[frame.size() - 1] = '\n'; // the end marker was hit by noise
    cLinkDecoder dec;
    const auto chunks = decodeAll(frame + "next log line\r\n", 1, &dec);
    QVERIFY(framesOf(chunks).isEmpty());
    QVERIFY(textOf(chunks).endsWith("next log line\r\n"));
    QCOMPARE(dec.framesDamaged(), 1u);
}

void tst_LinkCodec::oversizedFrameBounded()
{
    // A frame that never ends must not grow without bound, and the decoder must recover.
    QByteArray junk(1, char(zlink::kStartMarker));
    junk.append(QByteArray(200000, 'z'));
    const QByteArray good = zlink::encodeFrame(makeFrame(zlink::FrameAnswer, 3, 0, "ok"));
    cLinkDecoder dec;
    const auto chunks = decodeAll(junk + good, 4096, &dec);
    const auto frames = framesOf(chunks);
    QCOMPARE(frames.size(), 1);
    QCOMPARE(frames[0].payload, QByteArray("ok"));
    QVERIFY(dec.framesDamaged() >= 1);
}

QTEST_GUILESS_MAIN(tst_LinkCodec)
#include "tst_linkcodec.moc"

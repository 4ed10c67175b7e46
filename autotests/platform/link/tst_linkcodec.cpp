#include "autotests/platform/link/randombytes.h"
#include "platform/link/clinkdecoder.h"
#include "platform/link/linkprotocol.h"
#include "platform/link/slinkframe.h"

#include <QTest>

namespace {

QByteArray frame(quint16 id, const QByteArray &payload, quint8 type = zlink::FrameAnswer, quint32 seq = 0)
{
    sLinkFrame f;
    f.type = type;
    f.id = id;
    f.seq = seq;
    f.payload = payload;
    return zlink::encodeFrame(f);
}

struct sDecoded
{
    QByteArray text;
    QList<sLinkFrame> frames;
    bool textFirst = false;
};

// Feeds the stream in pieces of `step` bytes, as reads from a port would deliver it.
sDecoded decode(const QByteArray &stream, int step, cLinkDecoder *decoder)
{
    QList<sLinkChunk> out;
    for (qsizetype at = 0; at < stream.size(); at += step)
        decoder->feed(stream.constData() + at, int(qMin<qsizetype>(step, stream.size() - at)), &out);
    sDecoded d;
    d.textFirst = !out.isEmpty() && !out.first().isFrame;
    for (const auto &c : out) {
        if (c.isFrame)
            d.frames.append(c.frame);
        else
            d.text += c.text;
    }
    return d;
}

} // namespace

class tst_LinkCodec : public QObject
{
    Q_OBJECT

private slots:
    void crc();
    void roundTrip_data();
    void roundTrip();
    void damagedFrame_data();
    void damagedFrame();
    void everySingleBitFlipIsCaught();
};

void tst_LinkCodec::crc()
{
    // The standard check value, also when computed in two pieces as the transfer does.
    QCOMPARE(zlink::crc32(QByteArray()), 0u);
    QCOMPARE(zlink::crc32(QByteArray("123456789")), 0xCBF43926u);
    QCOMPARE(zlink::crc32(QByteArray("56789"), zlink::crc32(QByteArray("1234"))), 0xCBF43926u);
}

void tst_LinkCodec::roundTrip_data()
{
    QTest::addColumn<QByteArray>("payload");
    QByteArray all;
    for (int i = 0; i < 256; ++i)
        all.append(char(i));
    QTest::newRow("empty") << QByteArray();
    // Raw bytes that look like escaped forms must come back unchanged.
    QTest::newRow("markers and escaped forms") << QByteArray("\xC0\xC1\xF5\xC0\xF5\xF5\xE0\xE1\xD5", 9);
    QTest::newRow("all byte values") << all;
    QTest::newRow("largest payload") << randomBytes(zlink::kMaxPayload, 3);
}

void tst_LinkCodec::roundTrip()
{
    QFETCH(QByteArray, payload);
    // Header fields full of marker bytes must be escaped as well as the payload.
    const QByteArray wire = frame(0xC0C1, payload, zlink::FrameData, 0xF5C0C1F5);
    QVERIFY(wire.size() <= zlink::maxEncodedSize(int(payload.size())));
    const QByteArray inner = wire.mid(1, wire.size() - 2);
    QVERIFY(!inner.contains(char(zlink::kStartMarker)) && !inner.contains(char(zlink::kEndMarker)));
    // The unit's log runs around the frames; its last line may still be incomplete.
    const QByteArray before = "NAV: lat=55.1 \xD0\x9F\xD1\x80\r\n";
    const QByteArray between = "GSM: csq=17 \xE2\x82\xAC\r\n";
    const QByteArray after = "IN1=0 \xF0\x9F\x98\x80";
    const QByteArray stream = before + wire + between + frame(2, "next") + after;
    for (int step : {1, 3, 64, int(stream.size())}) {
        cLinkDecoder dec;
        const sDecoded d = decode(stream, step, &dec);
        QCOMPARE(d.text, before + between + after);
        QVERIFY(d.textFirst);
        QCOMPARE(d.frames.size(), 2);
        QCOMPARE(d.frames[0].type, quint8(zlink::FrameData));
        QCOMPARE(d.frames[0].id, quint16(0xC0C1));
        QCOMPARE(d.frames[0].seq, 0xF5C0C1F5u);
        QCOMPARE(d.frames[0].payload, payload);
        QCOMPARE(d.frames[1].payload, QByteArray("next"));
        QCOMPARE(dec.framesDamaged(), 0u);
    }
}

void tst_LinkCodec::damagedFrame_data()
{
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("textIsTail"); // bytes of the broken frame may come out as text first
    QTest::addColumn<int>("damaged");
    const QByteArray good = frame(7, "ok");
    QByteArray badCrc = good;
    badCrc[badCrc.size() - 2] = char(badCrc[badCrc.size() - 2] ^ 0x01);
    QByteArray badEscape = good;
    badEscape.insert(3, QByteArray(1, char(zlink::kEscape)) + 'A');
    QByteArray lostEnd = frame(1, "answer");
    lostEnd[lostEnd.size() - 1] = '\n';
    const QByteArray endless = char(zlink::kStartMarker) + QByteArray(200000, 'z');
    QTest::newRow("bad crc") << badCrc + good << QByteArray() << false << 1;
    QTest::newRow("bad escape") << badEscape + good << QByteArray() << false << 1;
    QTest::newRow("cut by next frame") << good.left(good.size() - 3) + good << QByteArray() << false << 1;
    const QByteArray tooShort = char(zlink::kStartMarker) + QByteArray("abc") + char(zlink::kEndMarker);
    QTest::newRow("too short") << tooShort + "log\r\n" + good << QByteArray("log\r\n") << false << 1;
    QTest::newRow("stray end marker") << QByteArray("a") + char(zlink::kEndMarker) + "b" + good
                                      << QByteArray("a\xC1" "b") << false << 0;
    QTest::newRow("end marker hit by noise") << lostEnd + "next log line\r\n" + good
                                             << QByteArray("next log line\r\n") << true << 1;
    QTest::newRow("frame that never ends") << endless + good << QByteArray() << false << 1;
}

void tst_LinkCodec::damagedFrame()
{
    QFETCH(QByteArray, stream);
    QFETCH(QByteArray, text);
    QFETCH(bool, textIsTail);
    QFETCH(int, damaged);
    cLinkDecoder dec;
    const sDecoded d = decode(stream, 1, &dec);
    // The damaged frame is dropped and the good one after it still arrives.
    QCOMPARE(d.frames.size(), 1);
    QCOMPARE(d.frames[0].payload, QByteArray("ok"));
    if (textIsTail)
        QVERIFY2(d.text.endsWith(text), d.text.right(64).constData());
    else
        QCOMPARE(d.text, text);
    QCOMPARE(dec.framesDamaged(), quint64(damaged));
}

void tst_LinkCodec::everySingleBitFlipIsCaught()
{
    // No single flipped bit anywhere in a frame may yield a frame with other content.
    const QByteArray wire = frame(0x1234, "|notes.txt*-rw*1700000000*512|", zlink::FrameAnswer, 5);
    int delivered = 0;
    for (int i = 0; i < wire.size(); ++i) {
        for (int bit = 0; bit < 8; ++bit) {
            QByteArray w = wire;
            w[i] = char(w[i] ^ (1 << bit));
            cLinkDecoder dec;
            delivered += int(decode(w, 16, &dec).frames.size());
        }
    }
    QCOMPARE(delivered, 0);
}

QTEST_GUILESS_MAIN(tst_LinkCodec)
#include "tst_linkcodec.moc"

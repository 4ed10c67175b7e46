#include "platform/link/clinkdecoder.h"
#include "platform/link/linkprotocol.h"
#include "platform/link/slinkframe.h"

#include <QRandomGenerator>
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
    void crc_data();
    void crc();
    void roundTrip_data();
    void roundTrip();
    void textAroundFrames_data();
    void textAroundFrames();
    void damagedFrame_data();
    void damagedFrame();
    void everySingleBitFlipIsCaught();
};

void tst_LinkCodec::crc_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<quint32>("crc");
    QTest::newRow("empty") << QByteArray() << 0x00000000u;
    QTest::newRow("check string") << QByteArray("123456789") << 0xCBF43926u;
    QTest::newRow("fox") << QByteArray("The quick brown fox jumps over the lazy dog") << 0x414FA339u;
}

void tst_LinkCodec::crc()
{
    QFETCH(QByteArray, data);
    QFETCH(quint32, crc);
    QCOMPARE(zlink::crc32(data), crc);
    const qsizetype half = data.size() / 2;
    QCOMPARE(zlink::crc32(data.mid(half), zlink::crc32(data.left(half))), crc);
}

void tst_LinkCodec::roundTrip_data()
{
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<int>("step");
    QTest::newRow("empty") << QByteArray() << 1;
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
    // Header fields full of marker bytes must be escaped as well as the payload.
    const QByteArray wire = frame(0xC0C1, payload, zlink::FrameData, 0xF5C0C1F5);
    QVERIFY(wire.size() <= zlink::maxEncodedSize(int(payload.size())));
    QCOMPARE(quint8(wire.front()), zlink::kStartMarker);
    QCOMPARE(quint8(wire.back()), zlink::kEndMarker);
    const QByteArray inner = wire.mid(1, wire.size() - 2);
    QVERIFY(!inner.contains(char(zlink::kStartMarker)));
    QVERIFY(!inner.contains(char(zlink::kEndMarker)));

    cLinkDecoder dec;
    const sDecoded d = decode(wire, step, &dec);
    QCOMPARE(d.frames.size(), 1);
    QCOMPARE(d.frames[0].type, quint8(zlink::FrameData));
    QCOMPARE(d.frames[0].id, quint16(0xC0C1));
    QCOMPARE(d.frames[0].seq, 0xF5C0C1F5u);
    QCOMPARE(d.frames[0].payload, payload);
    QVERIFY(d.text.isEmpty());
    QCOMPARE(dec.framesDamaged(), 0u);
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
    const QByteArray stream = before + frame(1, "first") + between + frame(2, allBytes()) + after;
    for (int step : {1, 2, 3, 5, 64, int(stream.size())}) {
        cLinkDecoder dec;
        const sDecoded d = decode(stream, step, &dec);
        QCOMPARE(d.text, before + between + after);
        QCOMPARE(d.frames.size(), 2);
        QCOMPARE(d.frames[0].payload, QByteArray("first"));
        QCOMPARE(d.frames[1].payload, allBytes());
        QCOMPARE(d.textFirst, !before.isEmpty());
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

#include "cmemoryunit.h"

#include "platform/link/clinkchannel.h"
#include "platform/link/clinkclient.h"
#include "platform/link/clinkdecoder.h"
#include "platform/link/clinkserver.h"
#include "platform/link/clinkserverrunner.h"
#include "platform/link/linkbytes.h"
#include "platform/link/linkprotocol.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTest>

#include <algorithm>
#include <memory>

namespace {

QByteArray randomBytes(qsizetype n, quint32 seed)
{
    QRandomGenerator g(seed);
    QByteArray b(n, Qt::Uninitialized);
    for (char &c : b)
        c = char(g.generate());
    return b;
}

sLinkFaults faults(double flip, double drop, int latency = 0, qint64 rate = 0, quint32 seed = 1)
{
    return sLinkFaults{flip, drop, latency, rate, seed};
}

// One simulated line with a unit on the far end.
struct sRig
{
    explicit sRig(const sLinkFaults &toUnit = {}, const sLinkFaults &toHost = {}, qint64 unitLimit = -1)
    {
        channel.setFaults(cLinkChannel::ToUnit, toUnit);
        channel.setFaults(cLinkChannel::ToHost, toHost);
        runner = std::make_unique<cLinkServerRunner>(channel.unitEnd(), &unit, [this] {
            // Pull output only when the line is nearly empty, as a throttled unit does.
            return channel.pending(cLinkChannel::ToHost) < 256 ? 2048 : 0;
        });
        if (unitLimit >= 0)
            runner->setMaxFileSize(unitLimit);
        runner->start();
        client = std::make_unique<cLinkClient>(channel.hostEnd());
        setOption(&sLinkOptions::timeoutMs, 3000);
    }
    ~sRig()
    {
        client.reset();
        runner->stop();
    }
    template<typename T>
    void setOption(T sLinkOptions::*field, T value)
    {
        sLinkOptions o = client->options();
        o.*field = value;
        client->setOptions(o);
    }
    sLinkServerStats unitStats()
    {
        sLinkServerStats s;
        runner->call([&s](cLinkServer &server) { s = server.stats(); });
        return s;
    }

    cMemoryUnit unit;
    cLinkChannel channel;
    std::unique_ptr<cLinkServerRunner> runner;
    std::unique_ptr<cLinkClient> client;
};

QByteArray request(quint16 id, quint8 op, const QByteArray &args)
{
    sLinkFrame f;
    f.type = zlink::FrameRequest;
    f.id = id;
    f.payload = char(op) + args;
    return zlink::encodeFrame(f);
}

QByteArray putArgs(quint32 size, quint32 crc, const QByteArray &path, const QByteArray &inlineData = {})
{
    QByteArray a;
    zlink::put16(&a, 1024);
    a.append(char(8));
    zlink::put32(&a, size);
    zlink::put32(&a, crc);
    zlink::put16(&a, quint16(path.size()));
    return a + path + inlineData;
}

QList<sLinkFrame> answers(cLinkServer *server)
{
    const QByteArray wire = server->takeOutput(1 << 20);
    cLinkDecoder dec;
    QList<sLinkChunk> out;
    dec.feed(wire.constData(), int(wire.size()), &out);
    QList<sLinkFrame> frames;
    for (const auto &c : out)
        if (c.isFrame)
            frames.append(c.frame);
    return frames;
}

} // namespace

class tst_LinkTransfer : public QObject
{
    Q_OBJECT

private slots:
    void transfer_data();
    void transfer();
    void cancel_data();
    void cancel();
    void retriedDeleteDeletesOnce();
    void largestFramesPass();
    void tooLarge();
    void rawRequests_data();
    void rawRequests();
    void failedUploadKeepsOldFile();
    void deadLineFails();
};

void tst_LinkTransfer::transfer_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<bool>("upload");
    QTest::addColumn<double>("flip");
    QTest::addColumn<double>("drop");
    QTest::addColumn<int>("latency");
    QTest::addColumn<qint64>("rate");
    const QList<std::pair<const char *, int>> sizes = {
        {"empty", 0}, {"block plus one", zlink::kDefaultBlockSize + 1}, {"128 KiB", 128 * 1024}, {"3 MiB", 3 * 1024 * 1024 + 17}};
    struct sLine { const char *name; double flip; double drop; int latency; qint64 rate; };
    // About one 1 KiB frame in five damaged on the noisy lines: far worse than a real serial cable.
    const sLine lines[] = {{"clean", 0, 0, 0, 0}, {"flips", 2e-4, 0, 0, 0}, {"drops", 0, 2e-4, 0, 0},
                           {"flips+drops+delay", 1e-4, 1e-4, 15, 0}, {"slow noisy", 2e-4, 0, 0, 57600}};
    for (const auto &s : sizes) {
        for (const sLine &l : lines) {
            if (s.second > 1000000 && (l.latency > 0 || l.drop > 0 || l.rate > 0))
                continue; // the big file is covered by the other lines; keeps the suite short
            for (bool up : {false, true})
                QTest::addRow("%s %s %s", up ? "put" : "get", s.first, l.name)
                    << s.second << up << l.flip << l.drop << l.latency << l.rate;
        }
    }
}

void tst_LinkTransfer::transfer()
{
    QFETCH(int, size);
    QFETCH(bool, upload);
    QFETCH(double, flip);
    QFETCH(double, drop);
    QFETCH(int, latency);
    QFETCH(qint64, rate);
    const quint32 seed = quint32(size) * 7 + (upload ? 1 : 2);
    sRig rig(faults(flip, drop, latency, rate, seed), faults(flip, drop, latency, rate, seed + 100));
    const QByteArray data = randomBytes(size, seed);
    QByteArray seen;
    rig.client->setTextSink([&seen](const QByteArray &t) { seen += t; });
    QList<int> progress;
    sLinkCallbacks cb;
    cb.progress = [&](int p) {
        progress.append(p);
        // The unit keeps printing its log while the host works.
        const QByteArray line = "NAV: sats=" + QByteArray::number(progress.size()) + "\r\n";
        rig.runner->call([line](cLinkServer &s) { s.sendText(line); });
    };
    bool ok = false;
    QByteArray got;
    if (upload) {
        ok = rig.client->putFile("/statfs/up.bin", data, cb);
        got = rig.unit.files().value("/statfs/up.bin");
    } else {
        rig.unit.setFile("/statfs/down.bin", data);
        ok = rig.client->getFile("/statfs/down.bin", &got, cb);
    }
    if (flip == 0 && drop == 0)
        QVERIFY2(ok, qPrintable(rig.client->lastError()));
    if (ok) {
        QVERIFY(got == data);
        QCOMPARE(progress.last(), 100);
        QVERIFY(std::is_sorted(progress.cbegin(), progress.cend()));
        if (flip == 0 && drop == 0 && size > 100000) // text sent after the last answer stays unread
            QVERIFY2(seen.startsWith("NAV: sats=1\r\n"), seen.left(64).constData());
    } else if (upload) {
        QVERIFY(!rig.unit.files().contains("/statfs/up.bin"));
    }
    for (const QByteArray &name : rig.unit.files().keys())
        QVERIFY2(!name.endsWith(".zt-part"), name.constData());
    if (rate > 0) {
        // A slow line holds a whole window in flight: copies must go out only for blocks that are
        // really lost, or the line fills with duplicates and the transfer crawls.
        const sLinkServerStats unit = rig.unitStats();
        const quint64 resent = upload ? rig.client->stats().blocksResent : unit.blocksResent;
        const quint64 damaged = upload ? unit.framesDamaged : rig.client->stats().framesDamaged;
        QVERIFY2(resent <= damaged + 3, qPrintable(QStringLiteral("%1 resent, %2 damaged").arg(resent).arg(damaged)));
    }
}

void tst_LinkTransfer::cancel_data()
{
    QTest::addColumn<bool>("upload");
    QTest::newRow("download") << false;
    QTest::newRow("upload") << true;
}

void tst_LinkTransfer::cancel()
{
    QFETCH(bool, upload);
    // A throttled line like a 115200 baud serial port: the whole file would take 17 s.
    sRig rig(faults(0, 0, 0, 11520), faults(0, 0, 0, 11520));
    const QByteArray data = randomBytes(200000, 4);
    QElapsedTimer t;
    qint64 cancelAt = -1;
    sLinkCallbacks cb;
    cb.progress = [&](int p) {
        if (p >= 5 && cancelAt < 0)
            cancelAt = t.elapsed();
    };
    cb.cancelled = [&] { return cancelAt >= 0; };
    t.start();
    QByteArray got;
    if (upload) {
        QVERIFY(!rig.client->putFile("/statfs/big", data, cb));
    } else {
        rig.unit.setFile("/big", data);
        QVERIFY(!rig.client->getFile("/big", &got, cb));
    }
    const qint64 returned = t.elapsed();
    QVERIFY(cancelAt >= 0);
    QVERIFY2(returned - cancelAt < 3000, qPrintable(QString::number(returned - cancelAt)));
    QVERIFY(got.isEmpty());
    // Neither the target nor a temporary file on the unit.
    QCOMPARE(rig.unit.files().keys(), upload ? QByteArrayList() : QByteArrayList{"/big"});
    // The line goes idle: nothing more crosses it in either direction.
    QTRY_COMPARE_WITH_TIMEOUT(rig.channel.pending(cLinkChannel::ToHost), 0, 5000);
    QTRY_COMPARE_WITH_TIMEOUT(rig.channel.pending(cLinkChannel::ToUnit), 0, 5000);
    const quint64 up = rig.channel.written(cLinkChannel::ToUnit);
    const quint64 down = rig.channel.written(cLinkChannel::ToHost);
    QTest::qWait(400);
    QCOMPARE(rig.channel.written(cLinkChannel::ToUnit), up);
    QCOMPARE(rig.channel.written(cLinkChannel::ToHost), down);
    QByteArray answer;
    QVERIFY(rig.client->command("ECHO again", 5000, &answer));
    QCOMPARE(answer, QByteArray("again"));
}

void tst_LinkTransfer::retriedDeleteDeletesOnce()
{
    cMemoryUnit unit;
    unit.setFile("/a", "1");
    cLinkServer server(&unit);
    server.feed(request(1, zlink::OpHello, QByteArray(4, '\x01')));
    server.feed(request(2, zlink::OpDeleteFile, "/a"));
    const QByteArray first = server.takeOutput(1 << 20);
    // The answer was lost; the host repeats the same request id, then a file named like it appears.
    unit.setFile("/a", "new");
    server.feed(request(2, zlink::OpDeleteFile, "/a"));
    const QByteArray replay = server.takeOutput(1 << 20);
    QCOMPARE(unit.deleteCalls(), QByteArrayList{"/a"});
    QVERIFY(unit.files().contains("/a"));
    QVERIFY(first.endsWith(replay)); // the very same answer frame
    QCOMPARE(server.stats().replays, 1u);
    server.feed(request(3, zlink::OpDeleteFile, "/a")); // a new id is a new request
    server.takeOutput(1 << 20);
    QCOMPARE(unit.deleteCalls().size(), 2);

    // Through the client over a line that loses answers: still one delete per call.
    sRig rig(faults(0, 0), faults(0.004, 0, 0, 0, 77));
    for (int i = 0; i < 20; ++i)
        rig.unit.setFile("/f" + QByteArray::number(i), "x");
    for (int i = 0; i < 20; ++i)
        QVERIFY2(rig.client->deleteFile("/f" + QByteArray::number(i)), qPrintable(rig.client->lastError()));
    QCOMPARE(rig.unit.deleteCalls().size(), 20);
    QVERIFY(rig.unit.files().isEmpty());
}

void tst_LinkTransfer::largestFramesPass()
{
    // The largest block inline with the longest path still fits one frame.
    sRig rig;
    rig.setOption(&sLinkOptions::blockSize, zlink::kMaxBlockSize);
    const QByteArray path = "/" + QByteArray(1023, 'p');
    const QByteArray data = randomBytes(zlink::kMaxBlockSize, 31);
    QVERIFY2(rig.client->putFile(path, data), qPrintable(rig.client->lastError()));
    QByteArray got;
    QVERIFY2(rig.client->getFile(path, &got), qPrintable(rig.client->lastError()));
    QVERIFY(got == data);
    QVERIFY(!rig.client->putFile("/" + QByteArray(1024, 'p'), data));
    QCOMPARE(rig.client->lastError(), QStringLiteral("Bad path"));
}

void tst_LinkTransfer::tooLarge()
{
    // Refused by whichever end has the lower limit, with nothing stored and the link fine afterwards.
    sRig rig({}, {}, 100000);
    const QByteArray data = randomBytes(150000, 8);
    rig.unit.setFile("/x", data);
    QByteArray got;
    QVERIFY(!rig.client->getFile("/x", &got));
    QVERIFY(!rig.client->putFile("/y", data));
    QVERIFY2(rig.client->lastError().startsWith(QLatin1String("File too large: 150000 bytes (limit 100000)")),
             qPrintable(rig.client->lastError()));
    rig.setOption(&sLinkOptions::maxFileSize, qint64(1000));
    rig.unit.setFile("/z", QByteArray(2000, 'z'));
    QVERIFY(!rig.client->getFile("/z", &got));
    QVERIFY(!rig.client->putFile("/y", QByteArray(2000, 'y')));
    QVERIFY(rig.client->lastError().startsWith(QLatin1String("File too large: 2000 bytes (limit 1000)")));
    QVERIFY(got.isEmpty());
    QCOMPARE(rig.unit.files().keys(), (QByteArrayList{"/x", "/z"}));
    QVERIFY(rig.client->command("ECHO ok", 2000, &got));
}

void tst_LinkTransfer::rawRequests_data()
{
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("message");
    QTest::addColumn<bool>("written");
    const QByteArray small = "twelve bytes";
    QTest::newRow("unknown operation") << request(4, 99, {}) << int(zlink::StatusUnknownOp) << QByteArray() << false;
    // Refused from the header alone, before anything is allocated for it.
    QTest::newRow("absurd upload size") << request(4, zlink::OpPut, putArgs(0xFFFFFFFFu, 0xFFFFFFFFu, "/x"))
                                        << int(zlink::StatusTooLarge) << QByteArray("File too large: 4294967295 bytes")
                                        << false;
    QTest::newRow("whole-file crc wrong") << request(4, zlink::OpPut, putArgs(12, zlink::crc32(small) ^ 1, "/x", small))
                                          << int(zlink::StatusChecksum) << QByteArray() << false;
    QTest::newRow("whole-file crc right") << request(4, zlink::OpPut, putArgs(12, zlink::crc32(small), "/x", small))
                                          << int(zlink::StatusOk) << QByteArray() << true;
    QTest::newRow("inline data longer than announced")
        << request(4, zlink::OpPut, putArgs(5, zlink::crc32(small), "/x", small)) << int(zlink::StatusBadRequest)
        << QByteArray() << false;
}

void tst_LinkTransfer::rawRequests()
{
    QFETCH(QByteArray, frame);
    QFETCH(int, status);
    QFETCH(QByteArray, message);
    QFETCH(bool, written);
    cMemoryUnit unit;
    cLinkServer server(&unit);
    server.feed(frame);
    const QList<sLinkFrame> out = answers(&server);
    QCOMPARE(out.size(), 1);
    QCOMPARE(out[0].id, quint16(4));
    QCOMPARE(int(quint8(out[0].payload[0])), status);
    QVERIFY2(out[0].payload.contains(message), out[0].payload.constData());
    QCOMPARE(unit.files().keys(), written ? QByteArrayList{"/x"} : QByteArrayList());
    QVERIFY(!server.hasWork());
}

void tst_LinkTransfer::failedUploadKeepsOldFile()
{
    sRig rig;
    rig.unit.setFile("/keep", "old contents");
    rig.unit.setFailWrites(true);
    QVERIFY(!rig.client->putFile("/keep", randomBytes(5000, 3)));
    QVERIFY(rig.client->lastError().contains(QLatin1String("Disk full")));
    QCOMPARE(rig.unit.files(), (QMap<QByteArray, QByteArray>{{"/keep", "old contents"}}));
}

void tst_LinkTransfer::deadLineFails()
{
    // A unit that never answers: every operation gives up within its time-outs.
    sRig dead({}, faults(0, 1.0));
    dead.setOption(&sLinkOptions::timeoutMs, 700);
    QElapsedTimer t;
    t.start();
    QByteArray answer;
    QVERIFY(!dead.client->command("GET_APP_RUN_STATE", 800, &answer));
    QVERIFY(dead.client->lastError().startsWith(QLatin1String("Time-out")));
    QVERIFY(!dead.client->getFile("/x", &answer));
    QVERIFY(!dead.client->putFile("/x", QByteArray(10000, 'a')));
    QVERIFY(!dead.client->listDir("/", &answer));
    QVERIFY2(t.elapsed() < 15000, qPrintable(QString::number(t.elapsed())));

    // A line hung up in the middle of a download.
    sRig rig;
    rig.unit.setFile("/f", randomBytes(300000, 2));
    sLinkCallbacks cb;
    cb.progress = [&rig](int p) {
        if (p >= 20)
            rig.channel.hangUp();
    };
    t.restart();
    QByteArray got;
    QVERIFY(!rig.client->getFile("/f", &got, cb));
    QVERIFY(got.isEmpty());
    QVERIFY(t.elapsed() < 10000);
    QCOMPARE(rig.client->lastError(), QStringLiteral("Line closed"));
}

QTEST_GUILESS_MAIN(tst_LinkTransfer)
#include "tst_linktransfer.moc"

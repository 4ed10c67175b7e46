#include "files/core/cdevicelisting.h"
#include "platform/link/cdirlisting.h"

#include <QTest>

class tst_cDeviceListing : public QObject
{
    Q_OBJECT

private slots:
    void specialAnswers_data();
    void specialAnswers();
    void entryLines_data();
    void entryLines();
    void writtenListingReadsBack();
};

void tst_cDeviceListing::specialAnswers_data()
{
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("level");
    QTest::newRow("dir empty") << QByteArray("Dir empty") << true << "Directory is empty" << 2;
    QTest::newRow("unknown command wins over entries")
        << QByteArray("|a*drw*0|\n\rUnknown command: LIST /") << false << "System error: failed to get dir list" << 3;
    QTest::newRow("can't get list") << QByteArray("Can't get dir list") << false << "Can't get directory contents" << 2;
    QTest::newRow("can't open") << QByteArray("\r\nCan't open dir\r\n") << false << "Can't open directory" << 3;
}

void tst_cDeviceListing::specialAnswers()
{
    QFETCH(QByteArray, answer);
    QFETCH(bool, ok);
    QFETCH(QString, message);
    QFETCH(int, level);
    const cDeviceListing::sResult r = cDeviceListing::parse(answer, QStringLiteral("/flash"));
    QCOMPARE(r.ok, ok);
    QVERIFY(r.entries.isEmpty());
    QCOMPARE(r.messages.size(), 1);
    QCOMPARE(r.messages.first().text, message);
    QCOMPARE(r.messages.first().level, level);
}

void tst_cDeviceListing::entryLines_data()
{
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<QString>("dir");
    // name:path:size:isDir readable writable:mtime, one per parsed entry
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<int>("unparsed");

    QTest::newRow("file with size") << QByteArray("|notes.txt*-rw*1700000000*512|") << "/flash"
                                    << QStringList{"notes.txt:/flash/notes.txt:512:011:1700000000"} << 0;
    QTest::newRow("directory") << QByteArray("|a*drw*0|") << "/" << QStringList{"a://a:0:111:0"} << 0;
    QTest::newRow("short attributes clear all flags") << QByteArray("|a*d*0|") << "/x" << QStringList{"a:/x/a:0:000:0"} << 0;
    QTest::newRow("empty path gives ./") << QByteArray("|a*-r-*5*7|") << "" << QStringList{"a:./a:7:010:5"} << 0;
    QTest::newRow("two and five fields are skipped")
        << QByteArray("|a*drw|\n\r|b*-rw*1*2*3|\n\r|c*-rw*1*2|") << "/d" << QStringList{"c:/d/c:2:011:1"} << 2;
    QTest::newRow("lines without a bar are ignored silently")
        << QByteArray("cli> ls\n\r|c*-rw*1*2|\n\rtotal 1") << "/d" << QStringList{"c:/d/c:2:011:1"} << 0;
    QTest::newRow("only \\n\\r separates") << QByteArray("|a*-rw*1*1|\r\n|b*-rw*1*1|") << "/d" << QStringList{} << 1;
    QTest::newRow("absurd size and time read as nothing")
        << QByteArray("|a*-rw*99999999999999999999*-5|\n\r|b*-rw*x*1e9|") << "/d"
        << QStringList{"a:/d/a:0:011:0", "b:/d/b:0:011:0"} << 0;
    QTest::newRow("names that leave the folder are refused")
        << QByteArray("|..*drw*1|\n\r|.*drw*1|\n\r|a/../../etc*-rw*1*1|\n\r|a\tb*-rw*1*1|\n\r|ok*-rw*1*1|") << "/d"
        << QStringList{"ok:/d/ok:1:011:1"} << 4;
    QTest::newRow("utf-8 names") << QByteArray("|Pr\xc3\xbc" "fprotokoll \xc3\xa4.txt*-rw*1*3|") << "/d"
                                 << QStringList{QString::fromUtf8("Prüfprotokoll ä.txt:/d/Prüfprotokoll ä.txt:3:011:1")} << 0;
}

void tst_cDeviceListing::entryLines()
{
    QFETCH(QByteArray, answer);
    QFETCH(QString, dir);
    QFETCH(QStringList, entries);
    QFETCH(int, unparsed);
    const cDeviceListing::sResult r = cDeviceListing::parse(answer, dir);
    QVERIFY(r.ok);
    QStringList got;
    for (const sDeviceFSEntry &e : r.entries) {
        const QString flags = QStringLiteral("%1%2%3").arg(int(e.isDir)).arg(int(e.readable)).arg(int(e.writable));
        const qint64 secs = e.modified.isValid() ? e.modified.toSecsSinceEpoch() : 0;
        got << QStringLiteral("%1:%2:%3:%4:%5").arg(e.name, e.path).arg(e.size).arg(flags).arg(secs);
    }
    QCOMPARE(got, entries);
    QCOMPARE(r.messages.size(), unparsed);
    for (const cDeviceListing::sMessage &m : r.messages)
        QVERIFY(m.text.startsWith(QLatin1String("failed to parse entry: ")) && m.level == 3);
}

void tst_cDeviceListing::writtenListingReadsBack()
{
    QList<cDirListing::sEntry> written;
    for (int i = 0; i < 300; ++i) {
        cDirListing::sEntry e;
        e.name = "file " + QByteArray::number(i);
        e.isDir = i % 3 == 0;
        e.readable = true;
        e.writable = i % 2 == 0;
        e.mtime = 1700000000ULL + quint64(i);
        e.size = e.isDir ? 0 : i * 1000;
        written.append(e);
    }
    QCOMPARE(cDirListing::format({}), QByteArray("Dir empty"));
    const cDeviceListing::sResult r = cDeviceListing::parse(cDirListing::format(written), QStringLiteral("/big"));
    QVERIFY(r.ok && r.messages.isEmpty());
    QCOMPARE(r.entries.size(), written.size());
    for (int i = 0; i < written.size(); ++i) {
        const sDeviceFSEntry &e = r.entries.at(i);
        QCOMPARE(e.name.toUtf8(), written.at(i).name);
        QCOMPARE(e.isDir, written.at(i).isDir);
        QCOMPARE(e.writable, written.at(i).writable);
        QCOMPARE(e.size, written.at(i).size);
        QCOMPARE(quint64(e.modified.toSecsSinceEpoch()), written.at(i).mtime);
    }
}

QTEST_GUILESS_MAIN(tst_cDeviceListing)
#include "tst_cdevicelisting.moc"

// The device log writer and the keyword list file, as files on disk.

#include "autotests/platform/port/logcapture.h"
#include "logs/core/cdatawriter.h"
#include "logs/core/ckeywordfile.h"

#include <QDate>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <QTime>

namespace {

QByteArray readAll(const QString &fileName)
{
    QFile f(fileName);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Waits for the wall clock's next second, so that the next run gets a file of its own.
void nextSecond()
{
    const int now = QTime::currentTime().second();
    QTRY_VERIFY_WITH_TIMEOUT(QTime::currentTime().second() != now, 2000);
}

} // namespace

class tst_DataWriter : public QObject
{
    Q_OBJECT

private slots:
    void twoRunsGiveTwoFiles()
    {
        QTemporaryDir root;
        cDataWriter writer;
        writer.setLogRoot(root.path());
        writer.appendData(QStringLiteral("first run\r\n"));
        const QString first = writer.fileName();
        QVERIFY(first.startsWith(root.path() + QLatin1Char('/') + QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"))
                                 + QStringLiteral("/device_log_")));
        writer.appendData(QString::fromLatin1("caf\xe9 \x01\n"));   // bytes as the unit sent them
        writer.stopIt();
        QVERIFY(writer.wait(5000));
        nextSecond();
        writer.appendData(QStringLiteral("second run\n"));
        const QString second = writer.fileName();
        writer.stopIt();
        QVERIFY(writer.wait(5000));
        QVERIFY(first != second);
        QCOMPARE(QFileInfo(first).absolutePath(), QFileInfo(second).absolutePath());
        QCOMPARE(readAll(first), QByteArray("first run\r\ncaf\xe9 \x01\n"));
        QVERIFY(readAll(second).endsWith("second run\n"));
    }

    void textAppendedBeforeStopIsWritten()
    {
        QTemporaryDir root;
        QString file;
        {
            cDataWriter writer;
            writer.setLogRoot(root.path());
            for (int i = 0; i < 1000; ++i)
                writer.appendData(QStringLiteral("line %1\n").arg(i));
            file = writer.fileName();
            writer.stopIt();
            QVERIFY(writer.wait(5000));
        }
        const QByteArray text = readAll(file);
        QVERIFY(text.startsWith("line 0\n"));
        QVERIFY(text.endsWith("line 999\n"));
    }

    void unwritableFolderIsReportedOnceAndRetried()
    {
        cLogCapture log;
        QTemporaryDir root;
        // A file where the folder should be: no one, not even root, can make the folder.
        const QString blocked = root.filePath(QStringLiteral("log"));
        QFile blocker(blocked);
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        cDataWriter writer;
        writer.setLogRoot(blocked);
        writer.appendData(QStringLiteral("kept 1\n"));
        QTest::qWait(cDataWriter::kRetryIntervalMs + 200);
        writer.appendData(QStringLiteral("kept 2\n"));
        QVERIFY(writer.fileName().isEmpty());
        QCOMPARE(log.texts().filter(QStringLiteral("Failed to open device log")).size(), 1);
        QVERIFY(QFile::remove(blocked));
        QTRY_VERIFY_WITH_TIMEOUT(!writer.fileName().isEmpty(), 5000);
        const QString file = writer.fileName();
        writer.stopIt();
        QVERIFY(writer.wait(5000));
        QCOMPARE(readAll(file), QByteArray("kept 1\nkept 2\n"));
    }

    void keywordFileRoundTrip_data()
    {
        QTest::addColumn<QStringList>("keywords");
        QTest::newRow("empty") << QStringList();
        QTest::newRow("plain") << QStringList {QStringLiteral("[NET]"), QStringLiteral("gsm|nav"), QStringLiteral(" spaced ")};
        QTest::newRow("cdata end") << QStringList {QStringLiteral("a]]>b"), QStringLiteral("]]>"), QStringLiteral("]]]]>>")};
        QTest::newRow("markup and unicode") << QStringList {QStringLiteral("<x>&amp;"), QString::fromUtf8("Prüfung отчёт")};
    }
    void keywordFileRoundTrip()
    {
        QFETCH(QStringList, keywords);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("etc/keywords.xml"));
        QVERIFY(cKeywordFile::save(file, keywords));
        QString error;
        QCOMPARE(cKeywordFile::load(file, &error), keywords);
        QVERIFY(error.isEmpty());
        QVERIFY(!readAll(file).startsWith("<?xml"));
    }

    void keywordFileReading_data()
    {
        QTest::addColumn<QByteArray>("xml");
        QTest::addColumn<QStringList>("keywords");
        QTest::addColumn<bool>("broken");
        QTest::newRow("other elements ignored")
            << QByteArray("<keywords><other>x</other><keyword>a</keyword><keyword><![CDATA[b]]></keyword></keywords>")
            << QStringList {QStringLiteral("a"), QStringLiteral("b")} << false;
        QTest::newRow("no keywords element") << QByteArray("<words><keyword>a</keyword></words>") << QStringList() << false;
        QTest::newRow("not XML") << QByteArray("\x00\x01garbage<<") << QStringList() << true;
        QTest::newRow("cut off") << QByteArray("<keywords><keyword>a</keyword><keyw") << QStringList() << true;
    }
    void keywordFileReading()
    {
        QFETCH(QByteArray, xml);
        QFETCH(QStringList, keywords);
        QFETCH(bool, broken);
        QString error;
        QCOMPARE(cKeywordFile::fromXml(xml, &error), keywords);
        QCOMPARE(!error.isEmpty(), broken);
    }
};

QTEST_GUILESS_MAIN(tst_DataWriter)
#include "tst_datawriter.moc"

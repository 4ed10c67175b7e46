// The log reader on a real pseudo-terminal: against the simulated unit, and against a test
// playing a unit that sends odd text, takes commands and goes away.

#include "autotests/platform/port/logcapture.h"
#include "autotests/platform/port/ptypair.h"
#include "logs/core/cdatareader.h"
#include "platform/logging/logs.h"
#include "sim/csimulatedunit.h"

#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>

namespace {

sIODevice serialUnit(const QString &path)
{
    sIODevice unit;
    unit.id = QStringLiteral("test:reader");
    unit.name = QStringLiteral("reader test unit");
    unit.devices.append({nullptr, QStringLiteral("serial"), QStringLiteral("serial"), path, {}});
    return unit;
}

// Takes lines until count have come or the time is up.
QStringList takeLines(cDataReader &reader, int count, int timeoutMs = 5000)
{
    QStringList lines;
    QElapsedTimer timer;
    timer.start();
    while (lines.size() < count && timer.elapsed() < timeoutMs) {
        const QString line = reader.takeLine();
        if (line.isEmpty())
            QTest::qWait(10);
        else
            lines << line;
    }
    return lines;
}

} // namespace

class tst_DataReader : public QObject
{
    Q_OBJECT

    // A reader on a pseudo-terminal whose master end the test plays; "exit" already read.
    bool startOnPty(cPtyPair &pty, cDataReader &reader)
    {
        reader.startReading(serialUnit(pty.slavePath()));
        return pty.readMaster(6, 3000) == "exit\r\n";
    }

private slots:
    void initTestCase()
    {
        logs::get();   // the log engine belongs to this thread, not to the first worker that logs
    }

    void readsTheSimulatedUnit()
    {
        cSimulatedUnit unit;
        QVERIFY2(unit.setOptions({QStringLiteral("log-rate=300"), QStringLiteral("ready-ms=0")}), qPrintable(unit.errorString()));
        QVERIFY2(unit.start(), qPrintable(unit.errorString()));
        cDataReader reader;
        reader.startReading(serialUnit(unit.ptyPath()));
        const QStringList lines = takeLines(reader, 60);
        QCOMPARE(lines.size(), 60);
        // The unit ends its lines with CR LF; the CR stays, the LF goes.
        const QRegularExpression record(QStringLiteral(R"(^[a-z_0-9]+\[\d+\] = \{ .* \}\r$)"));
        int records = 0;
        for (const QString &line : lines) {
            QVERIFY2(line.endsWith(QLatin1Char('\r')), qPrintable(line));
            QVERIFY(!line.contains(QLatin1Char('\n')));
            records += record.match(line).hasMatch() ? 1 : 0;
        }
        QVERIFY(records > 20);
        QVERIFY(reader.bytesReceived() > 0);
        reader.stopReading();
        QVERIFY(reader.wait(3000));
        QVERIFY(reader.takeLine().isEmpty());
    }

    void partialLinesAndCarriageReturns()
    {
        cPtyPair pty;
        cDataReader reader;
        QVERIFY(startOnPty(pty, reader));
        QVERIFY(pty.writeMaster("no line feed yet"));
        QTest::qWait(300);
        QVERIFY(reader.takeLine().isEmpty());
        QVERIFY(pty.writeMaster(" ... now\r\n\nsecond\rstill second\n"));
        QCOMPARE(takeLines(reader, 2), (QStringList {QStringLiteral("no line feed yet ... now\r"),
                                                     QStringLiteral("second\rstill second")}));
    }

    void commandsAreSentInOrder()
    {
        cPtyPair pty;
        cDataReader reader;
        QVERIFY(startOnPty(pty, reader));
        reader.addCommand(QStringLiteral("cli"));
        reader.addCommand(QString());
        reader.addCommand(QStringLiteral("ver"));
        reader.addCommand(QStringLiteral("exit"));
        const QByteArray expected("cli\r\nver\r\nexit\r\n");
        QCOMPARE(pty.readMaster(int(expected.size()), 5000), expected);
    }

    void commandWhileNotReadingIsDropped()
    {
        cPtyPair pty;
        cDataReader reader;
        reader.addCommand(QStringLiteral("lost"));
        QVERIFY(startOnPty(pty, reader));
        reader.addCommand(QStringLiteral("kept"));
        QCOMPARE(pty.readMaster(6, 5000), QByteArray("kept\r\n"));
    }

    void portThatCannotOpen()
    {
        cLogCapture log;
        cDataReader reader;
        reader.startReading(serialUnit(QStringLiteral("/nonexistent/ttyZOVAN")));
        QVERIFY(reader.wait(5000));
        // The port library says why; the reader adds nothing of its own.
        QVERIFY(!log.contains({QStringLiteral("Device 'reader test unit'")}));
    }

    void unitPulledWhileReading()
    {
        cLogCapture log;
        cPtyPair pty;
        cDataReader reader;
        QVERIFY(startOnPty(pty, reader));
        QVERIFY(pty.writeMaster("last words\n"));
        QCOMPARE(takeLines(reader, 1), QStringList {QStringLiteral("last words")});
        pty.closeMaster();
        QVERIFY(reader.wait(10000));
        const QStringList texts = log.texts();
        QCOMPARE(texts.filter(QStringLiteral("read failed")).size(), 1);
        QVERIFY(log.contains({QStringLiteral("reader test unit"), QStringLiteral("reading stopped")}));
    }

    void overlongLineIsSplitNotKept()
    {
        cPtyPair pty;
        cDataReader reader;
        QVERIFY(startOnPty(pty, reader));
        const QByteArray chunk(64 * 1024, 'x');
        for (int sent = 0; sent <= cDataReader::kMaxLine; sent += int(chunk.size()))
            QVERIFY(pty.writeMaster(chunk));
        QVERIFY(pty.writeMaster("tail\n"));
        const QStringList lines = takeLines(reader, 2, 20000);
        QCOMPARE(lines.size(), 2);
        QCOMPARE(lines.at(0).size(), cDataReader::kMaxLine);
        QVERIFY(lines.at(1).endsWith(QLatin1String("xtail")));
    }
};

QTEST_GUILESS_MAIN(tst_DataReader)
#include "tst_datareader.moc"

#include "app/gui/ccommandline.h"

#include <QTest>

class tst_cCommandLine : public QObject
{
    Q_OBJECT

private slots:
    void parse_data();
    void parse();
    void usageNamesEverySwitch();
};

void tst_cCommandLine::parse_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("summary"); // "invalid", or what was read

    const QString plain = QStringLiteral("help=0 shots= sim=0 options=");
    QTest::newRow("nothing") << QStringList{"zt"} << plain;
    QTest::newRow("--help") << QStringList{"zt", "--help"} << "help=1 shots= sim=0 options=";
    QTest::newRow("engineering switches pass") << QStringList{"zt", "/useovr", "/useoverrides", "--engineering"} << plain;
    QTest::newRow("Qt options pass") << QStringList{"zt", "-platform", "offscreen", "-style", "fusion"} << plain;
    QTest::newRow("Qt options with two dashes pass")
        << QStringList{"zt", "--platform", "offscreen", "--style=fusion", "--reverse"} << plain;
    QTest::newRow("Qt options beside ours") << QStringList{"zt", "--platform", "offscreen", "--screenshot", "shots"}
                                            << "help=0 shots=shots sim=0 options=";
    QTest::newRow("a Qt option's value is not ours") << QStringList{"zt", "--qwindowtitle", "--sim"} << plain;
    QTest::newRow("screenshot") << QStringList{"zt", "--screenshot", "/tmp/shots"} << "help=0 shots=/tmp/shots sim=0 options=";
    QTest::newRow("value that looks like an option") << QStringList{"zt", "--screenshot", "--sim"}
                                                     << "help=0 shots=--sim sim=0 options=";
    QTest::newRow("sim options in order") << QStringList{"zt", "--sim-option", "a=1", "--sim-option=b=x=y", "--sim"}
                                          << "help=0 shots= sim=1 options=a=1;b=x=y";
    QTest::newRow("sim option implies sim") << QStringList{"zt", "--sim-option", "seed=4"}
                                            << "help=0 shots= sim=1 options=seed=4";
    for (const auto &bad : {QStringList{"zt", "--screenshot"}, QStringList{"zt", "--screenshot="},
                            QStringList{"zt", "--sim-option", "seed"}, QStringList{"zt", "--sim-option", "=4"},
                            QStringList{"zt", "--sim-option"}, QStringList{"zt", "--frobnicate"},
                            QStringList{"zt", "--platform", "offscreen", "--platforms"}})
        QTest::newRow(qPrintable(bad.mid(1).join(QLatin1Char(' ')))) << bad << "invalid";
}

void tst_cCommandLine::parse()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, summary);
    const cCommandLine line(arguments);
    QCOMPARE(line.isValid()
                 ? QStringLiteral("help=%1 shots=%2 sim=%3 options=%4")
                       .arg(int(line.helpRequested()))
                       .arg(line.screenshotDir())
                       .arg(int(line.simRequested()))
                       .arg(line.simOptions().join(QLatin1Char(';')))
                 : QStringLiteral("invalid"),
             summary);
}

void tst_cCommandLine::usageNamesEverySwitch()
{
    const QString usage = cCommandLine::usage(QStringLiteral("/opt/zovan/bin/zovan-tools"));
    QVERIFY(usage.startsWith(QLatin1String("Usage: zovan-tools ")));
    for (const char *name : {"/useoverrides", "/useovr", "--engineering", "--screenshot", "--sim ", "--sim-option",
                             "--help"})
        QVERIFY2(usage.contains(QLatin1String(name)), name);
}

QTEST_GUILESS_MAIN(tst_cCommandLine)
#include "tst_ccommandline.moc"

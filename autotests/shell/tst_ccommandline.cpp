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
    QTest::addColumn<bool>("valid");
    QTest::addColumn<bool>("help");
    QTest::addColumn<QString>("screenshots");
    QTest::addColumn<bool>("sim");
    QTest::addColumn<QStringList>("simOptions");

    const QStringList none;
    QTest::newRow("nothing") << QStringList{"zt"} << true << false << "" << false << none;
    QTest::newRow("--help") << QStringList{"zt", "--help"} << true << true << "" << false << none;
    QTest::newRow("engineering switches pass") << QStringList{"zt", "/useovr", "/useoverrides", "--engineering"}
                                               << true << false << "" << false << none;
    QTest::newRow("Qt options pass") << QStringList{"zt", "-platform", "offscreen", "-style", "fusion"} << true
                                     << false << "" << false << none;
    QTest::newRow("screenshot") << QStringList{"zt", "--screenshot", "/tmp/shots"} << true << false << "/tmp/shots"
                                << false << none;
    QTest::newRow("screenshot=") << QStringList{"zt", "--screenshot=out"} << true << false << "out" << false << none;
    QTest::newRow("screenshot without folder") << QStringList{"zt", "--screenshot"} << false << false << "" << false
                                               << none;
    QTest::newRow("sim") << QStringList{"zt", "--sim"} << true << false << "" << true << none;
    QTest::newRow("sim options in order") << QStringList{"zt", "--sim-option", "a=1", "--sim-option=b=x=y", "--sim"}
                                          << true << false << "" << true << QStringList{"a=1", "b=x=y"};
    QTest::newRow("sim option implies sim") << QStringList{"zt", "--sim-option", "seed=4"} << true << false << ""
                                            << true << QStringList{"seed=4"};
    QTest::newRow("sim option without =") << QStringList{"zt", "--sim-option", "seed"} << false << false << ""
                                          << true << QStringList{"seed"};
    QTest::newRow("sim option missing") << QStringList{"zt", "--sim-option"} << false << false << "" << false << none;
    QTest::newRow("unknown long option") << QStringList{"zt", "--frobnicate"} << false << false << "" << false
                                         << none;
    QTest::newRow("value that looks like an option") << QStringList{"zt", "--screenshot", "--sim"} << true << false
                                                     << "--sim" << false << none;
}

void tst_cCommandLine::parse()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, valid);
    const cCommandLine line(arguments);
    QCOMPARE(line.isValid(), valid);
    QCOMPARE(line.error().isEmpty(), valid);
    if (!valid)
        return;
    QFETCH(bool, help);
    QFETCH(QString, screenshots);
    QFETCH(bool, sim);
    QFETCH(QStringList, simOptions);
    QCOMPARE(line.helpRequested(), help);
    QCOMPARE(line.screenshotDir(), screenshots);
    QCOMPARE(line.simRequested(), sim);
    QCOMPARE(line.simOptions(), simOptions);
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

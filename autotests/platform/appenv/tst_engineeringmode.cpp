#include "platform/appenv/engineeringmode.h"

#include <QTest>

class tst_EngineeringMode : public QObject
{
    Q_OBJECT

private slots:
    void switches_data();
    void switches();
};

void tst_EngineeringMode::switches_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("on");

    QTest::newRow("no arguments") << QStringList() << false;
    QTest::newRow("/useovr") << QStringList{"zovan-tools", "/useovr"} << true;
    QTest::newRow("--engineering") << QStringList{"zovan-tools", "--engineering"} << true;
    QTest::newRow("among others") << QStringList{"zovan-tools", "-platform", "offscreen", "/useovr", "x"} << true;
    QTest::newRow("upper case") << QStringList{"zovan-tools", "/USEOVR"} << false;
    QTest::newRow("prefix only") << QStringList{"zovan-tools", "/useov"} << false;
    QTest::newRow("dash instead of slash") << QStringList{"zovan-tools", "-useovr"} << false;
}

void tst_EngineeringMode::switches()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, on);
    QCOMPARE(isEngineeringSwitch(arguments), on);
}

QTEST_GUILESS_MAIN(tst_EngineeringMode)
#include "tst_engineeringmode.moc"

// The statistics tabs: rows, formats and the engineering-mode rows, read from the tables.

#include "logs/ui/cstatdynamictable.h"
#include "logs/ui/cstatwidget.h"
#include "logs/ui/cstatwidgetex.h"
#include "logs/ui/cstatwidgetex2.h"

#include <QApplication>
#include <QTableWidget>
#include <QTest>

namespace {

QString cell(QWidget *w, const char *table, int row)
{
    auto t = w->findChild<QTableWidget *>(QLatin1String(table));
    return t ? t->item(row, 1)->text() : QStringLiteral("<no table>");
}

QString dynamicRow(QWidget *w, const char *table, const QString &name)
{
    auto t = w->findChild<cStatDynamicTable *>(QLatin1String(table));
    return t ? t->rowValue(name) : QStringLiteral("<no table>");
}

} // namespace

class tst_StatWidgets : public QObject
{
    Q_OBJECT

public:
    explicit tst_StatWidgets(bool engineering) : m_engineering(engineering) {}

private:
    const bool m_engineering;

private slots:
    void dynamicRowsAddAndUpdate()
    {
        cStatWidget w;
        w.ain(3, 100);
        w.ain(3, 200);
        w.canain(3, 300);
        w.ain(10, 1);
        auto ain = w.findChild<cStatDynamicTable *>(QStringLiteral("ainTable"));
        QCOMPARE(ain->rows(), 3);
        QCOMPARE(dynamicRow(&w, "ainTable", QStringLiteral("ain3")), QStringLiteral("200"));
        QCOMPARE(dynamicRow(&w, "ainTable", QStringLiteral("can_ain3")), QStringLiteral("300"));
        // Plain string order: ain10 before ain3.
        QCOMPARE(ain->model()->index(0, 0).data().toString(), QStringLiteral("ain10"));
        w.clearData();
        QCOMPARE(ain->rows(), 0);
    }

    void formats_data()
    {
        QTest::addColumn<QString>("call");
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("row");   // a row number of a fixed table, or a dynamic row's name
        QTest::addColumn<QString>("text");
        QTest::newRow("longitude") << "nav -500" << "navigationTable" << "2" << "0.000139";
        QTest::newRow("latitude") << "nav -500" << "navigationTable" << "3" << "0.000056";
        QTest::newRow("valid") << "nav -500" << "navigationTable" << "8" << "Yes";
        QTest::newRow("gsm state 5") << "gsm 5" << "gsmTable" << "2" << "None";
        QTest::newRow("gsm roaming") << "gsm 2" << "gsmTable" << "2" << "Roaming";
        QTest::newRow("gsm home") << "gsm 1" << "gsmTable" << "2" << "Home";
        QTest::newRow("din 3") << "din 3" << "dinTable" << "din1" << "unknown";
        QTest::newRow("din 2") << "din 2" << "dinTable" << "din1" << "inactive";
        QTest::newRow("din 16") << "din 16" << "dinTable" << "din1" << "line break";
        QTest::newRow("can din 8") << "candin 8" << "dinTable" << "can_din1" << "short circuit vcc";
        QTest::newRow("fuel") << "fuel" << "fuelTable" << "fuel2" << "level = 40.5, t = 20";
        QTest::newRow("can fuel") << "canfuel" << "fuelTable" << "fuel2_1_can" << "level = 33.3333, t = 19";
        QTest::newRow("temperature") << "canLog" << "canLogTable" << "2" << "-25";
        QTest::newRow("ext_vin") << "extvin" << "powerTable" << "ext_vin" << "24100";
    }
    void formats()
    {
        QFETCH(QString, call);
        QFETCH(QString, table);
        QFETCH(QString, row);
        QFETCH(QString, text);
        cStatWidget w;
        const QStringList parts = call.split(QLatin1Char(' '));
        const quint8 arg = quint8(parts.value(1).toUInt());
        if (parts[0] == QLatin1String("nav"))
            w.nav(100, -500, -200, 150, 9, true);
        else if (parts[0] == QLatin1String("gsm"))
            w.gsm(QStringLiteral("Telia"), 17, arg);
        else if (parts[0] == QLatin1String("din"))
            w.din(1, arg);
        else if (parts[0] == QLatin1String("candin"))
            w.candin(1, arg);
        else if (parts[0] == QLatin1String("fuel"))
            w.fuel(2, 40.5, 20);
        else if (parts[0] == QLatin1String("canfuel"))
            w.canfuel(2, 1, 100.0 / 3, 19);
        else if (parts[0] == QLatin1String("canLog"))
            w.canLog(4464, 40, -25, 0, 7, 4294967295u);
        else if (parts[0] == QLatin1String("extvin"))
            w.extvin(24100);
        bool fixed = false;
        const int number = row.toInt(&fixed);
        QCOMPARE(fixed ? cell(&w, qPrintable(table), number) : dynamicRow(&w, qPrintable(table), row), text);
    }

    void engineeringRows()
    {
        cStatWidget w;
        w.nav(100, -500, 200, 150, 9, false);
        auto nav = w.findChild<QTableWidget *>(QStringLiteral("navigationTable"));
        QCOMPARE(nav->isRowHidden(4), !m_engineering);
        QCOMPARE(nav->isRowHidden(5), !m_engineering);
        QCOMPARE(cell(&w, "navigationTable", 4), m_engineering ? QStringLiteral("-500") : QString());
        QCOMPARE(cell(&w, "navigationTable", 8), QStringLiteral("No"));
    }

    void extendedTab()
    {
        cStatWidgetEx w;
        w.mem(1000, 250, 196608, 90000, 60000);
        QCOMPARE(cell(&w, "deviceTable", 2), QStringLiteral("25%, free: 750"));
        QCOMPARE(cell(&w, "deviceTable", 3), QStringLiteral("45.8%, free: 106608, min: 60000"));
        w.cpu(12.5, 14);
        QCOMPARE(cell(&w, "deviceTable", 0), QStringLiteral("12.5%"));
        QCOMPARE(cell(&w, "deviceTable", 1), QStringLiteral("14"));
        w.sos(3, 2, true);
        w.callreq(5, 5, false);
        QCOMPARE(cell(&w, "buttonsTable", 0), QStringLiteral("Pressed [3:2]"));
        QCOMPARE(cell(&w, "buttonsTable", 1), QStringLiteral("Unpressed [5:5]"));
        w.stor(1, 8, 7, 6, 5, 4, 3, 2, 1);
        w.stor(3, 99, 99, 99, 99, 99, 99, 99, 99);   // no table of its own: written nowhere
        QCOMPARE(cell(&w, "storage1Table", 0), QStringLiteral("8"));
        QCOMPARE(cell(&w, "storage1Table", 7), QStringLiteral("1"));
        QCOMPARE(cell(&w, "storage0Table", 0), QString());
        w.tracker(0, 1, 2, 3, 4);
        QCOMPARE(cell(&w, "tracker0Table", 3), QStringLiteral("4"));
        w.clearData();
        QCOMPARE(cell(&w, "deviceTable", 2), QString());
    }

    void externalCanLog()
    {
        cStatWidgetEx2 w;
        w.canlogext(0, 0x80);   // bit 7 of low is not shown
        for (int row = 0; row < 15; ++row)
            QCOMPARE(cell(&w, "externalCanLogTable", row), QStringLiteral("False"));
        w.canlogext(0x400, 0x8001);
        QCOMPARE(cell(&w, "externalCanLogTable", 0), QStringLiteral("True"));
        QCOMPARE(cell(&w, "externalCanLogTable", 1), QStringLiteral("True"));
        QCOMPARE(cell(&w, "externalCanLogTable", 14), QStringLiteral("True"));
        QCOMPARE(cell(&w, "externalCanLogTable", 2), QStringLiteral("False"));
    }
};

// Runs the cases twice: as started plainly and as started with the engineering switch.
int main(int argc, char *argv[])
{
    int failures = 0;
    {
        QApplication app(argc, argv);
        tst_StatWidgets plain(false);
        failures += QTest::qExec(&plain, argc, argv);
    }
    {
        QList<char *> args(argv, argv + argc);
        char engineering[] = "/useovr";
        args.append(engineering);
        int count = int(args.size());
        QApplication app(count, args.data());
        tst_StatWidgets withSwitch(true);
        failures += QTest::qExec(&withSwitch, argc, argv);
    }
    return failures;
}

#include "tst_statwidgets.moc"

// The logs page end to end: the window on the simulated unit printing its bad-day log, and the
// operator's keyword list and command history.

#include "app/common/embeddedunit.h"
#include "autotests/shell/ctestscope.h"
#include "logs/core/ckeywordfile.h"
#include "logs/ui/cstatdynamictable.h"
#include "logs/ui/clogcontainer.h"
#include "logs/ui/clogmainwindow.h"

#include <QAction>
#include <QDirIterator>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QSettings>
#include <QTableWidget>
#include <QTest>

namespace {

QString cell(QWidget *w, const char *table, int row)
{
    auto t = w->findChild<QTableWidget *>(QLatin1String(table));
    return t ? t->item(row, 1)->text() : QString();
}

QByteArray deviceLogs(const QString &root)
{
    QByteArray all;
    for (QDirIterator it(root + QStringLiteral("/bin/log"), {QStringLiteral("device_log_*.txt")}, QDir::Files,
                         QDirIterator::Subdirectories);
         it.hasNext();) {
        QFile f(it.next());
        if (f.open(QIODevice::ReadOnly))
            all += f.readAll();
    }
    return all;
}

} // namespace

class tst_LogMainWindow : public QObject
{
    Q_OBJECT

    cTestScope m_scope;
    QString m_root;

    template<class T>
    static T *child(QWidget *w, const char *name)
    {
        return w->findChild<T *>(QLatin1String(name));
    }

private slots:
    void init()
    {
        m_scope.clearSettings();
        m_root = m_scope.makeAppRoot(false);
        QDir().mkpath(m_root + QStringLiteral("/etc"));
        QDir().mkpath(m_root + QStringLiteral("/bin/log"));
    }

    void pageOnTheSimulatedUnitsBadDay()
    {
        QString why;
        QVERIFY2(startEmbeddedUnit({QStringLiteral("log-profile=edge"), QStringLiteral("log-rate=600"),
                                    QStringLiteral("ready-ms=0")},
                                   &why),
                 qPrintable(why));
        QWidget parent;
        auto container = new cLogContainer(&parent);
        QVERIFY(container->selectorWidget() == nullptr);
        auto window = qobject_cast<cLogMainWindow *>(container->widget());
        QVERIFY(window);
        container->setActive(false);
        auto connect = child<QAction>(window, "connectAction");
        auto disconnect = child<QAction>(window, "disconnectAction");
        QTRY_VERIFY_WITH_TIMEOUT(connect->isEnabled(), 5000);
        connect->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(disconnect->isEnabled(), 5000);
        QVERIFY(!child<QLineEdit>(window, "filterField")->isEnabled());
        auto view = child<QPlainTextEdit>(window, "logView");
        // A whole turn of the bad-day lines, shown right.
        QTRY_VERIFY_WITH_TIMEOUT(view->toPlainText().contains(QStringLiteral("tracker_12[")), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(view->toPlainText().contains(QString::fromUtf8("оператор «Telia», Prüfung ✓")), 10000);
        QTRY_COMPARE_WITH_TIMEOUT(cell(window, "gsmTable", 2), QStringLiteral("Roaming"), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(
            window->findChild<cStatDynamicTable *>(QStringLiteral("fuelTable"))->rowValue(QStringLiteral("fuel2_1_can")).startsWith(QLatin1String("level = ")), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(window->findChild<cStatDynamicTable *>(QStringLiteral("counterTable"))
                                     ->rowValue(QStringLiteral("counter11")) == QLatin1String("0"), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(!window->findChild<cStatDynamicTable *>(QStringLiteral("ainTable"))
                                      ->rowValue(QStringLiteral("ain12")).isEmpty(), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(!cell(window, "deviceTable", 0).isEmpty(), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(cell(window, "canLogTable", 0) == QLatin1String("4464")
                                     || cell(window, "canLogTable", 2).startsWith(QLatin1Char('-')), 5000);
        QVERIFY(!view->toPlainText().contains(QLatin1Char('\r')));
        disconnect->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(connect->isEnabled() && !disconnect->isEnabled(), 5000);
        QVERIFY(child<QLineEdit>(window, "filterField")->isEnabled());
        // Every line reached the device log, bytes as the unit sent them.
        QTRY_VERIFY_WITH_TIMEOUT(deviceLogs(m_root).contains("\xd0\xbe\xd0\xbf\xd0\xb5\xd1\x80\xd0\xb0\xd1\x82\xd0\xbe\xd1\x80"), 5000);
        QVERIFY(deviceLogs(m_root).contains("[EDGE] a line ended by CR alone\r[EDGE] and the text after it\r\n"));
        stopEmbeddedUnit();
    }

    void keywords()
    {
        QVERIFY(cKeywordFile::save(m_root + QStringLiteral("/etc/keywords.xml"),
                                   {QStringLiteral("[NET]"), QStringLiteral("gsm")}));
        cLogMainWindow window(nullptr);
        auto list = child<QListWidget>(&window, "keywordList");
        auto filter = child<QLineEdit>(&window, "filterField");
        QCOMPARE(list->count(), 2);
        QCOMPARE(filter->text(), QStringLiteral("*"));   // loading does not rewrite the filter
        auto field = child<QLineEdit>(&window, "newKeywordField");
        field->setText(QStringLiteral("a]]>b "));
        QTest::keyClick(field, Qt::Key_Return);
        QCOMPARE(filter->text(), QStringLiteral("a]]>b "));
        list->item(0)->setCheckState(Qt::Checked);
        QCOMPARE(filter->text(), QStringLiteral("[NET], a]]>b "));
        QCOMPARE(cKeywordFile::load(m_root + QStringLiteral("/etc/keywords.xml")),
                 (QStringList {QStringLiteral("[NET]"), QStringLiteral("gsm"), QStringLiteral("a]]>b ")}));
        list->item(0)->setCheckState(Qt::Unchecked);
        list->item(2)->setCheckState(Qt::Unchecked);
        QCOMPARE(filter->text(), QStringLiteral("*"));
        emit list->itemDoubleClicked(list->item(1));
        QCOMPARE(cKeywordFile::load(m_root + QStringLiteral("/etc/keywords.xml")),
                 (QStringList {QStringLiteral("[NET]"), QStringLiteral("a]]>b ")}));
    }

    void brokenKeywordFileIsKeptAside()
    {
        QFile broken(m_root + QStringLiteral("/etc/keywords.xml"));
        QVERIFY(broken.open(QIODevice::WriteOnly));
        broken.write("this is not XML <<<");
        broken.close();
        cLogMainWindow window(nullptr);
        QCOMPARE(child<QListWidget>(&window, "keywordList")->count(), 0);
        auto field = child<QLineEdit>(&window, "newKeywordField");
        field->setText(QStringLiteral("new"));
        QTest::keyClick(field, Qt::Key_Return);
        QFile aside(m_root + QStringLiteral("/etc/keywords.xml.broken"));
        QVERIFY(aside.open(QIODevice::ReadOnly));
        QCOMPARE(aside.readAll(), QByteArray("this is not XML <<<"));
        QCOMPARE(cKeywordFile::load(m_root + QStringLiteral("/etc/keywords.xml")), QStringList {QStringLiteral("new")});
    }

    void commandHistory()
    {
        {
            cLogMainWindow window(nullptr);
            auto line = child<QLineEdit>(&window, "commandLine");
            for (const char *command : {"ver", " stat ", "ver"}) {
                line->setText(QLatin1String(command));
                QTest::keyClick(line, Qt::Key_Return);
            }
            QTest::keyClick(line, Qt::Key_Up);
            QCOMPARE(line->text(), QString());
            QTest::keyClick(line, Qt::Key_Down);
            QCOMPARE(line->text(), QStringLiteral("ver"));
            QTest::keyClick(line, Qt::Key_Down);
            QCOMPARE(line->text(), QStringLiteral("stat"));
            QTest::keyClick(line, Qt::Key_Up);
            QCOMPARE(line->text(), QStringLiteral("ver"));
            // Opening the command line while not reading toggles it and sends nothing.
            QVERIFY(line->isHidden());
            QMetaObject::invokeMethod(&window, "commandLineShowHideSlot");
            QVERIFY(!line->isHidden());
        }
        QSettings settings;
        QCOMPARE(settings.value(QStringLiteral("LogWindow/CliAutocomplete")).toStringList(),
                 (QStringList {QStringLiteral("ver"), QStringLiteral("stat")}));
        QCOMPARE(settings.value(QStringLiteral("LogWindow/CliVisible")).toBool(), true);
    }
};

QTEST_MAIN(tst_LogMainWindow)
#include "tst_logmainwindow.moc"

#include "shell/cmainwindow.h"

#include "autotests/shell/ctestscope.h"
#include "platform/appenv/engineeringmode.h"
#include "platform/logging/clogengine.h"
#include "platform/logging/logs.h"
#include "platform/logging/widget/clogwidget.h"
#include "platform/pagecontract/ipage.h"
#include "platform/ztk/clangmanager.h"
#include "platform/ztk/cpageselector.h"

#include "ztversion.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QSettings>
#include <QStackedWidget>
#include <QTableView>
#include <QTest>
#include <QVBoxLayout>

#include <algorithm>
#include <memory>
#include <set>

namespace {

// Writes every call the main window makes on it into a shared journal.
class cRecordingPage : public QWidget, public iPage
{
public:
    cRecordingPage(int slot, QStringList *journal, QWidget *parent, bool withSelector)
        : QWidget(parent), m_slot(slot), m_journal(journal),
          m_selector(withSelector ? new QLabel(QStringLiteral("selector"), this) : nullptr)
    {
    }

    QWidget *selectorWidget() override { note(QStringLiteral("selector")); return m_selector; }
    QWidget *widget() override { note(QStringLiteral("widget")); return this; }
    void setActive(bool active) override { m_active = active; note(QStringLiteral("active=%1").arg(int(active))); }

    QWidget *selector() const { return m_selector; }
    bool isActive() const { return m_active; }

private:
    void note(const QString &call) { m_journal->append(QString::number(m_slot) + QLatin1Char(':') + call); }

    const int m_slot;
    QStringList *m_journal;
    QWidget *m_selector;
    bool m_active = false;
};

bool engineering()
{
    return isEngineeringSwitch(QCoreApplication::arguments());
}

int slotOf(const QString &key)
{
    return QStringList{"Flash", "Device", "Testing", "Testing2", "Files", "Logs", "DevTest"}.indexOf(key);
}

// The setActive round of a switch: slot 6 (when it is the target) first, then 0..5, then slot 6.
QStringList activation(int target, int slotCount)
{
    QStringList calls;
    if (target == 6)
        calls << QStringLiteral("6:active=1");
    for (int slot = 0; slot < 6; ++slot)
        calls << QStringLiteral("%1:active=%2").arg(slot).arg(int(slot == target));
    if (target != 6 && slotCount == 7)
        calls << QStringLiteral("6:active=0");
    return calls;
}

int countRows(QAbstractItemModel *model, const QString &text)
{
    int found = 0;
    for (int row = 0; model && row < model->rowCount(); ++row)
        found += model->index(row, 3).data().toString() == text ? 1 : 0;
    return found;
}

void flushLog()
{
    if (auto engine = dynamic_cast<cLogEngine *>(logs::get()))
        engine->flush();
    QCoreApplication::processEvents();
}

} // namespace

class tst_cMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { m_scope = std::make_unique<cTestScope>(); }
    void init();

    void titleSelectorAndMessage();
    void restoreCurrentPage_data();
    void restoreCurrentPage();
    void strayKeys();
    void pageContract();
    void consolePages();
    void settingsRoundTrip();
    void corruptSettings_data();
    void corruptSettings();
    void statusPictures();
    void dialogs();
    void languageMenu();
    void realPagesOpen();

private:
    std::unique_ptr<cMainWindow> makeWindow(const std::set<int> &emptySlots = {}, const std::set<int> &withSelector = {});
    cRecordingPage *page(int slot) const { return m_pages.value(slot); }
    static QStackedWidget *stack(cMainWindow *window) { return window->findChild<QStackedWidget *>(); }
    static QActionGroup *group(cMainWindow *window) { return window->findChild<QActionGroup *>(QStringLiteral("pageActions")); }
    static QAction *pageAction(cMainWindow *window, const QString &key)
    {
        const QList<QAction *> actions = group(window)->actions();
        const auto it = std::find_if(actions.cbegin(), actions.cend(), [&key](QAction *a) { return a->objectName() == key; });
        return it == actions.cend() ? nullptr : *it;
    }
    static QString checkedKey(cMainWindow *window)
    {
        return group(window)->checkedAction() ? group(window)->checkedAction()->objectName() : QString();
    }

    std::unique_ptr<cTestScope> m_scope;
    QStringList m_journal;
    QHash<int, cRecordingPage *> m_pages;
};

void tst_cMainWindow::init()
{
    m_scope->clearSettings();
    m_scope->makeAppRoot(false);
}

std::unique_ptr<cMainWindow> tst_cMainWindow::makeWindow(const std::set<int> &emptySlots,
                                                         const std::set<int> &withSelector)
{
    m_journal.clear();
    m_pages.clear();
    auto factory = [this, emptySlots, withSelector](int slot, QWidget *parent) -> iPage * {
        if (emptySlots.count(slot))
            return nullptr;
        auto fake = new cRecordingPage(slot, &m_journal, parent, withSelector.count(slot) > 0);
        m_pages.insert(slot, fake);
        return fake;
    };
    return std::make_unique<cMainWindow>(nullptr, factory);
}

void tst_cMainWindow::titleSelectorAndMessage()
{
    const QString text = QStringLiteral("Running in engineering mode");
    flushLog();
    QAbstractItemModel *all = logs::get()->model(QStringLiteral("ALL"), QStringLiteral("ALL"));
    const int before = countRows(all, text);
    auto window = makeWindow();
    flushLog();

    const auto selector = window->findChild<cPageSelector *>(QStringLiteral("mainToolBar"));
    QVERIFY(selector);
    QStringList keys;
    for (const QAction *action : selector->actions())
        keys << action->objectName();
    // "Testing", and "Files" outside engineering mode, are actions of the group without a button.
    QVERIFY(pageAction(window.get(), QStringLiteral("Testing")));
    QVERIFY(pageAction(window.get(), QStringLiteral("Files")));
    QCOMPARE(countRows(all, text) - before, engineering() ? 1 : 0);
    QCOMPARE(window->windowTitle(), engineering() ? QStringLiteral("ZOVAN Tools " ZT_VERSION_STRING " - Engineering mode")
                                                  : QStringLiteral("ZOVAN Tools " ZT_VERSION_STRING));
    QCOMPARE(keys, engineering() ? QStringList({"Flash", "Device", "Testing2", "Logs", "Files", "DevTest"})
                                 : QStringList({"Flash", "Device", "Testing2", "Logs"}));
    QCOMPARE(stack(window.get())->count(), engineering() ? 7 : 6);
    QCOMPARE(pageAction(window.get(), QStringLiteral("DevTest")) != nullptr, engineering());
}

void tst_cMainWindow::restoreCurrentPage_data()
{
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<QString>("plain");       // checked key without engineering mode
    QTest::addColumn<QString>("eng");         // and with it
    QTest::addColumn<bool>("switched");       // outside engineering mode

    QTest::newRow("nothing stored") << QVariant() << "Flash" << "Flash" << true;
    QTest::newRow("old Testing key") << QVariant("Testing") << "Testing2" << "Testing2" << true;
    QTest::newRow("Files") << QVariant("Files") << "Flash" << "Files" << true;
    QTest::newRow("DevTest") << QVariant("DevTest") << "Flash" << "DevTest" << false;
    QTest::newRow("unknown key") << QVariant("NoSuchPage") << "Flash" << "Flash" << false;
}

void tst_cMainWindow::restoreCurrentPage()
{
    QFETCH(QVariant, stored);
    QFETCH(QString, plain);
    QFETCH(QString, eng);
    QFETCH(bool, switched);
    if (stored.isValid())
        QSettings().setValue(QStringLiteral("MainWindow/CurrentPage"), stored);
    auto window = makeWindow();
    const QString key = engineering() ? eng : plain;
    QCOMPARE(checkedKey(window.get()), key);
    QCOMPARE(stack(window.get())->currentIndex(), slotOf(key));
    // Without a matching action nothing is switched, so no page has been told it is current.
    const bool told = switched || (engineering() && stored.toString() == QLatin1String("DevTest"));
    QCOMPARE(page(slotOf(key))->isActive(), told);
}

void tst_cMainWindow::strayKeys()
{
    auto window = makeWindow({6});
    pageAction(window.get(), QStringLiteral("Logs"))->trigger();
    m_journal.clear();
    QAction stray;
    stray.setObjectName(QStringLiteral("Statistics"));
    window->triggered(&stray);
    window->triggered(nullptr);
    QCOMPARE(stack(window.get())->currentIndex(), 5);
    QVERIFY(m_journal.isEmpty());

    // "DevTest" with its slot empty (the page could not be made, or, outside engineering mode, a
    // foreign action carries the key) shows the first page.
    QAction foreign(QStringLiteral("Tests-D"));
    foreign.setObjectName(QStringLiteral("DevTest"));
    QAction *devTest = engineering() ? pageAction(window.get(), QStringLiteral("DevTest")) : &foreign;
    QVERIFY(devTest);
    window->triggered(devTest);
    QCOMPARE(stack(window.get())->currentIndex(), 0);
    QCOMPARE(m_journal, QStringList{"0:selector"} + activation(0, 6));
}

void tst_cMainWindow::pageContract()
{
    const int slotCount = engineering() ? 7 : 6;
    auto window = makeWindow({}, {3});

    // Built in slot order, each asked once for its widget, then the default page is switched to.
    QStringList expected;
    for (int slot = 0; slot < slotCount; ++slot)
        expected << QStringLiteral("%1:widget").arg(slot);
    QCOMPARE(m_journal, expected + QStringList{"0:selector"} + activation(0, slotCount));
    for (int slot = 0; slot < slotCount; ++slot)
        QCOMPARE(stack(window.get())->widget(slot), page(slot));

    // Switching to the current page again repeats the whole round, false calls included.
    for (int round = 0; round < 2; ++round) {
        m_journal.clear();
        window->triggered(pageAction(window.get(), QStringLiteral("Logs")));
        QCOMPARE(m_journal, QStringList{"5:selector"} + activation(5, slotCount));
    }
    if (engineering()) {
        m_journal.clear();
        pageAction(window.get(), QStringLiteral("DevTest"))->trigger();
        QCOMPARE(m_journal, QStringList{"6:selector"} + activation(6, 7));
        QCOMPARE(stack(window.get())->currentIndex(), 6);
    }

    // The selector area holds the current page's selector once, however often it is switched to; a
    // page without one empties it, and the earlier page keeps its widget.
    const auto area = window->findChild<QVBoxLayout *>(QStringLiteral("pageSelectorLayout"));
    QVERIFY(area);
    QPointer<QWidget> selector = page(3)->selector();
    pageAction(window.get(), QStringLiteral("Testing2"))->trigger();
    pageAction(window.get(), QStringLiteral("Testing2"))->trigger();
    QCOMPARE(area->count(), 1);
    QCOMPARE(area->itemAt(0)->widget(), selector.data());
    QVERIFY(!selector->isHidden());
    pageAction(window.get(), QStringLiteral("Flash"))->trigger();
    QCOMPARE(area->count(), 0);
    QVERIFY(selector);
    QVERIFY(selector->isHidden());
}

void tst_cMainWindow::consolePages()
{
    auto window = makeWindow();
    const auto console = window->findChild<cLogWidget *>();
    QVERIFY(console);
    QCOMPARE(console->pageTitle(0), QStringLiteral("All messages"));
    // A group nobody has logged to has no model yet, so it gets no page.
    const int before = console->pageCount();
    window->newGroup(QStringLiteral("NEVER_LOGGED_GROUP"));
    QCOMPARE(console->pageCount(), before);

    // Known groups get their own title, any other is shown under its name.
    const QList<QPair<QString, QString>> titles{{"FLASH", "Firmware"}, {"LOCAL_BDM", "Local BDM"},
                                                {"CONVERT", "Conversion"}, {"TEST", "Tests"}, {"PARAM", "Parameters"},
                                                {"SHELL_AUTOTEST", "SHELL_AUTOTEST"}};
    for (const auto &[group, title] : titles) {
        logs::add(QStringLiteral("console title check"), 1, QStringLiteral("LOCAL"), group);
        flushLog();
        window->newGroup(group); // a second announcement must not add a second page
        int pages = 0;
        for (int i = 0; i < console->pageCount(); ++i) {
            if (console->pageTitle(i) == title) {
                ++pages;
                QCOMPARE(console->pageView(i)->model(), logs::get()->groupModel(group));
            }
        }
        QVERIFY2(pages == 1, qPrintable(group));
    }
}

void tst_cMainWindow::settingsRoundTrip()
{
    const QRect placed(120, 90, 700, 520);
    {
        auto window = makeWindow();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        window->setGeometry(placed);
        pageAction(window.get(), QStringLiteral("Logs"))->trigger();
        // The View menu entry and the console dock follow each other; the console is left hidden.
        const auto entry = window->findChild<QAction *>(QStringLiteral("consoleAction"));
        const auto console = window->findChild<cLogWidget *>();
        QVERIFY(entry->isChecked() && console->isVisible());
        entry->trigger();
        QTRY_VERIFY(!console->isVisible());
    }
    {
        auto window = makeWindow();
        QCOMPARE(window->geometry(), placed);
        QCOMPARE(stack(window.get())->currentIndex(), 5);
        QCOMPARE(checkedKey(window.get()), QStringLiteral("Logs"));
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QVERIFY(window->findChild<cLogWidget *>()->isHidden());
        QVERIFY(!window->findChild<QAction *>(QStringLiteral("consoleAction"))->isChecked());
        window->setWindowState(Qt::WindowMaximized);
    }
    QVERIFY(makeWindow()->isMaximized());
}

void tst_cMainWindow::corruptSettings_data()
{
    QTest::addColumn<QByteArray>("content");

    QTest::newRow("binary garbage") << QByteArray::fromHex("00fffe5b5b5b01023d0a80815b4d61696e57696e646f77");
    QTest::newRow("broken values") << QByteArray("[MainWindow]\nGeometry=@Rect(1 2\nState=@ByteArray(\\x\n"
                                                 "SubState=@ByteArray(\\0\\0\\0\\xff)\nIsMaximized=@Variant(\\0\n");
    QTest::newRow("wrong types") << QByteArray("[MainWindow]\nGeometry=hello\nState=42\nSubState=true\n"
                                               "CurrentPage=@Rect(1 2 3 4)\nIsMaximized=perhaps\n");
    QTest::newRow("negative size") << QByteArray("[MainWindow]\nGeometry=@Rect(10 10 -50 -50)\n");
}

void tst_cMainWindow::corruptSettings()
{
    QFETCH(QByteArray, content);
    m_scope->writeSettingsFile(content);
    {
        auto window = makeWindow();
        QCOMPARE(window->geometry(), QRect(40, 40, 860, 650));
        QVERIFY(!window->isMaximized());
        QCOMPARE(stack(window.get())->currentIndex(), 0);
        QCOMPARE(checkedKey(window.get()), QStringLiteral("Flash"));
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }
    // Closing the window writes a sound state over the damaged one.
    QSettings settings;
    QCOMPARE(settings.value(QStringLiteral("MainWindow/Geometry")).toRect().size(), QSize(860, 650));
    QCOMPARE(settings.value(QStringLiteral("MainWindow/CurrentPage")).toString(), QStringLiteral("Flash"));
}

void tst_cMainWindow::statusPictures()
{
    const auto shows = [](QLabel *bdm, const QColor &colour, const char *tip) {
        return (colour.isValid() ? bdm->pixmap().toImage().pixelColor(2, 2) == colour : bdm->pixmap().isNull())
            && bdm->toolTip() == QLatin1String(tip);
    };
    {
        // Without res/ every icon and picture is empty, and the window still works.
        auto window = makeWindow();
        for (QAction *action : group(window.get())->actions()) {
            QVERIFY2(action->icon().isNull(), qPrintable(action->objectName()));
            action->trigger();
        }
        QVERIFY(shows(window->findChild<QLabel *>(QStringLiteral("bdmStatusLabel")), QColor(), "Local BDM was not started"));
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }
    const QString root = m_scope->makeAppRoot(true);
    QVERIFY(cTestScope::writePicture(root, QStringLiteral("connected.png"), Qt::green));
    QVERIFY(cTestScope::writePicture(root, QStringLiteral("disconnected.png"), Qt::gray));
    QVERIFY(cTestScope::writePicture(root, QStringLiteral("disconnected-err.png"), Qt::red));
    auto window = makeWindow();
    const auto bdm = window->findChild<QLabel *>(QStringLiteral("bdmStatusLabel"));
    QVERIFY(bdm->minimumSize().width() >= 16 && bdm->minimumSize().height() >= 16);
    QVERIFY(shows(bdm, Qt::gray, "Local BDM was not started"));
    window->bdmStart(true);
    QVERIFY(shows(bdm, Qt::green, "Local BDM was started"));
    window->bdmStart(false);
    QVERIFY(shows(bdm, Qt::red, "Error starting local BDM"));
    window->bdmStop();
    QVERIFY(shows(bdm, Qt::gray, "Local BDM was not started"));
}

void tst_cMainWindow::dialogs()
{
    auto window = makeWindow();
    bool seen = false;
    QString title;
    QSize size;
    const auto inspect = [&](QWidget *modal) {
        title = modal->windowTitle();
        size = modal->size();
    };
    cTestScope::closeNextModal(inspect, &seen);
    window->aboutZT();
    QVERIFY(seen);
    QCOMPARE(title, QStringLiteral("About"));

    cTestScope::closeNextModal(inspect, &seen);
    window->findChild<QAction *>(QStringLiteral("pluginSettingsAction"))->trigger();
    QVERIFY(seen);
    QCOMPARE(title, QStringLiteral("[*] Plugin settings"));
    QCOMPARE(size, QSize(640, 480));
    QVERIFY(!window->findChild<QAction *>(QStringLiteral("settingsAction"))->isEnabled());
}

void tst_cMainWindow::languageMenu()
{
    m_scope->makeAppRoot(false, {QStringLiteral("de")});
    auto window = makeWindow();
    const auto menu = window->findChild<QMenu *>(QStringLiteral("languageMenu"));
    QVERIFY(menu && menu->actions().size() == 2);
    QVERIFY(menu->actions().first()->isChecked());
    QCOMPARE(menu->actions().last()->text(), QStringLiteral("Deutsch"));

    bool seen = false;
    QString text;
    const auto read = [&text](QWidget *modal) {
        if (auto box = qobject_cast<QMessageBox *>(modal))
            text = box->windowTitle() + QLatin1Char('|') + box->text();
    };
    cTestScope::closeNextModal(read, &seen);
    menu->actions().last()->trigger();
    QVERIFY(seen);
    QCOMPARE(text, QStringLiteral("Restart|It's necessary to restart application now."));
    QCOMPARE(cLangManager::currentLanguage(), QStringLiteral("de"));
}

void tst_cMainWindow::realPagesOpen()
{
    cMainWindow window(nullptr);
    const QStringList windows{"cFlashPage",      "cParamContainer", "cDeviceContainerTest", "testMainWindow",
                              "filesMainWindow", "cLogMainWindow",  "cDeviceTestPage"};
    const QList<QAction *> actions = group(&window)->actions();
    QCOMPARE(actions.size(), engineering() ? 7 : 6);
    for (int slot = 0; slot < actions.size(); ++slot) {
        actions.at(slot)->trigger();
        QCOMPARE(stack(&window)->currentWidget()->objectName(), windows.at(slot));
    }
}

int main(int argc, char *argv[])
{
    // The main window reads its switches from the application's arguments; QTest must not see them.
    std::vector<char *> appArgs(argv, argv + argc);
#ifdef ZT_ENGINEERING_RUN
    static char engineeringSwitch[] = "/useovr";
    appArgs.push_back(engineeringSwitch);
#endif
    int appArgc = int(appArgs.size());
    QApplication app(appArgc, appArgs.data());
    tst_cMainWindow test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_cmainwindow.moc"

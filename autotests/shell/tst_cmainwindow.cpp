#include "shell/cmainwindow.h"

#include "autotests/shell/ctestscope.h"
#include "platform/logging/clogengine.h"
#include "platform/logging/logs.h"
#include "platform/logging/widget/clogwidget.h"
#include "platform/ztk/clangmanager.h"
#include "platform/ztk/cpageselector.h"
#include "shell/caboutdialog.h"
#include "shell/contract/ipage.h"
#include "shell/engineeringmode.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QSettings>
#include <QStackedWidget>
#include <QTableView>
#include <QTest>
#include <QVBoxLayout>

#include <memory>
#include <set>

namespace {

// A page that writes every call the main window makes on it into a shared journal.
class cRecordingPage : public QWidget, public iPage
{
public:
    cRecordingPage(int slot, QStringList *journal, QWidget *parent, bool withSelector)
        : QWidget(parent)
        , m_slot(slot)
        , m_journal(journal)
    {
        if (withSelector)
            m_selector = new QLabel(QStringLiteral("selector of %1").arg(slot), this);
    }

    QWidget *selectorWidget() override
    {
        m_journal->append(QStringLiteral("%1:selector").arg(m_slot));
        return m_selector;
    }
    QWidget *widget() override
    {
        m_journal->append(QStringLiteral("%1:widget").arg(m_slot));
        return this;
    }
    void setActive(bool active) override
    {
        m_journal->append(QStringLiteral("%1:active=%2").arg(m_slot).arg(int(active)));
        m_active = active;
    }

    QWidget *selector() const { return m_selector; }
    bool isActive() const { return m_active; }

private:
    const int m_slot;
    QStringList *m_journal;
    QWidget *m_selector = nullptr;
    bool m_active = false;
};

bool engineering()
{
    return isEngineeringSwitch(QCoreApplication::arguments());
}

QStringList pageSlotsActivation(int target, int slotCount)
{
    QStringList calls;
    if (target == 6)
        calls << QStringLiteral("6:active=1");
    for (int slot = 0; slot < slotCount; ++slot) {
        if (slot != 6)
            calls << QStringLiteral("%1:active=%2").arg(slot).arg(int(slot == target));
    }
    if (target != 6 && slotCount == 7)
        calls << QStringLiteral("6:active=0");
    return calls;
}

int countRows(QAbstractItemModel *model, const QString &text)
{
    int found = 0;
    for (int row = 0; model && row < model->rowCount(); ++row) {
        if (model->index(row, 3).data().toString() == text)
            ++found;
    }
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
    void initTestCase();
    void init();

    void titleAndSelector();
    void engineeringMessage();
    void restoreCurrentPage_data();
    void restoreCurrentPage();
    void selectorFrame_data();
    void selectorFrame();
    void devTestFallsBackToFirstSlot();
    void unknownKeyChangesNothing();
    void pageCallOrder();
    void selectorAreaFollowsPage();
    void consoleTitles_data();
    void consoleTitles();
    void groupWithoutModelOrTwice();
    void settingsRoundTrip();
    void corruptSettings_data();
    void corruptSettings();
    void missingResFolder();
    void bdmPictures();
    void aboutVersionLine();
    void pluginSettingsDialog();
    void languageMenu();
    void consoleMenuFollowsDock();
    void realPagesOpen();

private:
    std::unique_ptr<cMainWindow> makeWindow(const std::set<int> &emptySlots = {},
                                            const std::set<int> &withSelector = {});
    cRecordingPage *page(int slot) const { return m_pages.value(slot); }
    QStackedWidget *stack(cMainWindow *window) const { return window->findChild<QStackedWidget *>(); }
    QAction *pageAction(cMainWindow *window, const QString &key) const;
    QString checkedKey(cMainWindow *window) const;

    std::unique_ptr<cTestScope> m_scope;
    QStringList m_journal;
    QHash<int, cRecordingPage *> m_pages;
};

void tst_cMainWindow::initTestCase()
{
    m_scope = std::make_unique<cTestScope>();
}

void tst_cMainWindow::init()
{
    m_scope->clearSettings();
    m_scope->makeAppRoot(false);
    m_journal.clear();
    m_pages.clear();
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

QAction *tst_cMainWindow::pageAction(cMainWindow *window, const QString &key) const
{
    const auto group = window->findChild<QActionGroup *>(QStringLiteral("pageActions"));
    for (QAction *action : group->actions()) {
        if (action->objectName() == key)
            return action;
    }
    return nullptr;
}

QString tst_cMainWindow::checkedKey(cMainWindow *window) const
{
    const auto group = window->findChild<QActionGroup *>(QStringLiteral("pageActions"));
    return group->checkedAction() ? group->checkedAction()->objectName() : QString();
}

void tst_cMainWindow::titleAndSelector()
{
    auto window = makeWindow();
    const auto selector = window->findChild<cPageSelector *>(QStringLiteral("mainToolBar"));
    QVERIFY(selector);
    QStringList keys;
    for (const QAction *action : selector->actions())
        keys << action->objectName();

    if (engineering()) {
        QCOMPARE(window->windowTitle(), QStringLiteral("ZOVAN Tools 1.8.12 - Engineering mode"));
        QCOMPARE(keys, QStringList({"Flash", "Device", "Testing2", "Logs", "Files", "DevTest"}));
        QCOMPARE(stack(window.get())->count(), 7);
    } else {
        QCOMPARE(window->windowTitle(), QStringLiteral("ZOVAN Tools 1.8.12"));
        QCOMPARE(keys, QStringList({"Flash", "Device", "Testing2", "Logs"}));
        QCOMPARE(stack(window.get())->count(), 6);
        QVERIFY(!pageAction(window.get(), QStringLiteral("DevTest")));
    }
    // "Testing" and, outside engineering mode, "Files" exist only as actions of the group.
    QVERIFY(pageAction(window.get(), QStringLiteral("Testing")));
    QVERIFY(pageAction(window.get(), QStringLiteral("Files")));
    QCOMPARE(selector->iconSize(), QSize(64, 64));
    QCOMPARE(selector->orientation(), Qt::Vertical);
}

void tst_cMainWindow::engineeringMessage()
{
    const QString text = QStringLiteral("Running in engineering mode");
    flushLog();
    QAbstractItemModel *all = logs::get()->model(QStringLiteral("ALL"), QStringLiteral("ALL"));
    const int before = countRows(all, text);
    auto window = makeWindow();
    flushLog();
    QCOMPARE(countRows(all, text) - before, engineering() ? 1 : 0);
    if (!engineering())
        return;

    QAbstractItemModel *local = logs::get()->groupModel(QStringLiteral("LOCAL"));
    QVERIFY(local);
    const int last = local->rowCount() - 1;
    QCOMPARE(local->index(last, 3).data().toString(), text);
    QCOMPARE(local->index(last, 0).data(Qt::UserRole).toInt(), 1);
    QCOMPARE(local->index(last, 2).data().toString(), QStringLiteral("LOCAL"));
}

void tst_cMainWindow::restoreCurrentPage_data()
{
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<int>("plainIndex");
    QTest::addColumn<QString>("plainChecked");
    QTest::addColumn<int>("engIndex");
    QTest::addColumn<QString>("engChecked");
    QTest::addColumn<bool>("switched"); // outside engineering mode

    QTest::newRow("nothing stored") << QVariant() << 0 << "Flash" << 0 << "Flash" << true;
    QTest::newRow("Flash") << QVariant("Flash") << 0 << "Flash" << 0 << "Flash" << true;
    QTest::newRow("Device") << QVariant("Device") << 1 << "Device" << 1 << "Device" << true;
    QTest::newRow("old Testing key") << QVariant("Testing") << 3 << "Testing2" << 3 << "Testing2" << true;
    QTest::newRow("Testing2") << QVariant("Testing2") << 3 << "Testing2" << 3 << "Testing2" << true;
    QTest::newRow("Files") << QVariant("Files") << 0 << "Flash" << 4 << "Files" << true;
    QTest::newRow("Logs") << QVariant("Logs") << 5 << "Logs" << 5 << "Logs" << true;
    QTest::newRow("DevTest") << QVariant("DevTest") << 0 << "Flash" << 6 << "DevTest" << false;
    QTest::newRow("unknown key") << QVariant("NoSuchPage") << 0 << "Flash" << 0 << "Flash" << false;
    QTest::newRow("wrong case") << QVariant("logs") << 0 << "Flash" << 0 << "Flash" << false;
    QTest::newRow("number") << QVariant(5) << 0 << "Flash" << 0 << "Flash" << false;
}

void tst_cMainWindow::restoreCurrentPage()
{
    QFETCH(QVariant, stored);
    if (stored.isValid()) {
        QSettings settings;
        settings.setValue(QStringLiteral("MainWindow/CurrentPage"), stored);
    }
    auto window = makeWindow();
    if (engineering()) {
        QFETCH(int, engIndex);
        QFETCH(QString, engChecked);
        QCOMPARE(stack(window.get())->currentIndex(), engIndex);
        QCOMPARE(checkedKey(window.get()), engChecked);
    } else {
        QFETCH(int, plainIndex);
        QFETCH(QString, plainChecked);
        QCOMPARE(stack(window.get())->currentIndex(), plainIndex);
        QCOMPARE(checkedKey(window.get()), plainChecked);
    }
    // Without a matching action nothing is switched, so no page has been told it is current.
    QFETCH(bool, switched);
    const bool told = switched || (engineering() && stored.toString() == QLatin1String("DevTest"));
    QCOMPARE(page(stack(window.get())->currentIndex())->isActive(), told);
}

void tst_cMainWindow::selectorFrame_data()
{
    QTest::addColumn<QStringList>("keys");
    QTest::addColumn<bool>("framed");

    QTest::newRow("Device") << QStringList{"Device"} << false;
    QTest::newRow("Flash") << QStringList{"Flash"} << true;
    QTest::newRow("Testing2") << QStringList{"Testing2"} << true;
    QTest::newRow("Logs") << QStringList{"Logs"} << true;
    QTest::newRow("Files") << QStringList{"Files"} << true;
    QTest::newRow("Device then Logs") << QStringList{"Device", "Logs"} << true;
    QTest::newRow("Logs then Device") << QStringList{"Logs", "Device"} << false;
}

void tst_cMainWindow::selectorFrame()
{
    QFETCH(QStringList, keys);
    QFETCH(bool, framed);
    auto window = makeWindow();
    for (const QString &key : keys)
        pageAction(window.get(), key)->trigger();
    const auto frame = window->findChild<QFrame *>(QStringLiteral("pageSelectorFrame"));
    QVERIFY(frame);
    QCOMPARE(frame->frameShape(), framed ? QFrame::StyledPanel : QFrame::NoFrame);
    QCOMPARE(frame->frameShadow(), framed ? QFrame::Raised : QFrame::Plain);
}

void tst_cMainWindow::devTestFallsBackToFirstSlot()
{
    // Outside engineering mode there is no "DevTest" action, but a foreign one may still come in;
    // in engineering mode the slot can be empty when the page could not be made.
    auto window = makeWindow({6});
    pageAction(window.get(), QStringLiteral("Logs"))->trigger();
    QCOMPARE(stack(window.get())->currentIndex(), 5);

    QAction foreign(QStringLiteral("Tests-D"));
    foreign.setObjectName(QStringLiteral("DevTest"));
    QAction *devTest = engineering() ? pageAction(window.get(), QStringLiteral("DevTest")) : &foreign;
    QVERIFY(devTest);
    m_journal.clear();
    window->triggered(devTest);

    QCOMPARE(stack(window.get())->currentIndex(), 0);
    QCOMPARE(m_journal, QStringList{"0:selector"} + pageSlotsActivation(0, 6));
    QVERIFY(page(0)->isActive());
}

void tst_cMainWindow::unknownKeyChangesNothing()
{
    auto window = makeWindow();
    pageAction(window.get(), QStringLiteral("Logs"))->trigger();
    m_journal.clear();
    QAction stray;
    stray.setObjectName(QStringLiteral("Statistics"));
    window->triggered(&stray);
    window->triggered(nullptr);
    QCOMPARE(stack(window.get())->currentIndex(), 5);
    QVERIFY(m_journal.isEmpty());
}

void tst_cMainWindow::pageCallOrder()
{
    const int slotCount = engineering() ? 7 : 6;
    auto window = makeWindow();

    // Built in slot order, each asked once for its widget, then the stored (default) page is switched to.
    QStringList expected;
    for (int slot = 0; slot < slotCount; ++slot)
        expected << QStringLiteral("%1:widget").arg(slot);
    expected << QStringLiteral("0:selector") << pageSlotsActivation(0, slotCount);
    QCOMPARE(m_journal, expected);
    for (int slot = 0; slot < slotCount; ++slot)
        QCOMPARE(stack(window.get())->widget(slot), page(slot));

    m_journal.clear();
    pageAction(window.get(), QStringLiteral("Logs"))->trigger();
    QCOMPARE(m_journal, QStringList{"5:selector"} + pageSlotsActivation(5, slotCount));

    // Switching to the same page again repeats the whole round, false calls included.
    m_journal.clear();
    window->triggered(pageAction(window.get(), QStringLiteral("Logs")));
    QCOMPARE(m_journal, QStringList{"5:selector"} + pageSlotsActivation(5, slotCount));

    if (engineering()) {
        m_journal.clear();
        pageAction(window.get(), QStringLiteral("DevTest"))->trigger();
        QCOMPARE(m_journal, QStringList{"6:selector"} + pageSlotsActivation(6, 7));
        QCOMPARE(stack(window.get())->currentIndex(), 6);
    }
}

void tst_cMainWindow::selectorAreaFollowsPage()
{
    auto window = makeWindow({}, {3});
    const auto area = window->findChild<QVBoxLayout *>(QStringLiteral("pageSelectorLayout"));
    QVERIFY(area);
    QCOMPARE(area->count(), 0);

    QPointer<QWidget> selector = page(3)->selector();
    pageAction(window.get(), QStringLiteral("Testing2"))->trigger();
    QCOMPARE(area->count(), 1);
    QCOMPARE(area->itemAt(0)->widget(), selector.data());
    QVERIFY(!selector->isHidden());

    // A page without a selector empties the area; the earlier page keeps its widget.
    pageAction(window.get(), QStringLiteral("Flash"))->trigger();
    QCOMPARE(area->count(), 0);
    QVERIFY(selector);
    QVERIFY(selector->isHidden());

    pageAction(window.get(), QStringLiteral("Testing2"))->trigger();
    QCOMPARE(area->count(), 1);
    QVERIFY(!selector->isHidden());
}

void tst_cMainWindow::consoleTitles_data()
{
    QTest::addColumn<QString>("group");
    QTest::addColumn<QString>("title");

    QTest::newRow("FLASH") << "FLASH" << "Firmware";
    QTest::newRow("LOCAL_BDM") << "LOCAL_BDM" << "Local BDM";
    QTest::newRow("CONVERT") << "CONVERT" << "Conversion";
    QTest::newRow("TEST") << "TEST" << "Tests";
    QTest::newRow("PARAM") << "PARAM" << "Parameters";
    QTest::newRow("RES keeps its name") << "RES" << "RES";
    QTest::newRow("unknown group") << "SHELL_AUTOTEST" << "SHELL_AUTOTEST";
}

void tst_cMainWindow::consoleTitles()
{
    QFETCH(QString, group);
    QFETCH(QString, title);
    auto window = makeWindow();
    const auto console = window->findChild<cLogWidget *>();
    QVERIFY(console);
    QCOMPARE(console->pageTitle(0), QStringLiteral("All messages"));

    logs::add(QStringLiteral("console title check"), 1, QStringLiteral("LOCAL"), group);
    flushLog();
    int pages = 0;
    for (int i = 0; i < console->pageCount(); ++i) {
        if (console->pageTitle(i) == title) {
            ++pages;
            QCOMPARE(console->pageView(i)->model(), logs::get()->groupModel(group));
        }
    }
    QCOMPARE(pages, 1);
}

void tst_cMainWindow::groupWithoutModelOrTwice()
{
    auto window = makeWindow();
    const auto console = window->findChild<cLogWidget *>();
    const int before = console->pageCount();
    window->newGroup(QStringLiteral("NEVER_LOGGED_GROUP"));
    QCOMPARE(console->pageCount(), before);

    logs::add(QStringLiteral("twice"), 1, QStringLiteral("LOCAL"), QStringLiteral("SHELL_TWICE"));
    flushLog();
    QCOMPARE(console->pageCount(), before + 1);
    window->newGroup(QStringLiteral("SHELL_TWICE"));
    QCOMPARE(console->pageCount(), before + 1);
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
        window->findChild<cLogWidget *>()->hide();
    }
    {
        QSettings settings;
        settings.beginGroup(QStringLiteral("MainWindow"));
        QCOMPARE(settings.value(QStringLiteral("CurrentPage")).toString(), QStringLiteral("Logs"));
        QCOMPARE(settings.value(QStringLiteral("Geometry")).toRect(), placed);
        QCOMPARE(settings.value(QStringLiteral("IsMaximized")).toBool(), false);
        QVERIFY(!settings.value(QStringLiteral("State")).toByteArray().isEmpty());
        QVERIFY(!settings.value(QStringLiteral("SubState")).toByteArray().isEmpty());
    }
    {
        auto window = makeWindow();
        QCOMPARE(window->geometry(), placed);
        QCOMPARE(stack(window.get())->currentIndex(), 5);
        QCOMPARE(checkedKey(window.get()), QStringLiteral("Logs"));
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QVERIFY(window->findChild<cLogWidget *>()->isHidden());
        window->setWindowState(Qt::WindowMaximized);
    }
    auto window = makeWindow();
    QVERIFY(window->isMaximized());
}

void tst_cMainWindow::corruptSettings_data()
{
    QTest::addColumn<QByteArray>("content");

    QTest::newRow("binary garbage") << QByteArray::fromHex("00fffe5b5b5b01023d0a80815b4d61696e57696e646f77");
    QTest::newRow("broken values") << QByteArray("[MainWindow]\nGeometry=@Rect(1 2\nState=@ByteArray(\\x\n"
                                                 "SubState=@ByteArray(\\0\\0\\0\\xff)\nIsMaximized=@Variant(\\0\n");
    QTest::newRow("wrong types") << QByteArray("[MainWindow]\nGeometry=hello\nState=42\nSubState=true\n"
                                               "CurrentPage=@Rect(1 2 3 4)\nIsMaximized=perhaps\n");
    QTest::newRow("empty geometry") << QByteArray("[MainWindow]\nGeometry=@Rect(10 10 0 0)\n");
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

void tst_cMainWindow::missingResFolder()
{
    m_scope->makeAppRoot(false);
    auto window = makeWindow();
    const auto group = window->findChild<QActionGroup *>(QStringLiteral("pageActions"));
    for (QAction *action : group->actions()) {
        QVERIFY2(action->icon().isNull(), qPrintable(action->objectName()));
        action->trigger();
    }
    const auto bdm = window->findChild<QLabel *>(QStringLiteral("bdmStatusLabel"));
    QVERIFY(bdm);
    QVERIFY(bdm->pixmap().isNull());
    QCOMPARE(bdm->toolTip(), QStringLiteral("Local BDM was not started"));
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
}

void tst_cMainWindow::bdmPictures()
{
    const QString root = m_scope->makeAppRoot(true);
    QVERIFY(cTestScope::writePicture(root, QStringLiteral("connected.png"), Qt::green));
    QVERIFY(cTestScope::writePicture(root, QStringLiteral("disconnected.png"), Qt::gray));
    QVERIFY(cTestScope::writePicture(root, QStringLiteral("disconnected-err.png"), Qt::red));
    auto window = makeWindow();
    const auto bdm = window->findChild<QLabel *>(QStringLiteral("bdmStatusLabel"));
    QVERIFY(bdm->minimumSize().width() >= 16 && bdm->minimumSize().height() >= 16);
    const auto colour = [bdm] { return bdm->pixmap().toImage().pixelColor(2, 2); };

    QCOMPARE(colour(), QColor(Qt::gray));
    window->bdmStart(true);
    QCOMPARE(colour(), QColor(Qt::green));
    QCOMPARE(bdm->toolTip(), QStringLiteral("Local BDM was started"));
    window->bdmStart(false);
    QCOMPARE(colour(), QColor(Qt::red));
    QCOMPARE(bdm->toolTip(), QStringLiteral("Error starting local BDM"));
    window->bdmStop();
    QCOMPARE(colour(), QColor(Qt::gray));
    QCOMPARE(bdm->toolTip(), QStringLiteral("Local BDM was not started"));
}

void tst_cMainWindow::aboutVersionLine()
{
    auto window = makeWindow();
    const auto about = window->findChild<cAboutDialog *>();
    QVERIFY(about);
    QCOMPARE(about->findChild<QLabel *>(QStringLiteral("version"))->text(),
             QStringLiteral("Version: 1.8.12.0 from Jan 22 2018"));
    QCOMPARE(about->findChild<QLabel *>(QStringLiteral("descLabel"))->text(),
             QStringLiteral("A program utility for managing of devices on the basis of project ZOVAN"));

    bool seen = false;
    QString title;
    cTestScope::closeNextModal([&title](QWidget *modal) { title = modal->windowTitle(); }, &seen);
    window->aboutZT();
    QVERIFY(seen);
    QCOMPARE(title, QStringLiteral("About"));
}

void tst_cMainWindow::pluginSettingsDialog()
{
    auto window = makeWindow();
    bool seen = false;
    QSize size;
    QString title;
    cTestScope::closeNextModal(
        [&](QWidget *modal) {
            size = modal->size();
            title = modal->windowTitle();
        },
        &seen);
    window->findChild<QAction *>(QStringLiteral("pluginSettingsAction"))->trigger();
    QVERIFY(seen);
    QCOMPARE(size, QSize(640, 480));
    QCOMPARE(title, QStringLiteral("[*] Plugin settings"));
    QVERIFY(!window->findChild<QAction *>(QStringLiteral("settingsAction"))->isEnabled());
}

void tst_cMainWindow::languageMenu()
{
    m_scope->makeAppRoot(false, {QStringLiteral("de")});
    auto window = makeWindow();
    const auto menu = window->findChild<QMenu *>(QStringLiteral("languageMenu"));
    QVERIFY(menu);
    QStringList captions;
    QAction *german = nullptr;
    for (QAction *action : menu->actions()) {
        captions << action->text();
        if (action->text() == QLatin1String("Deutsch"))
            german = action;
    }
    QCOMPARE(captions, QStringList({"English", "Deutsch"}));
    QVERIFY(menu->actions().first()->isChecked());
    QVERIFY(german);

    bool seen = false;
    QString title;
    QString text;
    cTestScope::closeNextModal(
        [&](QWidget *modal) {
            title = modal->windowTitle();
            if (auto box = qobject_cast<QMessageBox *>(modal))
                text = box->text();
        },
        &seen);
    german->trigger();
    QVERIFY(seen);
    QCOMPARE(title, QStringLiteral("Restart"));
    QCOMPARE(text, QStringLiteral("It's necessary to restart application now."));
    QCOMPARE(cLangManager::currentLanguage(), QStringLiteral("de"));
    // Nothing is retranslated in place.
    QCOMPARE(menu->title(), QStringLiteral("Language"));

    // An action that is not a language entry is ignored: no question, no change.
    QAction foreign(QStringLiteral("Klingon"));
    cTestScope::closeNextModal({}, &seen, 300);
    window->langTriggered(&foreign);
    QTest::qWait(350);
    QVERIFY(!seen);
    QCOMPARE(cLangManager::currentLanguage(), QStringLiteral("de"));
}

void tst_cMainWindow::consoleMenuFollowsDock()
{
    auto window = makeWindow();
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    const auto entry = window->findChild<QAction *>(QStringLiteral("consoleAction"));
    const auto console = window->findChild<cLogWidget *>();
    QVERIFY(entry->isChecked());
    QVERIFY(console->isVisible());

    entry->trigger();
    QVERIFY(!entry->isChecked());
    QTRY_VERIFY(!console->isVisible());
    console->show();
    QTRY_VERIFY(entry->isChecked());
}

void tst_cMainWindow::realPagesOpen()
{
    // The tool set's own pages: every one can be switched to and shows its own window.
    cMainWindow window(nullptr);
    const auto group = window.findChild<QActionGroup *>(QStringLiteral("pageActions"));
    const QStringList windows{"cFlashPage", "cParamContainer", "cDeviceContainerTest", "cTestMainWindow",
                              "cFilesMainWindow", "cLogMainWindow", "cDeviceTestPage"};
    QCOMPARE(group->actions().size(), engineering() ? 7 : 6);
    for (int slot = 0; slot < group->actions().size(); ++slot) {
        group->actions().at(slot)->trigger();
        QCOMPARE(stack(&window)->currentWidget()->objectName(), windows.at(slot));
    }
}

int main(int argc, char *argv[])
{
    // The main window reads its switches from the application's own arguments; the test
    // framework must not see them.
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

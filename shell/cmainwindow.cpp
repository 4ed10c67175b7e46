#include "cmainwindow.h"

#include "shell/caboutdialog.h"
#include "shell/cmainlayout.h"
#include "shell/cpluginsettingsdialog.h"

#include "files/ui/cfilescontainer.h"
#include "logs/ui/clogcontainer.h"
#include "platform/appenv/engineeringmode.h"
#include "platform/appenv/resourcefile.h"
#include "platform/logging/ilogengine.h"
#include "platform/logging/logs.h"
#include "platform/logging/widget/clogwidget.h"
#include "platform/pagecontract/ipage.h"
#include "platform/pages/cdevicecontainertest.h"
#include "platform/pages/cdevicetestpage.h"
#include "platform/pages/cflashpage.h"
#include "platform/pages/cparamcontainer.h"
#include "platform/ztk/clangmanager.h"
#include "platform/ztk/cpageselector.h"
#include "tests/ui/ctestcontainer.h"

#include "ztversion.h"

#include <QAction>
#include <QActionGroup>
#include <QCoreApplication>
#include <QDateTime>
#include <QIcon>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QSettings>
#include <QStackedWidget>
#include <QStatusBar>

namespace {

const QString settingsGroup = QStringLiteral("MainWindow");
const QString keyState = QStringLiteral("State");
const QString keySubState = QStringLiteral("SubState");
const QString keyGeometry = QStringLiteral("Geometry");
const QString keyIsMaximized = QStringLiteral("IsMaximized");
const QString keyCurrentPage = QStringLiteral("CurrentPage");
const QRect defaultGeometry(40, 40, 860, 650);

const sVersion toolSetVersion{ZT_VERSION_MAJOR, ZT_VERSION_MINOR, ZT_VERSION_PATCH, ZT_VERSION_REVISION};

// Page keys in registry order: the index is the slot and the stack index.
const std::array<QString, cMainWindow::SlotCount> pageKeys{
    QStringLiteral("Flash"), QStringLiteral("Device"), QStringLiteral("Testing"), QStringLiteral("Testing2"),
    QStringLiteral("Files"), QStringLiteral("Logs"),   QStringLiteral("DevTest")};

int slotOfKey(const QString &key)
{
    for (int slot = 0; slot < cMainWindow::SlotCount; ++slot) {
        if (pageKeys[slot] == key)
            return slot;
    }
    return -1;
}

// Groups that may already have messages when the window comes up; "ALL" has its own page.
const QStringList knownGroups{QStringLiteral("LOCAL"), QStringLiteral("LOCAL_BDM"), QStringLiteral("TEST"),
                              QStringLiteral("RES"),   QStringLiteral("PLUGIN"),    QStringLiteral("PARAM"),
                              QStringLiteral("FLASH"), QStringLiteral("CONVERT")};

// Only a plain yes counts: a damaged store must not blow the window up to full screen.
bool storedFlag(const QVariant &value)
{
    if (value.typeId() == QMetaType::Bool)
        return value.toBool();
    const QString text = value.toString().trimmed().toLower();
    return text == QLatin1String("true") || text == QLatin1String("1");
}

} // namespace

cMainWindow::tPageFactory cMainWindow::defaultPages()
{
    return [](int slot, QWidget *parent) -> iPage * {
        switch (slot) {
        case 0: return new cFlashPage(parent);
        case 1: return new cParamContainer(parent);
        case 2: return new cDeviceContainerTest(parent);
        case 3: return new cTestContainer(parent);
        case 4: return new cFilesContainer(parent);
        case 5: return new cLogContainer(parent);
        case DevTestSlot: return new cDeviceTestPage(parent);
        default: return nullptr;
        }
    };
}

cMainWindow::cMainWindow(QWidget *parent)
    : cMainWindow(parent, defaultPages())
{
}

cMainWindow::cMainWindow(QWidget *parent, const tPageFactory &pages)
    : QMainWindow(parent)
{
    setObjectName(QStringLiteral("cMainWindow"));

    m_bdmStatus = new QLabel(QStringLiteral(" "), this);
    m_bdmStatus->setObjectName(QStringLiteral("bdmStatusLabel"));
    m_bdmStatus->setMinimumSize(16, 16);
    statusBar()->addWidget(m_bdmStatus);
    statusBar()->addWidget(new QWidget(this), 1);
    m_connected = QPixmap(resourceFile(QStringLiteral("connected.png")));
    m_disconnected = QPixmap(resourceFile(QStringLiteral("disconnected.png")));
    m_error = QPixmap(resourceFile(QStringLiteral("disconnected-err.png")));
    setWindowTitle(QCoreApplication::applicationName());
    bdmStop();

    const bool engineering = isEngineeringSwitch(QCoreApplication::arguments());

    m_about = new cAboutDialog(this);
    m_about->setVersion(toolSetVersion);
    m_about->setDescription(tr("A program utility for managing of devices on the basis of project ZOVAN"));
    m_pluginSettings = new cPluginSettingsDialog(this);

    m_mainLayout = new cMainLayout(this);
    createMenus();
    setCentralWidget(m_mainLayout);
    createConsole();
    createPageActions(engineering);

    auto selector = new cPageSelector(this, Qt::Vertical);
    selector->setObjectName(QStringLiteral("mainToolBar"));
    selector->setIconSize(QSize(64, 64));
    selector->setMinimumWidth(76);
    m_mainLayout->setMainSelectorWidget(selector);
    QStringList selectorKeys{QStringLiteral("Flash"), QStringLiteral("Device"), QStringLiteral("Testing2"),
                             QStringLiteral("Logs")};
    if (engineering)
        selectorKeys << QStringLiteral("Files") << QStringLiteral("DevTest");
    const QList<QAction *> actions = m_pageActions->actions();
    for (const QString &key : selectorKeys) {
        for (QAction *action : actions) {
            if (action->objectName() == key)
                selector->appendAction(action);
        }
    }

    m_pageStack = new QStackedWidget(m_innerWindow);
    m_pageStack->setObjectName(QStringLiteral("pageStack"));
    m_innerWindow->setCentralWidget(m_pageStack);
    m_mainLayout->setPageWidget(m_innerWindow);

    createPages(pages, engineering);
    addKnownGroupPages();
    restoreWindowState(engineering);

    auto calibrateAction = new QAction(tr("Calibrate"), this);
    calibrateAction->setObjectName(QStringLiteral("calibrate"));
    calibrateAction->setVisible(false);
    connect(calibrateAction, &QAction::triggered, this, &cMainWindow::calibrate);
    addAction(calibrateAction);
    setWindowTitle(QStringLiteral("%1 %2.%3.%4").arg(windowTitle(), QString::number(toolSetVersion.major),
                                                     QString::number(toolSetVersion.minor),
                                                     QString::number(toolSetVersion.build)));

    if (engineering) {
        if (iLogEngine *engine = logs::get()) {
            engine->addMessage(tr("Running in engineering mode"), 1, QDateTime::currentDateTime(),
                               QStringLiteral("LOCAL"), QStringLiteral("LOCAL"));
        }
        setWindowTitle(windowTitle() + QStringLiteral(" - ") + tr("Engineering mode"));
    }
}

cMainWindow::~cMainWindow()
{
    // Before the widget tree goes: the states and the checked page are read from it.
    saveWindowState();
}

void cMainWindow::createMenus()
{
    QMenu *fileMenu = menuBar()->addMenu(tr("File"));
    QAction *exitAction = fileMenu->addAction(tr("Exit"));
    exitAction->setObjectName(QStringLiteral("exitAction"));
    exitAction->setShortcut(QKeySequence::Quit);
    connect(exitAction, &QAction::triggered, this, &QWidget::close);

    QMenu *serviceMenu = menuBar()->addMenu(tr("Service"));
    QAction *settingsAction = serviceMenu->addAction(tr("Settings"));
    settingsAction->setObjectName(QStringLiteral("settingsAction"));
    connect(settingsAction, &QAction::triggered, this, &cMainWindow::showSettings);
    settingsAction->setEnabled(false);
    QAction *pluginAction = serviceMenu->addAction(tr("Plugin settings"));
    pluginAction->setObjectName(QStringLiteral("pluginSettingsAction"));
    connect(pluginAction, &QAction::triggered, this, &cMainWindow::showPluginSettings);

    QMenu *languageMenu = serviceMenu->addMenu(tr("Language"));
    languageMenu->setObjectName(QStringLiteral("languageMenu"));
    const QStringList codes = cLangManager::languages();
    for (const QString &code : codes) {
        QAction *action = languageMenu->addAction(cLangManager::langName(code));
        action->setCheckable(true);
        action->setObjectName(QStringLiteral("lang_") + code);
        m_languages.insert(action, code);
    }
    if (!m_languages.isEmpty()) {
        auto group = new QActionGroup(this);
        group->setExclusive(true);
        const QString current = cLangManager::currentLanguage();
        for (QAction *action : languageMenu->actions()) {
            group->addAction(action);
            if (m_languages.value(action) == current)
                action->setChecked(true);
        }
        connect(group, &QActionGroup::triggered, this, &cMainWindow::langTriggered);
    }

    QMenu *viewMenu = menuBar()->addMenu(tr("View"));
    m_consoleAction = viewMenu->addAction(tr("Message console"));
    m_consoleAction->setObjectName(QStringLiteral("consoleAction"));
    m_consoleAction->setCheckable(true);
    m_consoleAction->setChecked(true);

    QMenu *helpMenu = menuBar()->addMenu(tr("Help"));
    QAction *aboutAction = helpMenu->addAction(tr("About"));
    aboutAction->setObjectName(QStringLiteral("aboutAction"));
    connect(aboutAction, &QAction::triggered, this, &cMainWindow::aboutZT);
}

void cMainWindow::createConsole()
{
    m_innerWindow = new QMainWindow(this);
    m_innerWindow->setObjectName(QStringLiteral("innerWindow"));
    m_console = new cLogWidget(m_innerWindow);
    m_innerWindow->addDockWidget(Qt::BottomDockWidgetArea, m_console);

    if (iLogEngine *engine = logs::get())
        m_console->addPage(tr("All messages"), engine->model(QStringLiteral("ALL"), QStringLiteral("ALL")));
    if (QObject *notifier = logs::notifier())
        connect(notifier, SIGNAL(newGroup(QString)), this, SLOT(newGroup(QString)));

    connect(m_consoleAction, &QAction::triggered, m_console, &QWidget::setVisible);
    connect(m_console, &QDockWidget::visibilityChanged, m_consoleAction, &QAction::setChecked);
}

QAction *cMainWindow::addPageAction(const QString &key, const QString &caption, const QString &icon)
{
    auto action = new QAction(QIcon(resourceFile(icon)), caption, this);
    action->setObjectName(key);
    action->setCheckable(true);
    m_pageActions->addAction(action);
    return action;
}

void cMainWindow::createPageActions(bool engineering)
{
    m_pageActions = new QActionGroup(this);
    m_pageActions->setObjectName(QStringLiteral("pageActions"));
    m_pageActions->setExclusive(true);
    addPageAction(pageKeys[0], tr("Firmwares"), QStringLiteral("download.ico"))->setChecked(true);
    addPageAction(pageKeys[1], tr("Parameters"), QStringLiteral("params.ico"));
    addPageAction(pageKeys[2], tr("Tests"), QStringLiteral("p_testing.ico"));
    addPageAction(pageKeys[3], tr("Tests"), QStringLiteral("p_testing.ico"));
    addPageAction(pageKeys[4], tr("Files"), QStringLiteral("cmd.ico"));
    addPageAction(pageKeys[5], tr("Logs"), QStringLiteral("note.ico"));
    if (engineering)
        addPageAction(pageKeys[DevTestSlot], tr("Tests-D"), QStringLiteral("nuclear.ico"));
    connect(m_pageActions, &QActionGroup::triggered, this, &cMainWindow::triggered);
}

void cMainWindow::createPages(const tPageFactory &pages, bool engineering)
{
    const int slotCount = engineering ? SlotCount : SlotCount - 1;
    for (int slot = 0; slot < slotCount; ++slot) {
        iPage *page = pages ? pages(slot, this) : nullptr;
        m_pages[slot] = page;
        QWidget *widget = page ? page->widget() : nullptr;
        // An empty slot still takes its stack index, so indices and slots stay equal.
        m_pageStack->addWidget(widget ? widget : new QWidget(m_pageStack));
    }
}

void cMainWindow::addKnownGroupPages()
{
    iLogEngine *engine = logs::get();
    if (!engine)
        return;
    for (const QString &group : knownGroups) {
        if (engine->groupModel(group))
            newGroup(group);
    }
}

void cMainWindow::restoreWindowState(bool engineering)
{
    QSettings settings;
    settings.beginGroup(settingsGroup);
    restoreState(settings.value(keyState).toByteArray(), 0);
    m_innerWindow->restoreState(settings.value(keySubState).toByteArray(), 0);
    // A console restored as closed never becomes visible, so no visibility signal tells the menu.
    m_consoleAction->setChecked(!m_console->isHidden());
    const QRect geometry = settings.value(keyGeometry, defaultGeometry).toRect();
    // A damaged or hand-edited store must not leave an invisible window.
    setGeometry(geometry.isValid() ? geometry : defaultGeometry);
    if (storedFlag(settings.value(keyIsMaximized, false)))
        setWindowState(windowState() | Qt::WindowMaximized);

    QString page = settings.value(keyCurrentPage, pageKeys[0]).toString();
    settings.endGroup();
    if (page == QLatin1String("Testing"))
        page = QStringLiteral("Testing2");
    if (!engineering && page == QLatin1String("Files"))
        page = pageKeys[0];
    const QList<QAction *> actions = m_pageActions->actions();
    for (QAction *action : actions) {
        if (action->objectName() == page) {
            action->setChecked(true);
            triggered(action);
            break;
        }
    }
}

void cMainWindow::saveWindowState()
{
    QAction *checked = m_pageActions ? m_pageActions->checkedAction() : nullptr;
    QSettings settings;
    settings.beginGroup(settingsGroup);
    settings.setValue(keyState, saveState(0));
    settings.setValue(keySubState, m_innerWindow->saveState(0));
    // A maximized window keeps the size it had before, for when the operator restores it.
    const QRect normal = normalGeometry();
    settings.setValue(keyGeometry, isMaximized() && normal.isValid() ? normal : geometry());
    settings.setValue(keyIsMaximized, isMaximized());
    settings.setValue(keyCurrentPage, checked ? checked->objectName() : pageKeys[0]);
    settings.endGroup();
    settings.sync();
}

void cMainWindow::triggered(QAction *action)
{
    const QString key = action ? action->objectName() : QString();
    int target = slotOfKey(key);
    if (target == DevTestSlot && !m_pages[DevTestSlot])
        target = 0;

    if (target >= 0) {
        m_pageStack->setCurrentIndex(target);
        iPage *page = m_pages[target];
        m_mainLayout->setPageSelectorWidget(page ? page->selectorWidget() : nullptr);
        m_mainLayout->setPageSelectorFramed(key != QLatin1String("Device"));

        if (target == DevTestSlot)
            m_pages[DevTestSlot]->setActive(true);
        for (int slot = 0; slot < DevTestSlot; ++slot) {
            if (m_pages[slot])
                m_pages[slot]->setActive(slot == target);
        }
        if (target != DevTestSlot && m_pages[DevTestSlot])
            m_pages[DevTestSlot]->setActive(false);
    }
    if (auto frame = m_mainLayout->findChild<QWidget *>(QStringLiteral("pageSelectorFrame")))
        frame->update();
}

void cMainWindow::langTriggered(QAction *action)
{
    const auto found = m_languages.constFind(action);
    if (found == m_languages.constEnd())
        return;
    cLangManager::setCurrentLanguage(found.value());
    QMessageBox::warning(this, tr("Restart"), tr("It's necessary to restart application now."), QMessageBox::Ok);
}

QString cMainWindow::consoleTitle(const QString &group)
{
    if (group == QLatin1String("FLASH"))
        return tr("Firmware");
    if (group == QLatin1String("LOCAL_BDM"))
        return tr("Local BDM");
    if (group == QLatin1String("CONVERT"))
        return tr("Conversion");
    if (group == QLatin1String("TEST"))
        return tr("Tests");
    if (group == QLatin1String("PARAM"))
        return tr("Parameters");
    return group;
}

void cMainWindow::newGroup(const QString &group)
{
    // One page per group, however often it is announced.
    if (m_consoleGroups.contains(group))
        return;
    iLogEngine *engine = logs::get();
    QAbstractItemModel *model = engine ? engine->groupModel(group) : nullptr;
    if (!model)
        return;
    m_consoleGroups.insert(group);
    m_console->addPage(consoleTitle(group), model);
}

void cMainWindow::newLog(const QString &, const QString &)
{
}

void cMainWindow::bdmStart(bool state)
{
    m_bdmStatus->setPixmap(state ? m_connected : m_error);
    m_bdmStatus->setToolTip(state ? tr("Local BDM was started") : tr("Error starting local BDM"));
}

void cMainWindow::bdmStop()
{
    m_bdmStatus->setPixmap(m_disconnected);
    m_bdmStatus->setToolTip(tr("Local BDM was not started"));
}

void cMainWindow::showPluginSettings()
{
    m_pluginSettings->resize(640, 480);
    m_pluginSettings->exec();
}

void cMainWindow::aboutZT()
{
    m_about->exec();
}

void cMainWindow::showSettings()
{
}

void cMainWindow::calibrate()
{
}

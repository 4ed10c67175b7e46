#pragma once

#include "shell/shellexport.h"

#include <QHash>
#include <QMainWindow>
#include <QPixmap>
#include <QSet>

#include <array>
#include <functional>

class QAction;
class QActionGroup;
class QLabel;
class QStackedWidget;
class cAboutDialog;
class cLogWidget;
class cMainLayout;
class cPluginSettingsDialog;
class iPage;

/**
 * The application's main window: the page selector, the page registry and stack, the menus,
 * the message console and the local BDM indicator. Everything else hangs below it.
 */
class ZT_SHELL_EXPORT cMainWindow : public QMainWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(cMainWindow)

public:
    enum { SlotCount = 7, DevTestSlot = 6 };
    /** Builds the page of a registry slot as a child of the given parent (null: the slot stays empty). */
    using tPageFactory = std::function<iPage *(int slot, QWidget *parent)>;

    explicit cMainWindow(QWidget *parent);
    /** Same window with other pages, for hosts and tests that bring their own. */
    cMainWindow(QWidget *parent, const tPageFactory &pages);
    ~cMainWindow() override;

    /** The pages of this tool set. */
    static tPageFactory defaultPages();

public slots:
    void triggered(QAction *action);
    void langTriggered(QAction *action);
    void newGroup(const QString &group);
    void newLog(const QString &group, const QString &filter);
    void bdmStart(bool state);
    void bdmStop();
    void showPluginSettings();
    void aboutZT();
    void showSettings();
    void calibrate();

private:
    void createMenus();
    void createConsole();
    void createPageActions(bool engineering);
    void createPages(const tPageFactory &pages, bool engineering);
    void addKnownGroupPages();
    void restoreWindowState(bool engineering);
    void saveWindowState();
    QAction *addPageAction(const QString &key, const QString &caption, const QString &icon);
    static QString consoleTitle(const QString &group);

    QMainWindow *m_innerWindow = nullptr;
    QLabel *m_bdmStatus = nullptr;
    cLogWidget *m_console = nullptr;
    QAction *m_consoleAction = nullptr;
    QStackedWidget *m_pageStack = nullptr;
    QActionGroup *m_pageActions = nullptr;
    cMainLayout *m_mainLayout = nullptr;
    std::array<iPage *, SlotCount> m_pages{};
    QPixmap m_connected;
    QPixmap m_disconnected;
    QPixmap m_error;
    cPluginSettingsDialog *m_pluginSettings = nullptr;
    cAboutDialog *m_about = nullptr;
    QHash<QAction *, QString> m_languages;
    QSet<QString> m_consoleGroups;
};

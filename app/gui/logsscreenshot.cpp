#include "app/gui/logsscreenshot.h"

#include "app/gui/screenshotwait.h"

#include <QAction>
#include <QActionGroup>
#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTimer>

#include <cstdio>
#include <functional>

bool prepareLogsScreenshot(QMainWindow &window, const QString &dir)
{
    auto logs = window.findChild<QMainWindow *>(QStringLiteral("cLogMainWindow"));
    auto pages = window.findChild<QActionGroup *>(QStringLiteral("pageActions"));
    if (!logs || !pages)
        return true;
    auto connect = logs->findChild<QAction *>(QStringLiteral("connectAction"));
    settleUntil([connect] { return connect->isEnabled(); }, 3000);
    if (!connect->isEnabled())
        return true;
    for (QAction *page : pages->actions()) {
        if (page->objectName() == QLatin1String("Logs"))
            page->trigger();
    }
    connect->trigger();
    auto view = logs->findChild<QPlainTextEdit *>(QStringLiteral("logView"));
    settleUntil([view] { return view->blockCount() > 60; }, 8000);
    settleUntil([] { return false; }, 1000);   // a round of records for every table

    auto tabs = logs->findChild<QTabWidget *>(QStringLiteral("logTabs"));
    const int shown = tabs->currentIndex();
    tabs->setCurrentIndex(1);
    settleUntil([] { return false; }, 150);
    const QString file = QDir(dir).filePath(QStringLiteral("LogsState.png"));
    const bool saved = window.grab().save(file);
    if (saved)
        std::printf("%s\n", qPrintable(QDir::toNativeSeparators(file)));
    else
        std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
    tabs->setCurrentIndex(shown == 1 ? 0 : shown);
    return saved;
}

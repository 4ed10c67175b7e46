#include "app/gui/ccommandline.h"

#include "app/common/embeddedunit.h"
#include "app/gui/filesscreenshot.h"
#include "app/gui/logsscreenshot.h"
#include "app/gui/testspagedemo.h"
#include "platform/ztk/clangmanager.h"
#include "shell/cmainwindow.h"

#include "ztversion.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QPixmap>
#include <QTimer>

#include <cstdio>

namespace {

void settle(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

// Pictures of every page, one file per page key; the page that was current is restored so
// that the saved window state does not change.
int takeScreenshots(cMainWindow &window, const QString &dirName, bool simulatedUnit)
{
    const QDir dir(dirName);
    if (!dir.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "cannot create folder %s\n", qPrintable(dirName));
        return 1;
    }
    auto group = window.findChild<QActionGroup *>(QStringLiteral("pageActions"));
    if (!group) {
        std::fprintf(stderr, "the main window has no pages\n");
        return 1;
    }
    settle(200);
    QAction *initial = group->checkedAction();
    int failures = 0;
    const QList<QAction *> actions = group->actions();
    for (QAction *action : actions) {
        // Only the simulated unit is connected for a picture, never a real one on the desk; the
        // pages take it in turn, since its port is open only once.
        const QString key = action->objectName();
        if (simulatedUnit && key == QLatin1String("Testing2")) {
            prepareTestsPageForScreenshot(&window);
        } else if (simulatedUnit && key == QLatin1String("Files")) {
            releaseTestsPageAfterScreenshot(&window);
            prepareFilesScreenshot(&window);
        } else if (simulatedUnit && key == QLatin1String("Logs")) {
            releaseTestsPageAfterScreenshot(&window);
            releaseFilesAfterScreenshot(&window);
            if (!prepareLogsScreenshot(window, dirName))
                ++failures;
        }
        action->trigger();
        settle(100);
        const QString file = dir.filePath(action->objectName() + QStringLiteral(".png"));
        if (window.grab().save(file)) {
            std::printf("%s\n", qPrintable(QDir::toNativeSeparators(file)));
        } else {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
            ++failures;
        }
    }
    if (initial)
        initial->trigger();
    return failures == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const cCommandLine commandLine(arguments);
    if (!commandLine.isValid()) {
        std::fprintf(stderr, "%s\n\n%s", qPrintable(commandLine.error()),
                     qPrintable(cCommandLine::usage(arguments.value(0))));
        return 2;
    }
    if (commandLine.helpRequested()) {
        std::fputs(qPrintable(cCommandLine::usage(arguments.value(0))), stdout);
        return 0;
    }

    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral(ZT_ORGANIZATION_NAME));
    QApplication::setApplicationName(QStringLiteral(ZT_APPLICATION_NAME));
    QApplication::setApplicationVersion(QStringLiteral(ZT_VERSION_STRING));
    cLangManager::installTranslators(&app);

    if (commandLine.simRequested()) {
        QString error;
        if (!startEmbeddedUnit(commandLine.simOptions(), &error)) {
            std::fprintf(stderr, "cannot start the simulated unit: %s\n", qPrintable(error));
            return 1;
        }
    }

    int result = 0;
    {
        cMainWindow window(nullptr);
        window.show();
        result = commandLine.screenshotDir().isEmpty() ? app.exec()
                                                       : takeScreenshots(window, commandLine.screenshotDir(),
                                                                         commandLine.simRequested());
    }
    if (commandLine.simRequested())
        stopEmbeddedUnit();
    return result;
}

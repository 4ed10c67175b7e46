#include "app/gui/filesscreenshot.h"

#include "app/gui/screenshotwait.h"

#include "files/ui/cdevicefsview.h"
#include "files/ui/cfilepanel.h"
#include "files/ui/cfilesmainwindow.h"
#include "files/ui/clocalfsview.h"
#include "platform/port/widgets/cportselector.h"

#include <QAction>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QTimer>

#include <functional>

void prepareFilesScreenshot(QWidget *mainWindow)
{
    auto files = mainWindow->findChild<cFilesMainWindow *>();
    if (!files)
        return;
    // Only a simulated unit: a real one on the desk is not connected behind the operator's back.
    const auto simulated = [files] { return files->portSelector()->currentDevice().id.startsWith(QLatin1String("/dev/pts/")); };
    if (!settleUntil([&] { return simulated() && files->connectAction()->isEnabled(); }, 5000))
        return;
    const auto idle = [files] { return files->operation() == cFilesMainWindow::Idle; };
    files->initSlot();
    if (!settleUntil([&] { return idle() && files->isConnected(); }, 15000))
        return;
    files->deviceRootChanged(QStringLiteral("/archive"));
    settleUntil(idle, 10000);
    const QString appRoot = QDir::cleanPath(QCoreApplication::applicationDirPath() + QStringLiteral("/.."));
    files->localView()->setRoot(appRoot);
    files->localPanel()->setCurrentPath(appRoot);
    settleUntil([&] { return files->localPanel()->currentPath() == appRoot; }, 3000);
}

void releaseFilesAfterScreenshot(QWidget *mainWindow)
{
    auto files = mainWindow->findChild<cFilesMainWindow *>();
    if (!files || !files->isConnected())
        return;
    files->deinitSlot();
    settleUntil([files] { return !files->isConnected() && files->operation() == cFilesMainWindow::Idle; }, 10000);
}

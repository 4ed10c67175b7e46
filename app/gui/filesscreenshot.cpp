#include "app/gui/filesscreenshot.h"

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

namespace {

// Lets the event loop run until ready() holds or the time is up.
bool waitFor(const std::function<bool()> &ready, int milliseconds)
{
    const QDeadlineTimer deadline(milliseconds);
    while (!ready()) {
        if (deadline.hasExpired())
            return false;
        QEventLoop loop;
        QTimer::singleShot(20, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

} // namespace

void prepareFilesScreenshot(QWidget *mainWindow)
{
    auto files = mainWindow->findChild<cFilesMainWindow *>();
    if (!files)
        return;
    // Only a simulated unit: a real one on the desk is not connected behind the operator's back.
    const auto simulated = [files] { return files->portSelector()->currentDevice().id.startsWith(QLatin1String("/dev/pts/")); };
    if (!waitFor([&] { return simulated() && files->connectAction()->isEnabled(); }, 5000))
        return;
    const auto idle = [files] { return files->operation() == cFilesMainWindow::Idle; };
    files->initSlot();
    if (!waitFor([&] { return idle() && files->isConnected(); }, 15000))
        return;
    files->deviceRootChanged(QStringLiteral("/archive"));
    waitFor(idle, 10000);
    const QString appRoot = QDir::cleanPath(QCoreApplication::applicationDirPath() + QStringLiteral("/.."));
    files->localView()->setRoot(appRoot);
    files->localPanel()->setCurrentPath(appRoot);
    waitFor([&] { return files->localPanel()->currentPath() == appRoot; }, 3000);
}

#include "app/gui/testspagedemo.h"

#include "app/gui/screenshotwait.h"

#include "platform/port/widgets/cportselector.h"
#include "tests/engine/testroles.h"
#include "tests/model/ctestmodel.h"
#include "tests/ui/ctestmainwindow.h"
#include "tests/ui/ctestview.h"

#include <QAction>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <functional>

using namespace testmodel;

namespace {

int countStates(const cTestModel *model, std::initializer_list<int> states)
{
    int n = 0;
    for (int row = 0; row < model->rowCount(); ++row)
        n += std::count(states.begin(), states.end(), model->index(row, StatusColumn).data(StateRole).toInt());
    return n;
}

} // namespace

bool prepareTestsPageForScreenshot(QWidget *mainWindow)
{
    auto *page = mainWindow->findChild<cTestMainWindow *>();
    if (!page || !settleUntil([&] { return page->connectAction()->isEnabled(); }, 5000))
        return false;
    page->connectAction()->trigger();
    cTestModel *model = page->model();
    if (!settleUntil([&] { return model->rowCount() > 0; }, 20000))
        return false;
    for (int row = 0; row < model->rowCount(); row += 2)
        model->setData(model->index(row, NameColumn), int(Qt::Checked), Qt::CheckStateRole);

    // The operator does not answer the scripts' questions here.
    QTimer dismiss;
    QObject::connect(&dismiss, &QTimer::timeout, [] {
        if (auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget()))
            dialog->reject();
    });
    dismiss.start(50);
    page->view()->action(cTestView::RunAll)->trigger();
    // The runner's writes reach the model a little later: wait for the end states themselves.
    settleUntil([&] { return countStates(model, { StateOk, StateError, StateWarning, StateCanceled }) == model->rowCount(); },
            30000);

    return true;
}

void releaseTestsPageAfterScreenshot(QWidget *mainWindow)
{
    auto page = mainWindow->findChild<cTestMainWindow *>();
    if (!page || !page->disconnectAction()->isEnabled())
        return;
    // The unit's port is open only once: the next page can connect when this one has let go.
    page->disconnectAction()->trigger();
    settleUntil([page] { return !page->disconnectAction()->isEnabled(); }, 10000);
}

#include "cfsrunnerfixture.h"
#include "filestesthelpers.h"

#include "files/ui/cdevicefsmodel.h"
#include "files/ui/cdevicefsview.h"
#include "files/ui/cdropview.h"
#include "files/ui/cfilepanel.h"
#include "files/ui/cfilesmainwindow.h"
#include "files/ui/clocalfsview.h"
#include "platform/port/port.h"

#include <QAction>
#include <QAbstractButton>
#include <QLabel>
#include <QToolButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QMessageBox>
#include <QProgressDialog>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

namespace {

QStringList menuTexts(const QMenu *menu)
{
    QStringList texts;
    for (const QAction *a : menu->actions())
        texts << a->text();
    return texts;
}

QStringList column(const QAbstractItemModel *model, int col)
{
    QStringList texts;
    for (int r = 0; r < model->rowCount(); ++r)
        texts << model->index(r, col).data().toString();
    return texts;
}

sDeviceFSEntry entry(const QString &name, bool dir, qint64 size = 0)
{
    sDeviceFSEntry e;
    e.name = name;
    e.path = QStringLiteral("/x/") + name;
    e.isDir = dir;
    e.size = size;
    e.modified = QDateTime::fromSecsSinceEpoch(1700000000);
    return e;
}

using filestest::answerNextBox;
using filestest::writeFile;

} // namespace

class tst_FilesUi : public QObject
{
    Q_OBJECT

private slots:
    void panelPaths_data();
    void panelPaths();
    void clearedPanelEmitsNothing();
    void modelRowsInOrder();
    void deviceViewPathsAndSelection();
    void windowAgainstUnit();

private:
    std::unique_ptr<cFsRunnerFixture> f;
};

void tst_FilesUi::panelPaths_data()
{
    QTest::addColumn<bool>("local");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QStringList>("menu");
    QTest::addColumn<QString>("root");
    QTest::addColumn<QString>("up");
    QTest::newRow("unit, three levels") << false << "/flash/logs/old" << QStringList{"flash/logs/old", "flash/logs", "flash"}
                                        << "flash" << "flash/logs";
    QTest::newRow("unit, top folder keeps its up path") << false << "/flash" << QStringList{"flash"} << "flash" << "/flash";
    QTest::newRow("local drive root") << true << "/" << QStringList{"/"} << "/" << "/";
    QTest::newRow("local folder") << true << "/usr/share" << QStringList{"/usr/share", "/usr", "/"} << "/" << "/usr";
}

void tst_FilesUi::panelPaths()
{
    QFETCH(bool, local);
    QFETCH(QString, path);
    QFETCH(QStringList, menu);
    QFETCH(QString, root);
    QFETCH(QString, up);
    cFilePanel panel(nullptr, local);
    QSignalSpy changed(&panel, &cFilePanel::rootChanged);
    QVERIFY(changed.isValid());
    panel.setCurrentPath(path);
    QCOMPARE(menuTexts(panel.pathsMenu()), menu);
    QCOMPARE(panel.findChild<QLabel *>(QStringLiteral("currentPath"))->text(), path);
    panel.findChild<QToolButton *>(QStringLiteral("rootButton"))->click();
    panel.findChild<QToolButton *>(QStringLiteral("cdupButton"))->click();
    panel.pathsMenu()->actions().last()->trigger();
    QCOMPARE(changed.size(), 3);
    QCOMPARE(changed.at(0).first().toString(), root);
    QCOMPARE(changed.at(1).first().toString(), up);
    QCOMPARE(changed.at(2).first().toString(), menu.last());
}

void tst_FilesUi::clearedPanelEmitsNothing()
{
    cFilePanel panel(nullptr, false);
    panel.setActions(cFilePanel::CopyAction);
    QSignalSpy changed(&panel, &cFilePanel::rootChanged);
    QVERIFY(changed.isValid());
    panel.setCurrentPath(QStringLiteral("/flash/logs"));
    panel.clearPanel();
    panel.rootSlot();
    panel.cdupSlot();
    QCOMPARE(changed.size(), 0);
    QVERIFY(menuTexts(panel.pathsMenu()).isEmpty());
    int shown = 0;
    for (QToolButton *b : panel.findChildren<QToolButton *>(QStringLiteral("actionBtn")))
        shown += b->isVisibleTo(&panel) && b->defaultAction()->isEnabled() ? 1 : 0;
    QCOMPARE(shown, 1);
}

void tst_FilesUi::modelRowsInOrder()
{
    cDeviceFSModel model;
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QVERIFY(reset.isValid() && inserted.isValid());
    model.fill(QStringLiteral("/x"), {entry(QStringLiteral("b"), true), entry(QStringLiteral("z"), true),
                                      entry(QStringLiteral("a.txt"), false, 512), entry(QStringLiteral("c.txt"), false, 0)});
    QCOMPARE(column(&model, 0), (QStringList{"b", "z", "a.txt", "c.txt"}));
    QCOMPARE(column(&model, 1), (QStringList{"", "", "512", "0"}));
    QCOMPARE(model.headerData(2, Qt::Horizontal).toString(), QStringLiteral("Change date"));
    QCOMPARE(model.index(2, 1).data(Qt::ToolTipRole).toString(), QStringLiteral("512 bytes"));
    QCOMPARE(model.index(0, 2).data().toString(), QDateTime::fromSecsSinceEpoch(1700000000).toString(Qt::TextDate));
    // A view hears one reset per read, not a signal per row.
    QCOMPARE(reset.size(), 1);
    QCOMPARE(inserted.size(), 0);
    model.fill(QStringLiteral("/x"), {});
    QCOMPARE(model.rowCount(), 0);
    QCOMPARE(model.columnCount(), 0);
}

void tst_FilesUi::deviceViewPathsAndSelection()
{
    cDeviceFSView view;
    QSignalSpy request(&view, &cDeviceFSView::dirChangeRequest);
    QSignalSpy finished(&view, &cDeviceFSView::operationFinished);
    QVERIFY(request.isValid() && finished.isValid());
    view.setRoot(QStringLiteral("flash"), false);
    QCOMPARE(view.currentPath(), QStringLiteral("/flash"));
    view.model()->fill(QString(), {entry(QStringLiteral("logs"), true), entry(QStringLiteral("a.txt"), false, 3)});
    // No read was asked for, so nothing finishes.
    QVERIFY(!finished.wait(200));
    view.table()->selectAll();
    const sDeviceSelection s = view.selection();
    QCOMPARE(s.dirs, QStringList{"/flash/logs"});
    QCOMPARE(s.files, QStringList{"/flash/a.txt"});
    view.doubleClickedSlot(view.model()->index(1, 0));
    QCOMPARE(request.size(), 1);
    QCOMPARE(request.first().first().toString(), QStringLiteral("/flash/a.txt"));
}

void tst_FilesUi::windowAgainstUnit()
{
    f = std::make_unique<cFsRunnerFixture>();
    QDir unit(f->unitDir());
    QVERIFY(unit.mkpath(QStringLiteral("flash/sub")) && unit.mkpath(QStringLiteral("data")));
    QVERIFY(writeFile(f->unitDir() + QStringLiteral("/flash/a.txt"), "alpha"));
    QVERIFY(f->startUnit({}));
    f->runner.reset();   // the window's model makes its own runner
    port::registerUnit(f->device());

    cFilesMainWindow window(nullptr);
    window.resize(900, 500);
    window.show();
    QTRY_VERIFY_WITH_TIMEOUT(window.connectAction()->isEnabled(), 10000);
    cDeviceFSView *view = window.deviceView();
    QSignalSpy finished(view, &cDeviceFSView::operationFinished);
    QVERIFY(finished.isValid());
    const auto waitIdle = [&](int count) {
        return QTest::qWaitFor([&] { return finished.size() >= count && window.operation() == cFilesMainWindow::Idle; }, 20000);
    };

    window.initSlot();
    QVERIFY(waitIdle(2));   // open, then the read of the first root
    QVERIFY(window.isConnected());
    QCOMPARE(window.devicePanel()->currentPath(), QStringLiteral("/data"));
    window.deviceRootChanged(QStringLiteral("flash"));
    QVERIFY(waitIdle(3));
    QCOMPARE(column(view->model(), 0), (QStringList{"sub", "a.txt"}));

    // A file asked for as a folder: the listing stays and the path goes back.
    view->doubleClickedSlot(view->model()->index(1, 0));
    QVERIFY(waitIdle(4));
    QCOMPARE(finished.last().first().toInt(), 2);
    QCOMPARE(view->currentPath(), QStringLiteral("/flash"));
    QCOMPARE(window.devicePanel()->currentPath(), QStringLiteral("/flash"));
    QCOMPARE(column(view->model(), 0), (QStringList{"sub", "a.txt"}));

    // Nothing selected: no question, no request.
    bool asked = false;
    window.deleteRequest();
    QCOMPARE(window.operation(), int(cFilesMainWindow::Idle));

    // Only a folder selected: a copy of zero files, over at once.
    view->table()->selectRow(0);
    window.localView()->setRoot(f->localDir());
    QMetaObject::invokeMethod(view, "copyRequest");
    QVERIFY(waitIdle(5));
    QCOMPARE(finished.last().first().toInt(), 0);
    QVERIFY(!window.progressDialog()->isVisible());

    // Delete after "Yes": the folder goes, the listing is read again.
    answerNextBox(QMessageBox::Yes, &asked);
    window.deleteRequest();
    QVERIFY(asked);
    QVERIFY(waitIdle(7));
    QCOMPARE(column(view->model(), 0), QStringList{"a.txt"});
    QVERIFY(!QFileInfo::exists(f->unitDir() + QStringLiteral("/flash/sub")));

    // A download asks before it replaces a local file; "No" keeps the local one.
    QVERIFY(writeFile(f->localDir() + QStringLiteral("/a.txt"), "local"));
    view->table()->selectRow(0);
    asked = false;
    answerNextBox(QMessageBox::No, &asked);
    QMetaObject::invokeMethod(view, "copyRequest");
    QVERIFY(asked);
    QVERIFY(waitIdle(8));
    QFile kept(f->localDir() + QStringLiteral("/a.txt"));
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), QByteArray("local"));

    window.deinitSlot();
    QVERIFY(waitIdle(9));
    QVERIFY(!window.isConnected());
    QVERIFY(window.connectAction()->isEnabled());
    QCOMPARE(view->model()->rowCount(), 0);
    port::unregisterUnit(f->device().id);
}

QTEST_MAIN(tst_FilesUi)
#include "tst_filesui.moc"

#include "cfsrunnerfixture.h"
#include "filestesthelpers.h"

#include "files/ui/cdevicefsmodel.h"
#include "files/ui/cdevicefsview.h"
#include "files/ui/cdropview.h"
#include "files/ui/cfilepanel.h"
#include "files/ui/cfilesmainwindow.h"
#include "files/ui/clocalfsview.h"
#include "platform/port/port.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QFileSystemModel>
#include <QMessageBox>
#include <QMimeData>
#include <QProgressDialog>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QUrl>

namespace {

const char *const kUnitFilesType = "application/x-zovan-unit-files";

using filestest::answerNextBox;
using filestest::writeFile;

// The content of path, or an empty text when there is no such file.
QString content(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

int rowNamed(const QAbstractItemModel *model, const QModelIndex &parent, const QString &name)
{
    for (int r = 0; r < model->rowCount(parent); ++r) {
        if (model->index(r, 0, parent).data().toString() == name)
            return r;
    }
    return -1;
}

struct sDropResult
{
    bool entered = false;
    bool moved = false;
    bool dropped = false;
};

// What a QDrag would deliver, below QDrag::exec: enter, move and drop at pos. The drop is sent
// even after a refused enter, so that a drop handler that trusts the enter is caught too.
sDropResult deliver(QWidget *viewport, const QMimeData *data, const QPoint &pos)
{
    sDropResult r;
    QDragEnterEvent enter(pos, Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton, Qt::NoModifier);
    enter.setAccepted(false);
    QCoreApplication::sendEvent(viewport, &enter);
    r.entered = enter.isAccepted();
    QDragMoveEvent move(pos, Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton, Qt::NoModifier);
    move.setAccepted(false);
    QCoreApplication::sendEvent(viewport, &move);
    r.moved = move.isAccepted();
    QDropEvent drop(QPointF(pos), Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton, Qt::NoModifier);
    drop.setAccepted(false);
    QCoreApplication::sendEvent(viewport, &drop);
    r.dropped = drop.isAccepted() && drop.dropAction() == Qt::CopyAction;
    return r;
}

} // namespace

class tst_FilesDnd : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void drop_data();
    void drop();

private:
    bool waitIdle(qsizetype count);
    bool connectUnit();

    // One unit and one window for all rows (a window waits for its port scan before it can
    // connect); each row works in folders of its own on both sides.
    std::unique_ptr<cFsRunnerFixture> m_f;
    std::unique_ptr<cFilesMainWindow> m_window;
    std::unique_ptr<QSignalSpy> m_finished;
    int m_row = 0;
};

void tst_FilesDnd::initTestCase()
{
    m_f = std::make_unique<cFsRunnerFixture>();
    QVERIFY(m_f->startUnit({}));
    m_f->runner.reset();   // the window's model makes its own runner
    port::registerUnit(m_f->device());
    m_window = std::make_unique<cFilesMainWindow>(nullptr);
    m_window->resize(900, 500);
    m_window->show();
    m_finished = std::make_unique<QSignalSpy>(m_window->deviceView(), &cDeviceFSView::operationFinished);
    QVERIFY(m_finished->isValid());
    QVERIFY(QTest::qWaitFor([&] { return m_window->connectAction()->isEnabled(); }, 10000));
}

void tst_FilesDnd::cleanupTestCase()
{
    m_finished.reset();
    m_window.reset();
    if (m_f && m_f->unit)
        port::unregisterUnit(m_f->device().id);
    m_f.reset();
}

bool tst_FilesDnd::waitIdle(qsizetype count)
{
    return QTest::qWaitFor(
        [&] { return m_finished->size() >= count && m_window->operation() == cFilesMainWindow::Idle; }, 20000);
}

bool tst_FilesDnd::connectUnit()
{
    if (m_window->isConnected())
        return true;
    m_window->initSlot();
    return waitIdle(m_finished->size() + 1) && m_window->isConnected();
}

void tst_FilesDnd::drop_data()
{
    // source: what was dragged (local, unit, text, remote url, foreign unit: another process's unit rows)
    // target: the panel it falls on; onto: the row name it falls on, empty for below the rows
    // expect: side:path=content after the drop, paths in the row's folders, an empty content for no such file
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("onto");
    QTest::addColumn<bool>("connect");   // false: disconnected before the drop
    QTest::addColumn<bool>("busy");
    QTest::addColumn<bool>("existing");
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QStringList>("expect");

    const int none = QMessageBox::NoButton;
    QTest::newRow("local to unit folder shown") << "local" << "unit" << "" << true << false << false << none << true
                                                << QStringList{"unit:l.txt=local-l", "local:l.txt=local-l"};
    QTest::newRow("local to unit folder row") << "local" << "unit" << "sub" << true << false << false << none << true
                                              << QStringList{"unit:sub/l.txt=local-l", "unit:l.txt="};
    QTest::newRow("unit to local folder shown") << "unit" << "local" << "" << true << false << false << none << true
                                                << QStringList{"local:a.txt=alpha", "unit:a.txt=alpha"};
    QTest::newRow("unit to local folder row") << "unit" << "local" << "box" << true << false << false << none << true
                                              << QStringList{"local:box/a.txt=alpha", "local:a.txt="};
    QTest::newRow("existing local file, replace") << "unit" << "local" << "" << true << false << true
                                                  << int(QMessageBox::Yes) << true << QStringList{"local:a.txt=alpha"};
    QTest::newRow("existing local file, keep") << "unit" << "local" << "" << true << false << true
                                               << int(QMessageBox::No) << true << QStringList{"local:a.txt=local"};
    QTest::newRow("local onto itself") << "local" << "local" << "box" << true << false << false << none << false
                                       << QStringList{"local:box/l.txt=", "unit:l.txt="};
    QTest::newRow("unit onto itself") << "unit" << "unit" << "sub" << true << false << false << none << false
                                      << QStringList{"unit:sub/a.txt=", "local:a.txt="};
    QTest::newRow("text onto unit") << "text" << "unit" << "" << true << false << false << none << false
                                    << QStringList{"unit:l.txt="};
    QTest::newRow("text onto local") << "text" << "local" << "" << true << false << false << none << false
                                     << QStringList{"local:a.txt="};
    QTest::newRow("remote address onto unit") << "remote url" << "unit" << "" << true << false << false << none
                                              << false << QStringList{"unit:l.txt="};
    QTest::newRow("another process's unit rows") << "foreign unit" << "local" << "" << true << false << false << none
                                                 << false << QStringList{"local:a.txt="};
    QTest::newRow("unit not connected") << "local" << "unit" << "" << false << false << false << none << false
                                        << QStringList{"unit:l.txt="};
    QTest::newRow("while a read runs") << "local" << "unit" << "" << true << true << false << none << false
                                       << QStringList{"unit:l.txt="};
}

void tst_FilesDnd::drop()
{
    QFETCH(QString, source);
    QFETCH(QString, target);
    QFETCH(QString, onto);
    QFETCH(bool, connect);
    QFETCH(bool, busy);
    QFETCH(bool, existing);
    QFETCH(int, answer);
    QFETCH(bool, accepted);
    QFETCH(QStringList, expect);

    // Fresh folders on both sides: the local model caches what it has seen of a folder.
    const QString tag = QStringLiteral("r%1").arg(++m_row);
    const QString unitRoot = m_f->unitDir() + QStringLiteral("/flash/") + tag;
    const QString localRoot = m_f->localDir() + QLatin1Char('/') + tag;
    QVERIFY(QDir().mkpath(unitRoot + QStringLiteral("/sub")));
    QVERIFY(writeFile(unitRoot + QStringLiteral("/a.txt"), "alpha"));
    QVERIFY(QDir().mkpath(localRoot + QStringLiteral("/box")));
    QVERIFY(writeFile(localRoot + QStringLiteral("/l.txt"), "local-l"));
    if (existing)
        QVERIFY(writeFile(localRoot + QStringLiteral("/a.txt"), "local"));

    cFilesMainWindow &window = *m_window;
    cDeviceFSView *deviceView = window.deviceView();
    cLocalFSView *localView = window.localView();
    QSignalSpy &finished = *m_finished;
    QSignalSpy toUnit(deviceView, &cDeviceFSView::filesDropped);
    QSignalSpy toLocal(localView, &cLocalFSView::filesDropped);
    QVERIFY(toUnit.isValid() && toLocal.isValid());
    window.progressDialog()->setLabelText(QString());
    QVERIFY(connectUnit());
    window.deviceRootChanged(QStringLiteral("flash/") + tag);
    QVERIFY(waitIdle(finished.size() + 1));
    QCOMPARE(rowNamed(deviceView->model(), {}, QStringLiteral("a.txt")), 1);
    if (!connect) {
        window.deinitSlot();
        QVERIFY(waitIdle(finished.size() + 1));
        QVERIFY(!window.isConnected());
    }
    localView->setRoot(localRoot);
    QFileSystemModel *localModel = localView->model();
    const QModelIndex localIndex = localModel->index(localRoot);
    QVERIFY(QTest::qWaitFor([&] { return localModel->rowCount(localIndex) == (existing ? 3 : 2); }, 10000));

    // The data a drag of the source's selected rows carries: what the model makes of them.
    std::unique_ptr<QMimeData> data;
    if (source == QLatin1String("local")) {
        localView->table()->selectRow(rowNamed(localModel, localIndex, QStringLiteral("l.txt")));
        data.reset(localModel->mimeData(localView->table()->selectionModel()->selectedIndexes()));
    } else if (source == QLatin1String("unit")) {
        // A folder with the file: folders are left out, as "Copy" leaves them out.
        deviceView->table()->selectAll();
        data.reset(deviceView->model()->mimeData(deviceView->table()->selectionModel()->selectedIndexes()));
    } else {
        data = std::make_unique<QMimeData>();
        if (source == QLatin1String("text"))
            data->setText(QStringLiteral("a.txt"));
        else if (source == QLatin1String("remote url"))
            data->setUrls({QUrl(QStringLiteral("https://example.com/l.txt"))});
        else
            data->setData(QLatin1String(kUnitFilesType), QByteArray::number(QCoreApplication::applicationPid() + 1)
                                                             + "\n/flash/" + tag.toUtf8() + "/a.txt");
    }
    QVERIFY(data);

    cDropView *table = target == QLatin1String("unit") ? deviceView->table() : localView->table();
    QPoint pos(5, table->viewport()->height() - 3);
    if (!onto.isEmpty()) {
        const QModelIndex parent = table == localView->table() ? localIndex : QModelIndex();
        const int row = rowNamed(table->model(), parent, onto);
        QVERIFY(row >= 0);
        pos = table->visualRect(table->model()->index(row, 0, parent)).center();
    }
    QCOMPARE(table->indexAt(pos).isValid(), !onto.isEmpty());

    const qsizetype before = finished.size();
    if (busy)
        window.deviceRootChanged(QStringLiteral("flash/") + tag);
    bool asked = false;
    if (answer != QMessageBox::NoButton)
        answerNextBox(QMessageBox::StandardButton(answer), &asked);
    const sDropResult r = deliver(table->viewport(), data.get(), pos);
    QCOMPARE(r.entered, accepted);
    QCOMPARE(r.moved, accepted);
    QCOMPARE(r.dropped, accepted);
    QCOMPARE(toUnit.size() + toLocal.size(), accepted ? 1 : 0);

    if (accepted || busy) {
        QVERIFY(waitIdle(before + 1));
        for (qsizetype i = before; i < finished.size(); ++i)
            QCOMPARE(finished.at(i).first().toInt(), 0);
    } else {
        QCoreApplication::processEvents();
        QCOMPARE(window.operation(), int(cFilesMainWindow::Idle));
    }
    QCOMPARE(asked, answer != QMessageBox::NoButton);
    // The copy went the way of "Copy": its progress dialog named the file.
    const bool copied = accepted && answer != QMessageBox::No;
    const QLatin1String dragged(source == QLatin1String("local") ? "l.txt" : "a.txt");
    QCOMPARE(window.progressDialog()->labelText().contains(dragged), copied);
    QVERIFY(!window.progressDialog()->isVisible());
    if (copied && target == QLatin1String("unit") && onto.isEmpty())
        QVERIFY(rowNamed(deviceView->model(), {}, QStringLiteral("l.txt")) >= 0);   // the listing was read again

    for (const QString &e : std::as_const(expect)) {
        const QString side = e.section(QLatin1Char(':'), 0, 0);
        const QString path = e.section(QLatin1Char(':'), 1).section(QLatin1Char('='), 0, 0);
        const QString want = e.section(QLatin1Char('='), 1);
        const QString root = side == QLatin1String("unit") ? unitRoot : localRoot;
        QCOMPARE(content(root + QLatin1Char('/') + path), want);
    }
}

QTEST_MAIN(tst_FilesDnd)
#include "tst_filesdnd.moc"

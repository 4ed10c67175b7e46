#include "autotests/tests/model/cfaketestrunner.h"

#include "tests/model/ctestmodel.h"
#include "tests/ui/ctestlogwidget.h"
#include "tests/ui/ctestproxy.h"
#include "tests/ui/ctestview.h"
#include "tests/ui/cuserdialog.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QLineEdit>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace testmodel;

class tst_cTestView : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void enablingTable_data();
    void enablingTable();
    void runPaths_data();
    void runPaths();
    void checkedCounterDrivesRunChecked();
    void switchCheckState();
    void askUserWithoutValues();
    void askUserAnswers();
    void askUserEscapeGivesNoAnswer();
    void questionGroupIsHex();
    void resultsWindow();
    void resultsSave();

private:
    /** Runs the action while a timer works on the modal dialog that it opens. */
    void withModal(const std::function<void(QWidget *)> &onDialog, const std::function<void()> &action);

    std::unique_ptr<cFakeTestRunner> m_runner;
    std::unique_ptr<cTestModel> m_model;
    std::unique_ptr<cTestProxy> m_proxy;
    std::unique_ptr<cTestView> m_view;
};

void tst_cTestView::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication::setOrganizationName(QStringLiteral("ZovanToolsTests"));
    QCoreApplication::setApplicationName(QStringLiteral("tst_ctestview"));
}

void tst_cTestView::init()
{
    QSettings().clear();
    m_runner = std::make_unique<cFakeTestRunner>();
    m_runner->tests = { QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c") };
    m_model = std::make_unique<cTestModel>(m_runner.get(), nullptr);
    m_proxy = std::make_unique<cTestProxy>();
    m_proxy->setSourceModel(m_model.get());
    m_view = std::make_unique<cTestView>(m_runner.get(), nullptr);
    m_view->setModel(m_proxy.get());
    connect(m_model.get(), &cTestModel::checked, m_view.get(), &cTestView::checked);
    connect(m_model.get(), &cTestModel::cleared, m_view.get(), &cTestView::cleared);
    m_model->init(QStringLiteral("unit"));
}

void tst_cTestView::cleanup()
{
    m_view.reset();
    m_proxy.reset();
    m_model.reset();
    m_runner.reset();
}

void tst_cTestView::withModal(const std::function<void(QWidget *)> &onDialog, const std::function<void()> &action)
{
    bool seen = false;
    QTimer timer;
    timer.setInterval(10);
    connect(&timer, &QTimer::timeout, this, [&] {
        if (QWidget *modal = QApplication::activeModalWidget()) {
            timer.stop();
            seen = true;
            onDialog(modal);
        }
    });
    timer.start();
    action();
    QVERIFY(seen);
}

void tst_cTestView::enablingTable_data()
{
    QTest::addColumn<int>("state");
    QTest::addColumn<bool>("runCurrent");
    QTest::addColumn<bool>("stopCurrent");

    QTest::newRow("none") << 0 << true << false;
    QTest::newRow("ok") << 1 << true << false;
    QTest::newRow("enqueued") << 4 << false << true;
    QTest::newRow("running") << 5 << false << true;
    QTest::newRow("canceling") << 6 << false << false;
    QTest::newRow("canceled") << 7 << true << false;
}

void tst_cTestView::enablingTable()
{
    QFETCH(int, state);
    QFETCH(bool, runCurrent);
    QFETCH(bool, stopCurrent);

    QVERIFY(m_view->action(cTestView::RunAll)->isEnabled());
    QVERIFY(m_view->action(cTestView::SaveResult)->isEnabled());
    m_view->setCurrentIndex(m_proxy->index(1, NameColumn));
    // The runner changes the state while the row is current.
    m_model->setData(m_model->index(1, StatusColumn), state, StateRole);
    QCOMPARE(m_view->action(cTestView::RunCurrent)->isEnabled(), runCurrent);
    QCOMPARE(m_view->action(cTestView::StopCurrent)->isEnabled(), stopCurrent);
    // And when the row becomes current.
    m_view->setCurrentIndex(m_proxy->index(0, NameColumn));
    m_view->setCurrentIndex(m_proxy->index(1, InfoColumn));
    QCOMPARE(m_view->action(cTestView::RunCurrent)->isEnabled(), runCurrent);
    QCOMPARE(m_view->action(cTestView::StopCurrent)->isEnabled(), stopCurrent);

    m_model->liteClear();
    for (int i = 0; i < cTestView::ActionCount; ++i)
        QVERIFY(!m_view->action(cTestView::eAction(i))->isEnabled());
}

void tst_cTestView::runPaths_data()
{
    QTest::addColumn<int>("action");
    QTest::addColumn<int>("repeats");
    QTest::addColumn<QList<int>>("checkedRows");
    QTest::addColumn<int>("runningRow");
    QTest::addColumn<QStringList>("calls");

    const QList<int> none;
    QTest::newRow("all once, one running") << int(cTestView::RunAll) << 1 << none << 1
                                           << QStringList{ "clearResults", "queue:a", "cancelCurrent", "queue:c" };
    QTest::newRow("all repeated") << int(cTestView::RunAll) << 3 << none << -1 << QStringList{ "runTests:a,b,cx3" };
    QTest::newRow("checked once") << int(cTestView::RunChecked) << 1 << QList<int>{ 0, 2 } << -1
                                  << QStringList{ "clearResults", "queue:a", "queue:c" };
    QTest::newRow("checked repeated") << int(cTestView::RunChecked) << 5 << QList<int>{ 2 } << -1
                                      << QStringList{ "runTests:cx5" };
    QTest::newRow("checked repeated, none checked") << int(cTestView::RunChecked) << 5 << none << -1 << QStringList();
    QTest::newRow("current once") << int(cTestView::RunCurrent) << 1 << none << -1 << QStringList{ "queue:b" };
    QTest::newRow("current once, running") << int(cTestView::RunCurrent) << 1 << none << 1
                                           << QStringList{ "cancelCurrent" };
    QTest::newRow("current repeated") << int(cTestView::RunCurrent) << 10000 << none << -1
                                      << QStringList{ "runTests:bx10000" };
    QTest::newRow("stop current") << int(cTestView::StopCurrent) << 1 << none << 1 << QStringList{ "cancel:b" };
    QTest::newRow("stop all") << int(cTestView::StopAll) << 1 << none << -1 << QStringList{ "cancelAll" };
}

void tst_cTestView::runPaths()
{
    QFETCH(int, action);
    QFETCH(int, repeats);
    QFETCH(QList<int>, checkedRows);
    QFETCH(int, runningRow);
    QFETCH(QStringList, calls);

    for (int row : checkedRows)
        m_model->setData(m_model->index(row, NameColumn), int(Qt::Checked), Qt::CheckStateRole);
    if (runningRow >= 0)
        m_model->setData(m_model->index(runningRow, StatusColumn), int(StateRunning), StateRole);
    m_view->setCurrentIndex(m_proxy->index(1, StatusColumn));
    m_view->setRepeatCounter(repeats);
    m_runner->calls.clear();

    switch (action) {
    case cTestView::RunAll: m_view->runAll(); break;
    case cTestView::RunChecked: m_view->runSelected(); break;
    case cTestView::RunCurrent: m_view->runSingle(); break;
    case cTestView::StopCurrent: m_view->stopSingle(); break;
    default: m_view->stopAll(); break;
    }
    QCOMPARE(m_runner->calls, calls);
    // Handles stand for rows of the test model itself, not of the proxy.
    for (const cTestHandle &handle : std::as_const(m_runner->lastHandles))
        QVERIFY(handle.isValid());
    if (m_runner->lastStatusCell.isValid())
        QCOMPARE(m_runner->lastStatusCell.model(), m_model.get());
}

void tst_cTestView::checkedCounterDrivesRunChecked()
{
    QAction *runChecked = m_view->action(cTestView::RunChecked);
    QVERIFY(!runChecked->isEnabled());
    m_model->setData(m_model->index(0, NameColumn), int(Qt::Checked), Qt::CheckStateRole);
    m_model->setData(m_model->index(1, NameColumn), int(Qt::Checked), Qt::CheckStateRole);
    QVERIFY(runChecked->isEnabled());
    m_model->setData(m_model->index(0, NameColumn), int(Qt::Unchecked), Qt::CheckStateRole);
    QVERIFY(runChecked->isEnabled());
    m_model->setData(m_model->index(1, NameColumn), int(Qt::Unchecked), Qt::CheckStateRole);
    QVERIFY(!runChecked->isEnabled());
}

void tst_cTestView::switchCheckState()
{
    m_model->setData(m_model->index(1, NameColumn), int(Qt::Checked), Qt::CheckStateRole);
    m_view->switchCheckState();
    QCOMPARE(m_model->checkedTests(), (QStringList{ "a", "b", "c" }));
    QCOMPARE(m_view->checkedCounter(), 3);
    m_view->switchCheckState();
    QCOMPARE(m_model->checkedTests(), QStringList());
    QCOMPARE(m_view->checkedCounter(), 0);
}

void tst_cTestView::askUserWithoutValues()
{
    emit m_runner->askUser(QStringLiteral("a"), QStringLiteral("q"), QStringList());
    QCOMPARE(m_runner->replies, QList<QVariantList>{ QVariantList() });
    QVERIFY(!QApplication::activeModalWidget());
}

void tst_cTestView::askUserAnswers()
{
    const QStringList fields{ QStringLiteral("Serial"), QStringLiteral("Operator") };
    withModal([](QWidget *dialog) {
        const QList<QLineEdit *> edits = dialog->findChildren<QLineEdit *>();
        QCOMPARE(edits.size(), 2);
        QVERIFY(edits.at(0)->text().isEmpty());
        edits.at(0)->setText(QStringLiteral("SN-1"));
        edits.at(1)->setText(QStringLiteral("Ann"));
        qobject_cast<QDialog *>(dialog)->accept();
    }, [&] { emit m_runner->askUser(QStringLiteral("a"), QStringLiteral("Who?"), fields); });
    QCOMPARE(m_runner->replies.size(), 1);
    QCOMPARE(m_runner->replies.at(0), (QVariantList{ "SN-1", "Ann" }));

    // The same question shows the last answers again.
    QStringList shown;
    withModal([&](QWidget *dialog) {
        for (const QLineEdit *edit : dialog->findChildren<QLineEdit *>())
            shown << edit->text();
        qobject_cast<QDialog *>(dialog)->accept();
    }, [&] { emit m_runner->askUser(QStringLiteral("b"), QStringLiteral("Who?"), fields); });
    QCOMPARE(shown, (QStringList{ "SN-1", "Ann" }));
}

void tst_cTestView::askUserEscapeGivesNoAnswer()
{
    withModal([](QWidget *dialog) {
        dialog->findChild<QLineEdit *>()->setText(QStringLiteral("typed"));
        QTest::keyClick(dialog, Qt::Key_Escape);
    }, [&] { emit m_runner->askUser(QStringLiteral("a"), QStringLiteral("Q"), { QStringLiteral("v") }); });
    QCOMPARE(m_runner->replies, QList<QVariantList>{ QVariantList() });
    QSettings settings;
    QVERIFY(settings.childGroups().isEmpty() || !settings.childGroups().contains(QStringLiteral("TestUserData")));
}

void tst_cTestView::questionGroupIsHex()
{
    QCOMPARE(cUserDialog::questionGroup(QStringLiteral("Ab/")), QStringLiteral("41622f"));
    QCOMPARE(cUserDialog::questionGroup(QString::fromUtf8("Grüße")), QStringLiteral("4772c3bc c39f65").remove(QLatin1Char(' ')));
    cUserDialog dialog;
    dialog.setup(QStringLiteral("t"), QString::fromUtf8("Grüße?"), { QStringLiteral("x") });
    dialog.findChild<QLineEdit *>()->setText(QStringLiteral("1"));
    QCOMPARE(dialog.values(), QStringList{ QStringLiteral("1") });
    cUserDialog again;
    again.setup(QStringLiteral("t"), QString::fromUtf8("Grüße?"), { QStringLiteral("x"), QStringLiteral("new") });
    const QList<QLineEdit *> edits = again.findChildren<QLineEdit *>();
    QCOMPARE(edits.at(0)->text(), QStringLiteral("1"));
    QCOMPARE(edits.at(1)->text(), QString());
}

void tst_cTestView::resultsWindow()
{
    auto *window = m_view->logWidget();
    auto *tabs = window->findChild<QTabWidget *>(QStringLiteral("tabWidget"));
    QVERIFY(tabs);
    QCOMPARE(tabs->tabText(0), QStringLiteral("Short log"));
    QCOMPARE(tabs->tabText(1), QStringLiteral("Detailed log"));
    QCOMPARE(tabs->tabText(2), QStringLiteral("Extra log"));
    tabs->setCurrentIndex(2);

    QWidget host;
    host.resize(800, 400);
    host.show();
    QApplication::setActiveWindow(&host);
    QVERIFY(QTest::qWaitForWindowActive(&host));
    m_view->saveTable();
    QVERIFY(window->isVisible());
    QCOMPARE(tabs->currentIndex(), 0);
    QCOMPARE(window->size(), QSize(600, 300));
    QCOMPARE(window->currentText(), QStringLiteral("stats"));
    tabs->setCurrentIndex(1);
    QCOMPARE(window->currentText(), QStringLiteral("results"));
    tabs->setCurrentIndex(2);
    QCOMPARE(window->currentText(), QStringLiteral("log"));
    window->close();

    // An empty tab offers nothing to save: no file dialog.
    window->setLogText(QString());
    bool dialogShown = false;
    QTimer::singleShot(200, this, [&] {
        if (QWidget *modal = QApplication::activeModalWidget()) {
            dialogShown = true;
            modal->close();
        }
    });
    window->saveCurrentLog();
    QTest::qWait(250);
    QVERIFY(!dialogShown);
}

void tst_cTestView::resultsSave()
{
    cTestLogWidget window;
    window.setStatisticsText(QStringLiteral("first"));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("r.txt"));
    QString error;
    QVERIFY(window.saveTo(path, false, &error));
    window.setStatisticsText(QStringLiteral("2nd"));
    QVERIFY(window.saveTo(path, false, &error));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("2nd"));

    QVERIFY(!window.saveTo(dir.filePath(QStringLiteral("no/such/folder/r.txt")), false, &error));
    QVERIFY(!error.isEmpty());
    error.clear();
    QVERIFY(!window.saveTo(path, true, &error));  // no run to report
    QVERIFY(!error.isEmpty());
}

QTEST_MAIN(tst_cTestView)
#include "tst_ctestview.moc"

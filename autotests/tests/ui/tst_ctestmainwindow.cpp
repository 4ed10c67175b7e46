#include "autotests/tests/model/cfaketestrunner.h"

#include "platform/port/port.h"
#include "platform/port/widgets/cportselector.h"
#include "platform/ztk/cprogressindicator.h"
#include "tests/model/ctestmodel.h"
#include "tests/ui/ctestmainwindow.h"
#include "tests/ui/ctestview.h"

#include <QAction>
#include <QLabel>
#include <QSettings>
#include <QSignalSpy>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTest>

using namespace testmodel;

namespace {
const QString kUnitId = QStringLiteral("fake-port");
const QString kUnitName = QStringLiteral("Fake unit");
}

class tst_cTestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();

    void storedCounter_data();
    void storedCounter();
    void failedSetUpShowsFail();
    void connectAndDisconnect();
    void indicatorStopsSetUp();

private:
    std::unique_ptr<cTestMainWindow> makeWindow();

    cFakeTestRunner m_runner;
};

void tst_cTestMainWindow::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication::setOrganizationName(QStringLiteral("ZovanToolsTests"));
    QCoreApplication::setApplicationName(QStringLiteral("tst_ctestmainwindow"));
    sIODevice unit;
    unit.id = kUnitId;
    unit.name = kUnitName;
    port::registerUnit(unit);
}

void tst_cTestMainWindow::cleanupTestCase()
{
    port::unregisterUnit(kUnitId);
}

void tst_cTestMainWindow::init()
{
    QSettings().clear();
    m_runner.calls.clear();
    m_runner.tests = { QStringLiteral("a"), QStringLiteral("b") };
}

std::unique_ptr<cTestMainWindow> tst_cTestMainWindow::makeWindow()
{
    auto window = std::make_unique<cTestMainWindow>(nullptr, false, &m_runner);
    window->resize(800, 500);
    window->show();
    return window;
}

void tst_cTestMainWindow::storedCounter_data()
{
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<int>("shown");
    QTest::newRow("none") << QVariant() << 1;
    QTest::newRow("in range") << QVariant(250) << 250;
    QTest::newRow("too large") << QVariant(20000) << 10000;
    QTest::newRow("zero") << QVariant(0) << 1;
    QTest::newRow("negative") << QVariant(-5) << 1;
}

void tst_cTestMainWindow::storedCounter()
{
    QFETCH(QVariant, stored);
    QFETCH(int, shown);
    if (stored.isValid())
        QSettings().setValue(QStringLiteral("TestMainWindow/Counter"), stored);
    {
        auto window = makeWindow();
        QCOMPARE(window->repeatCounter()->value(), shown);
        QCOMPARE(window->view()->repeatCounter(), shown);
        window->repeatCounter()->setValue(7);
        QCOMPARE(window->view()->repeatCounter(), 7);
    }
    QCOMPARE(QSettings().value(QStringLiteral("TestMainWindow/Counter")).toInt(), 7);
}

void tst_cTestMainWindow::failedSetUpShowsFail()
{
    auto window = makeWindow();
    window->initSlot();
    QVERIFY(window->progressIndicator()->isVisible());
    QVERIFY(!window->view()->isEnabled());
    emit m_runner.initFinished(2);
    QVERIFY(window->statusPopup()->isVisible());
    QCOMPARE(window->statusPopup()->findChild<QLabel *>(QStringLiteral("statusLabel"))->text(), QStringLiteral("FAIL"));
    QVERIFY(!window->progressIndicator()->isVisible());
    QVERIFY(window->view()->isEnabled());
    QVERIFY(window->connectAction()->isEnabled());
    QVERIFY(!window->disconnectAction()->isEnabled());
    QCOMPARE(window->model()->rowCount(), 0);
}

void tst_cTestMainWindow::connectAndDisconnect()
{
    auto window = makeWindow();
    QSignalSpy content(window->portSelector(), &cPortSelector::hasContent);
    QVERIFY(content.isValid());
    QTRY_COMPARE(window->portSelector()->currentDevice().id, kUnitId);
    QTRY_VERIFY(window->connectAction()->isEnabled());

    window->connectAction()->trigger();
    QCOMPARE(m_runner.calls, QStringList{ QStringLiteral("init:1") });
    emit m_runner.initFinished(0);
    QCOMPARE(window->device().name, kUnitName);
    QCOMPARE(window->model()->rowCount(), 2);
    QVERIFY(!window->connectAction()->isEnabled());
    QVERIFY(window->disconnectAction()->isEnabled());
    window->model()->setData(window->model()->index(1, NameColumn), int(Qt::Checked), Qt::CheckStateRole);
    QVERIFY(window->view()->action(cTestView::RunChecked)->isEnabled());

    window->disconnectAction()->trigger();
    QVERIFY(m_runner.calls.contains(QStringLiteral("deinit")));
    emit m_runner.deinitFinished(0);
    QCOMPARE(window->model()->rowCount(), 0);
    QVERIFY(!window->view()->action(cTestView::RunChecked)->isEnabled());
    QCOMPARE(QSettings().value(QStringLiteral("CheckedTests/") + kUnitName).toStringList(), QStringList{ "b" });

    // The same unit again: its checked test comes back.
    window->connectAction()->trigger();
    emit m_runner.initFinished(0);
    QCOMPARE(window->model()->checkedTests(), QStringList{ "b" });
    QVERIFY(window->view()->action(cTestView::RunChecked)->isEnabled());
}

void tst_cTestMainWindow::indicatorStopsSetUp()
{
    auto window = makeWindow();
    window->initSlot();
    cProgressIndicator *indicator = window->progressIndicator();
    QVERIFY(indicator->isVisible());
    QTest::mouseClick(indicator, Qt::LeftButton, {}, indicator->rect().center());
    QVERIFY(m_runner.calls.contains(QStringLiteral("stopInit")));
    emit m_runner.initFinished(3);
    QVERIFY(!window->disconnectAction()->isEnabled());
    QVERIFY(!window->statusPopup()->isVisible());
}

QTEST_MAIN(tst_cTestMainWindow)
#include "tst_ctestmainwindow.moc"

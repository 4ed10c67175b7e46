#include "platform/logging/logs.h"
#include "platform/port/port.h"
#include "platform/port/widgets/cportselector.h"
#include "sim/csimulatedunit.h"
#include "tests/engine/ctestrunner.h"
#include "tests/engine/testroles.h"
#include "tests/model/ctestmodel.h"
#include "tests/ui/ctestlogwidget.h"
#include "tests/ui/ctestmainwindow.h"
#include "tests/ui/ctestproxy.h"
#include "tests/ui/ctestview.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QSettings>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace testmodel;

namespace {

constexpr int kWaitMs = 30000;

const QByteArray kHandles = "devices = {}\nfunction set_device_handle(name, h) devices[name] = h return true end\n";

const QByteArray kTests = R"lua(
local order = { 'Quick', 'Fails', 'Slow', 'Asks' }
local bodies = {}
bodies.Quick = function() zt.set_status_ok('fine') return true end
bodies.Fails = function() zt.set_status_err('broken') return true end
bodies.Slow = function()
  for i = 1, 500 do
    if zt.was_canceled() then return true end
    zt.progress(i / 5)
    zt.sleep(20)
  end
  zt.set_status_warn('never canceled')
  return true
end
bodies.Asks = function()
  local reply = zt.ask_user('Serial?', { 'Serial number' })
  if reply == nil or reply[1] == nil then zt.set_status_warn('no answer') return true end
  zt.set_status_ok('serial ' .. reply[1])
  return true
end
function zt_enumerate_tests() return order end
function zt_exec_test(name) return bodies[name]() end
)lua";

// Talks to the unit's command line until the line fails or the operator cancels; progress
// counts the answers.
const QByteArray kLineTests = R"lua(
local order = { 'Reads', 'Quick', 'Next', 'Last' }
local bodies = {}
bodies.Reads = function()
  local got = 0
  while not zt.was_canceled() do
    zt.serial_write(devices.serial, '\r\n')
    local ok, n = zt.serial_read(devices.serial, 256, 50)
    if not ok then zt.set_status_err('read failed') return false end
    if n > 0 then got = got + 1 zt.progress(math.min(got, 99)) end
  end
  return true
end
bodies.Quick = function() zt.set_status_ok('fine') return true end
bodies.Next, bodies.Last = bodies.Quick, bodies.Quick
function zt_enumerate_tests() return order end
function zt_exec_test(name) return bodies[name]() end
)lua";

} // namespace

/** The workbench with the real runner against the simulated unit on a pseudo-terminal. */
class tst_cTestWorkbenchSim : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void connectRunCancelAskDisconnect();
    void failedSetUpShowsFail();
    void unitVanishesAndComesBack();

private:
    void writeScript(const QString &folder, const QString &file, const QByteArray &text);
    void connectUnit(int expectedCode);
    bool startUnit();
    QModelIndex cell(int row, int column) const { return m_window->model()->index(row, column); }
    int state(int row) const { return cell(row, StatusColumn).data(StateRole).toInt(); }
    QModelIndex viewIndex(int row) const
    {
        auto *proxy = qobject_cast<cTestProxy *>(m_window->view()->model());
        return proxy->mapFromSource(cell(row, NameColumn));
    }

    std::unique_ptr<cSimulatedUnit> m_sim;
    std::unique_ptr<QTemporaryDir> m_root;
    std::unique_ptr<cTestMainWindow> m_window;
    sIODevice m_unit;
};

void tst_cTestWorkbenchSim::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication::setOrganizationName(QStringLiteral("ZovanToolsTests"));
    QCoreApplication::setApplicationName(QStringLiteral("tst_ctestworkbenchsim"));
    QSettings().clear();
    // As in the application: the log engine is made in the GUI thread before any worker logs.
    QVERIFY(logs::get());
    QVERIFY(startUnit());
}

// A simulated unit on a new pseudo-terminal, offered in place of the last one.
bool tst_cTestWorkbenchSim::startUnit()
{
    if (!m_unit.id.isEmpty())
        port::unregisterUnit(m_unit.id);
    m_sim = std::make_unique<cSimulatedUnit>();
    if (!m_sim->setOptions({ QStringLiteral("ready-ms=0"), QStringLiteral("package=none") }) || !m_sim->start())
        return false;
    const QString adapter = QStringLiteral("sim:") + m_sim->adapterSocketPath();
    m_unit.id = m_sim->ptyPath();
    m_unit.name = QStringLiteral("ZOVAN-SIM");
    m_unit.devices = { sIOSubDevice{ nullptr, QStringLiteral("serial"), QStringLiteral("serial"), m_sim->ptyPath(), {} },
                       sIOSubDevice{ nullptr, QStringLiteral("gpio"), QStringLiteral("gpio"), adapter, {} },
                       sIOSubDevice{ nullptr, QStringLiteral("i2c"), QStringLiteral("i2c"), adapter, {} } };
    port::registerUnit(m_unit);
    return true;
}

void tst_cTestWorkbenchSim::cleanupTestCase()
{
    port::unregisterUnit(m_unit.id);
    m_sim->stop();
    m_sim.reset();
}

void tst_cTestWorkbenchSim::init()
{
    m_root = std::make_unique<QTemporaryDir>();
    for (const char *folder : { "scripts/general", "scripts/test", "tests" })
        QDir(m_root->path()).mkpath(QLatin1String(folder));
    writeScript(QStringLiteral("scripts/general"), QStringLiteral("handles.lua"), kHandles);
    writeScript(QStringLiteral("tests"), QStringLiteral("tests.lua"), kTests);
}

void tst_cTestWorkbenchSim::cleanup()
{
    m_window.reset();
    m_root.reset();
}

void tst_cTestWorkbenchSim::writeScript(const QString &folder, const QString &file, const QByteArray &text)
{
    QFile out(QDir(m_root->path()).filePath(folder + QLatin1Char('/') + file));
    QVERIFY(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
    out.write(text);
}

void tst_cTestWorkbenchSim::connectUnit(int expectedCode)
{
    m_window = std::make_unique<cTestMainWindow>(nullptr, false);
    auto *runner = dynamic_cast<cTestRunner *>(m_window->runner());
    QVERIFY(runner);
    runner->setAppRoot(m_root->path());
    m_window->resize(900, 500);
    m_window->show();
    QTRY_COMPARE_WITH_TIMEOUT(m_window->portSelector()->currentDevice().id, m_unit.id, kWaitMs);
    QTRY_VERIFY(m_window->connectAction()->isEnabled());
    m_window->connectAction()->trigger();
    QVERIFY(!m_window->view()->isEnabled());
    if (expectedCode == 0) {
        QTRY_COMPARE_WITH_TIMEOUT(m_window->model()->rowCount(), 4, kWaitMs);
    } else {
        QTRY_VERIFY_WITH_TIMEOUT(m_window->statusPopup()->isVisible(), kWaitMs);
    }
    QVERIFY(m_window->view()->isEnabled());
}

void tst_cTestWorkbenchSim::connectRunCancelAskDisconnect()
{
    connectUnit(0);
    QVERIFY(!m_window->connectAction()->isEnabled());
    QVERIFY(m_window->disconnectAction()->isEnabled());
    cTestView *view = m_window->view();

    // Two checked tests, three times each.
    m_window->model()->setData(cell(0, NameColumn), int(Qt::Checked), Qt::CheckStateRole);
    m_window->model()->setData(cell(1, NameColumn), int(Qt::Checked), Qt::CheckStateRole);
    m_window->repeatCounter()->setValue(3);
    QVERIFY(view->action(cTestView::RunChecked)->isEnabled());
    view->action(cTestView::RunChecked)->trigger();
    QTRY_COMPARE_WITH_TIMEOUT(cell(1, StatisticsColumn).data().toString(), QStringLiteral("Runs: 3, OK: 0"), kWaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(cell(0, StatisticsColumn).data().toString(), QStringLiteral("Runs: 3, OK: 3"), kWaitMs);
    QTRY_COMPARE(state(1), int(StateError));
    QCOMPARE(state(0), int(StateOk));
    QCOMPARE(cell(1, InfoColumn).data(DetailsRole).toString(), QStringLiteral("broken"));
    QCOMPARE(cell(0, StatisticsColumn).data(FailedRole).toBool(), false);
    QCOMPARE(cell(1, StatisticsColumn).data(FailedRole).toBool(), true);

    // A running test with its progress, stopped from the view.
    m_window->repeatCounter()->setValue(1);
    view->setCurrentIndex(viewIndex(2));
    QTRY_VERIFY(view->action(cTestView::RunCurrent)->isEnabled());
    view->action(cTestView::RunCurrent)->trigger();
    QTRY_COMPARE_WITH_TIMEOUT(state(2), int(StateRunning), kWaitMs);
    QTRY_VERIFY_WITH_TIMEOUT(cell(2, StatusColumn).data(ProgressRole).toInt() > 0, kWaitMs);
    QVERIFY(view->action(cTestView::StopCurrent)->isEnabled());
    view->action(cTestView::StopCurrent)->trigger();
    QTRY_COMPARE_WITH_TIMEOUT(state(2), int(StateCanceled), kWaitMs);
    QTRY_VERIFY(view->action(cTestView::RunCurrent)->isEnabled());

    // The script's question reaches the operator and the answer the script.
    bool asked = false;
    QTimer timer;
    connect(&timer, &QTimer::timeout, this, [&] {
        if (auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget())) {
            timer.stop();
            asked = true;
            dialog->findChild<QLineEdit *>()->setText(QStringLiteral("A-17"));
            dialog->accept();
        }
    });
    timer.start(20);
    view->runTest(viewIndex(3));
    QTRY_COMPARE_WITH_TIMEOUT(state(3), int(StateOk), kWaitMs);
    QVERIFY(asked);
    QCOMPARE(cell(3, InfoColumn).data(DetailsRole).toString(), QStringLiteral("serial A-17"));

    // The runner's texts reach the results window.
    view->action(cTestView::SaveResult)->trigger();
    QVERIFY(view->logWidget()->isVisible());
    QVERIFY(view->logWidget()->currentText().contains(QStringLiteral("Fails")));
    view->logWidget()->close();
    // The current run as JUnit XML, with the unit's name and port.
    QTemporaryDir out;
    QString error;
    QVERIFY2(view->logWidget()->saveTo(out.filePath(QStringLiteral("run.xml")), true, &error), qPrintable(error));
    QFile junit(out.filePath(QStringLiteral("run.xml")));
    QVERIFY(junit.open(QIODevice::ReadOnly));
    const QByteArray xml = junit.readAll();
    QVERIFY(xml.contains("ZOVAN-SIM"));
    QVERIFY(xml.contains(m_unit.id.toUtf8()));
    QVERIFY(xml.contains("Fails"));
    QVERIFY(!view->logWidget()->saveTo(out.filePath(QStringLiteral("missing/run.xml")), true, &error));

    m_window->disconnectAction()->trigger();
    QTRY_COMPARE_WITH_TIMEOUT(m_window->model()->rowCount(), 0, kWaitMs);
    QTRY_VERIFY(m_window->connectAction()->isEnabled());
    QVERIFY(!m_window->disconnectAction()->isEnabled());
    QCOMPARE(QSettings().value(QStringLiteral("CheckedTests/ZOVAN-SIM")).toStringList(),
             (QStringList{ QStringLiteral("Quick"), QStringLiteral("Fails") }));
}

void tst_cTestWorkbenchSim::failedSetUpShowsFail()
{
    writeScript(QStringLiteral("scripts/general"), QStringLiteral("zz_broken.lua"), "error('set-up breaks')\n");
    connectUnit(2);
    QCOMPARE(m_window->statusPopup()->findChild<QLabel *>(QStringLiteral("statusLabel"))->text(), QStringLiteral("FAIL"));
    QVERIFY(m_window->connectAction()->isEnabled());
    QVERIFY(!m_window->disconnectAction()->isEnabled());
    QCOMPARE(m_window->model()->rowCount(), 0);
}

// The cable is pulled while tests run: the page ends them, and once the unit is back the
// operator disconnects and connects again without restarting anything.
void tst_cTestWorkbenchSim::unitVanishesAndComesBack()
{
    writeScript(QStringLiteral("tests"), QStringLiteral("tests.lua"), kLineTests);
    connectUnit(0);
    cTestView *view = m_window->view();
    for (int row : { 0, 2, 3 })
        m_window->model()->setData(cell(row, NameColumn), int(Qt::Checked), Qt::CheckStateRole);
    view->action(cTestView::RunChecked)->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(cell(0, StatusColumn).data(ProgressRole).toInt() > 0, kWaitMs);

    m_sim->stop();
    QTRY_COMPARE_WITH_TIMEOUT(state(0), int(StateError), kWaitMs);
    QTRY_COMPARE(state(2), int(StateCanceled));
    QTRY_COMPARE(state(3), int(StateCanceled));
    QVERIFY(cell(0, InfoColumn).data(DetailsRole).toString().startsWith(QStringLiteral("The unit's serial line was lost")));
    QVERIFY(m_window->runner()->logText().contains(QStringLiteral("Connection to device 'ZOVAN-SIM' lost")));
    QTRY_VERIFY(view->action(cTestView::RunAll)->isEnabled());
    QVERIFY(m_window->disconnectAction()->isEnabled());

    m_window->disconnectAction()->trigger();
    QTRY_COMPARE_WITH_TIMEOUT(m_window->model()->rowCount(), 0, kWaitMs);
    QTRY_VERIFY(m_window->connectAction()->isEnabled());

    QVERIFY(startUnit());
    // The new line may reuse the old one's name; its adapter socket is new.
    QTRY_COMPARE_WITH_TIMEOUT(m_window->portSelector()->currentDevice().devices.value(1).id, m_unit.devices.at(1).id,
                              kWaitMs);
    m_window->connectAction()->trigger();
    QTRY_COMPARE_WITH_TIMEOUT(m_window->model()->rowCount(), 4, kWaitMs);
    QVERIFY(m_window->disconnectAction()->isEnabled());
    // The line of the unit that came back delivers again.
    view->runTest(viewIndex(0));
    QTRY_VERIFY_WITH_TIMEOUT(cell(0, StatusColumn).data(ProgressRole).toInt() > 3, kWaitMs);
    view->setCurrentIndex(viewIndex(0));
    view->action(cTestView::StopCurrent)->trigger();
    QTRY_COMPARE_WITH_TIMEOUT(state(0), int(StateCanceled), kWaitMs);
}

QTEST_MAIN(tst_cTestWorkbenchSim)
#include "tst_ctestworkbenchsim.moc"

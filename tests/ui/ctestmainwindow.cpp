#include "ctestmainwindow.h"

#include "platform/appenv/resourcefile.h"
#include "platform/logging/logs.h"
#include "platform/port/port.h"
#include "platform/port/widgets/cportselector.h"
#include "platform/ztk/cprogressindicator.h"
#include "tests/engine/ctestrunner.h"
#include "tests/engine/testroles.h"
#include "tests/model/cjunitreport.h"
#include "tests/model/ctestmodel.h"
#include "tests/ui/ctestdelegate.h"
#include "tests/ui/ctestlogwidget.h"
#include "tests/ui/ctestproxy.h"
#include "tests/ui/ctestview.h"

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QToolBar>
#include <QVBoxLayout>

using namespace testmodel;

namespace {
const QString kSettingsGroup = QStringLiteral("TestMainWindow");
const QString kCounterKey = QStringLiteral("Counter");
constexpr int kMaxRepeats = 10000;
constexpr int kLevelError = 3;
constexpr int kLevelDebug = 4;
}

cTestMainWindow::cTestMainWindow(QWidget *parent, bool standalone, iTestRunner *runner)
    : QMainWindow(parent)
    , m_progress(nullptr)
    , m_popup(nullptr)
    , m_standalone(standalone)
    , m_runner(runner)
    , m_ownsRunner(runner == nullptr)
{
    setObjectName(QStringLiteral("testMainWindow"));
    setWindowIcon(QIcon(resourceFile(QStringLiteral("pda.ico"))));
    setWindowTitle(QStringLiteral("%1 %2.%3.%4.%5").arg(QCoreApplication::applicationName()).arg(0).arg(0).arg(0).arg(1));

    if (!m_runner)
        m_runner = new cTestRunner(this, true);
    connect(m_runner->object(), SIGNAL(initFinished(int)), this, SLOT(initFinished(int)));
    connect(m_runner->object(), SIGNAL(deinitFinished(int)), this, SLOT(deinitFinished(int)));

    m_model = new cTestModel(m_runner, this);
    m_delegate = new cTestDelegate(this);
    m_proxy = new cTestProxy(this);
    m_proxy->setSourceModel(m_model);
    m_view = new cTestView(m_runner, this);
    m_view->setObjectName(QStringLiteral("testContainer"));
    m_view->setModel(m_proxy);
    m_view->setItemDelegate(m_delegate);
    setCentralWidget(m_view);
    connect(m_model, &cTestModel::filled, m_view, &QTreeView::expandAll);
    connect(m_model, &cTestModel::checked, m_view, &cTestView::checked);
    connect(m_model, &cTestModel::cleared, m_view, &cTestView::cleared);
    m_view->logWidget()->setJUnitSource([this](QByteArray *xml, QString *error) {
        *xml = junitReport(error);
        return !xml->isEmpty();
    });

    menuBar()->setObjectName(QStringLiteral("mainMenu"));
    QMenu *fileMenu = menuBar()->addMenu(tr("File"));
    QAction *exitAction = fileMenu->addAction(tr("Exit"), this, &QWidget::close);
    exitAction->setShortcut(QKeySequence::Quit);
    menuBar()->addMenu(tr("View"))->addAction(tr("Message console"));
    menuBar()->setVisible(m_standalone);

    auto *toolBar = new QToolBar(tr("Operations"), this);
    toolBar->setObjectName(QStringLiteral("mainTestToolBar"));
    toolBar->setFloatable(false);
    toolBar->setMovable(false);
    toolBar->setIconSize(QSize(32, 32));
    addToolBar(Qt::TopToolBarArea, toolBar);

    m_selector = new cPortSelector(toolBar, QStringList());
    m_selector->setMode(1);
    m_selector->setIconSize(QSize(32, 32));
    connect(m_selector, &cPortSelector::hasContent, this, &cTestMainWindow::selectorHasContent);
    toolBar->addWidget(m_selector);
    m_connect = toolBar->addAction(QIcon(resourceFile(QStringLiteral("connect2.ico"))), tr("Connect to device"),
                                   this, &cTestMainWindow::initSlot);
    m_disconnect = toolBar->addAction(QIcon(resourceFile(QStringLiteral("close.ico"))),
                                      tr("Disconnect from device"), this, &cTestMainWindow::deinitSlot);
    m_disconnect->setEnabled(false);
    m_voice = toolBar->addAction(QIcon(resourceFile(QStringLiteral("voice.ico"))), tr("Switch to voice mode"),
                                 this, &cTestMainWindow::voiceSlot);
    m_reboot = toolBar->addAction(QIcon(resourceFile(QStringLiteral("reboot.ico"))), tr("Reboot device"), this,
                                  &cTestMainWindow::rebootSlot);
    // Nothing to connect to until the selector offers a unit.
    selectorHasContent(!m_selector->currentDevice().isNull());
    toolBar->addSeparator();
    toolBar->addActions(m_view->toolBarActions());
    toolBar->addSeparator();
    m_counter = new QSpinBox(toolBar);
    toolBar->addWidget(m_counter);
    toolBar->addSeparator();
    toolBar->addAction(QIcon(resourceFile(QStringLiteral("settings-switch.ico"))), tr("Select/Unselect all"),
                       m_view, &cTestView::switchCheckState);

    m_progress = new cProgressIndicator(this);
    m_progress->hide();
    m_progress->setEnabled(false);
    connect(m_progress, SIGNAL(stop()), m_runner->object(), SLOT(stopInitOrDeinitProcess()));

    m_popup = new QWidget(m_view);
    m_popup->setObjectName(QStringLiteral("popupWidget"));
    m_popup->setAutoFillBackground(true);
    auto *popupLayout = new QVBoxLayout(m_popup);
    popupLayout->setSpacing(15);
    popupLayout->setContentsMargins(15, 15, 15, 15);
    m_popupStatus = new QLabel(m_popup);
    m_popupStatus->setObjectName(QStringLiteral("statusLabel"));
    m_popupStatus->setAlignment(Qt::AlignCenter);
    m_popupDetail = new QLabel(m_popup);
    m_popupDetail->setObjectName(QStringLiteral("detailLabel"));
    m_popupDetail->setWordWrap(true);
    m_popupDetail->setAlignment(Qt::AlignCenter);
    auto *popupClose = new QPushButton(tr("Close"), m_popup);
    connect(popupClose, &QPushButton::clicked, m_popup, &QWidget::hide);
    popupLayout->addWidget(m_popupStatus);
    popupLayout->addWidget(m_popupDetail);
    popupLayout->addWidget(popupClose);
    m_popup->hide();

    m_counter->setObjectName(QStringLiteral("testCounter"));
    m_counter->setRange(1, kMaxRepeats);
    m_counter->setToolTip(tr("Tests will be run as many times as this counter shows (1 - 10000)"));
    QSettings settings;
    settings.beginGroup(kSettingsGroup);
    m_counter->setValue(settings.value(kCounterKey, 1).toInt());  // the spin box clamps a stray value
    settings.endGroup();
    m_view->setRepeatCounter(m_counter->value());
    connect(m_counter, qOverload<int>(&QSpinBox::valueChanged), m_view, &cTestView::setRepeatCounter);

    m_view->installEventFilter(this);
    m_selector->startScan();
}

cTestMainWindow::~cTestMainWindow()
{
    QSettings settings;
    settings.beginGroup(kSettingsGroup);
    settings.setValue(kCounterKey, m_counter->value());
    settings.endGroup();
    settings.sync();
    m_selector->stopScan();
    // The runner's thread writes into the model until it is gone: stop it first.
    m_view->removeEventFilter(this);
    if (m_ownsRunner)
        delete dynamic_cast<cTestRunner *>(m_runner);
    m_runner = nullptr;
}

void cTestMainWindow::selectorHasContent(bool flag)
{
    m_connect->setEnabled(flag && !m_disconnect->isEnabled());
    m_reboot->setEnabled(flag);
    m_voice->setEnabled(flag);
}

void cTestMainWindow::initSlot()
{
    m_connect->setEnabled(false);
    m_disconnect->setEnabled(false);
    m_popup->hide();
    startProcess();
    m_device = m_selector->currentDevice();
    m_runner->init(m_device, m_counter->value());
}

void cTestMainWindow::initFinished(int code)
{
    stopProcess();
    m_connect->setEnabled(true);
    m_disconnect->setEnabled(true);
    switch (code) {
    case 0:
        m_connect->setEnabled(false);
        m_model->init(m_device.name, false);
        break;
    case 2:
        showStatus(QStringLiteral("FAIL"), QString(), StatusError);
        m_disconnect->setEnabled(false);
        break;
    case 3:
        m_disconnect->setEnabled(false);
        m_model->liteClear();
        break;
    default:
        break;
    }
}

void cTestMainWindow::deinitSlot()
{
    m_connect->setEnabled(false);
    m_disconnect->setEnabled(false);
    startProcess();
    m_runner->deinit();
}

void cTestMainWindow::deinitFinished(int)
{
    stopProcess();
    m_connect->setEnabled(true);
    m_disconnect->setEnabled(false);
    m_model->deinit();
    m_model->liteClear();
}

void cTestMainWindow::placeIndicator()
{
    m_progress->move(width() / 2 - m_progress->width() / 2,
                     m_view->y() / 2 + height() / 2 - m_progress->height() / 2);
}

void cTestMainWindow::startProcess()
{
    m_progress->show();
    m_progress->raise();
    m_progress->startAnimation();
    m_view->setEnabled(false);
    m_progress->setEnabled(true);
    placeIndicator();
}

void cTestMainWindow::stopProcess()
{
    m_progress->stopAnimation();
    m_progress->hide();
    m_view->setEnabled(true);
    m_progress->setEnabled(false);
}

void cTestMainWindow::centrePopup()
{
    m_popup->move(m_view->width() / 2 - m_popup->width() / 2, m_view->height() / 2 - m_popup->height() / 2);
}

bool cTestMainWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_view && event->type() == QEvent::Resize && m_progress) {
        placeIndicator();
        centrePopup();
    }
    return QMainWindow::eventFilter(watched, event);
}

void cTestMainWindow::showStatus(const QString &status, const QString &detail, int kind)
{
    QString style = QStringLiteral("font-size:85px;margin: 0 35px;");
    if (kind == StatusError)
        style += QStringLiteral("color:#C00000;");
    else if (kind == StatusSuccess)
        style += QStringLiteral("color:#00C000;");
    m_popupStatus->setStyleSheet(style);
    m_popupStatus->setText(status);
    m_popupDetail->setText(detail);
    m_popupDetail->setVisible(!detail.isEmpty());
    m_popup->adjustSize();
    m_popup->show();
    m_popup->raise();
    centrePopup();
}

// One-shot writes to the unit's command line, past the runner: the unit restarts at once.
void cTestMainWindow::writeToUnit(const QByteArray &second, const QString &what)
{
    sIODevice device = m_selector->currentDevice();
    if (device.isNull() || !port::open_port(device))
        return;
    if (void *handle = port::calc_io_handle(device)) {
        logs::add(what.arg(device.name), kLevelDebug);
        int written = 0;
        if (port::write(handle, "cli\r\n", 5, &written) != 1)
            logs::add(QStringLiteral("Device '%1' write failed (1)").arg(device.name), kLevelError);
        if (port::write(handle, second.constData(), int(second.size()), &written) != 1)
            logs::add(QStringLiteral("Device '%1' write failed (2)").arg(device.name), kLevelError);
    }
    port::close_port(device, 300);
}

void cTestMainWindow::voiceSlot()
{
    writeToUnit(QByteArrayLiteral("SELF_TEST_ENTER\r\n"), QStringLiteral("Trying to reboot device '%1' in a voice test mode"));
}

void cTestMainWindow::rebootSlot()
{
    writeToUnit(QByteArrayLiteral("restart noboot\r\n"), QStringLiteral("Trying to reboot device '%1' in a firmware mode"));
}

// The rows that finished in this run, in model order.
QByteArray cTestMainWindow::junitReport(QString *error) const
{
    cJUnitReport report(m_device.name, m_device.id);
    QDateTime first;
    for (int row = 0; row < m_model->rowCount(); ++row) {
        const int state = m_model->index(row, StatusColumn).data(StateRole).toInt();
        if (state != StateOk && state != StateError && state != StateWarning && state != StateCanceled)
            continue;
        const QDateTime start = m_model->index(row, TimeColumn).data(StartTimeRole).toDateTime();
        const QDateTime end = m_model->index(row, TimeColumn).data(EndTimeRole).toDateTime();
        if (start.isValid() && (!first.isValid() || start < first))
            first = start;
        cJUnitReport::sCase c;
        c.name = m_model->index(row, NameColumn).data(TestNameRole).toString();
        c.status = state;
        c.details = m_model->index(row, InfoColumn).data(DetailsRole).toString();
        c.durationMs = start.isValid() && end.isValid() ? std::max<qint64>(0, start.msecsTo(end)) : 0;
        report.addCase(c);
    }
    if (report.cases().isEmpty()) {
        *error = tr("No test has finished since the unit was connected.");
        return QByteArray();
    }
    if (first.isValid())
        report.setStarted(first);
    return report.toXml();
}

#include "files/ui/cfilesmainwindow.h"

#include "files/core/cdevicefsrunner.h"
#include "files/ui/cdevicefsmodel.h"
#include "files/ui/cdevicefsview.h"
#include "files/ui/cdropview.h"
#include "files/ui/cfilepanel.h"
#include "files/ui/clocalfsview.h"
#include "platform/appenv/resourcefile.h"
#include "platform/logging/logs.h"
#include "platform/port/widgets/cportselector.h"
#include "platform/ztk/cprogressindicator.h"

#include <QAction>
#include <QDebug>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QProgressDialog>
#include <QSplitter>
#include <QToolBar>

#include <algorithm>

namespace {
enum eLevel { kError = 3, kDebug = 4 };
} // namespace

cFilesMainWindow::cFilesMainWindow(QWidget *parent)
    : QMainWindow(parent)
{
    setObjectName(QStringLiteral("filesMainWindow"));
    setWindowIcon(QIcon(resourceFile(QStringLiteral("pda.ico"))));

    m_toolBar = new QToolBar(tr("Operations"), this);
    m_toolBar->setObjectName(QStringLiteral("mainFilesToolBar"));
    m_toolBar->setFloatable(false);
    m_toolBar->setMovable(false);
    m_toolBar->setIconSize(QSize(32, 32));
    addToolBar(Qt::TopToolBarArea, m_toolBar);
    m_portSelector = new cPortSelector(m_toolBar, QStringList());
    m_portSelector->setMode(1);
    m_portSelector->setIconSize(QSize(32, 32));
    m_toolBar->addWidget(m_portSelector);
    // Look once now: the operator must not wait for a scan to be started somewhere else.
    m_portSelector->refresh();
    m_connectAction = m_toolBar->addAction(QIcon(resourceFile(QStringLiteral("connect2.ico"))), tr("Connect to device"));
    m_disconnectAction = m_toolBar->addAction(QIcon(resourceFile(QStringLiteral("close.ico"))), tr("Disconnect from device"));
    m_connectAction->setEnabled(!m_portSelector->currentDevice().isNull());
    m_disconnectAction->setEnabled(false);

    m_splitter = new QSplitter(Qt::Horizontal, this);
    m_splitter->setChildrenCollapsible(false);
    m_devicePanel = new cFilePanel(m_splitter, false);
    m_devicePanel->setObjectName(QStringLiteral("devicePanel"));
    m_localPanel = new cFilePanel(m_splitter, true);
    m_localPanel->setObjectName(QStringLiteral("localPanel"));
    m_deviceView = new cDeviceFSView(m_devicePanel);
    m_deviceView->setObjectName(QStringLiteral("deviceFSView"));
    m_localView = new cLocalFSView(m_localPanel);
    m_localView->setObjectName(QStringLiteral("localFSView"));
    m_devicePanel->addView(m_deviceView);
    m_localPanel->addView(m_localView);
    m_splitter->addWidget(m_devicePanel);
    m_splitter->addWidget(m_localPanel);
    setCentralWidget(m_splitter);

    m_busy = new cProgressIndicator(this);
    m_busy->hide();
    m_busy->setEnabled(false);

    m_progress = new QProgressDialog(this);
    m_progress->setWindowTitle(tr("Copy progress"));
    m_progress->setRange(0, 100);
    m_progress->setMinimumWidth(300);
    m_progress->setAutoClose(false);
    m_progress->setAutoReset(false);
    m_progress->reset();
    m_progress->hide();

    cDeviceFSRunner *runner = m_deviceView->model()->worker();
    connect(m_connectAction, &QAction::triggered, this, &cFilesMainWindow::initSlot);
    connect(m_disconnectAction, &QAction::triggered, this, &cFilesMainWindow::deinitSlot);
    connect(m_localPanel, &cFilePanel::rootChanged, m_localView, &cLocalFSView::setRoot);
    connect(m_localView, &cLocalFSView::dirChanged, m_localPanel, &cFilePanel::setCurrentPath);
    connect(m_devicePanel, &cFilePanel::rootChanged, this, &cFilesMainWindow::deviceRootChanged);
    connect(m_deviceView, &cDeviceFSView::operationFinished, this, &cFilesMainWindow::operationFinished);
    connect(m_deviceView, &cDeviceFSView::dirChangeRequest, this, &cFilesMainWindow::deviceRootChanged);
    connect(runner, &cDeviceFSRunner::copyProgress, this, &cFilesMainWindow::copyProgress);
    connect(runner, &cDeviceFSRunner::needRestart, m_devicePanel, &cFilePanel::clearPanel);
    connect(m_devicePanel, &cFilePanel::copyRequest, this, &cFilesMainWindow::copyRequest);
    connect(m_deviceView, &cDeviceFSView::copyRequest, this, &cFilesMainWindow::copyRequest);
    connect(m_localView, &cLocalFSView::copyRequest, this, &cFilesMainWindow::copyRequest);
    connect(m_localPanel, &cFilePanel::copyRequest, this, &cFilesMainWindow::copyRequest);
    connect(m_devicePanel, &cFilePanel::deleteRequest, this, &cFilesMainWindow::deleteRequest);
    connect(m_deviceView, &cDeviceFSView::deleteRequest, this, &cFilesMainWindow::deleteRequest);
    connect(m_localPanel, &cFilePanel::deleteRequest, this, &cFilesMainWindow::deleteRequest);
    connect(m_devicePanel, &cFilePanel::mkdirRequest, this, &cFilesMainWindow::mkdirRequest);
    connect(m_localPanel, &cFilePanel::mkdirRequest, this, &cFilesMainWindow::mkdirRequest);
    connect(m_portSelector, &cPortSelector::hasContent, this, &cFilesMainWindow::selectorHasContent);
    connect(m_progress, &QProgressDialog::canceled, this, &cFilesMainWindow::cancelCopy);
    connect(runner, &cDeviceFSRunner::currentFileCopyed, this, &cFilesMainWindow::currentFileCopyed);
    // Rows dragged onto the other panel are copied as "Copy" would copy them. Queued: the drop
    // returns to the dragging side before the copy may ask whether to replace a file.
    connect(m_localView, &cLocalFSView::filesDropped, this, &cFilesMainWindow::startDownload, Qt::QueuedConnection);
    connect(m_deviceView, &cDeviceFSView::filesDropped, this, &cFilesMainWindow::startUpload, Qt::QueuedConnection);
    m_localView->table()->viewport()->installEventFilter(this);
    m_deviceView->table()->viewport()->installEventFilter(this);

    m_localPanel->setActions(cFilePanel::CopyAction);
    m_devicePanel->setActions(cFilePanel::CopyAction | cFilePanel::DeleteAction | cFilePanel::MkdirAction);
    QStringList drives;
    for (const QFileInfo &drive : QDir::drives())
        drives << QDir::toNativeSeparators(drive.absolutePath());
    std::sort(drives.begin(), drives.end());
    m_localPanel->setRoots(drives);
    if (!drives.isEmpty()) {
        m_localView->setRoot(drives.first());
        m_localPanel->setCurrentPath(drives.first());
    }
}

void cFilesMainWindow::setControlsEnabled(bool enabled)
{
    m_connectAction->setEnabled(enabled);
    m_disconnectAction->setEnabled(enabled);
    m_devicePanel->setEnabled(enabled);
    m_localPanel->setEnabled(enabled);
}

void cFilesMainWindow::startProcess()
{
    m_busy->show();
    m_busy->startAnimation();
    m_toolBar->setEnabled(false);
    m_splitter->setEnabled(false);
    m_busy->setEnabled(true);
    m_busy->raise();
    m_busy->move(width() / 2 - m_busy->width() / 2, y() / 2 + height() / 2 - m_busy->height() / 2);
}

void cFilesMainWindow::stopProcess()
{
    m_busy->stopAnimation();
    m_busy->hide();
    m_toolBar->setEnabled(true);
    m_splitter->setEnabled(true);
    m_busy->setEnabled(false);
}

void cFilesMainWindow::initSlot()
{
    if (m_connected)
        return;
    setControlsEnabled(false);
    startProcess();
    m_device = m_portSelector->currentDevice();
    m_operation = Opening;
    m_portSelector->setEnabled(false);
    m_deviceView->init(m_device);
}

void cFilesMainWindow::deinitSlot()
{
    if (!m_connected)
        return;
    setControlsEnabled(false);
    startProcess();
    m_operation = Closing;
    m_portSelector->setEnabled(false);
    m_deviceView->deinit();
}

void cFilesMainWindow::deviceRootChanged(const QString &newRoot)
{
    startProcess();
    const QString path = newRoot.startsWith(QLatin1Char('/')) ? newRoot : QLatin1Char('/') + newRoot;
    m_operation = Reading;
    m_previousPath = m_devicePanel->currentPath();
    m_devicePanel->setCurrentPath(path);
    m_deviceView->setRoot(path, true);
}

void cFilesMainWindow::copyRequest()
{
    QObject *from = sender();
    if (from == m_devicePanel || from == m_deviceView)
        startDownload(m_deviceView->selection().files, m_localView->rootPath());
    else if (from == m_localPanel || from == m_localView)
        startUpload(m_localView->selectedFiles(), m_deviceView->currentPath());
}

bool cFilesMainWindow::dropsAllowed() const
{
    return m_connected && m_operation == Idle;
}

bool cFilesMainWindow::eventFilter(QObject *watched, QEvent *event)
{
    const bool dropSite = watched == m_localView->table()->viewport() || watched == m_deviceView->table()->viewport();
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
        // The views take any fitting data; whether the unit can be asked now is the window's to say.
        if (dropSite && !dropsAllowed()) {
            event->ignore();
            return true;
        }
        break;
    default:
        break;
    }
    return QMainWindow::eventFilter(watched, event);
}

void cFilesMainWindow::startDownload(QStringList files, const QString &dest)
{
    // A second request would take the place of the one the window still waits for.
    if (m_operation != Idle)
        return;
    // A local file is never replaced without the operator's word.
    QStringList existing;
    for (const QString &f : std::as_const(files)) {
        const QString name = f.section(QLatin1Char('/'), -1);
        if (QFileInfo::exists(QDir(dest).filePath(name)))
            existing << name;
    }
    if (!existing.isEmpty()) {
        const auto answer = QMessageBox::question(
            this, tr("Overwrite confirmation"),
            tr("These files already exist in %1:\n%2\nOverwrite them?").arg(QDir::toNativeSeparators(dest), existing.join(QLatin1Char('\n'))),
            QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::No);
        if (answer == QMessageBox::Cancel)
            return;
        if (answer == QMessageBox::No) {
            files.erase(std::remove_if(files.begin(), files.end(),
                                       [&](const QString &f) { return existing.contains(f.section(QLatin1Char('/'), -1)); }),
                        files.end());
        }
    }
    startProcess();
    m_busy->stopAnimation();
    m_busy->hide();
    qDebug() << "copy request from left to right";
    qDebug() << "DEST:" << dest;
    qDebug() << "SOURCE:" << files;
    m_operation = Downloading;
    m_copyingFile.clear();
    m_filePercent = 0;
    m_progress->setValue(0);
    updateProgressLabel();
    m_progress->show();
    m_deviceView->runner()->copyFromDevice(files, dest);
}

void cFilesMainWindow::startUpload(const QStringList &files, const QString &dest)
{
    if (m_operation != Idle)
        return;
    startProcess();
    m_busy->stopAnimation();
    m_busy->hide();
    qDebug() << "copy request from right to left";
    qDebug() << "DEST:" << dest;
    qDebug() << "SOURCE:" << files;
    m_operation = Uploading;
    m_copyingFile.clear();
    m_filePercent = 0;
    m_progress->setValue(0);
    updateProgressLabel();
    m_progress->show();
    m_deviceView->runner()->copyToDevice(files, dest);
}

void cFilesMainWindow::mkdirRequest()
{
    bool ok = false;
    const QString name = QInputDialog::getText(this, tr("Directory name"), tr("Directory name"), QLineEdit::Normal,
                                               QString(), &ok);
    if (!ok || name.isEmpty())
        return;
    startProcess();
    m_operation = Making;
    m_deviceView->runner()->makeDir(m_deviceView->currentPath() + QLatin1Char('/') + name);
}

void cFilesMainWindow::deleteRequest()
{
    const sDeviceSelection s = m_deviceView->selection();
    if (s.files.isEmpty() && s.dirs.isEmpty())
        return;
    if (QMessageBox::question(this, tr("Delete confirmation"), tr("Do you realy want to delete this files?"),
                              QMessageBox::Yes | QMessageBox::No)
        != QMessageBox::Yes)
        return;
    startProcess();
    m_operation = Deleting;
    m_deviceView->runner()->remove(s.files, s.dirs);
}

void cFilesMainWindow::copyProgress(quint8 total, quint8 current)
{
    m_progress->setValue(total);
    m_filePercent = current;
    updateProgressLabel();
}

void cFilesMainWindow::currentFileCopyed(const QString &file)
{
    m_copyingFile = file;
    m_filePercent = 0;
    updateProgressLabel();
}

void cFilesMainWindow::updateProgressLabel()
{
    m_progress->setLabelText(tr("Copying: %1").arg(m_copyingFile) + QLatin1Char('\n')
                             + tr("File: %1 %, all files: %2 %").arg(m_filePercent).arg(m_progress->value()));
}

void cFilesMainWindow::cancelCopy()
{
    m_deviceView->runner()->cancelCopy();
}

void cFilesMainWindow::selectorHasContent(bool flag)
{
    m_connectAction->setEnabled(flag && !m_connected);
}

void cFilesMainWindow::operationFinished(int code)
{
    stopProcess();
    setControlsEnabled(true);
    const int op = m_operation;
    switch (op) {
    case Opening:
        if (code == cDeviceFSRunner::Success) {
            m_connectAction->setEnabled(false);
            m_disconnectAction->setEnabled(true);
            m_connected = true;
            logs::add(tr("File transfer inited"), kDebug);
            m_portSelector->setEnabled(true);
            const QStringList roots = m_deviceView->runner()->roots();
            m_devicePanel->setRoots(roots);
            if (roots.isEmpty()) {
                m_operation = Idle;
                break;
            }
            setControlsEnabled(false);
            startProcess();
            m_operation = Reading;
            const QString path = QStringLiteral("/%1").arg(roots.first());
            m_deviceView->setRoot(path, true);
            m_devicePanel->setCurrentPath(path);
            break;
        }
        if (code == cDeviceFSRunner::Failure || code == cDeviceFSRunner::Cancelled) {
            m_connectAction->setEnabled(true);
            m_disconnectAction->setEnabled(false);
            m_connected = false;
            m_portSelector->setEnabled(true);
            if (code == cDeviceFSRunner::Failure)
                logs::add(tr("Failed to init file transfer"), kError);
        }
        m_operation = Idle;
        break;
    case Closing:
        // Whatever the close reported, the port is released: the operator can connect again.
        m_connectAction->setEnabled(true);
        m_disconnectAction->setEnabled(false);
        m_connected = false;
        m_portSelector->setEnabled(true);
        m_devicePanel->setRoots({});
        m_deviceView->clear();
        m_devicePanel->setCurrentPath(QString());
        m_operation = Idle;
        break;
    case Reading:
        m_connectAction->setEnabled(false);
        m_disconnectAction->setEnabled(true);
        m_deviceView->sizeColumns();
        if (code != cDeviceFSRunner::Success) {
            m_deviceView->setRoot(m_previousPath, false);
            m_devicePanel->setCurrentPath(m_previousPath);
        }
        m_operation = Idle;
        break;
    case Making:
    case Deleting:
        m_operation = Reading;
        startProcess();
        m_deviceView->setRoot(m_deviceView->currentPath(), true);
        break;
    case Downloading:
        m_connectAction->setEnabled(false);
        m_disconnectAction->setEnabled(true);
        m_progress->hide();
        m_operation = Idle;
        break;
    case Uploading:
        m_progress->hide();
        m_connectAction->setEnabled(false);
        m_disconnectAction->setEnabled(true);
        m_operation = Reading;
        startProcess();
        m_deviceView->setRoot(m_deviceView->currentPath(), true);
        break;
    default:
        m_operation = Idle;
        break;
    }
}

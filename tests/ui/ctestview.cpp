#include "ctestview.h"

#include "platform/appenv/resourcefile.h"
#include "tests/engine/ctesthandle.h"
#include "tests/engine/itestrunner.h"
#include "tests/engine/testroles.h"
#include "tests/ui/ctestlogwidget.h"
#include "tests/ui/cuserdialog.h"

#include <QAbstractProxyModel>
#include <QAction>
#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScreen>

using namespace testmodel;

cTestView::cTestView(iTestRunner *runner, QWidget *parent)
    : QTreeView(parent)
    , m_runner(runner)
    , m_logWidget(new cTestLogWidget(nullptr))
    , m_banner(new QWidget(this))
{
    setObjectName(QStringLiteral("testView"));
    setExpandsOnDoubleClick(false);
    setSelectionMode(QAbstractItemView::NoSelection);
    setUniformRowHeights(true);

    if (m_runner && m_runner->object()) {
        connect(m_runner->object(), SIGNAL(askUser(QString,QString,QStringList)), this,
                SLOT(askUser(QString,QString,QStringList)));
        connect(m_runner->object(), SIGNAL(testFinished()), this, SLOT(testFinished()));
    }

    struct sActionDef { const char *text; const char *icon; void (cTestView::*slot)(); };
    const sActionDef defs[ActionCount] = {
        { QT_TR_NOOP("Run current test"), "test_run_single.ico", &cTestView::runSingle },
        { QT_TR_NOOP("Run checked tests"), "button-play-green.ico", &cTestView::runSelected },
        { QT_TR_NOOP("Run all tests"), "test_run_all.ico", &cTestView::runAll },
        { QT_TR_NOOP("Stop current test"), "test_stop_single.ico", &cTestView::stopSingle },
        { QT_TR_NOOP("Stop all tests"), "button-stop-red.ico", &cTestView::stopAll },
        { QT_TR_NOOP("Save result"), "cmd.ico", &cTestView::saveTable },
    };
    for (const sActionDef &def : defs) {
        auto *action = new QAction(QIcon(resourceFile(QString::fromLatin1(def.icon))), tr(def.text), this);
        action->setEnabled(false);
        connect(action, &QAction::triggered, this, def.slot);
        m_actions << action;
    }

    m_logWidget->hide();

    m_banner->setObjectName(QStringLiteral("testErrorWidget"));
    m_banner->setAutoFillBackground(true);
    auto *bannerLayout = new QHBoxLayout(m_banner);
    auto *bannerText = new QLabel(tr("Some tests finished with error"), m_banner);
    bannerText->setStyleSheet(QStringLiteral("color:#C00000;font-weight:bold;"));
    auto *bannerOk = new QPushButton(tr("OK"), m_banner);
    connect(bannerOk, &QPushButton::clicked, m_banner, &QWidget::hide);
    bannerLayout->addWidget(bannerText);
    bannerLayout->addWidget(bannerOk);
    m_banner->hide();
}

cTestView::~cTestView()
{
    delete m_logWidget;  // a top-level window, not our child
}

QList<QAction *> cTestView::toolBarActions() const
{
    return { m_actions.at(RunChecked), m_actions.at(StopAll), m_actions.at(SaveResult) };
}

QModelIndex cTestView::toSource(const QModelIndex &index) const
{
    if (const auto *proxy = qobject_cast<const QAbstractProxyModel *>(index.model()))
        return toSource(proxy->mapToSource(index));
    return index;
}

cTestHandle cTestView::handleFor(const QModelIndex &index) const
{
    if (!index.isValid() || index.siblingAtColumn(NameColumn).data(ItemTypeRole).toInt() != TestNameCell)
        return cTestHandle();
    const QModelIndex name = toSource(index.siblingAtColumn(NameColumn));
    return cTestHandle(name, name.siblingAtColumn(StatusColumn), name.siblingAtColumn(TimeColumn),
                       name.siblingAtColumn(InfoColumn), name.siblingAtColumn(StatisticsColumn));
}

void cTestView::callOnRow(const QModelIndex &index, bool cancel)
{
    const QModelIndex name = toSource(index.siblingAtColumn(NameColumn));
    const QModelIndex status = name.siblingAtColumn(StatusColumn);
    const QModelIndex time = name.siblingAtColumn(TimeColumn);
    const QModelIndex info = name.siblingAtColumn(InfoColumn);
    const QModelIndex statistics = name.siblingAtColumn(StatisticsColumn);
    if (cancel)
        m_runner->cancelTest(name, status, time, info, statistics);
    else
        m_runner->queueTest(name, status, time, info, statistics);
}

void cTestView::updateBusyActions()
{
    if (m_runner->isBusy())
        m_actions.at(StopAll)->setEnabled(true);
    else
        m_actions.at(RunAll)->setEnabled(true);
}

void cTestView::runTest(const QModelIndex &index)
{
    if (!index.isValid() || index.data(ItemTypeRole).toInt() != TestNameCell)
        return;
    if (index.siblingAtColumn(StatusColumn).data(StateRole).toInt() == StateRunning)
        m_runner->cancelCurrentTest();
    else
        callOnRow(index, false);
    updateBusyActions();
    expand(index);
    for (int row = 0; row < model()->rowCount(index); ++row)
        runTest(model()->index(row, NameColumn, index));
}

void cTestView::runSingle()
{
    const QModelIndex current = currentIndex();
    if (!current.isValid())
        return;
    if (m_repeat < 2) {
        runTest(current.siblingAtColumn(NameColumn));
        return;
    }
    const cTestHandle handle = handleFor(current);
    if (handle.isValid())
        m_runner->runTests({ handle }, m_repeat);
}

void cTestView::runAll()
{
    if (!model())
        return;
    if (m_repeat < 2) {
        m_runner->clearResults();
        for (int row = 0; row < model()->rowCount(); ++row)
            runTest(model()->index(row, NameColumn));
        return;
    }
    QList<cTestHandle> handles;
    for (int row = 0; row < model()->rowCount(); ++row) {
        const cTestHandle handle = handleFor(model()->index(row, NameColumn));
        if (handle.isValid())
            handles << handle;
    }
    if (!handles.isEmpty())
        m_runner->runTests(handles, m_repeat);
}

void cTestView::collectChecked(const QModelIndex &parent, QList<QModelIndex> *hits) const
{
    for (int row = 0; row < model()->rowCount(parent); ++row) {
        const QModelIndex cell = model()->index(row, NameColumn, parent);
        if (cell.data(Qt::CheckStateRole).toInt() == Qt::Checked)
            hits->append(cell);
        collectChecked(cell, hits);
    }
}

void cTestView::runSelected()
{
    if (!model() || model()->rowCount() == 0)
        return;
    QList<QModelIndex> hits;
    collectChecked(QModelIndex(), &hits);
    if (m_repeat < 2) {
        m_runner->clearResults();
        for (const QModelIndex &hit : std::as_const(hits))
            runTest(hit);
        return;
    }
    QList<cTestHandle> handles;
    for (const QModelIndex &hit : std::as_const(hits)) {
        const cTestHandle handle = handleFor(hit);
        if (handle.isValid())
            handles << handle;
    }
    if (!handles.isEmpty())
        m_runner->runTests(handles, m_repeat);
}

void cTestView::stopSingle()
{
    const QModelIndex current = currentIndex();
    if (current.isValid() && current.siblingAtColumn(NameColumn).data(ItemTypeRole).toInt() == TestNameCell)
        callOnRow(current, true);
}

void cTestView::stopAll()
{
    m_runner->cancelAllTests();
}

void cTestView::testFinished()
{
    updateBusyActions();
}

void cTestView::checked(bool on)
{
    m_checked += on ? 1 : -1;
    m_actions.at(RunChecked)->setEnabled(m_checked >= 1);
}

void cTestView::cleared()
{
    m_checked = 0;
    for (QAction *action : std::as_const(m_actions))
        action->setEnabled(false);
}

void cTestView::setRepeatCounter(int count)
{
    m_repeat = count;
}

void cTestView::switchCheckState()
{
    if (!model())
        return;
    bool allChecked = true;
    for (int row = 0; row < model()->rowCount() && allChecked; ++row)
        allChecked = model()->index(row, NameColumn).data(Qt::CheckStateRole).toInt() == Qt::Checked;
    const int state = allChecked ? Qt::Unchecked : Qt::Checked;
    for (int row = 0; row < model()->rowCount(); ++row)
        model()->setData(model()->index(row, NameColumn), state, Qt::CheckStateRole);
}

void cTestView::updateCurrentActions()
{
    const QModelIndex current = currentIndex();
    if (!current.isValid()) {
        m_actions.at(RunCurrent)->setEnabled(false);
        m_actions.at(StopCurrent)->setEnabled(false);
        return;
    }
    const int state = current.siblingAtColumn(StatusColumn).data(StateRole).toInt();
    const bool active = state == StateRunning || state == StateQueued;
    m_actions.at(RunCurrent)->setEnabled(state != StateCanceling && !active);
    m_actions.at(StopCurrent)->setEnabled(state != StateCanceling && active);
}

void cTestView::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QTreeView::currentChanged(current, previous);
    updateCurrentActions();
}

void cTestView::dataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight, const QList<int> &roles)
{
    QTreeView::dataChanged(topLeft, bottomRight, roles);
    const QModelIndex current = currentIndex();
    if (current.isValid() && topLeft.parent() == current.parent() && topLeft.row() <= current.row()
        && bottomRight.row() >= current.row() && topLeft.column() <= StatusColumn
        && bottomRight.column() >= StatusColumn)
        updateCurrentActions();
}

void cTestView::rowsInserted(const QModelIndex &parent, int start, int end)
{
    QTreeView::rowsInserted(parent, start, end);
    m_actions.at(RunAll)->setEnabled(true);
    m_actions.at(SaveResult)->setEnabled(true);
}

void cTestView::updateGeometries()
{
    QTreeView::updateGeometries();
    QHeaderView *head = header();
    // Setting a mode relayouts the header even when nothing changes: only on a change.
    if (head->count() < ColumnCount || head->sectionResizeMode(NameColumn) == QHeaderView::Stretch)
        return;
    head->setSectionResizeMode(NameColumn, QHeaderView::Stretch);
    for (int column = StatisticsColumn; column < ColumnCount; ++column)
        head->setSectionResizeMode(column, QHeaderView::ResizeToContents);
}

void cTestView::askUser(const QString &testName, const QString &question, const QStringList &values)
{
    QVariantList answer;
    if (!values.isEmpty()) {
        QPointer<cTestView> self(this);
        QPointer<cUserDialog> dialog(new cUserDialog(this));
        dialog->setup(testName, question, values);
        const int result = dialog->exec();
        // The page may have been torn down while the dialog waited for the operator.
        if (!self)
            return;
        if (dialog && result == QDialog::Accepted) {
            const QStringList texts = dialog->values();
            for (const QString &text : texts)
                answer << text;
        }
        delete dialog;
    }
    m_runner->userReply(answer);
}

void cTestView::saveTable()
{
    m_logWidget->setStatisticsText(m_runner->statisticsText());
    m_logWidget->setResultsText(m_runner->resultsText());
    m_logWidget->setLogText(m_runner->logText());
    if (QWidget *active = QApplication::activeWindow(); active && active != m_logWidget) {
        const QRect area = active->frameGeometry();
        m_logWidget->resize(active->width() * 3 / 4, active->height() * 3 / 4);
        m_logWidget->move(area.center() - QPoint(m_logWidget->width() / 2, m_logWidget->height() / 2));
    }
    m_logWidget->selectFirstTab();
    m_logWidget->show();
    m_logWidget->raise();
    m_logWidget->activateWindow();
}

void cTestView::setErrorVisible(bool visible)
{
    m_banner->setVisible(visible);
    if (visible) {
        m_banner->adjustSize();
        centreBanner();
        m_banner->raise();
    }
}

void cTestView::centreBanner()
{
    m_banner->move(width() / 2 - m_banner->width() / 2, height() / 2 - m_banner->height() / 2);
}

void cTestView::resizeEvent(QResizeEvent *event)
{
    QTreeView::resizeEvent(event);
    centreBanner();
}

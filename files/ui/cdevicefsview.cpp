#include "files/ui/cdevicefsview.h"

#include "files/core/cdevicefsrunner.h"
#include "files/ui/cdevicefsmodel.h"
#include "files/ui/cdropview.h"

#include <QAction>
#include <QHeaderView>
#include <QMenu>
#include <QVBoxLayout>

cDeviceFSView::cDeviceFSView(QWidget *parent)
    : QWidget(parent)
    , m_model(new cDeviceFSModel(this))
    , m_table(new cDropView(cDropView::TakesLocalFiles, this))
    , m_copyAction(new QAction(tr("Copy selected"), this))
    , m_deleteAction(new QAction(tr("Delete selected"), this))
{
    m_table->setObjectName(QStringLiteral("deviceFilesView"));
    m_table->setModel(m_model);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setContextMenuPolicy(Qt::CustomContextMenu);
    auto layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_table);

    connect(m_model->worker(), &cDeviceFSRunner::operationFinished, this, &cDeviceFSView::operationFinished);
    connect(m_model, &QAbstractItemModel::modelReset, this, &cDeviceFSView::sizeColumns);
    connect(m_table, &QAbstractItemView::doubleClicked, this, &cDeviceFSView::doubleClickedSlot);
    connect(m_table, &QWidget::customContextMenuRequested, this, &cDeviceFSView::showMenu);
    connect(m_table, &cDropView::filesDropped, this, &cDeviceFSView::dropped);
    connect(m_copyAction, &QAction::triggered, this, &cDeviceFSView::copyRequest);
    connect(m_deleteAction, &QAction::triggered, this, &cDeviceFSView::deleteRequest);
}

iDeviceFSRunner *cDeviceFSView::runner() const
{
    return m_model->runner();
}

void cDeviceFSView::init(const sIODevice &device)
{
    runner()->init(device);
}

void cDeviceFSView::deinit()
{
    runner()->deinit();
}

void cDeviceFSView::clear()
{
    m_model->clear();
}

void cDeviceFSView::setRoot(const QString &root, bool run)
{
    m_currentPath = root.startsWith(QLatin1Char('/')) ? root : QStringLiteral("/%1").arg(root);
    if (run)
        runner()->readDir(m_currentPath);
}

void cDeviceFSView::setRoot(const QString &root)
{
    setRoot(root, true);
}

void cDeviceFSView::doubleClickedSlot(const QModelIndex &index)
{
    const QString name = m_model->index(index.row(), cDeviceFSModel::NameColumn).data().toString();
    // "/" + "/" + name would be a path the unit does not know.
    m_currentPath = (m_currentPath.endsWith(QLatin1Char('/')) ? m_currentPath : m_currentPath + QLatin1Char('/')) + name;
    emit dirChangeRequest(m_currentPath);
}

sDeviceSelection cDeviceFSView::selection() const
{
    sDeviceSelection s;
    const QString base = m_currentPath.endsWith(QLatin1Char('/')) ? m_currentPath : m_currentPath + QLatin1Char('/');
    const QModelIndexList rows = m_table->selectionModel()->selectedRows(cDeviceFSModel::NameColumn);
    for (const QModelIndex &row : rows) {
        const QString path = base + row.data().toString();
        if (m_model->index(row.row(), cDeviceFSModel::SizeColumn).data().toString().isEmpty())
            s.dirs << path;
        else
            s.files << path;
    }
    return s;
}

// Files dropped onto a folder's row go into that folder, anywhere else into the one shown.
void cDeviceFSView::dropped(const QStringList &paths, const QModelIndex &at)
{
    QString folder = m_currentPath;
    if (at.isValid() && m_model->index(at.row(), cDeviceFSModel::SizeColumn).data().toString().isEmpty()) {
        const QString name = m_model->index(at.row(), cDeviceFSModel::NameColumn).data().toString();
        folder = (folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/')) + name;
    }
    emit filesDropped(paths, folder);
}

void cDeviceFSView::sizeColumns()
{
    QHeaderView *header = m_table->horizontalHeader();
    const int count = header->count();
    if (count < 1)
        return;
    header->setSectionResizeMode(0, QHeaderView::Stretch);
    for (int i = 1; i < qMin(count, 3); ++i)
        header->setSectionResizeMode(i, QHeaderView::ResizeToContents);
    header->setDefaultAlignment(Qt::AlignLeft);
    for (int i = 3; i < count; ++i)
        header->hideSection(i);
}

void cDeviceFSView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    sizeColumns();
}

void cDeviceFSView::showMenu(const QPoint &pos)
{
    const sDeviceSelection s = selection();
    if (s.files.isEmpty() && s.dirs.isEmpty())
        return;
    QMenu menu(this);
    menu.addAction(m_copyAction);
    menu.addAction(m_deleteAction);
    menu.exec(m_table->viewport()->mapToGlobal(pos));
}

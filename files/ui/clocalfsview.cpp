#include "files/ui/clocalfsview.h"

#include "files/ui/cdropview.h"

#include <QAction>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QMenu>
#include <QVBoxLayout>

cLocalFSView::cLocalFSView(QWidget *parent)
    : QWidget(parent)
    , m_model(new QFileSystemModel(this))
    , m_table(new cDropView(cDropView::TakesUnitFiles, this))
    , m_copyAction(new QAction(tr("Copy selected"), this))
{
    m_model->setReadOnly(true);
    m_model->setFilter(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::AllDirs);
    m_table->setObjectName(QStringLiteral("localFilesView"));
    m_table->setModel(m_model);
    m_table->setContextMenuPolicy(Qt::CustomContextMenu);
    auto layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_table);

    connect(m_model, &QFileSystemModel::directoryLoaded, this, &cLocalFSView::dirChanged);
    connect(m_table, &QAbstractItemView::doubleClicked, this, &cLocalFSView::doubleClicked);
    connect(m_table, &QWidget::customContextMenuRequested, this, &cLocalFSView::showMenu);
    connect(m_table, &cDropView::filesDropped, this, &cLocalFSView::dropped);
    connect(m_copyAction, &QAction::triggered, this, &cLocalFSView::copyRequest);
    sizeColumns();
}

QString cLocalFSView::rootPath() const
{
    return m_model->rootPath();
}

void cLocalFSView::setRoot(const QString &root)
{
    m_model->setRootPath(root);
    m_table->setRootIndex(m_model->index(root));
}

void cLocalFSView::doubleClicked(const QModelIndex &index)
{
    if (m_model->isDir(index))
        setRoot(QDir::cleanPath(m_model->filePath(index)));
}

QStringList cLocalFSView::selectedFiles() const
{
    QStringList paths;
    const QModelIndexList rows = m_table->selectionModel()->selectedRows(0);
    for (const QModelIndex &row : rows)
        paths << m_model->fileInfo(row).absoluteFilePath();
    return paths;
}

// Files dropped onto a folder's row go into that folder, anywhere else into the one shown.
void cLocalFSView::dropped(const QStringList &paths, const QModelIndex &at)
{
    const bool ontoFolder = at.isValid() && m_model->isDir(at);
    emit filesDropped(paths, ontoFolder ? m_model->filePath(at) : rootPath());
}

void cLocalFSView::sizeColumns()
{
    QHeaderView *header = m_table->horizontalHeader();
    if (header->count() >= 1)
        header->setSectionResizeMode(0, QHeaderView::Stretch);
    if (header->count() >= 3)
        header->hideSection(2);
}

void cLocalFSView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    sizeColumns();
}

void cLocalFSView::showMenu(const QPoint &pos)
{
    if (m_table->selectionModel()->selectedRows(0).isEmpty())
        return;
    QMenu menu(this);
    menu.addAction(m_copyAction);
    menu.exec(m_table->viewport()->mapToGlobal(pos));
}

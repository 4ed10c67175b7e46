#include "clogwidget.h"

#include <QAbstractItemModel>
#include <QHeaderView>
#include <QPointer>
#include <QScrollBar>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>

namespace {

enum { TimeColumn, LevelColumn, SourceColumn, TextColumn };

} // namespace

cLogWidget::cLogWidget(QWidget *parent)
    : QDockWidget(parent)
    , m_tabs(new QTabWidget(this))
{
    setObjectName(QStringLiteral("messageConsole"));
    setWindowTitle(tr("Message console"));
    m_tabs->setDocumentMode(true);
    m_tabs->setTabPosition(QTabWidget::South);
    setWidget(m_tabs);
}

int cLogWidget::addPage(const QString &title, QAbstractItemModel *model)
{
    if (!model)
        return -1;

    auto view = new QTableView(m_tabs);
    view->setModel(model);
    setUpView(view);

    // Pages live as long as the widget, so their records can be captured by pointer.
    m_pages.push_back(std::make_unique<sPage>());
    sPage *page = m_pages.back().get();
    page->view = view;

    // Whether to follow is decided before the rows arrive: afterwards the bottom has moved.
    connect(model, &QAbstractItemModel::rowsAboutToBeInserted, view, [this, page] { noteScrollPosition(page); });
    connect(model, &QAbstractItemModel::rowsInserted, view, [this, page] { followNewRows(page); });
    connect(model, &QAbstractItemModel::modelReset, view, [this, page] { followNewRows(page); });
    connect(view->verticalScrollBar(), &QScrollBar::valueChanged, view, [this, page] { noteScrollPosition(page); });

    const int index = m_tabs->addTab(view, title);
    if (model->rowCount() > 0)
        followNewRows(page);
    return index;
}

cLogWidget::~cLogWidget()
{
    // The views go first: their connections refer to the page records.
    delete m_tabs;
}

int cLogWidget::pageCount() const
{
    return m_tabs->count();
}

QString cLogWidget::pageTitle(int index) const
{
    return m_tabs->tabText(index);
}

QTableView *cLogWidget::pageView(int index) const
{
    return qobject_cast<QTableView *>(m_tabs->widget(index));
}

void cLogWidget::setUpView(QTableView *view)
{
    view->setObjectName(QStringLiteral("logPage"));
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setWordWrap(false);
    view->setShowGrid(false);
    view->setAlternatingRowColors(true);
    view->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    view->setTextElideMode(Qt::ElideRight);

    // Thousands of rows a second arrive: nothing may measure contents per row.
    QHeaderView *rows = view->verticalHeader();
    rows->setVisible(false);
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(view->fontMetrics().height() + 4);

    QHeaderView *columns = view->horizontalHeader();
    columns->setSectionResizeMode(QHeaderView::Interactive);
    columns->setStretchLastSection(true);
    columns->setHighlightSections(false);
    const QFontMetrics metrics = view->fontMetrics();
    columns->resizeSection(TimeColumn, metrics.horizontalAdvance(QStringLiteral("00:00:00.000")) + 16);
    columns->resizeSection(LevelColumn, metrics.horizontalAdvance(QStringLiteral("Warning__")) + 16);
    columns->resizeSection(SourceColumn, metrics.horizontalAdvance(QStringLiteral("SOURCE_NAME_")) + 16);
}

void cLogWidget::noteScrollPosition(sPage *page)
{
    const QScrollBar *bar = page->view->verticalScrollBar();
    page->atBottom = bar->value() >= bar->maximum();
}

void cLogWidget::followNewRows(sPage *page)
{
    if (!page->atBottom || page->scrollPending)
        return;
    // One scroll per event-loop pass however many insertions came in it.
    page->scrollPending = true;
    QPointer<QTableView> view = page->view;
    QTimer::singleShot(0, view, [view, page] {
        page->scrollPending = false;
        view->scrollToBottom();
        page->atBottom = true;
    });
}

#pragma once

#include <QDockWidget>

#include <memory>
#include <vector>

class QAbstractItemModel;
class QTabWidget;
class QTableView;

/**
 * The message console: a dock with one tab per page, each a table over a log model
 * (columns time, level, source, text). A page follows the newest message while the operator
 * is at its bottom and stays put while they scroll back.
 */
class cLogWidget : public QDockWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(cLogWidget)

public:
    explicit cLogWidget(QWidget *parent = nullptr);
    ~cLogWidget() override;

    /** Adds a page showing the model; returns its index, or -1 for a null model. */
    int addPage(const QString &title, QAbstractItemModel *model);
    int pageCount() const;
    QString pageTitle(int index) const;
    QTableView *pageView(int index) const;

private:
    struct sPage
    {
        QTableView *view = nullptr;
        bool atBottom = true;
        bool scrollPending = false;
    };

    void noteScrollPosition(sPage *page);
    void followNewRows(sPage *page);
    static void setUpView(QTableView *view);

    QTabWidget *m_tabs = nullptr;
    std::vector<std::unique_ptr<sPage>> m_pages;
};

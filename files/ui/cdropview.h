#pragma once

#include <QTableView>

/** A file table that accepts what is dragged from another table and says where it came from. */
class cDropView : public QTableView
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(cDropView)

public:
    explicit cDropView(QWidget *parent = nullptr);

signals:
    /** Rows of source were dropped here. */
    void droppedFrom(QObject *source);

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
};

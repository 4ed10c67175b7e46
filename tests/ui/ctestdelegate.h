#pragma once

#include <QStyledItemDelegate>

/** Paints the test model's cells: state colours and the progress bar, details, statistics. */
class cTestDelegate : public QStyledItemDelegate
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(cTestDelegate)

public:
    explicit cTestDelegate(QObject *parent = nullptr);

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    void paintStatus(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const;
    void paintInfo(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const;
};

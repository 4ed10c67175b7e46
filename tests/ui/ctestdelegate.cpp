#include "ctestdelegate.h"

#include "tests/engine/testroles.h"
#include "tests/model/ctestitem.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPainter>

#include <algorithm>

using namespace testmodel;

namespace {

struct sStateLook
{
    QColor background;
    QColor text;
    bool frame = false;
    bool italic = false;
    bool bold = false;
};

sStateLook lookOf(int state, const QStyleOptionViewItem &option)
{
    const QPalette::ColorGroup group = (option.state & QStyle::State_Enabled)
        ? ((option.state & QStyle::State_Active) ? QPalette::Active : QPalette::Inactive)
        : QPalette::Disabled;
    sStateLook look;
    look.background = option.palette.color(group, QPalette::Base);
    look.text = option.palette.color(group, QPalette::WindowText);
    switch (state) {
    case StateOk: look = { QColor(240, 255, 240), QColor(90, 200, 90), true }; break;
    case StateError: look = { QColor(255, 240, 240), QColor(255, 90, 90), true }; break;
    case StateWarning: look = { QColor(240, 240, 255), QColor(90, 90, 255), true }; break;
    case StateQueued: look.text = QColor(180, 180, 180); look.italic = true; break;
    case StateRunning: look.text = QColor(100, 100, 100); look.bold = true; break;
    case StateCanceling: look.text = QColor(255, 130, 30); look.italic = true; break;
    case StateCanceled: look = { QColor(255, 240, 230), QColor(255, 130, 30), true }; break;
    default: break;
    }
    return look;
}

bool paintsText(int state)
{
    return state >= StateOk && state <= StateCanceled;
}

} // namespace

cTestDelegate::cTestDelegate(QObject *parent)
    : QStyledItemDelegate(parent)
{
}

void cTestDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    switch (index.data(ItemTypeRole).toInt()) {
    case StatusCell:
        paintStatus(painter, option, index);
        return;
    case InfoCell:
        paintInfo(painter, option, index);
        return;
    case StatisticsCell: {
        QStyleOptionViewItem opt(option);
        const QColor colour = index.data(FailedRole).toBool() ? QColor(255, 90, 90) : QColor(90, 200, 90);
        opt.palette.setColor(QPalette::Text, colour);
        opt.palette.setColor(QPalette::HighlightedText, colour);
        QStyledItemDelegate::paint(painter, opt, index);
        return;
    }
    default:
        QStyledItemDelegate::paint(painter, option, index);
    }
}

void cTestDelegate::paintStatus(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const int state = index.data(StateRole).toInt();
    const sStateLook look = lookOf(state, option);
    const QRect cell = option.rect;

    painter->save();
    painter->fillRect(cell, look.background);

    const QVariant progress = index.data(ProgressRole);
    if (state == StateRunning && progress.isValid() && progress.toInt() >= 0) {
        const int percent = std::min(progress.toInt(), 100);
        const QRect bar(cell.left() + 7, cell.top() + cell.height() / 2 - 4, cell.width() - 14, 8);
        painter->fillRect(bar, QColor(255, 240, 255));
        painter->fillRect(QRect(bar.left(), bar.top(), bar.width() * percent / 100, bar.height()),
                          QColor(230, 130, 230));
        painter->setPen(QPen(QColor(150, 70, 150), 1));
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(bar.adjusted(0, 0, -1, -1));
    } else {
        if (look.frame) {
            painter->setPen(QPen(look.text, 1));
            painter->setBrush(Qt::NoBrush);
            painter->drawRect(cell.adjusted(1, 1, -2, -2));
        }
        if (paintsText(state)) {
            QFont font = option.font;
            font.setItalic(look.italic);
            if (look.bold)
                font.setWeight(QFont::Bold);
            painter->setFont(font);
            painter->setPen(look.text);
            painter->drawText(cell.adjusted(4, 2, -4, -2), Qt::AlignCenter, cTestItem::stateText(state));
        }
    }
    painter->restore();
}

void cTestDelegate::paintInfo(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    // The style paints the row's background and selection; the text is ours.
    QStyleOptionViewItem opt(option);
    initStyleOption(&opt, index);
    opt.text.clear();
    const QWidget *widget = option.widget;
    QStyle *style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);
    const QString details = index.data(DetailsRole).toString();
    if (details.isEmpty())
        return;
    const QRect area = option.rect.adjusted(4, 2, -4, -2);
    painter->save();
    painter->setFont(option.font);
    painter->setPen(option.palette.color(QPalette::Text));
    painter->drawText(area, Qt::AlignLeft | Qt::AlignVCenter,
                      QFontMetrics(option.font).elidedText(details, Qt::ElideRight, area.width()));
    painter->restore();
}

QSize cTestDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QSize hint = QStyledItemDelegate::sizeHint(option, index);
    const QFontMetrics metrics(option.font);
    switch (index.data(ItemTypeRole).toInt()) {
    case StatusCell:
        hint.setWidth(std::max(metrics.horizontalAdvance(cTestItem::stateText(StateWarning)),
                               metrics.horizontalAdvance(cTestItem::stateText(StateCanceling))) + 32);
        hint.setHeight(metrics.height() + 4);
        break;
    case TimeCell:
        hint.setWidth(metrics.horizontalAdvance(QStringLiteral("00:00:00 - 00:00:00")) + 10);
        hint.setHeight(metrics.height() + 4);
        break;
    case StatisticsCell:
        hint = metrics.size(Qt::TextSingleLine, tr("Runs: %1, OK: %2").arg(10000).arg(10000));
        break;
    case InfoCell:
        hint.setWidth(60);
        break;
    default:
        break;
    }
    return hint.expandedTo(QSize(50, 20));
}

#include "logs/ui/cstatwidgetex2.h"

#include "logs/ui/cstattables.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

struct sFlag
{
    bool high;
    int bit;
};

// Row by row: which word and bit carries the flag (bits 7 and 8 of low are not shown).
const sFlag kFlags[] = {{true, 10}, {false, 0}, {false, 1}, {false, 2}, {false, 3}, {false, 4}, {false, 5}, {false, 6},
                        {false, 9}, {false, 10}, {false, 11}, {false, 12}, {false, 13}, {false, 14}, {false, 15}};
constexpr int kRows = int(sizeof kFlags / sizeof kFlags[0]);

} // namespace

cStatWidgetEx2::cStatWidgetEx2(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("cStatWidgetEx2"));
    auto outer = new QHBoxLayout(this);
    auto column = new QVBoxLayout;
    outer->addLayout(column);
    outer->addStretch(1);
    m_table = stattables::makeFixed(this, kRows);
    m_table->setObjectName(QStringLiteral("externalCanLogTable"));
    m_table->setMinimumWidth(360);
    m_caption = stattables::addCaptioned(column, m_table);
    retranslate();
    clearData();
}

void cStatWidgetEx2::retranslate()
{
    m_caption->setText(tr("External CANLog:"));
    stattables::setCaptions(m_table, {tr("Front hydraulics"), tr("Brushes"), tr("Water supply"), tr("Vacuum cleaner"),
                                      tr("Hopper unloading"), tr("High pressure washer"),
                                      tr("Dispersion of sand and salt"), tr("Low level of sand in the hopper"),
                                      tr("Low fluid level in the hopper"), tr("Rear hydraulics"),
                                      tr("Independent engine"), tr("Joystick right"), tr("Joystick left"),
                                      tr("Joystick forward"), tr("Joystick backward")});
}

void cStatWidgetEx2::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange)
        retranslate();
    QWidget::changeEvent(event);
}

void cStatWidgetEx2::clearData()
{
    stattables::clearValues(m_table);
    m_table->resizeColumnToContents(0);
    m_table->setColumnWidth(0, 210);
}

void cStatWidgetEx2::canlogext(quint32 high, quint32 low)
{
    for (int row = 0; row < kRows; ++row) {
        const quint32 word = kFlags[row].high ? high : low;
        stattables::setValue(m_table, row, (word >> kFlags[row].bit) & 1u ? QStringLiteral("True") : QStringLiteral("False"));
    }
}

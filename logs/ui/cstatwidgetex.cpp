#include "logs/ui/cstatwidgetex.h"

#include "logs/ui/cstattables.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

enum eDeviceRow { CpuLoad, Threads, Partition, Heap };

QString percent(quint32 total, quint32 used)
{
    // A total of 0 shows what the division gives (inf or nan): the unit printed nonsense.
    return QString::number(double(used) / double(total) * 100.0, 'g', 3);
}

} // namespace

cStatWidgetEx::cStatWidgetEx(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("cStatWidgetEx"));
    QSplitter *splitter = stattables::makeColumns(this);
    const auto column = [splitter] { return stattables::addColumn(splitter); };
    QVBoxLayout *c1 = column();
    QVBoxLayout *c2 = column();
    for (int i = 0; i < 2; ++i) {
        m_stor[i] = stattables::makeFixed(this, 8);
        m_stor[i]->setObjectName(QStringLiteral("storage%1Table").arg(i));
        m_captions << stattables::addCaptioned(c1, m_stor[i]);
    }
    for (int i = 0; i < 2; ++i) {
        m_tracker[i] = stattables::makeFixed(this, 4);
        m_tracker[i]->setObjectName(QStringLiteral("tracker%1Table").arg(i));
        m_captions << stattables::addCaptioned(c2, m_tracker[i]);
    }
    QVBoxLayout *c3 = column();
    m_buttons = stattables::makeFixed(this, 2);
    m_buttons->setObjectName(QStringLiteral("buttonsTable"));
    m_device = stattables::makeFixed(this, 4);
    m_device->setObjectName(QStringLiteral("deviceTable"));
    m_captions << stattables::addCaptioned(c3, m_buttons) << stattables::addCaptioned(c3, m_device);
    retranslate();
    clearData();
}

void cStatWidgetEx::retranslate()
{
    const QStringList captions = {tr("Storage 0:"), tr("Storage 1:"), tr("Tracker 0:"), tr("Tracker 1:"),
                                  tr("Buttons:"), tr("Device:")};
    for (int i = 0; i < m_captions.size(); ++i)
        m_captions.at(i)->setText(captions.at(i));
    // The storage and tracker rows are the unit's own key names.
    for (QTableWidget *t : m_stor) {
        stattables::setCaptions(t, {QStringLiteral("id_max"), QStringLiteral("id_min"), QStringLiteral("tm_oldest"),
                                    QStringLiteral("tm_oldest_unack"), QStringLiteral("cnt_unack"),
                                    QStringLiteral("cnt_unack_losted"), QStringLiteral("cnt_ack_from_start"),
                                    QStringLiteral("cnt_add_from_start")});
    }
    for (QTableWidget *t : m_tracker) {
        stattables::setCaptions(t, {QStringLiteral("cnt_ack"), QStringLiteral("cnt_ack_realtime"),
                                    QStringLiteral("cnt_noack"), QStringLiteral("cnt_connect")});
    }
    stattables::setCaptions(m_buttons, {tr("SOS"), tr("Call request")});
    stattables::setCaptions(m_device, {tr("CPU load"), tr("Threads"), tr("Partition"), tr("Heap")});
}

void cStatWidgetEx::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange)
        retranslate();
    QWidget::changeEvent(event);
}

void cStatWidgetEx::clearData()
{
    for (QTableWidget *t : {m_stor[0], m_stor[1], m_tracker[0], m_tracker[1], m_buttons, m_device})
        stattables::clearValues(t);
}

void cStatWidgetEx::stor(quint8 cnum, quint32 id_max, quint32 id_min, quint32 tm_oldest, quint32 tm_oldest_unack,
                         quint32 cnt_unack, quint32 cnt_unack_losted, quint32 cnt_ack_from_start,
                         quint32 cnt_add_from_start)
{
    // Only channels 0 and 1 have a table; another channel must not overwrite one of them.
    if (cnum > 1)
        return;
    const quint32 values[] = {id_max, id_min, tm_oldest, tm_oldest_unack, cnt_unack, cnt_unack_losted,
                              cnt_ack_from_start, cnt_add_from_start};
    for (int row = 0; row < 8; ++row)
        stattables::setValue(m_stor[cnum], row, QString::number(values[row]));
}

void cStatWidgetEx::tracker(quint8 cnum, quint32 cnt_ack, quint32 cnt_ack_realtime, quint32 cnt_noack, quint32 cnt_connect)
{
    if (cnum > 1)
        return;
    const quint32 values[] = {cnt_ack, cnt_ack_realtime, cnt_noack, cnt_connect};
    for (int row = 0; row < 4; ++row)
        stattables::setValue(m_tracker[cnum], row, QString::number(values[row]));
}

QString cStatWidgetEx::buttonText(quint32 presses, quint32 releases, bool state) const
{
    return QStringLiteral("%1 [%2:%3]").arg(state ? tr("Pressed") : tr("Unpressed")).arg(presses).arg(releases);
}

void cStatWidgetEx::sos(quint32 presses, quint32 releases, bool state)
{
    stattables::setValue(m_buttons, 0, buttonText(presses, releases, state));
}

void cStatWidgetEx::callreq(quint32 presses, quint32 releases, bool state)
{
    stattables::setValue(m_buttons, 1, buttonText(presses, releases, state));
}

void cStatWidgetEx::cpu(double cpu, quint16 threads)
{
    stattables::setValue(m_device, CpuLoad, QStringLiteral("%1%").arg(QString::number(cpu, 'g', 6)));
    stattables::setValue(m_device, Threads, QString::number(threads));
}

void cStatWidgetEx::mem(quint32 hTotal, quint32 hUsed, quint32 mTotal, quint32 mUsed, quint32 mMin)
{
    // Differences in 64 bits: a unit reporting more used than total shows a negative free count, not 4 billion.
    stattables::setValue(m_device, Partition,
                         tr("%1%, free: %2").arg(percent(hTotal, hUsed)).arg(qint64(hTotal) - qint64(hUsed)));
    stattables::setValue(m_device, Heap, tr("%1%, free: %2, min: %3")
                                             .arg(percent(mTotal, mUsed))
                                             .arg(qint64(mTotal) - qint64(mUsed))
                                             .arg(mMin));
}

#include "logs/ui/cstatwidget.h"

#include "logs/ui/cstatdynamictable.h"
#include "logs/ui/cstattables.h"
#include "platform/appenv/engineeringmode.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

#include <cstdlib>

namespace {

enum eNavRow { Timestamp, Time, Longitude, Latitude, LongitudeMas, LatitudeMas, Altitude, SatCount, Valid, NavRows };
enum eGsmRow { Network, Csq, State, GsmRows };
enum eCanRow { Rpm, FuelLevel, Temperature, Uptime, Consumption, Odometer, CanRows };

// Degrees without sign from milliarcseconds, computed the way the unit's tool always did.
QString degrees(qint32 mas)
{
    return QString::number(std::llabs(qint64(mas)) * 100.0 / 36 / 1e7, 'f', 6);
}

} // namespace

cStatWidget::cStatWidget(QWidget *parent)
    : QWidget(parent)
    , m_engineering(isEngineeringSwitch(QCoreApplication::arguments()))
{
    setObjectName(QStringLiteral("cStatWidget"));
    QSplitter *splitter = stattables::makeColumns(this);
    const auto column = [splitter] { return stattables::addColumn(splitter); };
    const auto named = [](auto *table, const char *name) {
        table->setObjectName(QLatin1String(name));
        return table;
    };

    QVBoxLayout *c1 = column();
    m_nav = named(stattables::makeFixed(this, NavRows), "navigationTable");
    m_gsm = named(stattables::makeFixed(this, GsmRows), "gsmTable");
    m_captions << stattables::addCaptioned(c1, m_nav) << stattables::addCaptioned(c1, m_gsm);
    QVBoxLayout *c2 = column();
    m_power = named(new cStatDynamicTable(this), "powerTable");
    m_ain = named(new cStatDynamicTable(this), "ainTable");
    m_din = named(new cStatDynamicTable(this), "dinTable");
    m_captions << stattables::addCaptioned(c2, m_power) << stattables::addCaptioned(c2, m_ain)
               << stattables::addCaptioned(c2, m_din);
    QVBoxLayout *c3 = column();
    m_counter = named(new cStatDynamicTable(this), "counterTable");
    m_fmeter = named(new cStatDynamicTable(this), "fmeterTable");
    m_captions << stattables::addCaptioned(c3, m_counter) << stattables::addCaptioned(c3, m_fmeter);
    QVBoxLayout *c4 = column();
    m_fuel = named(new cStatDynamicTable(this), "fuelTable");
    m_canLog = named(stattables::makeFixed(this, CanRows), "canLogTable");
    m_captions << stattables::addCaptioned(c4, m_fuel) << stattables::addCaptioned(c4, m_canLog);

    if (!m_engineering) {
        m_nav->setRowHidden(LongitudeMas, true);
        m_nav->setRowHidden(LatitudeMas, true);
    }
    retranslate();
    clearData();
}

void cStatWidget::retranslate()
{
    const QStringList captions = {tr("Navigation:"), tr("GSM:"), tr("Power:"), tr("AIN:"), tr("DIN:"),
                                  tr("Counter:"), tr("FMeter:"), tr("Fuel:"), tr("CANLog:")};
    for (int i = 0; i < m_captions.size(); ++i)
        m_captions.at(i)->setText(captions.at(i));
    stattables::setCaptions(m_nav, {tr("Timestamp"), tr("Time"), tr("Longitude"), tr("Latitude"), tr("Longitude (mas)"),
                                    tr("Latitude (mas)"), tr("Altitude"), tr("Sat count"), tr("Valid")});
    stattables::setCaptions(m_gsm, {tr("Network"), tr("CSQ"), tr("State")});
    stattables::setCaptions(m_canLog, {tr("RPM"), tr("Fuel level"), tr("Temperature"), tr("Engine uptime"),
                                       tr("Fuel consumption"), tr("Odometer")});
}

void cStatWidget::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange)
        retranslate();
    QWidget::changeEvent(event);
}

QString cStatWidget::dinText(quint8 value)
{
    switch (value) {
    case 1: return tr("active");
    case 2: return tr("inactive");
    case 4: return tr("short circuit ground");
    case 8: return tr("short circuit vcc");
    case 16: return tr("line break");
    default: return tr("unknown");
    }
}

void cStatWidget::clearData()
{
    for (QTableWidget *table : {m_nav, m_gsm, m_canLog}) {
        stattables::clearValues(table);
        table->resizeColumnToContents(0);
        table->setColumnWidth(0, 110);
    }
    for (cStatDynamicTable *table : {m_power, m_ain, m_din, m_counter, m_fmeter, m_fuel})
        table->clearRows();
}

void cStatWidget::nav(quint32 tm, qint32 lon, qint32 lat, qint32 alt, quint8 sat, bool valid)
{
    stattables::setValue(m_nav, Timestamp, QString::number(tm));
    stattables::setValue(m_nav, Time, QDateTime::fromSecsSinceEpoch(qint64(tm)).toString(QStringLiteral("HH:mm:ss dd.MM.yyyy")));
    stattables::setValue(m_nav, Longitude, degrees(lon));
    stattables::setValue(m_nav, Latitude, degrees(lat));
    if (m_engineering) {
        stattables::setValue(m_nav, LongitudeMas, QString::number(lon));
        stattables::setValue(m_nav, LatitudeMas, QString::number(lat));
    }
    stattables::setValue(m_nav, Altitude, QString::number(alt));
    stattables::setValue(m_nav, SatCount, QString::number(sat));
    stattables::setValue(m_nav, Valid, valid ? tr("Yes") : tr("No"));
}

void cStatWidget::gsm(QString net, quint8 csq, quint8 state)
{
    stattables::setValue(m_gsm, Network, net);
    stattables::setValue(m_gsm, Csq, QString::number(csq));
    stattables::setValue(m_gsm, State, state == 1 ? tr("Home") : state == 2 ? tr("Roaming") : tr("None"));
}

void cStatWidget::canLog(quint16 rpm, quint16 flevel, qint16 temp, quint32 uptime, quint32 fconall, quint32 odometer)
{
    stattables::setValue(m_canLog, Rpm, QString::number(rpm));
    stattables::setValue(m_canLog, FuelLevel, QString::number(flevel));
    stattables::setValue(m_canLog, Temperature, QString::number(temp));
    stattables::setValue(m_canLog, Uptime, QString::number(uptime));
    stattables::setValue(m_canLog, Consumption, QString::number(fconall));
    stattables::setValue(m_canLog, Odometer, QString::number(odometer));
}

void cStatWidget::ain(quint8 num, quint32 val)
{
    m_ain->setRow(QStringLiteral("ain%1").arg(num), QString::number(val));
}

void cStatWidget::canain(quint8 num, quint32 val)
{
    m_ain->setRow(QStringLiteral("can_ain%1").arg(num), QString::number(val));
}

void cStatWidget::din(quint8 num, quint8 val)
{
    m_din->setRow(QStringLiteral("din%1").arg(num), dinText(val));
}

void cStatWidget::candin(quint8 num, quint8 val)
{
    m_din->setRow(QStringLiteral("can_din%1").arg(num), dinText(val));
}

void cStatWidget::fuel(quint8 num, qreal val, quint32 t)
{
    m_fuel->setRow(QStringLiteral("fuel%1").arg(num), tr("level = %1, t = %2").arg(QString::number(val, 'g', 6)).arg(t));
}

void cStatWidget::canfuel(quint8 num, quint8 chanel, qreal val, quint32 t)
{
    m_fuel->setRow(QStringLiteral("fuel%1_%2_can").arg(num).arg(chanel),
                   tr("level = %1, t = %2").arg(QString::number(val, 'g', 6)).arg(t));
}

void cStatWidget::vin(quint32 val)
{
    m_power->setRow(QStringLiteral("vin"), QString::number(val));
}

void cStatWidget::extvin(quint32 val)
{
    m_power->setRow(QStringLiteral("ext_vin"), QString::number(val));
}

void cStatWidget::vscap(quint32 val)
{
    m_power->setRow(QStringLiteral("vscap"), QString::number(val));
}

void cStatWidget::counter(quint8 num, quint32 val)
{
    m_counter->setRow(QStringLiteral("counter%1").arg(num), QString::number(val));
}

void cStatWidget::cancounter(quint8 num, quint32 val)
{
    m_counter->setRow(QStringLiteral("can_counter%1").arg(num), QString::number(val));
}

void cStatWidget::fmeter(quint8 num, quint32 val)
{
    m_fmeter->setRow(QStringLiteral("fmeter%1").arg(num), QString::number(val));
}

#pragma once

#include <QWidget>

class QLabel;
class QTableWidget;
class cStatDynamicTable;

/** The "State" tab: the latest navigation, GSM, input, fuel, power, counter and CAN values. */
class cStatWidget : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(cStatWidget)

public:
    explicit cStatWidget(QWidget *parent = nullptr);

    /** The state text of a digital input's coded value. */
    static QString dinText(quint8 value);

public slots:
    void clearData();
    void nav(quint32 tm, qint32 lon, qint32 lat, qint32 alt, quint8 sat, bool valid);
    void gsm(QString net, quint8 csq, quint8 state);
    void canLog(quint16 rpm, quint16 flevel, qint16 temp, quint32 uptime, quint32 fconall, quint32 odometer);
    void ain(quint8 num, quint32 val);
    void din(quint8 num, quint8 val);
    void fuel(quint8 num, qreal val, quint32 t);
    void canain(quint8 num, quint32 val);
    void candin(quint8 num, quint8 val);
    void canfuel(quint8 num, quint8 chanel, qreal val, quint32 t);
    void vin(quint32 val);
    void extvin(quint32 val);
    void vscap(quint32 val);
    void counter(quint8 num, quint32 val);
    void cancounter(quint8 num, quint32 val);
    void fmeter(quint8 num, quint32 val);

protected:
    void changeEvent(QEvent *event) override;

private:
    void retranslate();

    const bool m_engineering;
    QTableWidget *m_nav;
    QTableWidget *m_gsm;
    QTableWidget *m_canLog;
    cStatDynamicTable *m_power;
    cStatDynamicTable *m_ain;
    cStatDynamicTable *m_din;
    cStatDynamicTable *m_counter;
    cStatDynamicTable *m_fmeter;
    cStatDynamicTable *m_fuel;
    QList<QLabel *> m_captions;
};

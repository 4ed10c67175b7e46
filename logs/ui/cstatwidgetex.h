#pragma once

#include <QWidget>

class QLabel;
class QTableWidget;

/** The "Extended" tab: storage and tracker channels 0 and 1, the buttons and the unit's load. */
class cStatWidgetEx : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(cStatWidgetEx)

public:
    explicit cStatWidgetEx(QWidget *parent = nullptr);

public slots:
    void clearData();
    void stor(quint8 cnum, quint32 id_max, quint32 id_min, quint32 tm_oldest, quint32 tm_oldest_unack,
              quint32 cnt_unack, quint32 cnt_unack_losted, quint32 cnt_ack_from_start, quint32 cnt_add_from_start);
    void tracker(quint8 cnum, quint32 cnt_ack, quint32 cnt_ack_realtime, quint32 cnt_noack, quint32 cnt_connect);
    void sos(quint32 presses, quint32 releases, bool state);
    void callreq(quint32 presses, quint32 releases, bool state);
    void cpu(double cpu, quint16 threads);
    void mem(quint32 hTotal, quint32 hUsed, quint32 mTotal, quint32 mUsed, quint32 mMin);

protected:
    void changeEvent(QEvent *event) override;

private:
    void retranslate();
    QString buttonText(quint32 presses, quint32 releases, bool state) const;

    QTableWidget *m_stor[2];
    QTableWidget *m_tracker[2];
    QTableWidget *m_buttons;
    QTableWidget *m_device;
    QList<QLabel *> m_captions;
};

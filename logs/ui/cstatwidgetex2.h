#pragma once

#include <QWidget>

class QLabel;
class QTableWidget;

/** The "External CANLog" tab: the equipment flags of a municipal vehicle's extended CAN log. */
class cStatWidgetEx2 : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(cStatWidgetEx2)

public:
    explicit cStatWidgetEx2(QWidget *parent = nullptr);

public slots:
    void clearData();
    void canlogext(quint32 high, quint32 low);

protected:
    void changeEvent(QEvent *event) override;

private:
    void retranslate();

    QLabel *m_caption;
    QTableWidget *m_table;
};

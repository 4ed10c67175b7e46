#pragma once

#include "platform/port/siodevice.h"

#include <QList>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <memory>

class cPortScanner;
class QComboBox;
class QToolButton;

/**
 * Lists the units on offer in a combo box ("name (port)") and hands out the chosen one.
 * Mode 0 is the bare combo box; mode 1 adds a button that rescans at once. Scanning is on from
 * construction until stopScan(): the list is refreshed every 1.5 s in a worker thread; the
 * operator's choice is kept by unit id across refreshes, also when that unit is gone for a while.
 */
class cPortSelector : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(cPortSelector)

public:
    /** names: unit names or ids to offer; an empty list offers every unit. */
    cPortSelector(QWidget *parent, const QStringList &names);
    ~cPortSelector() override;

    void setMode(int mode);
    int mode() const { return m_mode; }
    void setIconSize(const QSize &size);
    /** The chosen unit; a null sIODevice when none is offered. */
    sIODevice currentDevice() const;
    /** The units offered now, in list order. */
    QList<sIODevice> devices() const { return m_devices; }
    bool isScanning() const { return m_timer.isActive(); }

    static constexpr int kScanIntervalMs = 1500;

public slots:
    void startScan();
    void stopScan();
    /** Asks for one scan now (the refresh button). */
    void refresh();

signals:
    /** Whether any unit is offered; after the first scan and at every change. */
    void hasContent(bool available);
    void currentDeviceChanged();

private:
    void applyScan(const QList<sIODevice> &devices);
    void onIndexChanged(int index);
    QList<sIODevice> filtered(const QList<sIODevice> &devices) const;
    static QString displayText(const sIODevice &device);
    static QString signature(const sIODevice &device);

    const QStringList m_names;
    QComboBox *m_combo;
    QToolButton *m_refresh;
    QTimer m_timer;
    std::unique_ptr<cPortScanner> m_scanner;
    QList<sIODevice> m_devices;
    QString m_preferredId;      // the operator's last choice
    QString m_currentSignature;
    int m_mode = 0;
    bool m_scanPending = false;
    bool m_scannedOnce = false;
    bool m_hasContent = false;
};

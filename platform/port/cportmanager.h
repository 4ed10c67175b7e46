#pragma once

#include "platform/port/cadapterfile.h"
#include "platform/port/siodevice.h"

#include <QDateTime>
#include <QHash>
#include <QMutex>

#include <functional>
#include <memory>
#include <vector>

class iSubDevice;
class iGpioLines;
class iI2cBus;
class cSerialLine;

/**
 * The process-wide registry behind the port functions: the units on offer, the units that
 * are open, and the handles of their sub-devices. Handles are tokens, not addresses, and are
 * never reused, so a stale or made-up handle finds nothing instead of freed memory.
 */
class cPortManager
{
public:
    static cPortManager &instance();

    bool openUnit(sIODevice &device);
    bool closeUnit(const sIODevice &device, int timeoutMs);
    void *ioHandle(const sIODevice &device) const;

    /** The live object behind a handle; null for a closed or unknown handle. */
    std::shared_ptr<iSubDevice> find(void *handle) const;
    /** The handle's own sub-device when it is of the kind, else the unit's first of that kind. */
    std::shared_ptr<cSerialLine> findSerial(void *handle) const;
    std::shared_ptr<iGpioLines> findGpio(void *handle) const;
    std::shared_ptr<iI2cBus> findI2c(void *handle) const;

    void addCloseListener(std::function<void(void *handle)> listener);
    /** Tells the close listeners that these handles' ports closed; never under m_lock. */
    void notifyClosed(const QList<void *> &handles);

    QList<sIODevice> enumerate();
    void registerUnit(const sIODevice &device);
    void unregisterUnit(const QString &id);
    QList<cAdapterFile::sUnit> adapterUnits();

private:
    cPortManager();

    struct sEntry
    {
        std::shared_ptr<iSubDevice> device;
        QString unitId;
    };

    struct sOpenUnit
    {
        QString name;
        QList<quintptr> handles;
        QStringList claims;
        bool ready = false;   // false while its devices are being opened outside the lock
    };

    template<class T>
    std::shared_ptr<T> findKind(void *handle) const;

    mutable QMutex m_lock;

    QMutex m_systemScanLock;
    QHash<quintptr, sEntry> m_handles;
    QHash<QString, sOpenUnit> m_units;      // by unit id
    QHash<QString, QString> m_claims;       // device key -> name of the unit holding it
    QList<sIODevice> m_registered;
    quintptr m_nextHandle;

    QMutex m_listenerLock;
    std::vector<std::function<void(void *)>> m_closeListeners;

    QMutex m_adapterLock;
    QString m_adapterPath;
    qint64 m_adapterSize = -1;
    QDateTime m_adapterTime;
    QByteArray m_adapterText;
    QList<cAdapterFile::sUnit> m_adapterUnits;
};

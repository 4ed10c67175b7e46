#include "platform/port/cportmanager.h"

#include "platform/logging/logs.h"
#include "platform/port/cgpiochip.h"
#include "platform/port/ci2cdevbus.h"
#include "platform/port/cserialline.h"
#include "platform/port/csimgpio.h"
#include "platform/port/csimi2c.h"
#include "platform/port/port.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSerialPortInfo>
#include <QSet>

#include <algorithm>
#include <climits>
#include <cstdlib>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("port", text);
}

bool isSimId(const QString &id)
{
    return id.startsWith(QLatin1String("sim:"));
}

QString canonicalPath(const QString &path)
{
    char resolved[PATH_MAX];
    if (::realpath(path.toLocal8Bit().constData(), resolved))
        return QString::fromLocal8Bit(resolved);
    return QDir::cleanPath(path);
}

// The key under which a device is held exclusively inside this process.
QString claimKey(const sIOSubDevice &sub)
{
    const QString type = sub.type.toLower();
    return type + QLatin1Char(':') + (isSimId(sub.id) ? sub.id : canonicalPath(sub.id));
}

std::shared_ptr<iSubDevice> makeSubDevice(const sIOSubDevice &sub, unsigned int baud, QString *error)
{
    const QString type = sub.type.toLower();
    if (sub.id.isEmpty()) {
        *error = tr("the %1 sub-device has no id").arg(sub.varName);
        return nullptr;
    }
    if (type == QLatin1String("serial")) {
        if (isSimId(sub.id)) {
            *error = tr("%1: a serial line must be a device path").arg(sub.id);
            return nullptr;
        }
        return std::make_shared<cSerialLine>(sub.id, baud);
    }
    if (type == QLatin1String("gpio")) {
        if (isSimId(sub.id))
            return std::make_shared<cSimGpio>(sub.id, sub.gpio);
        return std::make_shared<cGpioChip>(sub.id, sub.gpio);
    }
    if (type == QLatin1String("i2c")) {
        if (isSimId(sub.id))
            return std::make_shared<cSimI2c>(sub.id);
        return std::make_shared<cI2cDevBus>(sub.id);
    }
    *error = tr("unknown sub-device type '%1' of %2").arg(sub.type, sub.id);
    return nullptr;
}

bool systemPortsWanted()
{
    return qEnvironmentVariable("ZOVAN_SCAN_SYSTEM_PORTS") != QLatin1String("0");
}

} // namespace

cPortManager &cPortManager::instance()
{
    static cPortManager manager;
    return manager;
}

cPortManager::cPortManager()
    // A random start keeps handles of one run from meaning anything in another.
    : m_nextHandle((static_cast<quintptr>(QRandomGenerator::global()->bounded(1u << 20)) + 1) << 12)
{
}

bool cPortManager::openUnit(sIODevice &device)
{
    if (device.isNull()) {
        logs::add(tr("A unit without an id cannot be opened"), 3);
        return false;
    }
    if (device.devices.isEmpty()) {
        logs::add(tr("Unit '%1' has no ports to open").arg(device.name), 3);
        return false;
    }
    unsigned int baud = cAdapterFile::kDefaultBaud;
    if (device.id.startsWith(QLatin1String("adapter:"))) {
        const QList<cAdapterFile::sUnit> units = adapterUnits();
        for (const cAdapterFile::sUnit &unit : units) {
            if (unit.device.id == device.id)
                baud = unit.baud;
        }
    }

    QList<std::shared_ptr<iSubDevice>> subs;
    QStringList claims;
    for (const sIOSubDevice &sub : qAsConst(device.devices)) {
        QString error;
        std::shared_ptr<iSubDevice> made = makeSubDevice(sub, baud, &error);
        if (!made) {
            logs::add(tr("Unit '%1' cannot be opened: %2").arg(device.name, error), 3);
            return false;
        }
        subs << made;
        claims << claimKey(sub);
    }

    {
        QMutexLocker locker(&m_lock);
        if (m_units.contains(device.id)) {
            logs::add(tr("Unit '%1' is already open by this program").arg(device.name), 3);
            return false;
        }
        QSet<QString> own;
        for (int i = 0; i < claims.size(); ++i) {
            const QString &key = claims.at(i);
            if (m_claims.contains(key) || own.contains(key)) {
                const QString holder = own.contains(key) ? device.name : m_claims.value(key);
                logs::add(tr("%1 is already open by unit '%2' in this program")
                              .arg(device.devices.at(i).id, holder),
                          3);
                return false;
            }
            own.insert(key);
        }
        sOpenUnit unit;
        unit.name = device.name;
        unit.claims = claims;
        m_units.insert(device.id, unit);
        for (const QString &key : qAsConst(claims))
            m_claims.insert(key, device.name);
    }

    // Opening may wait on devices and sockets: the registry stays free for other callers meanwhile.
    for (int i = 0; i < subs.size(); ++i) {
        QString error;
        if (!subs.at(i)->open(&error)) {
            logs::add(tr("Unit '%1' cannot be opened: %2").arg(device.name, error), 3);
            for (int j = 0; j < i; ++j)
                subs.at(j)->close(0);
            QMutexLocker locker(&m_lock);
            for (const QString &key : qAsConst(claims))
                m_claims.remove(key);
            m_units.remove(device.id);
            return false;
        }
    }

    QMutexLocker locker(&m_lock);
    sOpenUnit &unit = m_units[device.id];
    for (int i = 0; i < subs.size(); ++i) {
        const quintptr token = m_nextHandle;
        m_nextHandle += 16;
        m_handles.insert(token, sEntry {subs.at(i), device.id});
        unit.handles << token;
        device.devices[i].handle = reinterpret_cast<void *>(token);
    }
    unit.ready = true;
    locker.unlock();
    logs::add(tr("Unit '%1' opened").arg(device.name), 4);
    return true;
}

bool cPortManager::closeUnit(const sIODevice &device, int timeoutMs)
{
    QList<std::shared_ptr<iSubDevice>> subs;
    QList<void *> closed;
    {
        QMutexLocker locker(&m_lock);
        auto it = m_units.find(device.id);
        if (it == m_units.end() || !it->ready)
            return false;
        for (const quintptr token : qAsConst(it->handles)) {
            subs << m_handles.take(token).device;
            closed << reinterpret_cast<void *>(token);
        }
        for (const QString &key : qAsConst(it->claims))
            m_claims.remove(key);
        m_units.erase(it);
    }
    // Handles are already gone: callers still inside a call hold their own reference.
    for (const std::shared_ptr<iSubDevice> &sub : qAsConst(subs))
        sub->close(timeoutMs > 0 ? timeoutMs : 0);
    notifyClosed(closed);
    logs::add(tr("Unit '%1' closed").arg(device.name), 4);
    return true;
}

void cPortManager::addCloseListener(std::function<void(void *)> listener)
{
    QMutexLocker locker(&m_listenerLock);
    m_closeListeners.push_back(std::move(listener));
}

void cPortManager::notifyClosed(const QList<void *> &handles)
{
    std::vector<std::function<void(void *)>> listeners;
    {
        QMutexLocker locker(&m_listenerLock);
        listeners = m_closeListeners;
    }
    // Outside every lock of ours: a listener may call the port functions again.
    for (const auto &listener : listeners) {
        for (void *handle : handles)
            listener(handle);
    }
}

void *cPortManager::ioHandle(const sIODevice &device) const
{
    QMutexLocker locker(&m_lock);
    const auto it = m_units.constFind(device.id);
    if (it == m_units.constEnd() || !it->ready)
        return nullptr;
    for (const quintptr token : it->handles) {
        if (std::dynamic_pointer_cast<cSerialLine>(m_handles.value(token).device))
            return reinterpret_cast<void *>(token);
    }
    return nullptr;
}

std::shared_ptr<iSubDevice> cPortManager::find(void *handle) const
{
    QMutexLocker locker(&m_lock);
    return m_handles.value(reinterpret_cast<quintptr>(handle)).device;
}

template<class T>
std::shared_ptr<T> cPortManager::findKind(void *handle) const
{
    QMutexLocker locker(&m_lock);
    const auto it = m_handles.constFind(reinterpret_cast<quintptr>(handle));
    if (it == m_handles.constEnd())
        return nullptr;
    if (std::shared_ptr<T> own = std::dynamic_pointer_cast<T>(it->device))
        return own;
    const auto unit = m_units.constFind(it->unitId);
    if (unit == m_units.constEnd())
        return nullptr;
    for (const quintptr token : unit->handles) {
        if (std::shared_ptr<T> other = std::dynamic_pointer_cast<T>(m_handles.value(token).device))
            return other;
    }
    return nullptr;
}

std::shared_ptr<cSerialLine> cPortManager::findSerial(void *handle) const
{
    return findKind<cSerialLine>(handle);
}

std::shared_ptr<iGpioLines> cPortManager::findGpio(void *handle) const
{
    return findKind<iGpioLines>(handle);
}

std::shared_ptr<iI2cBus> cPortManager::findI2c(void *handle) const
{
    return findKind<iI2cBus>(handle);
}

void cPortManager::registerUnit(const sIODevice &device)
{
    if (device.isNull())
        return;
    QMutexLocker locker(&m_lock);
    for (sIODevice &known : m_registered) {
        if (known.id == device.id) {
            known = device;
            return;
        }
    }
    m_registered << device;
}

void cPortManager::unregisterUnit(const QString &id)
{
    QMutexLocker locker(&m_lock);
    m_registered.erase(std::remove_if(m_registered.begin(), m_registered.end(),
                                      [&](const sIODevice &d) { return d.id == id; }),
                       m_registered.end());
}

QList<cAdapterFile::sUnit> cPortManager::adapterUnits()
{
    const QString path = port::adapterFilePath();
    QMutexLocker locker(&m_adapterLock);
    const QFileInfo info(path);
    if (!info.isFile()) {
        m_adapterPath = path;
        m_adapterSize = -1;
        m_adapterText.clear();
        m_adapterUnits.clear();
        return m_adapterUnits;
    }
    if (path == m_adapterPath && info.size() == m_adapterSize && info.lastModified() == m_adapterTime)
        return m_adapterUnits;

    QFile file(path);
    QByteArray text;
    if (file.open(QIODevice::ReadOnly))
        text = file.read(cAdapterFile::kMaxFileSize + 1);
    else
        logs::add(tr("Adapter file %1 cannot be read: %2").arg(path, file.errorString()), 3);
    const bool changed = path != m_adapterPath || text != m_adapterText;
    m_adapterPath = path;
    m_adapterSize = info.size();
    m_adapterTime = info.lastModified();
    // The selector rescans every few seconds: only a changed file is worth new messages.
    if (changed) {
        m_adapterText = text;
        const cAdapterFile::sResult result = cAdapterFile::parse(text, path);
        for (const QString &error : result.errors)
            logs::add(error, 3);
        m_adapterUnits = result.units;
    }
    return m_adapterUnits;
}

QList<sIODevice> cPortManager::enumerate()
{
    QList<sIODevice> result;
    {
        QMutexLocker locker(&m_lock);
        result = m_registered;
    }
    const QList<cAdapterFile::sUnit> adapters = adapterUnits();
    for (const cAdapterFile::sUnit &unit : adapters)
        result << unit.device;
    if (!systemPortsWanted())
        return result;

    QSet<QString> used;
    for (const sIODevice &device : qAsConst(result)) {
        for (const sIOSubDevice &sub : device.devices) {
            if (sub.type.compare(QLatin1String("serial"), Qt::CaseInsensitive) == 0)
                used.insert(canonicalPath(sub.id));
        }
    }
    QList<QSerialPortInfo> ports;
    {
        // The system's device database (libudev under QSerialPortInfo) is not safe for two
        // threads at once, and every page's port selector scans in a thread of its own.
        QMutexLocker locker(&m_systemScanLock);
        ports = QSerialPortInfo::availablePorts();
    }
    std::sort(ports.begin(), ports.end(), [](const QSerialPortInfo &a, const QSerialPortInfo &b) {
        return a.systemLocation() < b.systemLocation();
    });
    for (const QSerialPortInfo &info : qAsConst(ports)) {
        const QString path = info.systemLocation();
        if (path.isEmpty() || used.contains(canonicalPath(path)))
            continue;
        used.insert(canonicalPath(path));
        sIODevice device;
        device.id = path;
        device.name = info.description().isEmpty() ? info.portName() : info.description();
        device.info = info.manufacturer().isEmpty() ? tr("serial port") : info.manufacturer();
        device.devices.append(sIOSubDevice {nullptr, QStringLiteral("serial"), QStringLiteral("serial"), path, {}});
        result << device;
    }
    return result;
}

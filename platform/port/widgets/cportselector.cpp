#include "platform/port/widgets/cportselector.h"

#include "platform/port/widgets/cportscanner.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QSignalBlocker>
#include <QStyle>
#include <QToolButton>

cPortSelector::cPortSelector(QWidget *parent, const QStringList &names)
    : QWidget(parent), m_names(names), m_combo(new QComboBox(this)), m_refresh(new QToolButton(this))
{
    qRegisterMetaType<sIODevice>();
    qRegisterMetaType<QList<sIODevice>>();

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(m_combo, 1);
    layout->addWidget(m_refresh);

    m_combo->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    m_combo->setMinimumContentsLength(20);
    m_combo->setPlaceholderText(tr("No port found"));
    m_combo->setToolTip(tr("Port of the unit"));
    m_refresh->setIcon(style()->standardIcon(QStyle::SP_BrowserReload));
    m_refresh->setToolTip(tr("Search for ports again"));
    m_refresh->setAutoRaise(true);
    m_refresh->setVisible(false);

    connect(m_refresh, &QToolButton::clicked, this, &cPortSelector::refresh);
    connect(m_combo, qOverload<int>(&QComboBox::currentIndexChanged), this, &cPortSelector::onIndexChanged);

    m_timer.setInterval(kScanIntervalMs);
    connect(&m_timer, &QTimer::timeout, this, &cPortSelector::refresh);

    m_scanner = std::make_unique<cPortScanner>();
    connect(m_scanner.get(), &cPortScanner::scanned, this,
            [this] { applyScan(m_scanner->lastResult()); }, Qt::QueuedConnection);
    m_scanner->start();
    // The page windows stop the scan while connected and start it again on disconnect; before
    // their first connection the selector must offer the units by itself.
    startScan();
}

cPortSelector::~cPortSelector()
{
    m_timer.stop();
    m_scanner.reset();
}

void cPortSelector::setMode(int mode)
{
    m_mode = mode == 1 ? 1 : 0;
    m_refresh->setVisible(m_mode == 1);
}

void cPortSelector::setIconSize(const QSize &size)
{
    m_refresh->setIconSize(size);
    m_combo->setIconSize(size);
}

sIODevice cPortSelector::currentDevice() const
{
    const int index = m_combo->currentIndex();
    if (index < 0 || index >= m_devices.size())
        return sIODevice();
    return m_devices.at(index);
}

void cPortSelector::startScan()
{
    m_timer.start();
    refresh();
}

void cPortSelector::stopScan()
{
    m_timer.stop();
}

void cPortSelector::refresh()
{
    // One scan at a time: a slow scan must not pile up requests behind it.
    if (m_scanPending)
        return;
    m_scanPending = true;
    m_scanner->requestScan();
}

QList<sIODevice> cPortSelector::filtered(const QList<sIODevice> &devices) const
{
    if (m_names.isEmpty())
        return devices;
    QList<sIODevice> result;
    for (const sIODevice &device : devices) {
        if (m_names.contains(device.name) || m_names.contains(device.id))
            result << device;
    }
    return result;
}

QString cPortSelector::displayText(const sIODevice &device)
{
    QString portName = device.id;
    for (const sIOSubDevice &sub : device.devices) {
        if (sub.type.compare(QLatin1String("serial"), Qt::CaseInsensitive) == 0) {
            portName = sub.id;
            break;
        }
    }
    if (device.name.isEmpty() || device.name == portName)
        return portName;
    return QStringLiteral("%1 (%2)").arg(device.name, portName);
}

QString cPortSelector::signature(const sIODevice &device)
{
    QStringList parts {device.id, device.name, device.info};
    for (const sIOSubDevice &sub : device.devices)
        parts << sub.varName << sub.type << sub.id << sub.gpio.join(QLatin1Char(','));
    return parts.join(QLatin1Char('\n'));
}

void cPortSelector::applyScan(const QList<sIODevice> &found)
{
    m_scanPending = false;
    const QList<sIODevice> devices = filtered(found);

    bool same = devices.size() == m_devices.size();
    for (int i = 0; same && i < devices.size(); ++i)
        same = signature(devices.at(i)) == signature(m_devices.at(i));

    if (!same) {
        const QString currentId = currentDevice().id;
        int target = devices.isEmpty() ? -1 : 0;
        int currentAt = -1;
        for (int i = 0; i < devices.size(); ++i) {
            if (!m_preferredId.isEmpty() && devices.at(i).id == m_preferredId) {
                target = i;
                currentAt = -1;
                break;
            }
            if (currentAt < 0 && !currentId.isEmpty() && devices.at(i).id == currentId)
                currentAt = i;
        }
        if (currentAt >= 0)
            target = currentAt;

        {
            const QSignalBlocker blocker(m_combo);
            m_devices = devices;
            m_combo->clear();
            for (const sIODevice &device : devices)
                m_combo->addItem(displayText(device), device.id);
            m_combo->setCurrentIndex(target);
        }
        const QString now = target >= 0 ? signature(m_devices.at(target)) : QString();
        if (now != m_currentSignature) {
            m_currentSignature = now;
            emit currentDeviceChanged();
        }
    }

    const bool available = !m_devices.isEmpty();
    if (!m_scannedOnce || available != m_hasContent) {
        m_scannedOnce = true;
        m_hasContent = available;
        emit hasContent(available);
    }
}

void cPortSelector::onIndexChanged(int index)
{
    if (index < 0 || index >= m_devices.size())
        return;
    m_preferredId = m_devices.at(index).id;
    const QString now = signature(m_devices.at(index));
    if (now != m_currentSignature) {
        m_currentSignature = now;
        emit currentDeviceChanged();
    }
}

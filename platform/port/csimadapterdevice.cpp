#include "platform/port/csimadapterdevice.h"

#include "platform/port/csimadapterlink.h"

cSimAdapterDevice::cSimAdapterDevice(const QString &id) : m_id(id) {}

cSimAdapterDevice::~cSimAdapterDevice() = default;

QString cSimAdapterDevice::id() const
{
    return m_id;
}

bool cSimAdapterDevice::open(QString *error)
{
    std::shared_ptr<cSimAdapterLink> link = cSimAdapterLink::shared(m_id.mid(4));
    if (!link->connectNow(error))
        return false;
    std::lock_guard<std::mutex> lock(m_lock);
    m_link = link;
    return true;
}

void cSimAdapterDevice::close(int)
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_link.reset();
}

bool cSimAdapterDevice::isOpen() const
{
    return link() != nullptr;
}

std::shared_ptr<cSimAdapterLink> cSimAdapterDevice::link() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_link;
}

bool cSimAdapterDevice::request(const QByteArray &line, QByteArray *answer, QString *message) const
{
    message->clear();
    const std::shared_ptr<cSimAdapterLink> adapter = link();
    return adapter && adapter->request(line, answer, message);
}

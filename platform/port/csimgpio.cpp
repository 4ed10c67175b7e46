#include "platform/port/csimgpio.h"

#include "platform/logging/logs.h"
#include "platform/port/csimadapterlink.h"

#include <QCoreApplication>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("port", text);
}

} // namespace

cSimGpio::cSimGpio(const QString &id, const QStringList &names) : m_id(id), m_names(names) {}

cSimGpio::~cSimGpio() = default;

QString cSimGpio::id() const
{
    return m_id;
}

bool cSimGpio::open(QString *error)
{
    std::shared_ptr<cSimAdapterLink> link = cSimAdapterLink::shared(m_id.mid(4));
    if (!link->connectNow(error))
        return false;
    std::lock_guard<std::mutex> lock(m_lock);
    m_link = link;
    return true;
}

void cSimGpio::close(int)
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_link.reset();
}

bool cSimGpio::isOpen() const
{
    return link() != nullptr;
}

std::shared_ptr<cSimAdapterLink> cSimGpio::link() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_link;
}

bool cSimGpio::getState(const QByteArray &name, bool *state)
{
    *state = false;
    const std::shared_ptr<cSimAdapterLink> adapter = link();
    QString error;
    if (!adapter) {
        return false;
    }
    if (!m_names.accepts(name, &error)) {
        logs::add(tr("%1: %2").arg(m_id, error), 3);
        return false;
    }
    QByteArray answer;
    if (!adapter->request("GPIO GET " + name, &answer, &error)) {
        logs::add(tr("%1: reading GPIO %2 failed: %3").arg(m_id, QString::fromLatin1(name), error), 3);
        return false;
    }
    if (answer != "0" && answer != "1") {
        logs::add(tr("%1: reading GPIO %2 gave '%3'").arg(m_id, QString::fromLatin1(name),
                                                         QString::fromLatin1(answer.left(80))),
                  3);
        return false;
    }
    *state = answer == "1";
    return true;
}

bool cSimGpio::setState(const QByteArray &name, bool state)
{
    const std::shared_ptr<cSimAdapterLink> adapter = link();
    QString error;
    if (!adapter)
        return false;
    if (!m_names.accepts(name, &error)) {
        logs::add(tr("%1: %2").arg(m_id, error), 3);
        return false;
    }
    QByteArray answer;
    if (!adapter->request("GPIO SET " + name + (state ? " 1" : " 0"), &answer, &error)) {
        logs::add(tr("%1: setting GPIO %2 failed: %3").arg(m_id, QString::fromLatin1(name), error), 3);
        return false;
    }
    return true;
}

#include "platform/port/csimgpio.h"

#include "platform/logging/logs.h"

#include <QCoreApplication>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("port", text);
}

} // namespace

cSimGpio::cSimGpio(const QString &id, const QStringList &names) : cSimAdapterDevice(id), m_names(names) {}

cSimGpio::~cSimGpio() = default;

bool cSimGpio::accepts(const QByteArray &name) const
{
    QString error;
    if (m_names.accepts(name, &error))
        return true;
    logs::add(tr("%1: %2").arg(m_id, error), 3);
    return false;
}

bool cSimGpio::getState(const QByteArray &name, bool *state)
{
    *state = false;
    if (!isOpen() || !accepts(name))
        return false;
    QByteArray answer;
    QString error;
    if (!request("GPIO GET " + name, &answer, &error)) {
        if (!error.isEmpty())
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
    if (!isOpen() || !accepts(name))
        return false;
    QByteArray answer;
    QString error;
    if (!request("GPIO SET " + name + (state ? " 1" : " 0"), &answer, &error)) {
        if (!error.isEmpty())
            logs::add(tr("%1: setting GPIO %2 failed: %3").arg(m_id, QString::fromLatin1(name), error), 3);
        return false;
    }
    return true;
}

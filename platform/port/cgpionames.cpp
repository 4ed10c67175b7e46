#include "platform/port/cgpionames.h"

#include <QCoreApplication>

cGpioNames::cGpioNames(const QStringList &names) : m_names(names) {}

bool cGpioNames::isWellFormed(const QByteArray &name)
{
    if (name.isEmpty() || name.size() > 64)
        return false;
    for (const char c : name) {
        const auto u = static_cast<unsigned char>(c);
        if (u <= 0x20 || u == 0x7f)
            return false;
    }
    return true;
}

bool cGpioNames::accepts(const QByteArray &name, QString *why) const
{
    if (!isWellFormed(name)) {
        *why = QCoreApplication::translate("port", "bad GPIO name '%1'").arg(QString::fromLatin1(name.left(64)));
        return false;
    }
    if (!m_names.isEmpty() && !m_names.contains(QString::fromLatin1(name))) {
        *why = QCoreApplication::translate("port", "GPIO '%1' is not one of %2")
                   .arg(QString::fromLatin1(name), m_names.join(QLatin1Char(',')));
        return false;
    }
    return true;
}

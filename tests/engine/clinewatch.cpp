#include "clinewatch.h"

#include "platform/port/port.h"

#include <QCoreApplication>

void cLineWatch::reset()
{
    m_lost = false;
    m_closedByScript = false;
    m_reported = false;
}

void cLineWatch::setClosedByScript(bool closed)
{
    m_closedByScript = closed;
}

bool cLineWatch::check(const sIODevice &unit)
{
    void *line = port::calc_io_handle(unit);
    // No unit held open: the port was never ours to watch, or it was closed on purpose.
    if (!line)
        return m_lost.load();
    if (port::is_open(line) == 1) {
        m_lost = false;
        return false;
    }
    if (m_closedByScript.load())
        return m_lost.load();
    m_lost = true;
    return true;
}

bool cLineWatch::isGone(void *ioHandle)
{
    return ioHandle && port::is_open(ioHandle) != 1;
}

QString cLineWatch::lostMessage(const QString &unitName)
{
    return QCoreApplication::translate("cLineWatch",
                                       "Connection to device '%1' lost: its serial line closed (cable pulled or "
                                       "unit switched off). The remaining tests are canceled; disconnect, check "
                                       "the cable and connect again.")
        .arg(unitName);
}

QString cLineWatch::lostInSetUpMessage(const QString &unitName)
{
    return QCoreApplication::translate("cLineWatch",
                                       "Connection to device '%1' lost while it was being set up: its serial line "
                                       "closed (cable pulled or unit switched off).")
        .arg(unitName);
}

QString cLineWatch::lostDetails(const QString &scriptDetails)
{
    const QString lost = QCoreApplication::translate("cLineWatch", "The unit's serial line was lost");
    return scriptDetails.isEmpty() ? lost : lost + QStringLiteral(": ") + scriptDetails;
}

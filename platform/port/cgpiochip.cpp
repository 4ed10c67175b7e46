#include "platform/port/cgpiochip.h"

#include "platform/logging/logs.h"

#include <QCoreApplication>

#include <cerrno>
#include <cstring>
#include <gpiod.h>

namespace {

const char kConsumer[] = "zovan-tools";

QString tr(const char *text)
{
    return QCoreApplication::translate("port", text);
}

QString errnoText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace

cGpioChip::cGpioChip(const QString &path, const QStringList &names) : m_path(path), m_names(names) {}

cGpioChip::~cGpioChip()
{
    std::lock_guard<std::mutex> lock(m_lock);
    closeLocked();
}

QString cGpioChip::id() const
{
    return m_path;
}

bool cGpioChip::open(QString *error)
{
    std::lock_guard<std::mutex> lock(m_lock);
    if (m_chip)
        return true;
    gpiod_chip *chip = gpiod_chip_open_lookup(m_path.toLocal8Bit().constData());
    if (!chip) {
        *error = tr("%1 cannot be opened (%2)").arg(m_path, errnoText(errno));
        return false;
    }
    QStringList missing;
    for (const QString &name : m_names.names()) {
        if (!gpiod_chip_find_line(chip, name.toLatin1().constData()))
            missing << name;
    }
    if (!missing.isEmpty()) {
        gpiod_chip_close(chip);
        *error = tr("%1 has no line named %2").arg(m_path, missing.join(QLatin1Char(',')));
        return false;
    }
    m_chip = chip;
    return true;
}

void cGpioChip::closeLocked()
{
    for (const sLine &line : qAsConst(m_requested))
        gpiod_line_release(line.line);
    m_requested.clear();
    if (m_chip) {
        gpiod_chip_close(m_chip);
        m_chip = nullptr;
    }
}

void cGpioChip::close(int)
{
    std::lock_guard<std::mutex> lock(m_lock);
    closeLocked();
}

bool cGpioChip::isOpen() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_chip != nullptr;
}

gpiod_line *cGpioChip::findLocked(const QByteArray &name, QString *error)
{
    if (!m_names.accepts(name, error))
        return nullptr;
    gpiod_line *line = gpiod_chip_find_line(m_chip, name.constData());
    if (!line)
        *error = tr("no line named %1").arg(QString::fromLatin1(name));
    return line;
}

bool cGpioChip::getState(const QByteArray &name, bool *state)
{
    *state = false;
    std::lock_guard<std::mutex> lock(m_lock);
    if (!m_chip)
        return false;
    QString error;
    auto it = m_requested.find(name);
    if (it == m_requested.end()) {
        gpiod_line *line = findLocked(name, &error);
        if (!line) {
            logs::add(tr("%1: %2").arg(m_path, error), 3);
            return false;
        }
        const gpiod_line_request_config config {kConsumer, GPIOD_LINE_REQUEST_DIRECTION_AS_IS, 0};
        if (gpiod_line_request(line, &config, 0) != 0) {
            logs::add(tr("%1: line %2 cannot be requested (%3)").arg(m_path, QString::fromLatin1(name),
                                                                    errnoText(errno)),
                      3);
            return false;
        }
        it = m_requested.insert(name, sLine {line, gpiod_line_direction(line) == GPIOD_LINE_DIRECTION_OUTPUT});
    }
    const int value = gpiod_line_get_value(it->line);
    if (value < 0) {
        logs::add(tr("%1: reading line %2 failed (%3)").arg(m_path, QString::fromLatin1(name), errnoText(errno)), 3);
        return false;
    }
    *state = value != 0;
    return true;
}

bool cGpioChip::setState(const QByteArray &name, bool state)
{
    std::lock_guard<std::mutex> lock(m_lock);
    if (!m_chip)
        return false;
    QString error;
    auto it = m_requested.find(name);
    if (it != m_requested.end() && !it->output) {
        gpiod_line_release(it->line);
        m_requested.erase(it);
        it = m_requested.end();
    }
    if (it == m_requested.end()) {
        gpiod_line *line = findLocked(name, &error);
        if (!line) {
            logs::add(tr("%1: %2").arg(m_path, error), 3);
            return false;
        }
        if (gpiod_line_request_output(line, kConsumer, state ? 1 : 0) != 0) {
            logs::add(tr("%1: line %2 cannot be made an output (%3)")
                          .arg(m_path, QString::fromLatin1(name), errnoText(errno)),
                      3);
            return false;
        }
        m_requested.insert(name, sLine {line, true});
        return true;
    }
    if (gpiod_line_set_value(it->line, state ? 1 : 0) != 0) {
        logs::add(tr("%1: setting line %2 failed (%3)").arg(m_path, QString::fromLatin1(name), errnoText(errno)), 3);
        return false;
    }
    return true;
}

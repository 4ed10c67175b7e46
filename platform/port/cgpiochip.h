#pragma once

#include "platform/port/cgpionames.h"
#include "platform/port/igpiolines.h"
#include "platform/port/isubdevice.h"

#include <QHash>

#include <mutex>

struct gpiod_chip;
struct gpiod_line;

/**
 * Named lines of a GPIO chip through libgpiod. A line is requested when first used: as it is
 * for reading, as an output for writing, so that reading an output does not turn it round.
 */
class cGpioChip final : public iSubDevice, public iGpioLines
{
public:
    cGpioChip(const QString &path, const QStringList &names);
    ~cGpioChip() override;
    cGpioChip(const cGpioChip &) = delete;
    cGpioChip &operator=(const cGpioChip &) = delete;

    bool open(QString *error) override;
    void close(int drainMs) override;
    bool isOpen() const override;
    QString id() const override;

    bool getState(const QByteArray &name, bool *state) override;
    bool setState(const QByteArray &name, bool state) override;

private:
    struct sLine
    {
        gpiod_line *line = nullptr;
        bool output = false;
    };

    void closeLocked();
    gpiod_line *findLocked(const QByteArray &name, QString *error);

    const QString m_path;
    const cGpioNames m_names;
    mutable std::mutex m_lock;   // libgpiod objects are not thread-safe
    gpiod_chip *m_chip = nullptr;
    QHash<QByteArray, sLine> m_requested;
};

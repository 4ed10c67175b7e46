#pragma once

#include "platform/port/siodevice.h"

#include <QByteArray>

#include <atomic>
#include <functional>

class cContext;
struct sCmdPlugin;
struct sResPlugin;

/**
 * The runner's talk with the unit through its command and resource plug-ins: waiting for
 * the unit's application, fetching the unit's test package and rebooting the unit.
 */
class cUnitChannel
{
public:
    /** sleep waits up to the given milliseconds and returns false when the runner quits. */
    cUnitChannel(cContext *callContext, std::function<bool(qint64)> sleep);
    Q_DISABLE_COPY_MOVE(cUnitChannel)

    /** The command plug-in found by the last set-up; null when none. */
    const sCmdPlugin *command() const { return m_cmd.load(); }
    void setCommand(const sCmdPlugin *cmd) { m_cmd = cmd; }

    /** Polls "GET_APP_RUN_STATE" until the application runs; false on time-out or stop. */
    bool waitForApplication(void *ioHandle, const sIODevice &unit, const std::function<bool()> &stopped,
                            const std::atomic<bool> &quit);

    enum eFetch { Fetched, Missing, TooLarge };
    /** Fetches the unit's test package into data. */
    eFetch fetchPackage(const sResPlugin *res, void *ioHandle, const sIODevice &unit, QByteArray *data);

    /** "CLI", then "RESTART NOBOOT", through the unit's command plug-in. */
    void reboot(const sIODevice &unit);

    static const char *packagePath();
    static int maxPackageSize();

private:
    bool exec(const sCmdPlugin *cmd, void *ioHandle, const char *command, int timeoutMs, QString *answer,
              bool *nullAnswer = nullptr);

    cContext *const m_callContext;
    const std::function<bool(qint64)> m_sleep;
    std::atomic<const sCmdPlugin *> m_cmd{nullptr};
};

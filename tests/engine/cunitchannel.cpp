#include "cunitchannel.h"

#include "platform/plugman/iplugman.h"
#include "platform/plugman/plugintables.h"
#include "platform/port/port.h"
#include "tests/engine/clinewatch.h"
#include "tests/engine/testlog.h"

#include <QElapsedTimer>

#include <cstdlib>
#include <cstring>

using testlog::note;

namespace {

constexpr qint64 kAppStartTimeoutMs = 420000;
constexpr int kMaxPackageSize = 64 * 1024 * 1024;
const char kPackagePath[] = "/statfs/zovan_tools_tests.out";

QString answerText(const char *answer, int length)
{
    if (!answer)
        return QString();
    const qsizetype len = length > 0 ? qsizetype(qstrnlen(answer, uint(length))) : qsizetype(qstrlen(answer));
    return QString::fromLocal8Bit(answer, len);
}

} // namespace

cUnitChannel::cUnitChannel(cContext *callContext, std::function<bool(qint64)> sleep)
    : m_callContext(callContext), m_sleep(std::move(sleep))
{
}

const char *cUnitChannel::packagePath()
{
    return kPackagePath;
}

int cUnitChannel::maxPackageSize()
{
    return kMaxPackageSize;
}

bool cUnitChannel::exec(const sCmdPlugin *cmd, void *ioHandle, const char *command, int timeoutMs,
                        QString *answer, bool *nullAnswer)
{
    char *raw = nullptr;
    int length = 0;
    const bool ok = cmd->exec(ioHandle, command, int(std::strlen(command)), &raw, &length, m_callContext, timeoutMs);
    *answer = answerText(raw, length);
    if (nullAnswer)
        *nullAnswer = raw == nullptr;
    std::free(raw);  // the plug-in's buffer is ours to release
    return ok;
}

bool cUnitChannel::waitForApplication(void *ioHandle, const sIODevice &unit, const std::function<bool()> &stopped,
                                      const std::atomic<bool> &quit)
{
    const sCmdPlugin *cmd = m_cmd.load();
    if (!cmd || !cmd->exec) {
        note(QStringLiteral("No command plug-in for device '%1': its run state is not checked").arg(unit.name),
             LogWarning);
        return true;
    }
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < kAppStartTimeoutMs) {
        QString text;
        bool null = false;
        if (exec(cmd, ioHandle, "GET_APP_RUN_STATE", 1500, &text, &null)) {
            note(QStringLiteral("%1 = '%2'").arg(QStringLiteral("GET_APP_RUN_STATE"), null ? QStringLiteral("NULL") : text));
            if (text.contains(QLatin1String("DONE"))) {
                note(QStringLiteral("Device started"), LogTrace);
                return true;
            }
            if (text.contains(QLatin1String("Unknown command"))) {
                note(QStringLiteral("Checking of device status not supported by firmware"));
                return true;
            }
        } else {
            note(QStringLiteral("Failed to get app run state"), LogWarning);
            // A unit that went away never answers: waiting out the start time would only hide it.
            if (cLineWatch::isGone(ioHandle)) {
                note(cLineWatch::lostInSetUpMessage(unit.name), LogError);
                return false;
            }
        }
        m_sleep(500);
        if (stopped()) {
            note(QStringLiteral("Canceled by user"));
            return false;
        }
        if (quit.load())
            return false;
    }
    note(QStringLiteral("Device was not started"), LogError);
    m_cmd = nullptr;
    return false;
}

cUnitChannel::eFetch cUnitChannel::fetchPackage(const sResPlugin *res, void *ioHandle, const sIODevice &unit,
                                                QByteArray *data)
{
    const QByteArray id = unit.id.toLocal8Bit();
    char *raw = nullptr;
    int size = 0;
    const bool fetched = res->getFile && res->getFile(ioHandle, id.constData(), kPackagePath, &raw, &size, m_callContext);
    eFetch result = Missing;
    if (fetched && raw && size > 0) {
        if (size > kMaxPackageSize) {
            result = TooLarge;
        } else {
            *data = QByteArray(raw, size);
            result = Fetched;
        }
    }
    std::free(raw);
    return result;
}

void cUnitChannel::reboot(const sIODevice &unit)
{
    note(QStringLiteral("Trying to reboot device '%1'").arg(unit.name));
    void *handle = port::calc_io_handle(unit);
    const sCmdPlugin *cmd = m_cmd.load();
    if (!cmd)
        cmd = pm::get(false)->cmdPlugin(unit);
    if (!cmd || !cmd->exec) {
        note(QStringLiteral("Can't reboot device '%1': no command plug-in for it").arg(unit.name), LogWarning);
        return;
    }
    QString answer;
    exec(cmd, handle, "CLI", 2000, &answer);
    note(QStringLiteral("CLI: %1").arg(answer));
    m_sleep(500);
    exec(cmd, handle, "RESTART NOBOOT", 3000, &answer);
    note(QStringLiteral("restart: %1").arg(answer));
}

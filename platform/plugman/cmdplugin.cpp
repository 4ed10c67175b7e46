#include "platform/plugman/cmdplugin.h"

#include "platform/link/clinkclient.h"
#include "platform/logging/logs.h"
#include "platform/plugman/callerbuffer.h"
#include "platform/plugman/csessionlock.h"
#include "platform/plugman/cpluginsettings.h"
#include "platform/plugman/cplugman.h"
#include "platform/plugman/plugintables.h"
#include "platform/plugman/pluginnames.h"

#include <cstdlib>

namespace {

constexpr int kLockWaitMs = 30000;

const sPluginSetting kSettings[] = {
    {"commandTimeoutMs", "Time-out of a command when the caller gives none, in ms (5000)", 0, 0, 0},
    {"maxAnswerSize", "Largest command answer accepted, bytes (1048576)", 0, 0, 0},
};

bool exec(void *handle, const char *command, int length, char **answer, int *answerLength, cContext *ctx,
          int timeoutMs)
{
    if (answer)
        *answer = nullptr;
    if (answerLength)
        *answerLength = 0;
    if (!command || length <= 0)
        return false;
    const QString me = QString::fromLatin1(pluginnames::kCommand);
    const QByteArray text(command, length);
    if (timeoutMs <= 0)
        timeoutMs = int(pluginsettings::integer(me, QStringLiteral("commandTimeoutMs")));
    QByteArray result;
    QString error;
    bool ok = false;
    {
        // Another caller's transfer may hold the link; waiting longer than the command may take is no use.
        const cSessionLock session(handle, qMin(kLockWaitMs, timeoutMs));
        if (session.result() == cSessionLock::NoSession)
            return false;
        if (session.result() == cSessionLock::Busy) {
            logs::add(QStringLiteral("%1: the link is busy").arg(me), 2);
            return false;
        }
        sLinkOptions o = pluginsettings::linkOptions();
        o.maxFileSize = pluginsettings::integer(me, QStringLiteral("maxAnswerSize"));
        session.client()->setOptions(o);
        ok = session.client()->command(text, timeoutMs, &result, cPlugMan::callbacks(ctx));
        error = session.client()->lastError();
    }
    if (!ok) {
        logs::add(QStringLiteral("%1: \"%2\" failed: %3").arg(me, QString::fromLatin1(text), error), 2);
        return false;
    }
    char *p = plugincopy::callerBuffer(result);
    if (!p)
        return false;
    if (answer)
        *answer = p;
    else
        std::free(p);
    if (answerLength)
        *answerLength = int(result.size());
    return true;
}

const sCmdPlugin kTable = {exec};

} // namespace

namespace cmdplugin {

const sCmdPlugin *table() { return &kTable; }
const sPluginSetting *settings() { return kSettings; }
int settingsCount() { return int(sizeof(kSettings) / sizeof(kSettings[0])); }

} // namespace cmdplugin

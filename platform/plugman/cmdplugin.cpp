#include "platform/plugman/cmdplugin.h"

#include "platform/link/clinkclient.h"
#include "platform/logging/logs.h"
#include "platform/plugman/clinksessions.h"
#include "platform/plugman/cpluginsettings.h"
#include "platform/plugman/cplugman.h"
#include "platform/plugman/plugintables.h"
#include "platform/plugman/pluginnames.h"

#include <cstdlib>
#include <cstring>

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
    const std::shared_ptr<sLinkSession> s = cLinkSessions::instance().session(handle);
    if (!s)
        return false;
    // Another caller's transfer may hold the link; waiting longer than the command may take is no use.
    if (!s->lock.tryLock(qMin(kLockWaitMs, timeoutMs))) {
        logs::add(QStringLiteral("%1: the link is busy").arg(me), 2);
        return false;
    }
    sLinkOptions o = pluginsettings::linkOptions();
    o.maxFileSize = pluginsettings::integer(me, QStringLiteral("maxAnswerSize"));
    s->client->setOptions(o);
    QByteArray result;
    const bool ok = s->client->command(text, timeoutMs, &result, cPlugMan::callbacks(ctx));
    const QString error = s->client->lastError();
    s->lock.unlock();
    if (!ok) {
        logs::add(QStringLiteral("%1: \"%2\" failed: %3").arg(me, QString::fromLatin1(text), error), 2);
        return false;
    }
    char *p = static_cast<char *>(std::malloc(size_t(result.size()) + 1));
    if (!p)
        return false;
    if (!result.isEmpty())
        std::memcpy(p, result.constData(), size_t(result.size()));
    p[result.size()] = '\0';
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

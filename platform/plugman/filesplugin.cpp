#include "platform/plugman/filesplugin.h"

#include "platform/link/clinkclient.h"
#include "platform/logging/logs.h"
#include "platform/plugman/callerbuffer.h"
#include "platform/plugman/clinksessions.h"
#include "platform/plugman/cpluginsettings.h"
#include "platform/plugman/cplugman.h"
#include "platform/plugman/csessionlock.h"
#include "platform/plugman/plugintables.h"
#include "platform/plugman/pluginnames.h"

#include <QByteArray>
#include <QThread>

#include <climits>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int kLockWaitMs = 30000;
constexpr int kEnterCliPauseMs = 150;

const sPluginSetting kSettings[] = {
    {"commandTimeoutMs", "Time-out of one request to the unit, and of a stalled transfer, in ms (5000)", 0, 0, 0},
    {"blockSize", "Bytes per transfer block, 64 to 16384 (768)", 0, 0, 0},
    {"window", "Blocks sent ahead of their acknowledgements, 1 to 64 (8)", 0, 0, 0},
    {"retries", "Retries of a transfer whose whole-file checksum failed (3)", 0, 0, 0},
    {"maxFileSize", "Largest file accepted in either direction, bytes (67108864)", 0, 0, 0},
};

void warn(const QString &text)
{
    logs::add(QStringLiteral("%1: %2").arg(QLatin1String(pluginnames::kFiles), text), 2);
}

QByteArray unquoted(const char *path)
{
    if (!path)
        return {};
    const char *begin = nullptr;
    const char *end = filesplugin::unquotedEnd(path, &begin);
    return QByteArray(begin, end - begin);
}

// Runs fn with the handle's session locked and freshly read options; false when there is none.
template <typename F>
bool withSession(void *handle, const char *what, F fn)
{
    const cSessionLock session(handle, kLockWaitMs);
    if (session.result() != cSessionLock::Held) {
        warn(QStringLiteral("%1: %2").arg(QLatin1String(what), session.result() == cSessionLock::Busy
                                                                   ? QStringLiteral("the link is busy")
                                                                   : QStringLiteral("no open port")));
        return false;
    }
    session.client()->setOptions(pluginsettings::linkOptions());
    return fn(*session.client());
}

int abiVersion() { return 1; }
const char *name() { return pluginnames::kFiles; }

bool getFile(void *handle, const char *, const char *path, char **data, int *size, cContext *ctx)
{
    if (data)
        *data = nullptr;
    if (size)
        *size = 0;
    if (!data || !size)
        return false;
    const QByteArray p = unquoted(path);
    const sLinkCallbacks cb = cPlugMan::callbacks(ctx);
    return withSession(handle, "getFile", [&](cLinkClient &c) {
        QByteArray content;
        if (!c.getFile(p, &content, cb)) {
            warn(QStringLiteral("get \"%1\" failed: %2").arg(QString::fromLocal8Bit(p), c.lastError()));
            return false;
        }
        if (content.size() > INT_MAX - 1)
            return false;
        *data = plugincopy::callerBuffer(content);
        if (!*data)
            return false;
        *size = int(content.size());
        return true;
    });
}

bool putFile(void *handle, const char *, const char *path, const char *data, int size, cContext *ctx)
{
    if (size < 0 || (size > 0 && !data))
        return false;
    const QByteArray p = unquoted(path);
    const QByteArray content = size > 0 ? QByteArray(data, size) : QByteArray();
    const sLinkCallbacks cb = cPlugMan::callbacks(ctx);
    return withSession(handle, "putFile", [&](cLinkClient &c) {
        if (!c.putFile(p, content, cb)) {
            warn(QStringLiteral("put \"%1\" failed: %2").arg(QString::fromLocal8Bit(p), c.lastError()));
            return false;
        }
        return true;
    });
}

bool openTransfer(void *handle, const char *, cContext *)
{
    const bool ok = withSession(handle, "openTransfer", [&](cLinkClient &c) {
        // Enter the unit's command line, so its log stops, then start a fresh link session;
        // log text still on its way is told apart from the frames.
        if (!c.sendText(QByteArrayLiteral("cli\r\n")))
            return false;
        QThread::msleep(kEnterCliPauseMs);
        if (!c.sync(c.options().timeoutMs)) {
            warn(QStringLiteral("the unit does not answer: %1").arg(c.lastError()));
            return false;
        }
        return true;
    });
    if (ok)
        cLinkSessions::instance().setLastOpened(handle);
    return ok;
}

bool closeTransfer(void *handle, const char *, cContext *)
{
    const bool ok = withSession(handle, "closeTransfer",
                                [&](cLinkClient &c) { return c.sendText(QByteArrayLiteral("exit\r\n")); });
    cLinkSessions::instance().drop(handle);
    return ok;
}

bool listDir(void *handle, const char *path, char **answer, cContext *ctx)
{
    if (answer)
        *answer = nullptr;
    if (!answer)
        return false;
    const QByteArray p = path ? QByteArray(path) : QByteArray();
    const sLinkCallbacks cb = cPlugMan::callbacks(ctx);
    return withSession(handle, "listDir", [&](cLinkClient &c) {
        QByteArray text;
        if (!c.listDir(p, &text, cb)) {
            warn(QStringLiteral("list \"%1\" failed: %2").arg(QString::fromLocal8Bit(p), c.lastError()));
            return false;
        }
        *answer = plugincopy::callerBuffer(text);
        return *answer != nullptr;
    });
}

template <bool (cLinkClient::*Op)(const QByteArray &, const sLinkCallbacks &)>
bool pathOp(void *handle, const char *path, cContext *ctx, const char *what)
{
    const QByteArray p = unquoted(path);
    if (p.isEmpty())
        return false;
    const sLinkCallbacks cb = cPlugMan::callbacks(ctx);
    return withSession(handle, what, [&](cLinkClient &c) {
        if (!(c.*Op)(p, cb)) {
            warn(QStringLiteral("%1 \"%2\" failed: %3").arg(QLatin1String(what), QString::fromLocal8Bit(p), c.lastError()));
            return false;
        }
        return true;
    });
}

bool deleteFile(void *handle, const char *path, cContext *ctx)
{
    return pathOp<&cLinkClient::deleteFile>(handle, path, ctx, "deleteFile");
}

bool deleteDir(void *handle, const char *path, cContext *ctx)
{
    return pathOp<&cLinkClient::deleteDir>(handle, path, ctx, "deleteDir");
}

bool createDir(void *handle, const char *path, cContext *ctx)
{
    return pathOp<&cLinkClient::makeDir>(handle, path, ctx, "createDir");
}

const sResPlugin kTable = {abiVersion, name, getFile, putFile, openTransfer, closeTransfer,
                           listDir, deleteFile, deleteDir, createDir};

} // namespace

namespace filesplugin {

const sResPlugin *table() { return &kTable; }
const sPluginSetting *settings() { return kSettings; }
int settingsCount() { return int(sizeof(kSettings) / sizeof(kSettings[0])); }

const char *unquotedEnd(const char *path, const char **begin)
{
    const size_t n = std::strlen(path);
    if (n >= 2 && path[0] == '"' && path[n - 1] == '"') {
        *begin = path + 1;
        return path + n - 1;
    }
    *begin = path;
    return path + n;
}

} // namespace filesplugin

#include "logs.h"

#include "platform/logging/clogengine.h"

#include <QCoreApplication>
#include <QThread>

#include <mutex>

namespace {
cLogEngine *engine()
{
    // Never deleted: workers may still log while the application object goes away.
    static cLogEngine *instance = nullptr;
    static std::once_flag once;
    std::call_once(once, [] {
        instance = new cLogEngine;
        // The models belong to the GUI thread even when a worker logs first.
        if (QCoreApplication *app = QCoreApplication::instance())
            instance->moveToThread(app->thread());
    });
    return instance;
}
} // namespace

namespace logs {

iLogEngine *get()
{
    return engine();
}

QObject *notifier()
{
    return engine();
}

void add(const QString &text, int level, const QString &source, const QString &group)
{
    engine()->addMessage(text, level, QDateTime::currentDateTime(), source, group);
}

} // namespace logs

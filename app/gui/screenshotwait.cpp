#include "app/gui/screenshotwait.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>

bool settleUntil(const std::function<bool()> &done, int boundMs)
{
    const QDeadlineTimer deadline(boundMs);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QEventLoop loop;
        QTimer::singleShot(20, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

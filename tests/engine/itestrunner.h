#pragma once

#include "tests/engine/ctesthandle.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantList>

class QModelIndex;
class QObject;
struct sIODevice;

/**
 * The test runner as the test workbench drives it. Slot order is part of the contract.
 * Every request is posted to the runner's thread and answered by a signal, except
 * enumerateTests and isRestartAllowed, which run the scripts on the caller's thread and
 * wait (bounded) while the runner's thread is inside a script.
 */
class iTestRunner
{
public:
    virtual ~iTestRunner() = default;

    /* 0 */ virtual QObject *object() = 0;
    /* 1 */ virtual void init(const sIODevice &device, int runs) = 0;
    /* 2 */ virtual void deinit() = 0;
    /* 3 */ virtual void closePort(bool reboot) = 0;
    /* 4 */ virtual void restartThread() = 0;
    /* 5 */ virtual QStringList enumerateTests() = 0;
    /* 6 */ virtual bool isRestartAllowed(const QString &arg) = 0;
    /* 7 */ virtual void runTests(const QList<cTestHandle> &tests, int runs) = 0;
    /* 8 */ virtual void queueTest(const QModelIndex &name, const QModelIndex &status,
                                   const QModelIndex &time, const QModelIndex &info,
                                   const QModelIndex &statistics) = 0;
    /* 9 */ virtual void cancelTest(const QModelIndex &name, const QModelIndex &status,
                                    const QModelIndex &time, const QModelIndex &info,
                                    const QModelIndex &statistics) = 0;
    /* 10 */ virtual void cancelCurrentTest() = 0;
    /* 11 */ virtual void cancelAllTests() = 0;
    /* 12 */ virtual bool isBusy() const = 0;
    /* 13 */ virtual void userReply(const QVariantList &reply) = 0;
    /* 14 */ virtual QString statisticsText() const = 0;
    /* 15 */ virtual QString resultsText() const = 0;
    /* 16 */ virtual QString logText() const = 0;
    /* 17 */ virtual void clearResults() = 0;
    /* 18 */ virtual bool hasErrors() const = 0;
    /* 19 */ virtual void stopInitOrDeinitProcess() = 0;
    // 20 to 24 are the runner's signals.
    /* 20 */ virtual void initFinished(int code) = 0;
    /* 21 */ virtual void deinitFinished(int code) = 0;
    /* 22 */ virtual void askUser(const QString &testName, const QString &question,
                                 const QStringList &fields) = 0;
    /* 23 */ virtual void testFinished() = 0;
    /* 24 */ virtual void testsCanceled() = 0;
};

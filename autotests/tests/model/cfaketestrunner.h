#pragma once

#include "tests/engine/itestrunner.h"
#include "tests/engine/testroles.h"

#include <QModelIndex>
#include <QObject>
#include <QStringList>
#include <QVariantList>

/** A runner that only records what the workbench asks of it. */
class cFakeTestRunner : public QObject, public iTestRunner
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(cFakeTestRunner)

public:
    explicit cFakeTestRunner(QObject *parent = nullptr) : QObject(parent) {}

    QStringList tests;
    bool busy = false;
    QStringList calls;                 // "queue:<name>", "cancel:<name>", "cancelCurrent", "runTests:<n>x<runs>" ...
    QList<cTestHandle> lastHandles;
    QList<QVariantList> replies;
    QString statistics = QStringLiteral("stats");
    QString results = QStringLiteral("results");
    QString log = QStringLiteral("log");

    QObject *object() override { return this; }
    void init(const sIODevice &, int runs) override { calls << QStringLiteral("init:%1").arg(runs); }
    void deinit() override { calls << QStringLiteral("deinit"); }
    void closePort(bool) override {}
    void restartThread() override {}
    QStringList enumerateTests() override { return tests; }
    bool isRestartAllowed(const QString &) override { return true; }
    void runTests(const QList<cTestHandle> &handles, int runs) override
    {
        lastHandles = handles;
        QStringList names;
        for (const cTestHandle &h : handles)
            names << h.name();
        calls << QStringLiteral("runTests:%1x%2").arg(names.join(QLatin1Char(','))).arg(runs);
    }
    void queueTest(const QModelIndex &name, const QModelIndex &status, const QModelIndex &,
                   const QModelIndex &, const QModelIndex &) override
    {
        calls << QStringLiteral("queue:") + name.data().toString();
        lastStatusCell = status;
    }
    void cancelTest(const QModelIndex &name, const QModelIndex &, const QModelIndex &,
                    const QModelIndex &, const QModelIndex &) override
    {
        calls << QStringLiteral("cancel:") + name.data().toString();
    }
    void cancelCurrentTest() override { calls << QStringLiteral("cancelCurrent"); }
    void cancelAllTests() override { calls << QStringLiteral("cancelAll"); }
    bool isBusy() const override { return busy; }
    void userReply(const QVariantList &reply) override { replies << reply; }
    QString statisticsText() const override { return statistics; }
    QString resultsText() const override { return results; }
    QString logText() const override { return log; }
    void clearResults() override { calls << QStringLiteral("clearResults"); }
    bool hasErrors() const override { return false; }
    QModelIndex lastStatusCell;

public slots:
    void stopInitOrDeinitProcess() override { calls << QStringLiteral("stopInit"); }

signals:
    void initFinished(int code) override;
    void deinitFinished(int code) override;
    void askUser(const QString &testName, const QString &question, const QStringList &fields) override;
    void testFinished() override;
    void testsCanceled() override;
};

#pragma once

#include "files/core/cdevicefsrunner.h"
#include "sim/csimulatedunit.h"

#include <QAbstractItemModel>
#include <QObject>
#include <QTemporaryDir>

#include <functional>
#include <memory>

/** A device file-system runner talking to a simulated unit over a real pseudo-terminal. */
class cFsRunnerFixture
{
public:
    cFsRunnerFixture();
    ~cFsRunnerFixture();

    /** Starts the unit with these options; its file system is a temporary host folder unless memory is true. */
    bool startUnit(const QStringList &options, bool memory = false);
    sIODevice device() const;
    /** Runs one request and waits for its operationFinished; -1 on time-out. */
    int run(const std::function<void()> &request, int timeoutMs = 30000);
    int open() { return run([this] { runner->init(device()); }); }

    QString unitDir() const { return m_unitDir.path(); }
    QString localDir() const { return m_localDir.path(); }
    /** Texts of the log messages since the fixture was made that contain part. */
    QStringList logsWith(const QString &part) const;

    std::unique_ptr<cDeviceFSRunner> runner;
    std::unique_ptr<cSimulatedUnit> unit;

    // What the runner sent, received in this (the test's) thread through queued connections:
    // a spy on the runner itself would be written by the worker while the test reads it.
    QList<int> finished;
    QStringList currentFiles;
    QList<QList<sDeviceFSEntry>> listings;
    /** Called in the test's thread for each currentFileCopyed, before it is recorded. */
    std::function<void()> onCurrentFile;

private:
    QObject m_receiver;
    QTemporaryDir m_unitDir;
    QTemporaryDir m_localDir;
    int m_logMark = 0;
};

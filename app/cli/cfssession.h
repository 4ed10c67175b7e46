#pragma once

#include "app/cli/cfsarguments.h"
#include "files/core/sdevicefsentry.h"
#include "platform/port/siodevice.h"

#include <QObject>

#include <memory>

class cDeviceFSRunner;
class iDeviceFSRunner;

/** One "fs" run of the command-line tool: open the unit's transfer mode, do one operation, close. */
class cFsSession : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(cFsSession)

public:
    enum ExitCode { ExitOk = 0, ExitFailed = 1, ExitNoEnvironment = 2 };

    explicit cFsSession(const cFsArguments &args, QObject *parent = nullptr);
    ~cFsSession() override;

public slots:
    void start();

signals:
    void finished(int exitCode);

private:
    enum State { Idle, Opening, Classifying, Working, Closing, Done };

    bool resolveDevice(QString *error);
    void onOperationFinished(int code);
    void onListed(const QString &path);
    void onProgress(quint8 total, quint8 current);
    void onCurrentFile(const QString &file);
    void onLogMessage(int level, const QString &text);
    void startOperation();
    void classifyNext();
    void close(int exitCode);
    void end(int exitCode);
    void printListing() const;
    void endProgressLine();

    cFsArguments m_args;
    sIODevice m_device;
    bool m_simStarted = false;
    std::unique_ptr<cDeviceFSRunner> m_worker;
    iDeviceFSRunner *m_runner = nullptr;
    State m_state = Idle;
    int m_exitCode = ExitOk;
    QList<sDeviceFSEntry> m_listing;
    QStringList m_toClassify;
    QStringList m_files;
    QStringList m_dirs;
    QString m_currentFile;
    bool m_progressLine = false;
    bool m_interrupted = false;
};

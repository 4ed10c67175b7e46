#pragma once

#include "files/core/idevicefsrunner.h"
#include "files/core/sdevicefsentry.h"
#include "platform/port/siodevice.h"

#include <QList>
#include <QMutex>
#include <QQueue>
#include <QSemaphore>
#include <QThread>

#include <atomic>
#include <memory>

class cContext;
struct sResPlugin;

/** The worker thread that does every operation on the unit's file system through the resource plug-in. */
class cDeviceFSRunner : public QThread, public iDeviceFSRunner
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(cDeviceFSRunner)

public:
    enum eRequest { None = 0, Open = 2, ReadDir = 3, Close = 4, Stop = 5, Upload = 6, Download = 7, Delete = 8, MakeDir = 9 };
    enum eResult { Success = 0, Failure = 2, Cancelled = 3 };
    /** Requests waiting beyond this many are refused: the window sends one at a time anyway. */
    static constexpr int kMaxQueued = 32;

    explicit cDeviceFSRunner(QObject *parent = nullptr);
    ~cDeviceFSRunner() override;

    QObject *qobject() override { return this; }
    void init(const sIODevice &device) override;
    void deinit() override;
    void readDir(const QString &path) override;
    void copyFromDevice(const QStringList &unitFiles, const QString &localDir) override;
    void copyToDevice(const QStringList &localFiles, const QString &unitDir) override;
    void cancelCopy() override;
    void makeDir(const QString &path) override;
    void remove(const QStringList &files, const QStringList &dirs) override;
    QStringList roots() const override;
    /**
     * The entries of the oldest directory read not yet taken: one per dirListed signal, in
     * order. Directories first, then files, each in listing order.
     */
    QList<sDeviceFSEntry> takeListing() override;

signals:
    void operationFinished(int code);
    void copyProgress(quint8 total, quint8 current);
    void currentFileCopyed(const QString &file);
    /**
     * A directory read is done; its entries wait in takeListing(). Sent before its
     * operationFinished(0). The entries stay behind our own lock rather than travel in the
     * signal, so the hand-over is one that thread checkers can follow.
     */
    void dirListed(const QString &path);
    void needRestart();

public slots:
    void restartRequested();

protected:
    void run() override;

private:
    struct sRequest
    {
        int code = None;
        QString path;          // directory to read or make; unit or local target folder
        QStringList first;     // files to copy or delete
        QStringList second;    // directories to delete
    };
    struct sListing
    {
        bool ok = false;
        QList<sDeviceFSEntry> entries;
    };

    void queue(const sRequest &request);
    void execute(const sRequest &request);
    void openTransfer();
    void closeTransfer();
    sListing list(const QString &path);
    void readDirectory(const QString &path);
    void download(const QStringList &files, const QString &localDir);
    void upload(const QStringList &files, const QString &unitDir);
    void removeTree(const QStringList &files, const QStringList &dirs);
    void createDirectory(const QString &path);
    void startCopy(qsizetype files);
    void finishCopy(bool allOk);
    void fatalReset();
    void log(const QString &text, int level) const;
    sIODevice device() const;

    static void progressCallback(int percent);
    static bool cancelQuery();

    QSemaphore m_requests;
    mutable QMutex m_queueLock;
    QQueue<sRequest> m_queue;
    static constexpr int kMaxListings = 8;
    QMutex m_listingsLock;
    QQueue<QList<sDeviceFSEntry>> m_listings;
    mutable QMutex m_rootsLock;
    QStringList m_roots;
    mutable QMutex m_deviceLock;
    sIODevice m_device;
    std::atomic<const sResPlugin *> m_plugin {nullptr};
    void *m_handle = nullptr;   // worker thread only
    std::atomic<unsigned> m_total {0};
    std::atomic<unsigned> m_current {0};
    std::atomic<bool> m_cancel {false};
    std::atomic<bool> m_stop {false};
    std::unique_ptr<cContext> m_context;
};

#include "files/core/cdevicefsrunner.h"

#include "files/core/cdevicelisting.h"
#include "platform/context/ccontext.h"
#include "platform/logging/logs.h"
#include "platform/plugman/iplugman.h"
#include "platform/port/port.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <climits>
#include <cstdlib>
#include <exception>

namespace {

enum eLevel { kWarning = 2, kError = 3, kDebug = 4 };
constexpr int kClosePortMs = 300;
constexpr int kStopWaitMs = 10000;
// A listing of thousands of entries is no log line; the head tells what the unit said.
constexpr int kLoggedAnswerBytes = 2048;

// The plug-in's callbacks carry no pointer of ours, so they find the runner here.
std::atomic<cDeviceFSRunner *> g_runner {nullptr};

// Frees what the plug-in malloc'ed, on every way out of a call.
struct sPluginBuffer
{
    char *data = nullptr;
    ~sPluginBuffer() { std::free(data); }
};

QString lastPart(const QString &path)
{
    const QStringList parts = path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    return parts.isEmpty() ? QString() : parts.last();
}

QString joined(const QString &folder, const QString &name)
{
    return folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
}

} // namespace

cDeviceFSRunner::cDeviceFSRunner(QObject *parent)
    : QThread(parent)
    , m_context(std::make_unique<cContext>())
{
    pm::get(false)->registerContext(m_context.get(), &cDeviceFSRunner::progressCallback, nullptr,
                                    &cDeviceFSRunner::cancelQuery);
    g_runner.store(this);
    connect(this, &cDeviceFSRunner::needRestart, this, &cDeviceFSRunner::restartRequested, Qt::QueuedConnection);
    start(QThread::InheritPriority);
}

cDeviceFSRunner::~cDeviceFSRunner()
{
    if (isRunning()) {
        m_stop.store(true);
        m_cancel.store(true);
        m_requests.release();
        if (!wait(kStopWaitMs)) {
            terminate();
            wait();
        }
    }
    pm::get(false)->unregisterContext(m_context.get());
    cDeviceFSRunner *self = this;
    g_runner.compare_exchange_strong(self, nullptr);
}

void cDeviceFSRunner::queue(const sRequest &request)
{
    {
        QMutexLocker locker(&m_queueLock);
        if (m_queue.size() < kMaxQueued) {
            m_queue.enqueue(request);
            m_requests.release();
            return;
        }
    }
    log(tr("Too many requests waiting, request refused"), kError);
    QMetaObject::invokeMethod(this, [this] { emit operationFinished(Failure); }, Qt::QueuedConnection);
}

void cDeviceFSRunner::init(const sIODevice &device)
{
    {
        QMutexLocker locker(&m_deviceLock);
        m_device = device;
    }
    m_plugin.store(pm::get(false)->resPlugin(device));
    if (!m_plugin.load()) {
        log(tr("No res plugin"), kError);
        // Queued, so the caller has finished its own bookkeeping before it hears the answer.
        QMetaObject::invokeMethod(this, [this] { emit operationFinished(Failure); }, Qt::QueuedConnection);
        return;
    }
    queue({Open, {}, {}, {}});
}

void cDeviceFSRunner::deinit()
{
    queue({Close, {}, {}, {}});
}

void cDeviceFSRunner::readDir(const QString &path)
{
    queue({ReadDir, path, {}, {}});
}

void cDeviceFSRunner::copyFromDevice(const QStringList &unitFiles, const QString &localDir)
{
    queue({Download, localDir, unitFiles, {}});
}

void cDeviceFSRunner::copyToDevice(const QStringList &localFiles, const QString &unitDir)
{
    queue({Upload, unitDir, localFiles, {}});
}

void cDeviceFSRunner::cancelCopy()
{
    m_cancel.store(true);
}

void cDeviceFSRunner::makeDir(const QString &path)
{
    queue({MakeDir, path, {}, {}});
}

void cDeviceFSRunner::remove(const QStringList &files, const QStringList &dirs)
{
    queue({Delete, {}, files, dirs});
}

QStringList cDeviceFSRunner::roots() const
{
    QMutexLocker locker(&m_rootsLock);
    return m_roots;
}

void cDeviceFSRunner::restartRequested()
{
    // needRestart() is the failed run's last act, so it may still be returning.
    if (isRunning() && !wait(kStopWaitMs))
        return;
    m_stop.store(false);
    start(QThread::InheritPriority);
}

QList<sDeviceFSEntry> cDeviceFSRunner::takeListing()
{
    QMutexLocker locker(&m_listingsLock);
    return m_listings.isEmpty() ? QList<sDeviceFSEntry>() : m_listings.dequeue();
}

sIODevice cDeviceFSRunner::device() const
{
    QMutexLocker locker(&m_deviceLock);
    return m_device;
}

void cDeviceFSRunner::log(const QString &text, int level) const
{
    logs::add(text, level);
}

void cDeviceFSRunner::run()
{
    try {
        for (;;) {
            m_requests.acquire();
            if (m_stop.load())
                return;
            sRequest request;
            {
                QMutexLocker locker(&m_queueLock);
                if (m_queue.isEmpty())
                    continue;
                request = m_queue.dequeue();
            }
            execute(request);
        }
    } catch (...) {
        fatalReset();
    }
}

void cDeviceFSRunner::execute(const sRequest &request)
{
    switch (request.code) {
    case Open: openTransfer(); break;
    case Close: closeTransfer(); break;
    case ReadDir: readDirectory(request.path); break;
    case Download: download(request.first, request.path); break;
    case Upload: upload(request.first, request.path); break;
    case Delete: removeTree(request.first, request.second); break;
    case MakeDir: createDirectory(request.path); break;
    default: break;
    }
}

void cDeviceFSRunner::fatalReset()
{
    port::close_port(device(), kClosePortMs);
    {
        QMutexLocker locker(&m_queueLock);
        m_queue.clear();
    }
    while (m_requests.tryAcquire())
        ;
    {
        QMutexLocker locker(&m_rootsLock);
        m_roots.clear();
    }
    m_total.store(0);
    m_current.store(0);
    m_cancel.store(false);
    m_handle = nullptr;
    m_plugin.store(nullptr);
    qCritical() << "!!! FATAL ERROR !!!";
    log(tr("Application fatal error detected!"), kError);
    log(tr("Restart is strongly recomended!"), kError);
    emit operationFinished(Failure);
    emit needRestart();
}

void cDeviceFSRunner::openTransfer()
{
    sIODevice dev = device();
    if (!port::open_port(dev)) {
        emit operationFinished(Failure);
        return;
    }
    {
        QMutexLocker locker(&m_deviceLock);
        m_device = dev;
    }
    m_handle = port::calc_io_handle(dev);
    if (!m_handle) {
        port::close_port(dev, kClosePortMs);
        emit operationFinished(Failure);
        return;
    }
    const sResPlugin *plugin = m_plugin.load();
    const QByteArray portName = dev.id.toLocal8Bit();
    if (!plugin || !plugin->openTransfer(m_handle, portName.constData(), m_context.get())) {
        // The port stays open; the next deinit closes it.
        log(tr("Failed to init files transfer mode"), kError);
        emit operationFinished(Failure);
        return;
    }
    const sListing top = list(QStringLiteral("/"));
    QStringList roots;
    for (const sDeviceFSEntry &e : top.entries) {
        if (e.isDir)
            roots.append(e.name);
    }
    {
        QMutexLocker locker(&m_rootsLock);
        m_roots = roots;
    }
    emit operationFinished(Success);
}

void cDeviceFSRunner::closeTransfer()
{
    const sIODevice dev = device();
    if (!m_handle) {
        // Nothing was open; the worker goes on serving, so a later connect still works.
        port::close_port(dev, kClosePortMs);
        emit operationFinished(Failure);
        return;
    }
    if (const sResPlugin *plugin = m_plugin.load()) {
        const QByteArray portName = dev.id.toLocal8Bit();
        plugin->closeTransfer(m_handle, portName.constData(), m_context.get());
    }
    const bool closed = port::close_port(dev, kClosePortMs);
    m_handle = nullptr;
    m_plugin.store(nullptr);
    emit operationFinished(closed ? Success : Failure);
}

cDeviceFSRunner::sListing cDeviceFSRunner::list(const QString &path)
{
    sListing result;
    const sResPlugin *plugin = m_plugin.load();
    sPluginBuffer answer;
    const QByteArray p = path.toLocal8Bit();
    const bool ok = plugin && m_handle && plugin->listDir(m_handle, p.constData(), &answer.data, m_context.get());
    const QByteArray text = answer.data ? QByteArray(answer.data) : QByteArray();
    QString shown = QString::fromLocal8Bit(text.left(kLoggedAnswerBytes));
    if (text.size() > kLoggedAnswerBytes)
        shown += QStringLiteral(" ...");
    log(tr("DIR: ok = %1, answer = %3").arg(ok ? 1 : 0).arg(shown), kDebug);
    if (!ok || !answer.data) {
        log(tr("Failed to execute dir request for '%1', answer = %2").arg(path, shown), kError);
        return result;
    }
    const cDeviceListing::sResult parsed = cDeviceListing::parse(text, path);
    for (const cDeviceListing::sMessage &m : parsed.messages)
        log(m.text, m.level);
    result.ok = parsed.ok;
    result.entries = parsed.entries;
    return result;
}

void cDeviceFSRunner::readDirectory(const QString &path)
{
    const sListing listing = list(path);
    if (!listing.ok) {
        emit operationFinished(Failure);
        return;
    }
    QList<sDeviceFSEntry> ordered;
    ordered.reserve(listing.entries.size());
    for (const sDeviceFSEntry &e : listing.entries) {
        if (e.isDir)
            ordered.append(e);
    }
    for (const sDeviceFSEntry &e : listing.entries) {
        if (!e.isDir)
            ordered.append(e);
    }
    {
        QMutexLocker locker(&m_listingsLock);
        // Nobody takes them when nobody listens; the newest reads are the ones that matter.
        while (m_listings.size() >= kMaxListings)
            m_listings.dequeue();
        m_listings.enqueue(ordered);
    }
    emit dirListed(path);
    emit operationFinished(Success);
}

void cDeviceFSRunner::download(const QStringList &files, const QString &localDir)
{
    startCopy(files.size());
    bool allOk = true;
    const sResPlugin *plugin = m_plugin.load();
    const QByteArray portName = device().id.toLocal8Bit();
    for (const QString &path : files) {
        if (m_cancel.load())
            break;
        emit currentFileCopyed(path);
        sPluginBuffer data;
        int size = 0;
        const QByteArray quoted = QStringLiteral("\"%1\"").arg(path).toLocal8Bit();
        const bool ok = plugin && m_handle
                        && plugin->getFile(m_handle, portName.constData(), quoted.constData(), &data.data, &size,
                                           m_context.get());
        if (m_cancel.load())
            break;
        const QString name = lastPart(path);
        if (!ok) {
            log(tr("Failed to get %1").arg(path), kError);
            allOk = false;
        } else if (!data.data || size < 0) {
            log(tr("Failed to get data buffer for %1").arg(path), kError);
            allOk = false;
        } else {
            // A name with ".." or a separator would write outside the chosen folder; a save
            // file leaves no half-written file when the disk fails.
            const QString local = joined(localDir, name);
            QSaveFile out(local);
            if (!cDeviceListing::isPlainName(name) || !out.open(QIODevice::WriteOnly)
                || out.write(data.data, size) != size || !out.commit()) {
                log(tr("Failed to open %1").arg(local), kError);
                allOk = false;
            }
        }
        m_current.fetch_add(1);
    }
    finishCopy(allOk);
}

void cDeviceFSRunner::upload(const QStringList &files, const QString &unitDir)
{
    startCopy(files.size());
    bool allOk = true;
    const sResPlugin *plugin = m_plugin.load();
    const QByteArray portName = device().id.toLocal8Bit();
    for (const QString &path : files) {
        if (m_cancel.load())
            break;
        emit currentFileCopyed(QDir::toNativeSeparators(path));
        QFile in(path);
        if (QFileInfo(path).isDir() || !in.open(QIODevice::ReadOnly)) {
            log(tr("Failed to open %1").arg(path), kError);
            allOk = false;
        } else {
            // An empty file is still a file: it is copied, not refused.
            const QByteArray content = in.readAll();
            if (in.error() != QFileDevice::NoError || content.size() > INT_MAX) {
                log(tr("Failed to read %1, data is empty").arg(path), kError);
                allOk = false;
            } else {
                const QString target = joined(unitDir, lastPart(path));
                const QByteArray t = target.toLocal8Bit();
                const bool ok = plugin && m_handle
                                && plugin->putFile(m_handle, portName.constData(), t.constData(), content.constData(),
                                                   int(content.size()), m_context.get());
                log(tr("ok = %1").arg(ok ? 1 : 0), kDebug);
                if (!ok) {
                    log(tr("Failed to copy %1 to %2").arg(path, target), kError);
                    allOk = false;
                }
            }
        }
        m_current.fetch_add(1);
    }
    finishCopy(allOk);
}

void cDeviceFSRunner::startCopy(qsizetype files)
{
    m_total.store(unsigned(files));
    m_current.store(0);
    m_cancel.store(false);
}

void cDeviceFSRunner::finishCopy(bool allOk)
{
    if (m_cancel.exchange(false)) {
        emit operationFinished(Cancelled);
        return;
    }
    emit operationFinished(allOk ? Success : Failure);
}

void cDeviceFSRunner::removeTree(const QStringList &selectedFiles, const QStringList &selectedDirs)
{
    int result = Success;
    QStringList files = selectedFiles;
    QStringList dirs = selectedDirs;
    QStringList pending = selectedDirs;
    while (!pending.isEmpty()) {
        const QString dir = pending.takeFirst();
        const sListing listing = list(dir);
        if (!listing.ok) {
            result = Failure;
            continue;
        }
        // Every found folder goes in front, so a folder is always deleted before its parent.
        for (const sDeviceFSEntry &e : listing.entries) {
            if (e.isDir) {
                pending.prepend(e.path);
                dirs.prepend(e.path);
            } else {
                files.prepend(e.path);
            }
        }
    }
    if (result == Failure) {
        emit operationFinished(Failure);
        return;
    }
    const sResPlugin *plugin = m_plugin.load();
    for (const QString &f : std::as_const(files)) {
        const QByteArray p = f.toLocal8Bit();
        if (!plugin || !m_handle || !plugin->deleteFile(m_handle, p.constData(), m_context.get())) {
            log(tr("Failed to delete file %1").arg(f), kError);
            result = Failure;
        }
    }
    if (result == Failure) {
        emit operationFinished(Failure);
        return;
    }
    for (const QString &d : std::as_const(dirs)) {
        const QByteArray p = d.toLocal8Bit();
        if (!plugin || !m_handle || !plugin->deleteDir(m_handle, p.constData(), m_context.get())) {
            log(tr("Failed to delete directory %1").arg(d), kError);
            result = Failure;
        }
    }
    emit operationFinished(result);
}

void cDeviceFSRunner::createDirectory(const QString &path)
{
    log(tr("Making dir: %1").arg(path), kDebug);
    const sResPlugin *plugin = m_plugin.load();
    const QByteArray p = path.toLocal8Bit();
    const bool ok = plugin && m_handle && plugin->createDir(m_handle, p.constData(), m_context.get());
    emit operationFinished(ok ? Success : Failure);
}

void cDeviceFSRunner::progressCallback(int percent)
{
    cDeviceFSRunner *r = g_runner.load();
    if (!r)
        return;
    const unsigned total = r->m_total.load();
    if (total == 0)
        return;
    const int p = qBound(0, percent, 100);
    const double overall = double(p) / total + double(r->m_current.load()) / total * 100.0;
    emit r->copyProgress(quint8(qBound(0, int(overall), 100)), quint8(p));
}

bool cDeviceFSRunner::cancelQuery()
{
    cDeviceFSRunner *r = g_runner.load();
    return r && r->m_cancel.load();
}

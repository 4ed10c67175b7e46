#include "app/cli/cfssession.h"

#include "app/cli/clilogmessages.h"
#include "app/cli/cliunit.h"
#include "app/cli/csignalwatcher.h"
#include "app/common/embeddedunit.h"
#include "files/core/cdevicefsrunner.h"
#include "platform/port/port.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

#include <cstdio>
#include <unistd.h>

namespace {

void err(const QString &text)
{
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
}

QString parentOf(const QString &path)
{
    const int slash = int(path.lastIndexOf(QLatin1Char('/')));
    return slash <= 0 ? QStringLiteral("/") : path.left(slash);
}

} // namespace

cFsSession::cFsSession(const cFsArguments &args, QObject *parent)
    : QObject(parent)
    , m_args(args)
{
}

cFsSession::~cFsSession()
{
    m_worker.reset();
    if (m_simStarted)
        stopEmbeddedUnit();
}

void cFsSession::start()
{
    auto watcher = new cSignalWatcher(this);
    connect(watcher, &cSignalWatcher::interrupted, this, [this] {
        m_interrupted = true;
        if (m_runner)
            m_runner->cancelCopy();
    });
    forwardCliLogMessages(this, [this](int level, const QString &text) { onLogMessage(level, text); });
    QString why;
    if (!resolveDevice(&why)) {
        err(QStringLiteral("error: ") + why);
        end(ExitNoEnvironment);
        return;
    }
    m_worker = std::make_unique<cDeviceFSRunner>();
    m_runner = m_worker.get();
    connect(m_worker.get(), &cDeviceFSRunner::operationFinished, this, &cFsSession::onOperationFinished);
    connect(m_worker.get(), &cDeviceFSRunner::dirListed, this, &cFsSession::onListed);
    connect(m_worker.get(), &cDeviceFSRunner::copyProgress, this, &cFsSession::onProgress);
    connect(m_worker.get(), &cDeviceFSRunner::currentFileCopyed, this, &cFsSession::onCurrentFile);
    m_state = Opening;
    m_runner->init(m_device);
}

bool cFsSession::resolveDevice(QString *error)
{
    return resolveCliUnit(m_args.sim(), m_args.simOptions(), m_args.portId(), &m_device, &m_simStarted, error);
}

void cFsSession::onLogMessage(int level, const QString &text)
{
    if (level == 2 || level == 3) {
        endProgressLine();
        err(QStringLiteral("%1: %2").arg(level == 3 ? QStringLiteral("error") : QStringLiteral("warning"), text));
    }
}

void cFsSession::startOperation()
{
    m_state = Working;
    const QStringList sources = m_args.sources();
    switch (m_args.operation()) {
    case cFsArguments::List:
        m_runner->readDir(sources.first());
        return;
    case cFsArguments::MakeDir:
        m_runner->makeDir(sources.first());
        return;
    case cFsArguments::Get: {
        const QString dir = m_args.target();
        if (!QFileInfo(dir).isDir()) {
            err(QStringLiteral("error: %1 is no folder").arg(dir));
            close(ExitFailed);
            return;
        }
        if (!m_args.overwrite()) {
            for (const QString &s : sources) {
                const QString local = QDir(dir).filePath(s.section(QLatin1Char('/'), -1, -1, QString::SectionSkipEmpty));
                if (QFileInfo::exists(local)) {
                    err(QStringLiteral("error: %1 exists; give --overwrite to replace it").arg(local));
                    close(ExitFailed);
                    return;
                }
            }
        }
        m_runner->copyFromDevice(sources, dir);
        return;
    }
    case cFsArguments::Put:
        for (const QString &s : sources) {
            if (!QFileInfo(s).isFile()) {
                err(QStringLiteral("error: %1 is no file").arg(s));
                close(ExitFailed);
                return;
            }
        }
        m_runner->copyToDevice(sources, m_args.target());
        return;
    case cFsArguments::Remove:
        if (!m_args.recursive()) {
            m_runner->remove(sources, {});
            return;
        }
        m_toClassify = sources;
        m_state = Classifying;
        classifyNext();
        return;
    case cFsArguments::NoOperation:
        break;
    }
    close(ExitFailed);
}

// rm -r must know which paths are folders: their parents' listings tell.
void cFsSession::classifyNext()
{
    if (m_toClassify.isEmpty()) {
        m_state = Working;
        m_runner->remove(m_files, m_dirs);
        return;
    }
    m_listing.clear();
    m_runner->readDir(parentOf(m_toClassify.first()));
}

void cFsSession::onListed(const QString &)
{
    m_listing = m_runner->takeListing();
}

void cFsSession::onCurrentFile(const QString &file)
{
    endProgressLine();
    m_currentFile = file;
    if (!isatty(fileno(stderr)))
        std::fprintf(stderr, "%s\n", file.toLocal8Bit().constData());
}

void cFsSession::onProgress(quint8 total, quint8 current)
{
    if (!isatty(fileno(stderr)))
        return;
    std::fprintf(stderr, "\r%s  %3d %%  (all files %3d %%)", m_currentFile.toLocal8Bit().constData(), int(current),
                 int(total));
    std::fflush(stderr);
    m_progressLine = true;
}

void cFsSession::endProgressLine()
{
    if (m_progressLine)
        std::fputc('\n', stderr);
    m_progressLine = false;
}

void cFsSession::printListing() const
{
    int width = 4;
    for (const sDeviceFSEntry &e : m_listing)
        width = qMax(width, int(e.name.size() + (e.isDir ? 1 : 0)));
    const QString header = QStringLiteral("%1  %2  %3").arg(QStringLiteral("Name"), -width).arg(QStringLiteral("Size"), 12)
                               .arg(QStringLiteral("Change date"));
    std::printf("%s\n", header.toLocal8Bit().constData());
    for (const sDeviceFSEntry &e : m_listing) {
        const QString name = e.isDir ? e.name + QLatin1Char('/') : e.name;
        const QString size = e.isDir ? QString() : QString::number(e.size);
        const QString line = QStringLiteral("%1  %2  %3").arg(name, -width).arg(size, 12).arg(e.modified.toString(Qt::ISODate));
        std::printf("%s\n", line.toLocal8Bit().constData());
    }
}

void cFsSession::onOperationFinished(int code)
{
    endProgressLine();
    switch (m_state) {
    case Opening:
        if (code != cDeviceFSRunner::Success) {
            err(QStringLiteral("error: cannot open the file transfer mode of %1").arg(m_device.id));
            close(ExitNoEnvironment);
            return;
        }
        startOperation();
        return;
    case Classifying: {
        const QString path = m_toClassify.takeFirst();
        const QString name = path.section(QLatin1Char('/'), -1, -1, QString::SectionSkipEmpty);
        const sDeviceFSEntry *found = nullptr;
        for (const sDeviceFSEntry &e : std::as_const(m_listing)) {
            if (e.name == name)
                found = &e;
        }
        if (code != cDeviceFSRunner::Success || !found) {
            err(QStringLiteral("error: %1 not found on the unit").arg(path));
            close(ExitFailed);
            return;
        }
        (found->isDir ? m_dirs : m_files) << path;
        classifyNext();
        return;
    }
    case Working:
        if (code == cDeviceFSRunner::Success && m_args.operation() == cFsArguments::List)
            printListing();
        if (code == cDeviceFSRunner::Cancelled)
            err(QStringLiteral("interrupted"));
        close(code == cDeviceFSRunner::Success && !m_interrupted ? ExitOk : ExitFailed);
        return;
    case Closing:
        end(m_exitCode);
        return;
    default:
        return;
    }
}

void cFsSession::close(int exitCode)
{
    m_exitCode = exitCode;
    m_state = Closing;
    m_runner->deinit();
}

void cFsSession::end(int exitCode)
{
    m_state = Done;
    emit finished(exitCode);
}

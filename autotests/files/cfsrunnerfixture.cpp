#include "cfsrunnerfixture.h"

#include "platform/logging/clogmodel.h"
#include "platform/logging/ilogengine.h"
#include "platform/logging/logs.h"

#include <QSignalSpy>
#include <QTest>

namespace {
QAbstractItemModel *allMessages()
{
    return logs::get()->model(QStringLiteral("ALL"), QStringLiteral("ALL"));
}
} // namespace

cFsRunnerFixture::cFsRunnerFixture()
    : m_logMark(allMessages()->rowCount())
{
}

cFsRunnerFixture::~cFsRunnerFixture()
{
    runner.reset();
    unit.reset();
}

bool cFsRunnerFixture::startUnit(const QStringList &options, bool memory)
{
    QStringList all = options;
    if (!memory)
        all << QStringLiteral("fs=") + m_unitDir.path();
    all << QStringLiteral("log-rate=0.1");
    unit = std::make_unique<cSimulatedUnit>();
    if (!unit->setOptions(all) || !unit->start())
        return false;
    runner = std::make_unique<cDeviceFSRunner>();
    QObject::connect(runner.get(), &cDeviceFSRunner::operationFinished, &m_receiver,
                     [this](int code) { finished.append(code); }, Qt::QueuedConnection);
    QObject::connect(runner.get(), &cDeviceFSRunner::currentFileCopyed, &m_receiver,
                     [this](const QString &file) {
                         if (onCurrentFile)
                             onCurrentFile();
                         currentFiles.append(file);
                     },
                     Qt::QueuedConnection);
    QObject::connect(runner.get(), &cDeviceFSRunner::dirListed, &m_receiver,
                     [this](const QString &) { listings.append(runner->takeListing()); },
                     Qt::QueuedConnection);
    return true;
}

sIODevice cFsRunnerFixture::device() const
{
    sIODevice d;
    d.id = unit->ptyPath();
    d.name = QStringLiteral("ZOVAN-SIM");
    d.devices = {sIOSubDevice{nullptr, QStringLiteral("serial"), QStringLiteral("serial"), unit->ptyPath(), {}}};
    return d;
}

int cFsRunnerFixture::run(const std::function<void()> &request, int timeoutMs)
{
    const qsizetype before = finished.size();
    request();
    if (!QTest::qWaitFor([&] { return finished.size() > before; }, timeoutMs))
        return -1;
    return finished.at(before);
}

QStringList cFsRunnerFixture::logsWith(const QString &part) const
{
    QAbstractItemModel *model = allMessages();
    QStringList found;
    for (int row = m_logMark; row < model->rowCount(); ++row) {
        const QString text = model->index(row, cLogModel::TextColumn).data().toString();
        if (text.contains(part))
            found << text;
    }
    return found;
}

#include "crunnerfixture.h"

#include "testmodelfixture.h"

#include "platform/logging/clogengine.h"
#include "platform/logging/clogmodel.h"
#include "platform/logging/logs.h"
#include "tests/engine/devicedescription.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTest>

#include <algorithm>

using namespace testmodel;

namespace {

QAbstractItemModel *allMessages()
{
    auto *engine = dynamic_cast<cLogEngine *>(logs::get());
    static QAbstractItemModel *model = nullptr;
    if (!model) {
        // Before the model exists, so that nothing a test looks for is dropped.
        engine->setCapacity(1000000);
        model = engine->model(QStringLiteral("ALL"), QStringLiteral("ALL"));
    }
    engine->flush();
    return model;
}

} // namespace

cRunnerRelay::cRunnerRelay(cTestRunner *runner, QObject *parent) : QObject(parent)
{
    connect(runner, &cTestRunner::initFinished, this, &cRunnerRelay::initFinished, Qt::QueuedConnection);
    connect(runner, &cTestRunner::deinitFinished, this, &cRunnerRelay::deinitFinished, Qt::QueuedConnection);
    connect(runner, &cTestRunner::testFinished, this, &cRunnerRelay::testFinished, Qt::QueuedConnection);
    connect(runner, &cTestRunner::testsCanceled, this, &cRunnerRelay::testsCanceled, Qt::QueuedConnection);
    connect(runner, &cTestRunner::askUser, this, &cRunnerRelay::askUser, Qt::QueuedConnection);
}

cRunnerFixture::cRunnerFixture()
{
    for (const char *folder : {"scripts/general", "scripts/test", "tests"})
        QDir(m_dir.path()).mkpath(QLatin1String(folder));
    m_logMark = allMessages()->rowCount();
}

sIODevice cRunnerFixture::defaultDevice()
{
    sIODevice device;
    device.id = QStringLiteral("engine-test-port");
    device.name = QStringLiteral("Unit U");
    return device;
}

QString cRunnerFixture::luaString(const QString &text)
{
    return QLatin1Char('\'') + devicedescription::escaped(text) + QLatin1Char('\'');
}

QString cRunnerFixture::path(const QString &folder, const QString &file) const
{
    return QDir(m_dir.path()).absoluteFilePath(folder + QLatin1Char('/') + file);
}

void cRunnerFixture::writeScript(const QString &folder, const QString &file, const QByteArray &text)
{
    QFile out(path(folder, file));
    if (out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        out.write(text);
}

void cRunnerFixture::writeTests(const QList<QPair<QString, QString>> &tests, const QString &extra)
{
    QString text = QStringLiteral("local order, bodies = {}, {}\n");
    for (const auto &test : tests) {
        text += QStringLiteral("order[#order + 1] = %1\n").arg(luaString(test.first));
        text += QStringLiteral("bodies[%1] = function()\n%2\nend\n").arg(luaString(test.first), test.second);
    }
    text += QStringLiteral("function zt_enumerate_tests() return order end\n"
                           "function zt_exec_test(name) return assert(bodies[name], 'no test')() end\n");
    writeScript(QStringLiteral("tests"), QStringLiteral("tests.lua"), (text + extra).toUtf8());
}

cTestRunner *cRunnerFixture::makeRunner(bool ownsPort)
{
    if (!m_runner) {
        m_runner = std::make_unique<cTestRunner>(nullptr, ownsPort);
        m_runner->setAppRoot(m_dir.path());
        m_relay = std::make_unique<cRunnerRelay>(m_runner.get());
    }
    return m_runner.get();
}

int cRunnerFixture::start(const sIODevice &device, bool ownsPort)
{
    makeRunner(ownsPort);
    QSignalSpy spy(m_relay.get(), &cRunnerRelay::initFinished);
    if (!spy.isValid())
        return -1;
    m_runner->init(device, 1);
    return spy.wait(60000) ? spy.first().first().toInt() : -1;
}

void cRunnerFixture::destroyRunner()
{
    m_relay.reset();
    m_runner.reset();
    QCoreApplication::processEvents();
}

QStringList cRunnerFixture::fillModel()
{
    const QStringList names = m_runner->enumerateTests();
    m_model.reset(makeTestModel(names));
    return names;
}

cTestHandle cRunnerFixture::handle(int row) const
{
    return rowHandle(m_model.get(), row);
}

void cRunnerFixture::queue(int row, bool cancel)
{
    const auto at = [&](int column) { return m_model->index(row, column); };
    if (cancel)
        m_runner->cancelTest(at(NameColumn), at(StatusColumn), at(TimeColumn), at(InfoColumn), at(StatisticsColumn));
    else
        m_runner->queueTest(at(NameColumn), at(StatusColumn), at(TimeColumn), at(InfoColumn), at(StatisticsColumn));
}

bool cRunnerFixture::runOne(const QString &body)
{
    writeTests({{QStringLiteral("T"), body}});
    if (start() != 0 || fillModel() != QStringList{QStringLiteral("T")})
        return false;
    QSignalSpy finished(m_relay.get(), &cRunnerRelay::testFinished);
    if (!finished.isValid())
        return false;
    queue(0);
    return finished.wait(60000);
}

int cRunnerFixture::state(int row) const
{
    return m_model->index(row, StatusColumn).data(StateRole).toInt();
}

QString cRunnerFixture::details(int row) const
{
    return m_model->index(row, InfoColumn).data(DetailsRole).toString();
}

QList<sLogged> cRunnerFixture::logsWith(const QString &part) const
{
    QAbstractItemModel *model = allMessages();
    QList<sLogged> messages;
    for (int row = m_logMark; row < model->rowCount(); ++row) {
        const QModelIndex text = model->index(row, cLogModel::TextColumn);
        if (text.data().toString().contains(part))
            messages.append({text.data().toString(), text.data(cLogModel::LevelRole).toInt(),
                             model->index(row, cLogModel::SourceColumn).data().toString(),
                             text.data(cLogModel::GroupRole).toString()});
    }
    return messages;
}

bool cRunnerFixture::logged(const QString &text, int level, const QString &source, const QString &group) const
{
    const QList<sLogged> messages = logsWith(text);
    return std::any_of(messages.cbegin(), messages.cend(), [&](const sLogged &m) {
        return m.text == text && (level < 0 || m.level == level) && (source.isEmpty() || m.source == source)
               && (group.isEmpty() || m.group == group);
    });
}

bool cRunnerFixture::waitLogged(const QString &text) const
{
    return QTest::qWaitFor([&] { return logged(text); }, 30000);
}

// Per-test overhead of the test runner: 10 000 runs of an empty test through the runner
// (queue, protected call of zt_exec_test, status, times and statistics written to the row,
// result line and log text) against 10 000 calls of the same Lua function in a bare state.
// Two runner modes: all tests queued at once, and one test at a time (queue, wait for
// testFinished, queue the next), which adds the hand-over between the threads.

#include "platform/port/siodevice.h"
#include "tests/engine/ctesthandle.h"
#include "tests/engine/ctestrunner.h"
#include "tests/engine/testroles.h"
#include "tests/model/ctestmodel.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <lua.hpp>

#include <cstdio>
#include <memory>

namespace {

constexpr int kRuns = 10000;

const char kScript[] =
    "function zt_enumerate_tests() return { 'Empty' } end\n"
    "function zt_exec_test(name) return true end\n";

double bareLua()
{
    lua_State *L = luaL_newstate();
    luaL_openlibs(L);
    luaL_loadstring(L, kScript);
    lua_pcall(L, 0, 0, 0);
    QElapsedTimer timer;
    timer.start();
    int ok = 0;
    for (int i = 0; i < kRuns; ++i) {
        lua_getglobal(L, "zt_exec_test");
        lua_pushstring(L, "Empty");
        if (lua_pcall(L, 1, 1, 0) == 0 && lua_toboolean(L, -1))
            ++ok;
        lua_pop(L, 1);
    }
    const double us = double(timer.nsecsElapsed()) / 1000.0;
    lua_close(L);
    if (ok != kRuns)
        std::fprintf(stderr, "bare Lua: only %d of %d calls returned true\n", ok, kRuns);
    return us;
}

// One row of the workbench's own test model.
cTestModel *makeModel()
{
    auto *model = new cTestModel(nullptr, nullptr);
    model->appendTest(QStringLiteral("Empty"), false);
    return model;
}

// Waits, with the event loop running (the row writes land here), until count tests finished.
bool waitFinished(const int &finished, int count)
{
    QElapsedTimer timer;
    timer.start();
    while (finished < count) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        if (timer.elapsed() > 600000)
            return false;
    }
    return true;
}

struct sRunnerResult
{
    double bulkUs = 0;
    double stepUs = 0;
    QString statistics;
};

bool runner(const QString &root, sRunnerResult *result)
{
    using namespace testmodel;
    cTestRunner runner(nullptr, false);
    runner.setAppRoot(root);
    int inits = -1;
    QObject::connect(&runner, &cTestRunner::initFinished, &runner, [&](int code) { inits = code; },
                     Qt::QueuedConnection);
    int finished = 0;
    QObject::connect(&runner, &cTestRunner::testFinished, &runner, [&] { ++finished; }, Qt::QueuedConnection);
    sIODevice device;
    device.id = QStringLiteral("bench");
    device.name = QStringLiteral("Bench");
    runner.init(device, 1);
    QElapsedTimer wait;
    wait.start();
    while (inits < 0 && wait.elapsed() < 20000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    if (inits != 0) {
        std::fprintf(stderr, "runner init failed (%d)\n", inits);
        return false;
    }
    std::unique_ptr<cTestModel> model(makeModel());
    const auto queue = [&] {
        runner.queueTest(model->index(0, NameColumn), model->index(0, StatusColumn), model->index(0, TimeColumn),
                         model->index(0, InfoColumn), model->index(0, StatisticsColumn));
    };

    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < kRuns; ++i)
        queue();
    if (!waitFinished(finished, kRuns))
        return false;
    result->bulkUs = double(timer.nsecsElapsed()) / 1000.0;

    finished = 0;
    runner.clearResults();
    timer.restart();
    for (int i = 0; i < kRuns; ++i) {
        queue();
        if (!waitFinished(finished, i + 1))
            return false;
    }
    result->stepUs = double(timer.nsecsElapsed()) / 1000.0;
    // Every write has reached the row once the events are drained.
    QCoreApplication::processEvents();
    result->statistics = model->index(0, StatisticsColumn).data().toString();
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir root;
    for (const char *folder : {"scripts/general", "scripts/test", "tests"})
        QDir(root.path()).mkpath(QLatin1String(folder));
    QFile script(root.path() + QStringLiteral("/tests/bench.lua"));
    if (!script.open(QIODevice::WriteOnly) || script.write(kScript) < 0)
        return 1;
    script.close();

    const double bare = bareLua();
    sRunnerResult result;
    if (!runner(root.path(), &result))
        return 1;

    const double barePer = bare / kRuns;
    const double bulkPer = result.bulkUs / kRuns;
    const double stepPer = result.stepUs / kRuns;
    std::printf("runs: %d\n", kRuns);
    std::printf("bare Lua call:            %9.2f us per call (%.1f ms in all)\n", barePer, bare / 1000.0);
    std::printf("runner, queued at once:   %9.2f us per test (%.1f ms in all)\n", bulkPer, result.bulkUs / 1000.0);
    std::printf("runner, one at a time:    %9.2f us per test (%.1f ms in all)\n", stepPer, result.stepUs / 1000.0);
    std::printf("ratio runner/bare:        %9.1f queued, %.1f one at a time\n", bulkPer / barePer, stepPer / barePer);
    std::printf("overhead per test:        %9.2f us queued, %.2f us one at a time\n", bulkPer - barePer,
                stepPer - barePer);
    std::printf("row statistics:           %s\n", qPrintable(result.statistics));
    return 0;
}

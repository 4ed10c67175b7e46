// Measures the Files page: the longest stall of the GUI event loop while a unit folder of
// 5000 entries is listed and shown, and copies through the runner and the resource plug-in
// as a fraction of the raw line rate (115200 baud = 11520 bytes/s) with the fixed cost of a
// small file. Runs against the simulated unit on a pseudo-terminal.

#include "files/core/cdevicefsrunner.h"
#include "files/ui/cdevicefsmodel.h"
#include "files/ui/cdevicefsview.h"
#include "sim/csimulatedunit.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTest>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

namespace {

constexpr double kLineRate = 11520.0;

sIODevice deviceOf(const cSimulatedUnit &unit)
{
    sIODevice d;
    d.id = unit.ptyPath();
    d.name = QStringLiteral("bench");
    d.devices = {sIOSubDevice{nullptr, QStringLiteral("serial"), QStringLiteral("serial"), unit.ptyPath(), {}}};
    return d;
}

// Runs one request; the result code, or -1 after a minute. The answer comes queued into this
// thread, so a quick one is not missed.
int run(cDeviceFSRunner *runner, const std::function<void()> &request)
{
    QObject receiver;
    int code = -1;
    bool done = false;
    QObject::connect(runner, &cDeviceFSRunner::operationFinished, &receiver, [&](int c) {
        code = c;
        done = true;
    }, Qt::QueuedConnection);
    request();
    static_cast<void>(QTest::qWaitFor([&] { return done; }, 60000));
    return code;
}

bool writeFile(const QString &path, const QByteArray &data)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(data) == data.size();
}

void listing()
{
    QTemporaryDir dir;
    for (int i = 0; i < 5000; ++i)
        writeFile(dir.filePath(QStringLiteral("record_%1.csv").arg(i, 5, 10, QLatin1Char('0'))), "x");
    for (int i = 0; i < 50; ++i)
        QDir(dir.path()).mkdir(QStringLiteral("folder_%1").arg(i));
    cSimulatedUnit unit;
    if (!unit.setOptions({QStringLiteral("fs=") + dir.path(), QStringLiteral("log-rate=0.1")}) || !unit.start()) {
        std::fprintf(stderr, "simulated unit: %s\n", qPrintable(unit.errorString()));
        return;
    }
    cDeviceFSView view;
    view.resize(800, 600);
    view.show();
    auto runner = view.model()->worker();
    if (run(runner, [&] { view.init(deviceOf(unit)); }) != 0) {
        std::fprintf(stderr, "cannot open the transfer mode\n");
        return;
    }
    // The longest gap between two ticks of a 1 ms timer is the longest stall the operator sees.
    qint64 longest = 0;
    QElapsedTimer gap;
    QTimer tick;
    tick.setInterval(1);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        longest = qMax(longest, gap.restart());
    });
    // The model's own share: from the start of its reset to its end.
    QElapsedTimer resetTimer;
    qint64 resetMs = 0;
    QObject::connect(view.model(), &QAbstractItemModel::modelAboutToBeReset, [&] { resetTimer.start(); });
    QObject::connect(view.model(), &QAbstractItemModel::modelReset, [&] { resetMs = resetTimer.elapsed(); });
    QElapsedTimer total;
    total.start();
    gap.start();
    tick.start();
    const int code = run(runner, [&] { view.setRoot(QStringLiteral("/"), true); });
    QApplication::processEvents();
    tick.stop();
    std::printf("listing of %d entries: result %d, %.0f ms from request to rows shown, longest event-loop stall %lld ms "
                "(bound 50 ms), of which the model reset %lld ms\n",
                view.model()->rowCount(), code, double(total.elapsed()), static_cast<long long>(longest),
                static_cast<long long>(resetMs));
    // The same rows filled once more, without the line: the model's own share of the stall.
    QList<sDeviceFSEntry> entries;
    for (int i = 0; i < 5050; ++i) {
        sDeviceFSEntry e;
        e.name = QStringLiteral("record_%1.csv").arg(i);
        e.isDir = i < 50;
        e.size = 1;
        e.modified = QDateTime::currentDateTime();
        entries.append(e);
    }
    QElapsedTimer fill;
    fill.start();
    view.model()->fill(QStringLiteral("/"), entries);
    QApplication::processEvents();
    std::printf("model fill of 5050 rows and one relayout: %lld ms\n", static_cast<long long>(fill.elapsed()));
    run(runner, [&] { view.deinit(); });
}

void copies()
{
    QTemporaryDir unitDir;
    QTemporaryDir local;
    cSimulatedUnit unit;
    if (!unit.setOptions({QStringLiteral("fs=") + unitDir.path(), QStringLiteral("baud=115200"),
                          QStringLiteral("log-rate=0.1")})
        || !unit.start()) {
        std::fprintf(stderr, "simulated unit: %s\n", qPrintable(unit.errorString()));
        return;
    }
    cDeviceFSRunner runner;
    if (run(&runner, [&] { runner.init(deviceOf(unit)); }) != 0) {
        std::fprintf(stderr, "cannot open the transfer mode\n");
        return;
    }
    const int size = 48 * 1024;
    QByteArray data(size, Qt::Uninitialized);
    QRandomGenerator gen(5);
    for (char &c : data)
        c = char(gen.generate());
    const QString source = local.filePath(QStringLiteral("payload.bin"));
    writeFile(source, data);
    QElapsedTimer t;
    t.start();
    const int up = run(&runner, [&] { runner.copyToDevice({source}, QStringLiteral("/")); });
    const double upSecs = t.elapsed() / 1000.0;
    QDir(local.path()).mkdir(QStringLiteral("down"));
    t.restart();
    const int down = run(&runner, [&] { runner.copyFromDevice({QStringLiteral("/payload.bin")}, local.filePath(QStringLiteral("down"))); });
    const double downSecs = t.elapsed() / 1000.0;
    std::printf("115200 baud upload   %d bytes in %.2f s: %.3f of line rate (result %d, bound 0.95)\n", size, upSecs,
                size / upSecs / kLineRate, up);
    std::printf("115200 baud download %d bytes in %.2f s: %.3f of line rate (result %d, bound 0.95)\n", size, downSecs,
                size / downSecs / kLineRate, down);

    const int files = 20;
    const int small = 16;
    QStringList sources;
    QStringList unitPaths;
    for (int i = 0; i < files; ++i) {
        sources << local.filePath(QStringLiteral("small_%1.txt").arg(i));
        unitPaths << QStringLiteral("/small_%1.txt").arg(i);
        writeFile(sources.last(), QByteArray(small, 'a'));
    }
    t.restart();
    run(&runner, [&] { runner.copyToDevice(sources, QStringLiteral("/")); });
    const double upEach = t.elapsed() / double(files) - 1000.0 * small / kLineRate;
    t.restart();
    run(&runner, [&] { runner.copyFromDevice(unitPaths, local.filePath(QStringLiteral("down"))); });
    const double downEach = t.elapsed() / double(files) - 1000.0 * small / kLineRate;
    std::printf("%d files of %d bytes: fixed cost %.1f ms per upload, %.1f ms per download (bound 10 ms)\n", files, small,
                upEach, downEach);
    run(&runner, [&] { runner.deinit(); });
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    listing();
    copies();
    return 0;
}

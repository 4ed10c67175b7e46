// Measures the log monitor: the parser's quick path against trying every pattern on a generated
// log of a million lines, "parse --count" against grep on the same file, and the Logs page on a
// simulated unit at its fastest rate and at 1 MB/s (throughput, event-loop stalls, CPU, and
// whether every byte reached the device log). Ratios come from this run alone.

#include "logs/core/cdatareader.h"
#include "logs/core/cdatawriter.h"
#include "logs/core/clogrecognizer.h"
#include "logs/core/ctextlogparser.h"
#include "logs/ui/clogmainwindow.h"
#include "platform/port/port.h"
#include "sim/csimhardware.h"
#include "sim/csimloggenerator.h"

#include <QAction>
#include <QApplication>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kLines = 1000000;

QString programDir()
{
    const QString root = qEnvironmentVariable("ZOVAN_APP_ROOT");
    return root.isEmpty() ? QCoreApplication::applicationDirPath() + QStringLiteral("/../zovan/bin")
                          : root + QStringLiteral("/bin");
}

double cpuSeconds()
{
    rusage u {};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

template<class F>
double bestOf(int runs, F f)
{
    double best = 1e30;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        f();
        best = std::min(best, double(t.nsecsElapsed()) / 1e9);
    }
    return best;
}

// CPU time (user and system) of one run of a program, from its own wait status: QProcess reaps
// its children out of sight, so the process-wide children's account cannot be trusted around it.
double runOnce(const QString &program, const QStringList &args, bool cLocale)
{
    QList<QByteArray> argBytes {program.toLocal8Bit()};
    for (const QString &a : args)
        argBytes.append(a.toLocal8Bit());
    std::vector<char *> argv;
    for (QByteArray &a : argBytes)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    // Everything the child needs is made before fork: only async-signal-safe calls after it.
    QList<QByteArray> envBytes;
    for (char **e = environ; *e; ++e) {
        if (!cLocale || qstrncmp(*e, "LC_ALL=", 7) != 0)
            envBytes.append(*e);
    }
    if (cLocale)
        envBytes.append("LC_ALL=C");
    std::vector<char *> envp;
    for (QByteArray &e : envBytes)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    // Output into a pipe, not /dev/null: grep sees /dev/null and stops at the first match. What
    // both print (a count per name) fits the pipe's buffer, so nobody needs to read it.
    int out[2];
    if (pipe(out) != 0)
        return 1e30;
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(out[1], STDOUT_FILENO);
        execve(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    close(out[1]);
    int status = 0;
    rusage u {};
    const pid_t waited = pid < 0 ? pid : wait4(pid, &status, 0, &u);
    close(out[0]);
    if (pid < 0 || waited != pid || !WIFEXITED(status) || WEXITSTATUS(status) > 1) {
        std::fprintf(stderr, "%s failed\n", qPrintable(program));
        return 1e30;
    }
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// Best of three: fair on a machine busy with other work.
double runProcess(const QString &program, const QStringList &args, bool cLocale)
{
    double best = 1e30;
    for (int i = 0; i < 3; ++i)
        best = std::min(best, runOnce(program, args, cLocale));
    return best;
}

template<class F>
double parseAll(const QByteArray &log, F recognize)
{
    return bestOf(2, [&] {
        cLogRecognizer::Records records;
        qsizetype start = 0;
        qint64 found = 0;
        while (start < log.size()) {
            qsizetype lf = log.indexOf('\n', start);
            if (lf < 0)
                lf = log.size();
            records.clear();
            recognize(QString::fromLatin1(log.constData() + start, lf - start), &records);
            found += records.size();
            start = lf + 1;
        }
        if (found == 0)
            std::printf("no records found?\n");
    });
}

struct sPageFigures
{
    double bytesPerSecond = 0;
    double cpuShare = 0;
    double maxStallMs = 0;
    qint64 received = 0;
    qint64 written = 0;
};

// The Logs page reading zovan-unit-sim (a separate process, as a real unit would be) for seconds.
sPageFigures measurePage(const QString &programs, const QString &logRate, double seconds, const QString &appRoot)
{
    sPageFigures f;
    QProcess sim;
    sim.start(programs + QStringLiteral("/zovan-unit-sim"),
              {QStringLiteral("--log-rate=") + logRate, QStringLiteral("--ready-ms=0")});
    if (!sim.waitForReadyRead(5000)) {
        std::printf("zovan-unit-sim did not start\n");
        return f;
    }
    const QString pty = QString::fromLocal8Bit(sim.readLine()).trimmed();
    sIODevice unit;
    unit.id = pty;
    unit.name = QStringLiteral("bench unit");
    unit.devices.append({nullptr, QStringLiteral("serial"), QStringLiteral("serial"), pty, {}});
    port::registerUnit(unit);
    {
        cLogMainWindow window(nullptr);
        window.resize(1200, 800);
        window.show();
        auto connect = window.findChild<QAction *>(QStringLiteral("connectAction"));
        QElapsedTimer wait;
        wait.start();
        while (!connect->isEnabled() && wait.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        auto reader = window.findChild<cDataReader *>();
        QTimer probe;
        QElapsedTimer sinceProbe;
        probe.setInterval(5);
        QObject::connect(&probe, &QTimer::timeout, [&] {
            f.maxStallMs = std::max(f.maxStallMs, double(sinceProbe.nsecsElapsed()) / 1e6 - 5.0);
            sinceProbe.restart();
        });
        connect->trigger();
        // Settle first, then measure.
        QEventLoop loop;
        QTimer::singleShot(1000, &loop, &QEventLoop::quit);
        loop.exec();
        const qint64 bytes0 = qint64(reader->bytesReceived());
        const double cpu0 = cpuSeconds();
        QElapsedTimer wall;
        wall.start();
        sinceProbe.start();
        probe.start();
        QTimer::singleShot(int(seconds * 1000), &loop, &QEventLoop::quit);
        loop.exec();
        probe.stop();
        f.bytesPerSecond = double(qint64(reader->bytesReceived()) - bytes0) / (double(wall.elapsed()) / 1000);
        f.cpuShare = (cpuSeconds() - cpu0) / (double(wall.elapsed()) / 1000);
        window.findChild<QAction *>(QStringLiteral("disconnectAction"))->trigger();
        wait.restart();
        while (reader->isRunning() && wait.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        f.received = qint64(reader->bytesReceived());
        auto parser = window.findChild<cTextLogParser *>();
        parser->wait(5000);
        parser->writer()->wait(5000);
    }
    port::unregisterUnit(pty);
    sim.terminate();
    sim.waitForFinished(5000);
    for (QDirIterator it(appRoot + QStringLiteral("/bin/log"), {QStringLiteral("*.txt")}, QDir::Files,
                         QDirIterator::Subdirectories);
         it.hasNext();) {
        QFile file(it.next());
        f.written += file.size();
        file.remove();
    }
    return f;
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    QApplication app(argc, argv);
    const QString programs = programDir();
    QTemporaryDir root;
    qputenv("ZOVAN_APP_ROOT", QFile::encodeName(root.path()));
    QDir().mkpath(root.filePath(QStringLiteral("bin/log")));

    // A million lines of a unit's log, records and free text mixed as it prints them.
    cSimHardware hardware;
    cSimLogGenerator generator(7, &hardware);
    generator.reboot(0, false);
    QByteArray log;
    log.reserve(qsizetype(kLines) * 90);
    for (int i = 0; i < kLines; ++i)
        log += generator.nextLine(qint64(i) * 50000);
    const QString file = root.filePath(QStringLiteral("device_log.txt"));
    {
        QFile out(file);
        out.open(QIODevice::WriteOnly);
        out.write(log);
    }
    const double averageLine = double(log.size()) / kLines;
    std::printf("log: %d lines, %.1f MB, %.1f bytes per line\n", kLines, double(log.size()) / 1e6, averageLine);

    const double quick = parseAll(log, cLogRecognizer::recognize);
    const double plain = parseAll(log, cLogRecognizer::recognizePlain);
    std::printf("parser, every pattern:     %.3f s (%.0f k lines/s)\n", plain, kLines / plain / 1000);
    std::printf("parser, by leading name:   %.3f s (%.0f k lines/s)\n", quick, kLines / quick / 1000);
    std::printf("  speed-up: %.1fx (target >= 10x)\n", plain / quick);

    const double parse = runProcess(programs + QStringLiteral("/zovan-tools-cli"),
                                    {QStringLiteral("parse"), file, QStringLiteral("--count")}, false);
    const QString names = QStringLiteral(
        "sens_nd|mng_gsm|veh_bus__values__log|can_log|ain[0-9]|din[0-9]|fuel[0-9]|vin\\[|vscap|counter[0-9]|"
        "fmeter|stor_chnl_|tracker_|flag_sos|flag_call_request|cpu usage:|partition total/used/free:");
    const double grep = runProcess(QStringLiteral("/usr/bin/grep"), {QStringLiteral("-ciE"), names, file}, true);
    std::printf("zovan-tools-cli parse --count: %.3f s CPU; LC_ALL=C grep -ciE: %.3f s CPU\n", parse, grep);
    std::printf("  parse runs at %.2f of grep's speed (target >= 0.25)\n", grep / parse);

    const sPageFigures fastest = measurePage(programs, QStringLiteral("0"), 4.0, root.path());
    std::printf("page, unit at its fastest rate: %.2f MB/s read (target >= 2), longest event-loop stall %.1f ms "
                "(target <= 50), CPU %.0f%% of a core\n",
                fastest.bytesPerSecond / 1e6, fastest.maxStallMs, fastest.cpuShare * 100);
    std::printf("  device log: %lld of %lld bytes received written\n", static_cast<long long>(fastest.written),
                static_cast<long long>(fastest.received));
    const sPageFigures steady = measurePage(programs, QString::number(int(1e6 / averageLine)), 4.0, root.path());
    std::printf("page at 1 MB/s: %.2f MB/s read, CPU %.0f%% of a core (target < 50%%), longest stall %.1f ms\n",
                steady.bytesPerSecond / 1e6, steady.cpuShare * 100, steady.maxStallMs);
    std::printf("  device log: %lld of %lld bytes received written\n", static_cast<long long>(steady.written),
                static_cast<long long>(steady.received));
    return 0;
}

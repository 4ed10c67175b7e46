// zovan-unit-sim: a simulated ZOVAN unit on a pseudo-terminal, until SIGINT or SIGTERM.

#include "sim/csimulatedunit.h"

#include <QCoreApplication>
#include <QStringList>

#include <csignal>
#include <cstdio>
#include <pthread.h>

namespace {

void printHelp()
{
    std::printf("Usage: zovan-unit-sim [--KEY=VALUE]...\n\n"
                "Starts a simulated ZOVAN unit and prints the path of its serial line (the first\n"
                "line of output, alone) and the path of its GPIO/I2C adapter socket, then runs\n"
                "until interrupted (SIGINT or SIGTERM).\n\nOptions:\n");
    for (const QString &line : cSimulatedUnit::optionHelp())
        std::printf("  --%s\n", line.toLocal8Bit().constData());
    std::printf("  --help  this text\n");
}

} // namespace

int main(int argc, char **argv)
{
    // Block the stop signals before any thread exists, so that every thread inherits the
    // mask and only sigwait() below receives them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    QCoreApplication app(argc, argv);
    QStringList options;
    const QStringList args = app.arguments().mid(1);
    for (const QString &arg : args) {
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            printHelp();
            return 0;
        }
        if (!arg.startsWith(QLatin1String("--")) || arg.size() < 3) {
            std::fprintf(stderr, "zovan-unit-sim: unexpected argument '%s' (options are --KEY=VALUE; see --help)\n",
                         arg.toLocal8Bit().constData());
            return 2;
        }
        options << arg.mid(2);
    }

    cSimulatedUnit unit;
    if (!unit.setOptions(options)) {
        std::fprintf(stderr, "zovan-unit-sim: %s\n", unit.errorString().toLocal8Bit().constData());
        return 2;
    }
    QObject::connect(&unit, &cSimulatedUnit::hungUp, &unit,
                     [] { std::fprintf(stderr, "zovan-unit-sim: line hung up as configured\n"); },
                     Qt::DirectConnection);
    if (!unit.start()) {
        std::fprintf(stderr, "zovan-unit-sim: %s\n", unit.errorString().toLocal8Bit().constData());
        return 1;
    }
    std::printf("%s\n", unit.ptyPath().toLocal8Bit().constData());
    std::printf("adapter socket: %s\n", unit.adapterSocketPath().toLocal8Bit().constData());
    std::printf("unit %s running; stop with Ctrl-C\n", unit.options().name.toLocal8Bit().constData());
    std::fflush(stdout);

    int signal = 0;
    sigwait(&stopSignals, &signal);
    unit.stop();
    const sSimUnitStats s = unit.stats();
    std::fprintf(stderr, "zovan-unit-sim: stopped (%llu bytes received, %llu sent)\n",
                 static_cast<unsigned long long>(s.bytesFromHost), static_cast<unsigned long long>(s.bytesToHost));
    return 0;
}

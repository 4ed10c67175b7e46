#include "app/cli/ccliarguments.h"
#include "app/cli/clogcommands.h"
#include "app/cli/ctestsession.h"
#include "app/cli/fscommand.h"
#include "app/common/embeddedunit.h"
#include "platform/port/port.h"

#include "ztversion.h"

#include <QCoreApplication>
#include <QTimer>

#include <cstdio>

namespace {

int listPorts(const cCliArguments &args)
{
    if (args.sim()) {
        QString why;
        if (!startEmbeddedUnit(args.simOptions(), &why)) {
            std::fprintf(stderr, "error: cannot start the simulated unit: %s\n", qPrintable(why));
            return cTestSession::ExitNoEnvironment;
        }
    }
    const QList<sIODevice> units = port::enumerate();
    for (const sIODevice &d : units) {
        std::printf("%s\t%s\t%s\n", d.id.toLocal8Bit().constData(), d.name.toLocal8Bit().constData(),
                    d.info.toLocal8Bit().constData());
    }
    if (units.isEmpty())
        std::fprintf(stderr, "no units found\n");
    if (args.sim())
        stopEmbeddedUnit();
    return cTestSession::ExitOk;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral(ZT_ORGANIZATION_NAME));
    QCoreApplication::setApplicationName(QStringLiteral(ZT_APPLICATION_NAME));
    QCoreApplication::setApplicationVersion(QStringLiteral(ZT_VERSION_STRING));

    if (QCoreApplication::arguments().value(1) == QLatin1String("fs"))
        return runFsCommand(QCoreApplication::arguments().mid(2));
    if (cLogCommands::handles(QCoreApplication::arguments().mid(1)))
        return cLogCommands::run(QCoreApplication::arguments().mid(1));

    cCliArguments args;
    if (!args.parse(QCoreApplication::arguments().mid(1))) {
        std::fprintf(stderr, "zovan-tools-cli: %s\n", qPrintable(args.error()));
        return cTestSession::ExitNoEnvironment;
    }
    switch (args.command()) {
    case cCliArguments::HelpCommand:
        std::fputs(qPrintable(args.helpText()), stdout);
        return cTestSession::ExitOk;
    case cCliArguments::VersionCommand:
        std::printf("zovan-tools-cli %s\n", ZT_VERSION_STRING);
        return cTestSession::ExitOk;
    case cCliArguments::PortsCommand:
        return listPorts(args);
    case cCliArguments::TestCommand:
        break;
    case cCliArguments::NoCommand:
        return cTestSession::ExitNoEnvironment;
    }

    cTestSession session(args);
    QObject::connect(&session, &cTestSession::finished, &app, &QCoreApplication::exit, Qt::QueuedConnection);
    QTimer::singleShot(0, &session, &cTestSession::start);
    return app.exec();
}

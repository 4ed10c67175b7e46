#include "app/cli/fscommand.h"

#include "app/cli/cfsarguments.h"
#include "app/cli/cfssession.h"

#include <QCoreApplication>
#include <QTimer>

#include <cstdio>

int runFsCommand(const QStringList &arguments)
{
    cFsArguments args;
    if (!args.parse(arguments)) {
        std::fprintf(stderr, "zovan-tools-cli fs: %s\n", qPrintable(args.error()));
        return cFsSession::ExitNoEnvironment;
    }
    if (args.helpRequested()) {
        std::fputs(qPrintable(cFsArguments::help()), stdout);
        return cFsSession::ExitOk;
    }
    cFsSession session(args);
    QObject::connect(&session, &cFsSession::finished, QCoreApplication::instance(), &QCoreApplication::exit,
                     Qt::QueuedConnection);
    QTimer::singleShot(0, &session, &cFsSession::start);
    return QCoreApplication::exec();
}

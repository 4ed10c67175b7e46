#include "app/cli/clogcommands.h"

#include "app/cli/cliunit.h"
#include "app/cli/csignalwatcher.h"
#include "app/common/embeddedunit.h"
#include "logs/core/cdatareader.h"
#include "logs/core/clogrecognizer.h"
#include "logs/core/ctextlogparser.h"
#include "platform/logging/logs.h"
#include "platform/port/port.h"

#include <QCoreApplication>
#include <QFile>
#include <QLocale>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

enum { ExitOk = 0, ExitFailed = 1, ExitUsage = 2 };

bool isHelp(const QString &arg)
{
    return arg == QLatin1String("--help") || arg == QLatin1String("-h");
}

int usageError(const QString &why, const QString &help)
{
    std::fprintf(stderr, "zovan-tools-cli: %s\n\n%s", qPrintable(why), qPrintable(help));
    return ExitUsage;
}

void printRecord(const sLogRecord &r, qint64 lineNo, bool json)
{
    if (json) {
        const QByteArray text = r.toJson() + '\n';
        std::fwrite(text.constData(), 1, size_t(text.size()), stdout);
        return;
    }
    // The readable form: "line: signal name=value ...", from the same JSON values.
    QByteArray text = QByteArray::number(lineNo) + ": " + sLogRecord::signalName(r.kind);
    for (int i = 0; i < sLogRecord::argumentCount(r.kind); ++i) {
        text += ' ';
        text += sLogRecord::argumentName(r.kind, i);
        text += '=';
        if (sLogRecord::argumentType(r.kind, i) == sLogRecord::Text)
            text += r.text.toUtf8();
        else if (sLogRecord::argumentType(r.kind, i) == sLogRecord::Real)
            text += QByteArray::number(r.real, 'g', QLocale::FloatingPointShortest);
        else if (sLogRecord::argumentType(r.kind, i) == sLogRecord::Bool)
            text += r.values[i] ? "true" : "false";
        else
            text += QByteArray::number(r.values[i]);
    }
    text += '\n';
    std::fwrite(text.constData(), 1, size_t(text.size()), stdout);
}

int parseFile(const QStringList &args)
{
    QString fileName;
    bool json = false;
    bool count = false;
    for (const QString &arg : args) {
        if (arg == QLatin1String("--jsonl"))
            json = true;
        else if (arg == QLatin1String("--count"))
            count = true;
        else if (arg.startsWith(QLatin1Char('-')) && arg != QLatin1String("-"))
            return usageError(QStringLiteral("parse: unknown option '%1'").arg(arg), cLogCommands::parseHelp());
        else if (!fileName.isEmpty())
            return usageError(QStringLiteral("parse: give one file"), cLogCommands::parseHelp());
        else
            fileName = arg;
    }
    if (fileName.isEmpty())
        return usageError(QStringLiteral("parse: no file given"), cLogCommands::parseHelp());
    if (json && count)
        return usageError(QStringLiteral("parse: --jsonl and --count exclude each other"), cLogCommands::parseHelp());

    QFile file;
    const bool opened = fileName == QLatin1String("-") ? file.open(stdin, QIODevice::ReadOnly)
                                                       : (file.setFileName(fileName), file.open(QIODevice::ReadOnly));
    if (!opened) {
        std::fprintf(stderr, "zovan-tools-cli: parse: cannot open %s: %s\n", qPrintable(fileName),
                     qPrintable(file.errorString()));
        return ExitFailed;
    }
    // Lines as the reader delivers them: split at LF, CR kept, bytes as Latin-1, empty lines skipped.
    constexpr qint64 kBlock = 4 * 1024 * 1024;
    QByteArray pending;
    qint64 lineNo = 0;
    qint64 counts[sLogRecord::KindCount] = {};
    cLogRecognizer::Records records;
    cLogRecognizer::Kinds kinds;
    const auto handle = [&](const char *data, qsizetype size) {
        ++lineNo;
        if (size == 0)
            return;
        if (count) {
            // Counting needs the kinds only, not the converted values.
            kinds.clear();
            cLogRecognizer::classify(QByteArrayView(data, size), &kinds);
            for (const sLogRecord::eKind k : std::as_const(kinds))
                ++counts[k];
            return;
        }
        records.clear();
        cLogRecognizer::recognize(QString::fromLatin1(data, size), &records);
        for (const sLogRecord &r : std::as_const(records)) {
            if (count)
                ++counts[r.kind];
            else
                printRecord(r, lineNo, json);
        }
    };
    // A regular file is read in place; a pipe block by block.
    bool mappedAll = false;
    if (uchar *mapped = file.size() > 0 ? file.map(0, file.size()) : nullptr) {
        mappedAll = true;
        const char *data = reinterpret_cast<const char *>(mapped);
        const qsizetype size = file.size();
        qsizetype start = 0;
        while (start < size) {
            const char *lf = static_cast<const char *>(std::memchr(data + start, '\n', size_t(size - start)));
            const qsizetype end = lf ? lf - data : size;
            handle(data + start, end - start);
            start = end + 1;
        }
    }
    bool more = !mappedAll;
    while (more) {
        const QByteArray block = file.read(kBlock);
        more = !block.isEmpty();
        pending += block;
        const char *data = pending.constData();
        qsizetype start = 0;
        while (const char *lf = static_cast<const char *>(std::memchr(data + start, '\n', size_t(pending.size() - start)))) {
            handle(data + start, lf - (data + start));
            start = lf - data + 1;
        }
        if (!more && start < pending.size())
            handle(data + start, pending.size() - start);
        pending.remove(0, start);
    }
    if (file.error() != QFileDevice::NoError) {
        std::fprintf(stderr, "zovan-tools-cli: parse: reading %s failed: %s\n", qPrintable(fileName),
                     qPrintable(file.errorString()));
        return ExitFailed;
    }
    if (count) {
        for (int k = 0; k < sLogRecord::KindCount; ++k)
            std::printf("%s\t%lld\n", sLogRecord::signalName(sLogRecord::eKind(k)), static_cast<long long>(counts[k]));
    }
    std::fflush(stdout);
    return ExitOk;
}

int liveLog(const QStringList &args)
{
    QString portId;
    bool sim = false;
    bool json = false;
    QStringList simOptions;
    for (int i = 0; i < args.size(); ++i) {
        const QString arg = args.at(i);
        const auto value = [&](const QString &option, QString *out) {
            if (arg.startsWith(option + QLatin1Char('='))) {
                *out = arg.mid(option.size() + 1);
            } else if (arg == option && i + 1 < args.size()) {
                *out = args.at(++i);
            } else {
                return false;
            }
            return !out->isEmpty();
        };
        QString v;
        if (arg == QLatin1String("--sim")) {
            sim = true;
        } else if (arg == QLatin1String("--jsonl")) {
            json = true;
        } else if (arg.startsWith(QLatin1String("--port"))) {
            if (!value(QStringLiteral("--port"), &portId))
                return usageError(QStringLiteral("--port needs an id"), cLogCommands::logHelp());
        } else if (arg.startsWith(QLatin1String("--sim-option"))) {
            if (!value(QStringLiteral("--sim-option"), &v) || !v.contains(QLatin1Char('=')))
                return usageError(QStringLiteral("--sim-option expects KEY=VALUE"), cLogCommands::logHelp());
            simOptions << v;
        } else if (arg.startsWith(QLatin1String("--log-profile="))) {
            simOptions << arg.mid(2);
        } else {
            return usageError(QStringLiteral("log: unknown argument '%1'").arg(arg), cLogCommands::logHelp());
        }
    }
    if (sim == !portId.isEmpty())
        return usageError(QStringLiteral("log: give --port ID or --sim"), cLogCommands::logHelp());
    if (!simOptions.isEmpty() && !sim)
        return usageError(QStringLiteral("--sim-option needs --sim"), cLogCommands::logHelp());

    QString why;
    sIODevice device;
    bool simStarted = false;
    if (!resolveCliUnit(sim, simOptions, portId, &device, &simStarted, &why)) {
        std::fprintf(stderr, "zovan-tools-cli: log: %s\n", qPrintable(why));
        return ExitUsage;
    }

    int status = ExitOk;
    logs::get();   // the log engine lives in this thread, not in the first worker that logs
    {
        cDataReader reader;
        cTextLogParser parser(&reader, nullptr);
        if (json) {
            // Printed in the parser's thread: stdio locks its stream, and nothing is copied across threads.
            QObject::connect(&parser, &cTextLogParser::recordFound, &parser,
                             [](const sLogRecord &r) { printRecord(r, 0, true); std::fflush(stdout); },
                             Qt::DirectConnection);
        } else {
            QObject::connect(&parser, &cTextLogParser::lineFound, &parser, [](const QString &line) {
                const QByteArray bytes = line.toLatin1() + '\n';
                std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
                std::fflush(stdout);
            }, Qt::DirectConnection);
        }
        cSignalWatcher interrupts;
        QObject::connect(&interrupts, &cSignalWatcher::interrupted, &reader, [&reader, &parser] {
            reader.stopReading();
            parser.stopParsing();
        });
        QObject::connect(&reader, &QThread::finished, QCoreApplication::instance(), [&] {
            parser.stopParsing();
            QCoreApplication::exit(0);
        }, Qt::QueuedConnection);
        reader.startReading(device);
        parser.startParsing(QStringLiteral("*"));
        QCoreApplication::exec();
        parser.stopParsing();
        parser.wait(5000);
        QCoreApplication::processEvents();
        if (!reader.bytesReceived()) {
            std::fprintf(stderr, "zovan-tools-cli: log: nothing was read from %s\n", qPrintable(device.name));
            status = ExitFailed;
        }
    }
    if (simStarted)
        stopEmbeddedUnit();
    return status;
}

} // namespace

bool cLogCommands::handles(const QStringList &arguments)
{
    return !arguments.isEmpty()
           && (arguments.first() == QLatin1String("parse") || arguments.first() == QLatin1String("log"));
}

QString cLogCommands::parseHelp()
{
    return QStringLiteral(
        "Usage: zovan-tools-cli parse FILE [--jsonl | --count]\n"
        "\n"
        "Runs the Logs page's parser over a saved device log (FILE, or - for standard input)\n"
        "and prints the status records it finds, one a line.\n"
        "\n"
        "Options:\n"
        "  --jsonl      one JSON object per record: {\"signal\":\"nav\",\"tm\":100,...}\n"
        "  --count      how many records of each kind were found\n"
        "  -h, --help   show this help\n");
}

QString cLogCommands::logHelp()
{
    return QStringLiteral(
        "Usage: zovan-tools-cli log (--port ID | --sim) [--jsonl] [--sim-option KEY=VALUE]...\n"
        "\n"
        "Prints a unit's live log until interrupted (Ctrl+C), or with --jsonl its status\n"
        "records as JSON lines. A copy of the log goes to the device log folder, as on the\n"
        "Logs page.\n"
        "\n"
        "Options:\n"
        "  --port ID                the unit with this id (see the ports command)\n"
        "  --sim                    start the built-in simulated unit and read it\n"
        "  --sim-option KEY=VALUE   an option of the simulated unit (repeatable),\n"
        "                           e.g. log-profile=edge or log-rate=0\n"
        "  --log-profile=PROFILE    short for --sim-option log-profile=PROFILE\n"
        "  --jsonl                  print the typed records instead of the lines\n"
        "  -h, --help               show this help\n");
}

int cLogCommands::run(const QStringList &arguments)
{
    const QString command = arguments.first();
    const QStringList rest = arguments.mid(1);
    const bool parse = command == QLatin1String("parse");
    if (std::any_of(rest.cbegin(), rest.cend(), isHelp)) {
        std::fputs(qPrintable(parse ? parseHelp() : logHelp()), stdout);
        return ExitOk;
    }
    return parse ? parseFile(rest) : liveLog(rest);
}

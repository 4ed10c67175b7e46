#include "app/cli/ccliarguments.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace {

bool isHelp(const QString &arg)
{
    return arg == QLatin1String("--help") || arg == QLatin1String("-h");
}

} // namespace

QString cCliArguments::overviewHelp()
{
    return QStringLiteral(
        "Usage: zovan-tools-cli <command> [options]\n"
        "\n"
        "Runs the ZOVAN Tools test workbench without its window.\n"
        "\n"
        "Commands:\n"
        "  ports   list the units that can be tested\n"
        "  test    run the unit's tests and print their results\n"
        "  fs      list, copy, make and delete files on the unit\n"
        "  parse   parse a saved device log into status records\n"
        "  log     print a unit's live log or its status records\n"
        "\n"
        "  zovan-tools-cli <command> --help   shows the options of a command\n"
        "  zovan-tools-cli --version          shows the version\n");
}

QString cCliArguments::portsHelp()
{
    return QStringLiteral(
        "Usage: zovan-tools-cli ports [--sim] [--sim-option KEY=VALUE]...\n"
        "\n"
        "Lists the units that the port selector offers, one a line:\n"
        "id, unit name and description, separated by tabs.\n"
        "\n"
        "Options:\n"
        "  --sim                    start the built-in simulated unit first\n"
        "  --sim-option KEY=VALUE   an option of the simulated unit (repeatable)\n"
        "  -h, --help               show this help\n");
}

QString cCliArguments::testHelp()
{
    return QStringLiteral(
        "Usage: zovan-tools-cli test (--port ID | --sim) [options]\n"
        "\n"
        "Connects to a unit as the test workbench does, runs its tests and prints one\n"
        "result line per test run, then the statistics.\n"
        "\n"
        "Options:\n"
        "  --port ID                test the unit with this id (see the ports command)\n"
        "  --sim                    start the built-in simulated unit and test it\n"
        "  --sim-option KEY=VALUE   an option of the simulated unit (repeatable);\n"
        "                           package=none gives a unit without a test package,\n"
        "                           so that the local tests run\n"
        "  --app-dir DIR            the application folder holding scripts/general,\n"
        "                           scripts/test and tests (default: the installed one)\n"
        "  --runs N                 run the tests N times (default 1)\n"
        "  --only NAME,...          run only these tests (repeatable)\n"
        "  --junit FILE             write a JUnit XML report to FILE\n"
        "  --verbose                print the test log after the statistics\n"
        "  --trust-unit             run the unit's test package with the full Lua\n"
        "                           libraries instead of the sandbox\n"
        "  -h, --help               show this help\n"
        "\n"
        "Exit status: 0 when no test ended in error, 1 when one did or the run was\n"
        "interrupted, 2 when the unit could not be prepared or the arguments are wrong.\n");
}

QString cCliArguments::helpText() const
{
    switch (m_helpFor) {
    case PortsCommand: return portsHelp();
    case TestCommand: return testHelp();
    default: return overviewHelp();
    }
}

bool cCliArguments::fail(const QString &why)
{
    m_error = why;
    return false;
}

bool cCliArguments::parse(const QStringList &arguments)
{
    m_error.clear();
    if (arguments.isEmpty())
        return fail(QStringLiteral("no command given (try --help)"));
    const QString first = arguments.first();
    const QStringList rest = arguments.mid(1);
    if (isHelp(first) || first == QLatin1String("help")) {
        m_command = HelpCommand;
        if (!rest.isEmpty() && rest.first() == QLatin1String("ports"))
            m_helpFor = PortsCommand;
        else if (!rest.isEmpty() && rest.first() == QLatin1String("test"))
            m_helpFor = TestCommand;
        return true;
    }
    if (first == QLatin1String("--version")) {
        m_command = VersionCommand;
        return true;
    }
    // --help anywhere after a command shows that command's help, whatever else is wrong.
    const bool wantsHelp = std::any_of(rest.cbegin(), rest.cend(), isHelp);
    if (wantsHelp && (first == QLatin1String("ports") || first == QLatin1String("test"))) {
        m_command = HelpCommand;
        m_helpFor = first == QLatin1String("ports") ? PortsCommand : TestCommand;
        return true;
    }
    if (first == QLatin1String("ports"))
        return parsePorts(rest);
    if (first == QLatin1String("test"))
        return parseTest(rest);
    return fail(QStringLiteral("unknown command '%1' (try --help)").arg(first));
}

// Accepts "--option value" and "--option=value".
bool cCliArguments::takeValue(const QStringList &args, int *i, const QString &option, QString *value)
{
    const QString arg = args.at(*i);
    if (arg.startsWith(option + QLatin1Char('='))) {
        *value = arg.mid(option.size() + 1);
    } else if (*i + 1 < args.size()) {
        *value = args.at(++*i);
    } else {
        return fail(QStringLiteral("%1 needs a value").arg(option));
    }
    if (value->isEmpty())
        return fail(QStringLiteral("%1 needs a value").arg(option));
    return true;
}

bool cCliArguments::addSimOption(const QString &value)
{
    const int eq = value.indexOf(QLatin1Char('='));
    if (eq <= 0)
        return fail(QStringLiteral("--sim-option expects KEY=VALUE, got '%1'").arg(value));
    m_simOptions << value;
    return true;
}

static bool matches(const QString &arg, const char *option)
{
    const QLatin1String o(option);
    return arg == o || (arg.startsWith(o) && arg.size() > o.size() && arg.at(o.size()) == QLatin1Char('='));
}

bool cCliArguments::parsePorts(const QStringList &args)
{
    m_command = PortsCommand;
    for (int i = 0; i < args.size(); ++i) {
        const QString arg = args.at(i);
        QString value;
        if (arg == QLatin1String("--sim")) {
            m_sim = true;
        } else if (matches(arg, "--sim-option")) {
            if (!takeValue(args, &i, QStringLiteral("--sim-option"), &value) || !addSimOption(value))
                return false;
        } else {
            return fail(QStringLiteral("ports: unknown argument '%1' (try ports --help)").arg(arg));
        }
    }
    if (!m_simOptions.isEmpty() && !m_sim)
        return fail(QStringLiteral("--sim-option needs --sim"));
    return true;
}

bool cCliArguments::parseTest(const QStringList &args)
{
    m_command = TestCommand;
    bool runsGiven = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString arg = args.at(i);
        QString value;
        if (arg == QLatin1String("--sim")) {
            m_sim = true;
        } else if (arg == QLatin1String("--verbose")) {
            m_verbose = true;
        } else if (arg == QLatin1String("--trust-unit")) {
            m_trustUnit = true;
        } else if (matches(arg, "--sim-option")) {
            if (!takeValue(args, &i, QStringLiteral("--sim-option"), &value) || !addSimOption(value))
                return false;
        } else if (matches(arg, "--port")) {
            if (!m_portId.isEmpty())
                return fail(QStringLiteral("--port given twice"));
            if (!takeValue(args, &i, QStringLiteral("--port"), &m_portId))
                return false;
        } else if (matches(arg, "--app-dir")) {
            if (!takeValue(args, &i, QStringLiteral("--app-dir"), &value))
                return false;
            if (!QFileInfo(value).isDir())
                return fail(QStringLiteral("--app-dir: '%1' is not a folder").arg(value));
            m_appDir = QDir(value).absolutePath();
        } else if (matches(arg, "--runs")) {
            if (runsGiven)
                return fail(QStringLiteral("--runs given twice"));
            runsGiven = true;
            if (!takeValue(args, &i, QStringLiteral("--runs"), &value))
                return false;
            bool ok = false;
            m_runs = value.toInt(&ok, 10);
            if (!ok || m_runs < 1 || m_runs > kMaxRuns)
                return fail(QStringLiteral("--runs expects a whole number from 1 to %1, got '%2'")
                                .arg(kMaxRuns).arg(value));
        } else if (matches(arg, "--only")) {
            if (!takeValue(args, &i, QStringLiteral("--only"), &value))
                return false;
            for (const QString &name : value.split(QLatin1Char(','))) {
                const QString trimmed = name.trimmed();
                if (trimmed.isEmpty())
                    return fail(QStringLiteral("--only: empty test name in '%1'").arg(value));
                if (!m_only.contains(trimmed))
                    m_only << trimmed;
            }
        } else if (matches(arg, "--junit")) {
            if (!m_junitFile.isEmpty())
                return fail(QStringLiteral("--junit given twice"));
            if (!takeValue(args, &i, QStringLiteral("--junit"), &value))
                return false;
            const QFileInfo info(value);
            if (info.isDir())
                return fail(QStringLiteral("--junit: '%1' is a folder").arg(value));
            if (!info.absoluteDir().exists())
                return fail(QStringLiteral("--junit: the folder of '%1' does not exist").arg(value));
            m_junitFile = info.absoluteFilePath();
        } else {
            return fail(QStringLiteral("test: unknown argument '%1' (try test --help)").arg(arg));
        }
    }
    if (!m_sim && m_portId.isEmpty())
        return fail(QStringLiteral("test: give --port ID or --sim"));
    if (!m_simOptions.isEmpty() && !m_sim)
        return fail(QStringLiteral("--sim-option needs --sim"));
    return true;
}

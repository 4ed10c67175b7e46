#include "app/cli/cfsarguments.h"

QString cFsArguments::help()
{
    return QStringLiteral(
        "Usage: zovan-tools-cli fs (--port ID | --sim) [--sim-option KEY=VALUE]... OPERATION\n"
        "\n"
        "Works on the unit's file system as the Files page does.\n"
        "\n"
        "Operations:\n"
        "  ls PATH                          list a unit folder: name, size, change date\n"
        "  get [--overwrite] UNIT_PATH... LOCAL_DIR\n"
        "                                   copy unit files into a local folder; an\n"
        "                                   existing local file is kept unless --overwrite\n"
        "  put LOCAL_FILE... UNIT_DIR       copy local files into a unit folder\n"
        "  mkdir PATH                       make a unit folder\n"
        "  rm [-r] PATH...                  delete unit files; with -r also folders and\n"
        "                                   everything in them\n"
        "\n"
        "Options:\n"
        "  --port ID                the unit with this id (see the ports command)\n"
        "  --sim                    start the built-in simulated unit and use it\n"
        "  --sim-option KEY=VALUE   an option of the simulated unit (repeatable)\n"
        "  -h, --help               show this help\n"
        "\n"
        "Exit status: 0 on success, 1 when the operation failed or was interrupted,\n"
        "2 when the unit could not be reached or the arguments are wrong.\n");
}

bool cFsArguments::fail(const QString &why)
{
    m_error = why;
    return false;
}

bool cFsArguments::parse(const QStringList &arguments)
{
    int i = 0;
    for (; i < arguments.size(); ++i) {
        const QString a = arguments.at(i);
        if (a == QLatin1String("-h") || a == QLatin1String("--help")) {
            m_help = true;
            return true;
        }
        if (a == QLatin1String("--sim")) {
            m_sim = true;
        } else if (a == QLatin1String("--port") || a.startsWith(QLatin1String("--port="))) {
            m_portId = a.contains(QLatin1Char('=')) ? a.section(QLatin1Char('='), 1) : (++i < arguments.size() ? arguments.at(i) : QString());
            if (m_portId.isEmpty())
                return fail(QStringLiteral("--port needs a value"));
        } else if (a == QLatin1String("--sim-option") || a.startsWith(QLatin1String("--sim-option="))) {
            const QString v = a.contains(QLatin1Char('=')) ? a.section(QLatin1Char('='), 1) : (++i < arguments.size() ? arguments.at(i) : QString());
            if (v.indexOf(QLatin1Char('=')) <= 0)
                return fail(QStringLiteral("--sim-option expects KEY=VALUE, got '%1'").arg(v));
            m_simOptions << v;
        } else if (a.startsWith(QLatin1String("--"))) {
            return fail(QStringLiteral("unknown option '%1'").arg(a));
        } else {
            break;
        }
    }
    if (m_sim == !m_portId.isEmpty())
        return fail(QStringLiteral("give either --port ID or --sim"));
    if (!m_sim && !m_simOptions.isEmpty())
        return fail(QStringLiteral("--sim-option needs --sim"));
    if (i >= arguments.size())
        return fail(QStringLiteral("no operation given (ls, get, put, mkdir or rm)"));
    const QString op = arguments.at(i);
    QStringList rest = arguments.mid(i + 1);
    if (op == QLatin1String("ls") || op == QLatin1String("mkdir")) {
        if (rest.size() != 1)
            return fail(QStringLiteral("%1 takes one unit path").arg(op));
        m_operation = op == QLatin1String("ls") ? List : MakeDir;
        m_sources = rest;
        return true;
    }
    if (op == QLatin1String("get") || op == QLatin1String("put")) {
        if (op == QLatin1String("get") && rest.value(0) == QLatin1String("--overwrite")) {
            m_overwrite = true;
            rest.removeFirst();
        }
        if (rest.size() < 2)
            return fail(QStringLiteral("%1 takes one or more files and a folder").arg(op));
        m_operation = op == QLatin1String("get") ? Get : Put;
        m_target = rest.takeLast();
        m_sources = rest;
        return true;
    }
    if (op == QLatin1String("rm")) {
        if (rest.value(0) == QLatin1String("-r")) {
            m_recursive = true;
            rest.removeFirst();
        }
        if (rest.isEmpty())
            return fail(QStringLiteral("rm takes one or more unit paths"));
        m_operation = Remove;
        m_sources = rest;
        return true;
    }
    return fail(QStringLiteral("unknown operation '%1' (ls, get, put, mkdir or rm)").arg(op));
}

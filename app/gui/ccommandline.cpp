#include "ccommandline.h"

#include <QFileInfo>

namespace {

struct sQtOption
{
    const char *name;   // single-dash spelling without the dash
    bool takesValue;    // the value follows as the next argument (or after '=')
};

// The options QApplication takes from the command line itself; it accepts each with one dash
// or two. Their values must not be read as ours ("-style --sim" names a style).
const sQtOption kQtOptions[] = {
    {"platform", true}, {"platformpluginpath", true}, {"platformtheme", true}, {"plugin", true},
    {"qwindowgeometry", true}, {"qwindowtitle", true}, {"qwindowicon", true}, {"geometry", true},
    {"title", true}, {"icon", true}, {"display", true}, {"name", true}, {"session", true},
    {"style", true}, {"stylesheet", true}, {"qmljsdebugger", false}, {"reverse", false},
    {"testability", false}, {"nograb", false}, {"dograb", false}, {"sync", false}, {"widgetcount", false},
};

// Whether the argument is one of Qt's options; moves index past a value it takes.
bool skipQtOption(const QStringList &arguments, int *index)
{
    QString argument = arguments.at(*index);
    if (!argument.startsWith(QLatin1Char('-')) || argument == QLatin1String("-") || argument == QLatin1String("--"))
        return false;
    argument.remove(0, argument.startsWith(QLatin1String("--")) ? 2 : 1);
    const qsizetype equals = argument.indexOf(QLatin1Char('='));
    const QString name = equals < 0 ? argument : argument.left(equals);
    for (const sQtOption &option : kQtOptions) {
        if (name != QLatin1String(option.name))
            continue;
        if (option.takesValue && equals < 0 && *index + 1 < arguments.size())
            ++*index;
        return true;
    }
    return false;
}

} // namespace

cCommandLine::cCommandLine(const QStringList &arguments)
{
    for (int i = 1; i < arguments.size() && isValid(); ++i) {
        const QString &argument = arguments.at(i);
        QString value;
        if (skipQtOption(arguments, &i)) {
            continue;
        } else if (argument == QLatin1String("-h") || argument == QLatin1String("--help")) {
            m_help = true;
        } else if (argument == QLatin1String("--sim")) {
            m_sim = true;
        } else if (takeValue(arguments, &i, QStringLiteral("--screenshot"), &value)) {
            m_screenshotDir = value;
        } else if (takeValue(arguments, &i, QStringLiteral("--sim-option"), &value)) {
            if (value.indexOf(QLatin1Char('=')) <= 0)
                m_error = QStringLiteral("--sim-option needs KEY=VALUE, not \"%1\"").arg(value);
            m_sim = true;
            m_simOptions.append(value);
        } else if (argument.startsWith(QLatin1String("--")) && argument != QLatin1String("--engineering")) {
            m_error = QStringLiteral("unknown option \"%1\"").arg(argument);
        }
        // Everything else ("/useovr", single-dash words) is left to its readers.
    }
}

bool cCommandLine::takeValue(const QStringList &arguments, int *index, const QString &name, QString *value)
{
    const QString &argument = arguments.at(*index);
    if (argument.startsWith(name + QLatin1Char('='))) {
        *value = argument.mid(name.size() + 1);
    } else if (argument == name) {
        if (*index + 1 >= arguments.size()) {
            m_error = QStringLiteral("%1 needs a value").arg(name);
            return true;
        }
        *value = arguments.at(++*index);
    } else {
        return false;
    }
    if (value->isEmpty() && m_error.isEmpty())
        m_error = QStringLiteral("%1 needs a value").arg(name);
    return true;
}

QString cCommandLine::usage(const QString &program)
{
    const QString name = program.isEmpty() ? QStringLiteral("zovan-tools") : QFileInfo(program).fileName();
    return QStringLiteral(
               "Usage: %1 [options]\n"
               "\n"
               "ZOVAN Tools: a program utility for managing of devices on the basis of project ZOVAN.\n"
               "\n"
               "Options:\n"
               "  /useoverrides, /useovr   start in engineering mode (adds the Files and DevTest pages)\n"
               "  --engineering            the same, for shells that treat a leading slash as a path\n"
               "  --screenshot DIR         save a picture of every page as DIR/<page key>.png, then exit\n"
               "  --sim                    start a simulated unit inside the program\n"
               "  --sim-option KEY=VALUE   pass an option to the simulated unit (repeatable; implies --sim)\n"
               "  -h, --help               show this text and exit\n"
               "\n"
               "Qt's own options are accepted too, with one dash or two\n"
               "(-platform offscreen, --platform offscreen, --style=fusion, ...).\n")
        .arg(name);
}

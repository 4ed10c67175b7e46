#include "ccommandline.h"

#include <QFileInfo>

cCommandLine::cCommandLine(const QStringList &arguments)
{
    for (int i = 1; i < arguments.size() && isValid(); ++i) {
        const QString &argument = arguments.at(i);
        QString value;
        if (argument == QLatin1String("-h") || argument == QLatin1String("--help")) {
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
        // Everything else ("/useovr", Qt's own "-platform x", ...) is left to its readers.
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
               "Qt's own options (-platform offscreen, -style NAME, ...) are accepted too.\n")
        .arg(name);
}

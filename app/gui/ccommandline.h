#pragma once

#include <QString>
#include <QStringList>

/**
 * The program's own switches, read before Qt starts (so that --help works without a display).
 * Qt's own options, in either spelling, and the engineering switches pass through to Qt and
 * to the main window; an unknown option of our own ("--...") is refused.
 */
class cCommandLine
{
public:
    /** arguments[0] is the program. */
    explicit cCommandLine(const QStringList &arguments);

    bool isValid() const { return m_error.isEmpty(); }
    QString error() const { return m_error; }
    bool helpRequested() const { return m_help; }
    /** Empty unless pictures of the pages were asked for. */
    QString screenshotDir() const { return m_screenshotDir; }
    bool simRequested() const { return m_sim; }
    /** "KEY=VALUE" texts for the simulated unit, in command-line order. */
    QStringList simOptions() const { return m_simOptions; }

    static QString usage(const QString &program);

private:
    bool takeValue(const QStringList &arguments, int *index, const QString &name, QString *value);

    QString m_error;
    bool m_help = false;
    QString m_screenshotDir;
    bool m_sim = false;
    QStringList m_simOptions;
};

#pragma once

#include <QString>
#include <QStringList>

/** The command line of zovan-tools-cli, parsed and checked; nothing is started here. */
class cCliArguments
{
public:
    enum Command { NoCommand, HelpCommand, VersionCommand, PortsCommand, TestCommand };

    /** Parses the arguments after the program name; false with a reason in error(). */
    bool parse(const QStringList &arguments);

    Command command() const { return m_command; }
    /** The help text to print: of the sub-command asked about, or the overview. */
    QString helpText() const;
    QString error() const { return m_error; }

    bool sim() const { return m_sim; }
    QStringList simOptions() const { return m_simOptions; }
    QString portId() const { return m_portId; }
    QString appDir() const { return m_appDir; }
    int runs() const { return m_runs; }
    /** Test names given with --only, in the order given; empty means all tests. */
    QStringList only() const { return m_only; }
    QString junitFile() const { return m_junitFile; }
    bool verbose() const { return m_verbose; }
    bool trustUnit() const { return m_trustUnit; }

    static constexpr int kMaxRuns = 100000;

    static QString overviewHelp();
    static QString portsHelp();
    static QString testHelp();

private:
    bool fail(const QString &why);
    bool parsePorts(const QStringList &args);
    bool parseTest(const QStringList &args);
    bool takeValue(const QStringList &args, int *i, const QString &option, QString *value);
    bool addSimOption(const QString &value);

    Command m_command = NoCommand;
    Command m_helpFor = NoCommand;
    QString m_error;
    bool m_sim = false;
    QStringList m_simOptions;
    QString m_portId;
    QString m_appDir;
    int m_runs = 1;
    QStringList m_only;
    QString m_junitFile;
    bool m_verbose = false;
    bool m_trustUnit = false;
};

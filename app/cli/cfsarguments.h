#pragma once

#include <QString>
#include <QStringList>

/** The command line of "zovan-tools-cli fs", parsed and checked; nothing is started here. */
class cFsArguments
{
public:
    enum Operation { NoOperation, List, Get, Put, MakeDir, Remove };

    /** Parses the arguments after "fs"; false with a reason in error(). */
    bool parse(const QStringList &arguments);

    bool helpRequested() const { return m_help; }
    QString error() const { return m_error; }
    Operation operation() const { return m_operation; }
    bool sim() const { return m_sim; }
    QStringList simOptions() const { return m_simOptions; }
    QString portId() const { return m_portId; }
    /** ls and mkdir: one path; get: unit files; put: local files; rm: unit paths. */
    QStringList sources() const { return m_sources; }
    /** get: the local folder; put: the unit folder. */
    QString target() const { return m_target; }
    bool recursive() const { return m_recursive; }
    bool overwrite() const { return m_overwrite; }

    static QString help();

private:
    bool fail(const QString &why);

    bool m_help = false;
    QString m_error;
    Operation m_operation = NoOperation;
    bool m_sim = false;
    QStringList m_simOptions;
    QString m_portId;
    QStringList m_sources;
    QString m_target;
    bool m_recursive = false;
    bool m_overwrite = false;
};

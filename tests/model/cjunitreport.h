#pragma once

#include <QDateTime>
#include <QList>
#include <QString>

/** The runs of one test session, written as a JUnit XML report. */
class cJUnitReport
{
public:
    struct sCase
    {
        QString name;
        int status = 0;     // the test model's state code: 1 OK, 2 error, 3 warning, 7 canceled
        QString details;
        qint64 durationMs = 0;
    };

    cJUnitReport(const QString &suiteName, const QString &portId);

    void setStarted(const QDateTime &time) { m_started = time; }
    void addCase(const sCase &c) { m_cases << c; }
    const QList<sCase> &cases() const { return m_cases; }

    int failures() const;
    int skipped() const;

    /** The report as XML text. */
    QByteArray toXml() const;
    /** Writes the report atomically; false with a reason. */
    bool write(const QString &path, QString *error) const;

    /** Text made safe for XML 1.0: characters it cannot carry become U+FFFD. */
    static QString xmlSafe(const QString &text);

private:
    QString m_suiteName;
    QString m_portId;
    QDateTime m_started;
    QList<sCase> m_cases;
};

#include "tests/model/cjunitreport.h"

#include "tests/engine/testroles.h"

#include <QSaveFile>
#include <QXmlStreamWriter>

cJUnitReport::cJUnitReport(const QString &suiteName, const QString &portId)
    : m_suiteName(suiteName)
    , m_portId(portId)
    , m_started(QDateTime::currentDateTime())
{
}

int cJUnitReport::failures() const
{
    int n = 0;
    for (const sCase &c : m_cases)
        n += (c.status == testmodel::StateOk || c.status == testmodel::StateWarning
              || c.status == testmodel::StateCanceled) ? 0 : 1;
    return n;
}

int cJUnitReport::skipped() const
{
    int n = 0;
    for (const sCase &c : m_cases)
        n += c.status == testmodel::StateCanceled ? 1 : 0;
    return n;
}

QString cJUnitReport::xmlSafe(const QString &text)
{
    QString out = text;
    for (QChar &c : out) {
        const char16_t u = c.unicode();
        const bool allowed = u == 0x9 || u == 0xa || u == 0xd || (u >= 0x20 && u < 0xd800)
                             || (u >= 0xe000 && u <= 0xfffd);
        // Surrogate pairs are left alone only when they pair up; a lone one is replaced below.
        if (!allowed && !c.isSurrogate())
            c = QChar(0xfffd);
    }
    for (int i = 0; i < out.size(); ++i) {
        if (out.at(i).isHighSurrogate() && i + 1 < out.size() && out.at(i + 1).isLowSurrogate()) {
            ++i;
        } else if (out.at(i).isSurrogate()) {
            out[i] = QChar(0xfffd);
        }
    }
    return out;
}

static QString seconds(qint64 ms)
{
    return QString::number(double(ms) / 1000.0, 'f', 3);
}

QByteArray cJUnitReport::toXml() const
{
    qint64 total = 0;
    for (const sCase &c : m_cases)
        total += c.durationMs;

    QByteArray xml;
    QXmlStreamWriter w(&xml);
    w.setAutoFormatting(true);
    w.writeStartDocument();
    w.writeStartElement(QStringLiteral("testsuite"));
    w.writeAttribute(QStringLiteral("name"), xmlSafe(m_suiteName));
    w.writeAttribute(QStringLiteral("tests"), QString::number(m_cases.size()));
    w.writeAttribute(QStringLiteral("failures"), QString::number(failures()));
    w.writeAttribute(QStringLiteral("errors"), QStringLiteral("0"));
    w.writeAttribute(QStringLiteral("skipped"), QString::number(skipped()));
    w.writeAttribute(QStringLiteral("time"), seconds(total));
    w.writeAttribute(QStringLiteral("timestamp"), m_started.toString(Qt::ISODate));
    w.writeAttribute(QStringLiteral("hostname"), xmlSafe(m_portId));
    for (const sCase &c : m_cases) {
        w.writeStartElement(QStringLiteral("testcase"));
        w.writeAttribute(QStringLiteral("name"), xmlSafe(c.name));
        w.writeAttribute(QStringLiteral("classname"), xmlSafe(m_suiteName));
        w.writeAttribute(QStringLiteral("time"), seconds(c.durationMs));
        const QString details = xmlSafe(c.details);
        switch (c.status) {
        case testmodel::StateOk:
            break;
        case testmodel::StateError:
            w.writeStartElement(QStringLiteral("failure"));
            w.writeAttribute(QStringLiteral("message"), details);
            w.writeAttribute(QStringLiteral("type"), QStringLiteral("ERROR"));
            w.writeCharacters(details);
            w.writeEndElement();
            break;
        case testmodel::StateWarning:
            w.writeTextElement(QStringLiteral("system-out"), QStringLiteral("WARNING: ") + details);
            break;
        case testmodel::StateCanceled:
            w.writeEmptyElement(QStringLiteral("skipped"));
            w.writeAttribute(QStringLiteral("message"), QStringLiteral("canceled"));
            break;
        default:
            // A run that ended in none of the known states did not pass.
            w.writeStartElement(QStringLiteral("failure"));
            w.writeAttribute(QStringLiteral("message"), QStringLiteral("unknown status %1").arg(c.status));
            w.writeEndElement();
            break;
        }
        w.writeEndElement();
    }
    w.writeEndElement();
    w.writeEndDocument();
    return xml;
}

bool cJUnitReport::write(const QString &path, QString *error) const
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = file.errorString();
        return false;
    }
    const QByteArray xml = toXml();
    if (file.write(xml) != xml.size() || !file.commit()) {
        *error = file.errorString();
        return false;
    }
    return true;
}

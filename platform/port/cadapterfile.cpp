#include "platform/port/cadapterfile.h"

#include "platform/port/cgpionames.h"
#include "platform/port/cserialline.h"

#include <QCoreApplication>
#include <QHash>
#include <QSet>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("port", text);
}

const QStringList &knownKeys()
{
    static const QStringList keys = {QStringLiteral("name"), QStringLiteral("serial"), QStringLiteral("baud"),
                                     QStringLiteral("gpiochip"), QStringLiteral("gpio"), QStringLiteral("i2c")};
    return keys;
}

struct sSection
{
    QString name;
    int line = 0;
    bool broken = false;
    QHash<QString, QString> values;
    QHash<QString, int> lines;
};

class cParser
{
public:
    explicit cParser(const QString &fileName) : m_file(fileName) {}

    void error(int line, const QString &section, const QString &key, const QString &what)
    {
        QString where = tr("Adapter file %1, line %2").arg(m_file).arg(line);
        if (!section.isNull())
            where += tr(", section [%1]").arg(section);
        if (!key.isEmpty())
            where += tr(", key '%1'").arg(key);
        m_result.errors << where + QStringLiteral(": ") + what;
    }

    void finish(sSection &s)
    {
        if (s.name.isNull() || s.broken)
            return;
        auto fail = [&](const QString &key, const QString &what) {
            error(key.isEmpty() ? s.line : s.lines.value(key, s.line), s.name, key, what);
            s.broken = true;
        };

        const QString serial = s.values.value(QStringLiteral("serial"));
        if (!s.values.contains(QStringLiteral("serial")))
            fail(QString(), tr("missing key 'serial'; the unit is skipped"));
        else if (serial.isEmpty() || serial.startsWith(QLatin1String("sim:")))
            fail(QStringLiteral("serial"), tr("'%1' is not a serial device path; the unit is skipped").arg(serial));

        unsigned int baud = cAdapterFile::kDefaultBaud;
        if (s.values.contains(QStringLiteral("baud"))) {
            bool ok = false;
            const QString text = s.values.value(QStringLiteral("baud"));
            baud = text.toUInt(&ok);
            if (!ok || !cSerialLine::isSupportedBaudRate(baud))
                fail(QStringLiteral("baud"), tr("bad baud rate '%1'; the unit is skipped").arg(text));
        }

        QStringList gpio;
        if (s.values.contains(QStringLiteral("gpio"))) {
            QSet<QString> seen;
            const QStringList parts = s.values.value(QStringLiteral("gpio")).split(QLatin1Char(','));
            for (const QString &part : parts) {
                const QString name = part.trimmed();
                if (!cGpioNames::isWellFormed(name.toLatin1()) || seen.contains(name)) {
                    fail(QStringLiteral("gpio"), tr("bad or repeated GPIO name '%1'; the unit is skipped").arg(name));
                    break;
                }
                seen.insert(name);
                gpio << name;
            }
            if (!s.values.contains(QStringLiteral("gpiochip")))
                fail(QStringLiteral("gpio"), tr("GPIO names need a 'gpiochip'; the unit is skipped"));
        }
        for (const QString &key : {QStringLiteral("gpiochip"), QStringLiteral("i2c")}) {
            if (s.values.contains(key) && s.values.value(key).isEmpty())
                fail(key, tr("empty value; the unit is skipped"));
        }
        if (s.broken)
            return;

        cAdapterFile::sUnit unit;
        unit.baud = baud;
        unit.device.id = cAdapterFile::unitId(s.name);
        unit.device.name = s.values.value(QStringLiteral("name"), s.name);
        if (unit.device.name.isEmpty())
            unit.device.name = s.name;
        unit.device.info = tr("adapter [%1] of %2").arg(s.name, m_file);
        unit.device.devices.append(sIOSubDevice {nullptr, QStringLiteral("serial"), QStringLiteral("serial"), serial, {}});
        if (s.values.contains(QStringLiteral("gpiochip"))) {
            unit.device.devices.append(sIOSubDevice {nullptr, QStringLiteral("gpio"), QStringLiteral("gpio"),
                                                     s.values.value(QStringLiteral("gpiochip")), gpio});
        }
        if (s.values.contains(QStringLiteral("i2c"))) {
            unit.device.devices.append(sIOSubDevice {nullptr, QStringLiteral("i2c"), QStringLiteral("i2c"),
                                                     s.values.value(QStringLiteral("i2c")), {}});
        }
        m_result.units << unit;
    }

    cAdapterFile::sResult run(const QByteArray &text)
    {
        if (text.size() > cAdapterFile::kMaxFileSize) {
            error(0, QString(), QString(), tr("the file is larger than %1 bytes and is ignored").arg(cAdapterFile::kMaxFileSize));
            return m_result;
        }
        QSet<QString> sections;
        sSection current;
        const QList<QByteArray> lines = text.split('\n');
        for (int i = 0; i < lines.size(); ++i) {
            const int lineNo = i + 1;
            const QString line = QString::fromUtf8(lines.at(i)).trimmed();
            if (line.isEmpty() || line.startsWith(QLatin1Char(';')) || line.startsWith(QLatin1Char('#')))
                continue;
            if (line.startsWith(QLatin1Char('['))) {
                finish(current);
                current = sSection();
                if (!line.endsWith(QLatin1Char(']'))) {
                    error(lineNo, QString(), QString(), tr("cannot read section header '%1'").arg(line));
                    current.name = QString(QLatin1String(""));
                    current.broken = true;
                    continue;
                }
                current.name = line.mid(1, line.size() - 2).trimmed();
                current.line = lineNo;
                if (current.name.isEmpty()) {
                    error(lineNo, QString(), QString(), tr("empty section name; the section is skipped"));
                    current.broken = true;
                } else if (sections.contains(current.name)) {
                    error(lineNo, current.name, QString(), tr("the section appears twice; the second is skipped"));
                    current.broken = true;
                }
                sections.insert(current.name);
                continue;
            }
            const int eq = line.indexOf(QLatin1Char('='));
            const QString key = eq > 0 ? line.left(eq).trimmed().toLower() : QString();
            if (current.name.isNull()) {
                error(lineNo, QString(), key, tr("text outside of any section is ignored"));
                continue;
            }
            if (current.broken)
                continue;
            if (eq <= 0 || key.isEmpty()) {
                error(lineNo, current.name, QString(), tr("'%1' is not a key=value line; the unit is skipped").arg(line));
                current.broken = true;
            } else if (!knownKeys().contains(key)) {
                error(lineNo, current.name, key,
                      tr("unknown key (known: %1); the unit is skipped").arg(knownKeys().join(QStringLiteral(", "))));
                current.broken = true;
            } else if (current.values.contains(key)) {
                error(lineNo, current.name, key, tr("the key appears twice; the unit is skipped"));
                current.broken = true;
            } else {
                current.values.insert(key, line.mid(eq + 1).trimmed());
                current.lines.insert(key, lineNo);
            }
        }
        finish(current);
        return m_result;
    }

private:
    const QString m_file;
    cAdapterFile::sResult m_result;
};

} // namespace

QString cAdapterFile::unitId(const QString &section)
{
    return QStringLiteral("adapter:") + section;
}

cAdapterFile::sResult cAdapterFile::parse(const QByteArray &text, const QString &fileName)
{
    cParser parser(fileName);
    return parser.run(text);
}

#include "devicedescription.h"

#include "platform/port/siodevice.h"

#include <QSet>

namespace devicedescription {

QString escaped(const QString &value)
{
    QString out;
    out.reserve(value.size());
    for (const QChar c : value) {
        const char16_t u = c.unicode();
        switch (u) {
        case u'\'':
            out += QLatin1String("\\'");
            break;
        case u'\\':
            out += QLatin1String("\\\\");
            break;
        case u'\n':
            out += QLatin1String("\\n");
            break;
        case u'\r':
            out += QLatin1String("\\r");
            break;
        default:
            // Three digits always, so that a digit after the escape is not taken into it.
            if (u < 0x20 || u == 0x7f)
                out += QStringLiteral("\\%1").arg(int(u), 3, 10, QLatin1Char('0'));
            else
                out += c;
        }
    }
    return out;
}

QString tableKey(const QString &name)
{
    static const QSet<QString> keywords{
        QStringLiteral("and"),   QStringLiteral("break"),  QStringLiteral("do"),
        QStringLiteral("else"),  QStringLiteral("elseif"), QStringLiteral("end"),
        QStringLiteral("false"), QStringLiteral("for"),    QStringLiteral("function"),
        QStringLiteral("if"),    QStringLiteral("in"),     QStringLiteral("local"),
        QStringLiteral("nil"),   QStringLiteral("not"),    QStringLiteral("or"),
        QStringLiteral("repeat"), QStringLiteral("return"), QStringLiteral("then"),
        QStringLiteral("true"),  QStringLiteral("until"),  QStringLiteral("while")};
    bool plain = !name.isEmpty() && !keywords.contains(name);
    for (int i = 0; plain && i < name.size(); ++i) {
        const char16_t u = name.at(i).unicode();
        const bool letter = (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') || u == u'_';
        const bool digit = u >= u'0' && u <= u'9';
        plain = letter || (digit && i > 0);
    }
    if (plain)
        return name;
    return QStringLiteral("['%1']").arg(escaped(name));
}

QString text(const sIODevice &device)
{
    QString lines;
    for (const sIOSubDevice &sub : device.devices) {
        QString gpio;
        if (!sub.gpio.isEmpty()) {
            QStringList names;
            names.reserve(sub.gpio.size());
            for (const QString &g : sub.gpio)
                names.append(escaped(g));
            gpio = QStringLiteral("'%1'").arg(names.join(QStringLiteral("', '")));
        }
        lines += QStringLiteral("    ")
                 + QStringLiteral("%1 = { handle = nil, type = '%2', id = '%3', gpio = { %4 } },")
                       .arg(tableKey(sub.varName), escaped(sub.type), escaped(sub.id), gpio)
                 + QLatin1Char('\n');
    }
    return QStringLiteral("zt_io_device =\n{\n  id = '%1',\n  name = '%2',\n  devices =\n  {\n%3  },\n}\n")
        .arg(escaped(device.id), escaped(device.name), lines);
}

} // namespace devicedescription

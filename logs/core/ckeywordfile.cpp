#include "logs/core/ckeywordfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QXmlStreamReader>

namespace {

// Keyword lists are a few dozen words; anything far larger is not one.
constexpr qint64 kMaxFileSize = 4 * 1024 * 1024;

} // namespace

QStringList cKeywordFile::fromXml(const QByteArray &xml, QString *error)
{
    QStringList keywords;
    QXmlStreamReader reader(xml);
    // The first "keywords" element of the document, then its "keyword" children in order.
    bool inList = false;
    bool done = false;
    int depth = 0;
    while (!reader.atEnd() && !done) {
        switch (reader.readNext()) {
        case QXmlStreamReader::StartElement:
            ++depth;
            if (!inList && reader.name() == QLatin1String("keywords")) {
                inList = true;
                depth = 0;
            } else if (inList && depth == 1 && reader.name() == QLatin1String("keyword")) {
                keywords << reader.readElementText(QXmlStreamReader::IncludeChildElements);
                --depth;
            }
            break;
        case QXmlStreamReader::EndElement:
            if (inList && depth == 0)
                done = true;
            --depth;
            break;
        default: break;
        }
    }
    if (!done && reader.hasError()) {
        if (error)
            *error = QStringLiteral("line %1: %2").arg(reader.lineNumber()).arg(reader.errorString());
        return {};
    }
    if (error)
        error->clear();
    return keywords;
}

QByteArray cKeywordFile::toXml(const QStringList &keywords)
{
    QByteArray xml("<keywords>\n");
    for (const QString &k : keywords) {
        QByteArray text = k.toUtf8();
        // "]]>" would end the section early: close it between "]]" and ">" and open another.
        text.replace("]]>", "]]]]><![CDATA[>");
        xml += "  <keyword><![CDATA[" + text + "]]></keyword>\n";
    }
    xml += "</keywords>\n";
    return xml;
}

QStringList cKeywordFile::load(const QString &fileName, QString *error)
{
    if (error)
        error->clear();
    QFile file(fileName);
    if (!file.exists())
        return {};
    if (file.size() > kMaxFileSize) {
        if (error)
            *error = QStringLiteral("%1: file too large").arg(fileName);
        return {};
    }
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(fileName, file.errorString());
        return {};
    }
    QString why;
    const QStringList keywords = fromXml(file.read(kMaxFileSize), &why);
    if (!why.isEmpty() && error)
        *error = QStringLiteral("%1: %2").arg(fileName, why);
    return keywords;
}

bool cKeywordFile::save(const QString &fileName, const QStringList &keywords, QString *error)
{
    QDir().mkpath(QFileInfo(fileName).absolutePath());
    // Written aside and renamed, so a failed write never leaves half a list behind.
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(toXml(keywords)) < 0 || !file.commit()) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(fileName, file.errorString());
        return false;
    }
    return true;
}

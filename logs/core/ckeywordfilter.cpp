#include "logs/core/ckeywordfilter.h"


cKeywordFilter::cKeywordFilter(const QString &text)
{
    const QString source = text.isEmpty() ? QStringLiteral("*") : text;
    for (const QString &piece : source.split(QLatin1Char(','))) {
        QString keyword = piece.trimmed();
        if (keyword.isEmpty())
            continue;
        keyword.replace(QLatin1Char('['), QLatin1String("\\[")).replace(QLatin1Char(']'), QLatin1String("\\]"));
        if (keyword == QLatin1String("*"))
            keyword = QStringLiteral(".*");
        sKeyword k;
        k.re = QRegularExpression(keyword, QRegularExpression::CaseInsensitiveOption);
        k.everything = keyword == QLatin1String(".*");
        if (!k.re.isValid()) {
            m_problems << QString::fromLatin1("Keyword '%1' is not a valid expression (%2); it matches nothing")
                              .arg(piece.trimmed(), k.re.errorString());
        }
        m_keywords.append(k);
    }
}

int cKeywordFilter::matchCount(const QString &line) const
{
    int count = 0;
    for (const sKeyword &k : m_keywords) {
        if (k.everything || (k.re.isValid() && k.re.match(line).hasMatch()))
            ++count;
    }
    return count;
}

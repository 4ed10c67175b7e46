#pragma once

#include <QList>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

/**
 * The operator's keyword filter: comma-separated, case-insensitive regular expressions in which
 * square brackets are literal and a lone "*" means every line. A line is shown once per keyword
 * that matches it anywhere.
 */
class cKeywordFilter
{
public:
    explicit cKeywordFilter(const QString &text = QString());

    /** How often the line is to be shown: the number of keywords that match it. */
    int matchCount(const QString &line) const;
    int size() const { return int(m_keywords.size()); }
    /** One message per keyword that is not a valid expression (it matches nothing). */
    QStringList problems() const { return m_problems; }

private:
    struct sKeyword
    {
        QRegularExpression re;
        bool everything = false;   // ".*" matches every line; no need to run it
    };
    QList<sKeyword> m_keywords;
    QStringList m_problems;
};

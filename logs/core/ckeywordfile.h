#pragma once

#include <QString>
#include <QStringList>

/**
 * The keyword list file: <keywords><keyword><![CDATA[text]]></keyword>...</keywords> without an
 * XML declaration. A keyword holding "]]>" is stored in two CDATA sections so that it survives.
 */
class cKeywordFile
{
public:
    /** The keywords of a file; empty for a missing file, and empty with *error set for a broken one. */
    static QStringList load(const QString &fileName, QString *error = nullptr);
    /** Rewrites the file; false with *error when it cannot be written (the old file then stays). */
    static bool save(const QString &fileName, const QStringList &keywords, QString *error = nullptr);

    static QStringList fromXml(const QByteArray &xml, QString *error = nullptr);
    static QByteArray toXml(const QStringList &keywords);
};

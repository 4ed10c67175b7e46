#include "platform/link/cdirlisting.h"

cDirListing::eAnswer cDirListing::classify(const QByteArray &answer)
{
    if (answer.contains(kUnknownCommand))
        return eAnswer::UnknownCommand;
    if (answer.contains(kDirEmpty))
        return eAnswer::DirEmpty;
    if (answer.contains(kCantGetList))
        return eAnswer::CantGetList;
    if (answer.contains(kCantOpenDir))
        return eAnswer::CantOpenDir;
    return eAnswer::Entries;
}

QList<QByteArray> cDirListing::entryLines(const QByteArray &answer)
{
    QList<QByteArray> lines;
    const QByteArray text = answer.trimmed();
    qsizetype from = 0;
    while (from <= text.size()) {
        qsizetype at = text.indexOf(kLineSeparator, from);
        if (at < 0)
            at = text.size();
        const QByteArray line = text.mid(from, at - from);
        if (line.startsWith('|'))
            lines.append(line);
        from = at + 2;
    }
    return lines;
}

bool cDirListing::parseLine(const QByteArray &line, sEntry *entry)
{
    QByteArray body = line.trimmed();
    body.replace('|', QByteArray());
    QList<QByteArray> fields = body.split('*');
    fields.removeAll(QByteArray());
    if (fields.size() != 3 && fields.size() != 4)
        return false;
    sEntry e;
    e.name = fields.at(0);
    const QByteArray &attr = fields.at(1);
    if (attr.size() == 3) {
        e.isDir = attr.at(0) == 'd';
        e.readable = attr.at(1) == 'r';
        e.writable = attr.at(2) == 'w';
    }
    bool ok = false;
    e.mtime = fields.at(2).toULongLong(&ok);
    if (!ok)
        e.mtime = 0;
    if (fields.size() == 4) {
        e.size = fields.at(3).toLongLong(&ok);
        if (!ok || e.size < 0)
            e.size = 0;
    }
    *entry = e;
    return true;
}

QByteArray cDirListing::attributes(const sEntry &entry)
{
    QByteArray a("---");
    if (entry.isDir)
        a[0] = 'd';
    if (entry.readable)
        a[1] = 'r';
    if (entry.writable)
        a[2] = 'w';
    return a;
}

QByteArray cDirListing::formatLine(const sEntry &entry)
{
    QByteArray line = '|' + entry.name + '*' + attributes(entry) + '*' + QByteArray::number(entry.mtime);
    if (!entry.isDir)
        line += '*' + QByteArray::number(entry.size);
    return line + '|';
}

QByteArray cDirListing::format(const QList<sEntry> &entries)
{
    if (entries.isEmpty())
        return kDirEmpty;
    QByteArray out;
    for (const sEntry &e : entries) {
        if (!out.isEmpty())
            out += kLineSeparator;
        out += formatLine(e);
    }
    return out;
}

#include "sim/csimmemoryfs.h"

#include "ztversion.h"

#include <QDateTime>

#include <random>

cSimMemoryFs::cSimMemoryFs()
    : m_root(std::make_unique<sNode>())
{
    m_root->isDir = true;
    m_root->mtime = QDateTime::currentSecsSinceEpoch();
}

cSimMemoryFs::~cSimMemoryFs() = default;

void cSimMemoryFs::populate(const QByteArray *package, qint64 nowSecs)
{
    const qint64 day = 86400;
    const auto put = [&](const QString &path, const QByteArray &data, qint64 mtime) {
        write(path, data);
        if (sNode *n = find(path.split(QLatin1Char('/'), Qt::SkipEmptyParts)))
            n->mtime = mtime;
    };
    for (const char *dir : {"/statfs", "/logs", "/config", "/fw", "/tmp", "/archive"})
        makeDir(QString::fromLatin1(dir));

    if (package)
        put(QStringLiteral("/statfs/zovan_tools_tests.out"), *package, nowSecs - 3 * day);
    put(QStringLiteral("/statfs/counters.dat"),
        "odometer_m=1284377\nengine_hours=3411\nboots=87\nrecords_stored=233017\n", nowSecs - 600);
    put(QStringLiteral("/statfs/boot_count.txt"), "87\n", nowSecs - 3600);

    for (int i = 1; i <= 3; ++i) {
        QByteArray text;
        const qint64 base = nowSecs - (4 - i) * day;
        for (int l = 0; l < 40 * i; ++l) {
            text += QDateTime::fromSecsSinceEpoch(base + l * 37, Qt::UTC)
                        .toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"))
                        .toLatin1();
            text += l % 7 == 0 ? " [GSM] registered, csq 17\r\n" : " [APP] heartbeat\r\n";
        }
        put(QStringLiteral("/logs/system_%1.log").arg(i, 4, 10, QLatin1Char('0')), text, base + 40 * i * 37);
    }

    put(QStringLiteral("/config/unit.ini"),
        "[server]\r\nhost=telematics.example\r\nport=20332\r\n\r\n[gsm]\r\napn=internet\r\n"
        "pin=\r\n\r\n[nav]\r\nperiod_s=10\r\nmin_speed_kmh=3\r\n",
        nowSecs - 20 * day);

    // An archive the file manager meets without options: a nested tree, an empty file, names
    // that are not ASCII, and a folder whose listing takes more than one transfer block.
    put(QStringLiteral("/archive/readme.txt"), "Trips and reports kept on the unit.\r\n", nowSecs - 30 * day);
    put(QStringLiteral("/archive/empty.txt"), QByteArray(), nowSecs - 30 * day);
    makeDir(QStringLiteral("/archive/2026"));
    makeDir(QStringLiteral("/archive/2026/11"));
    makeDir(QStringLiteral("/archive/2026/12"));
    for (int i = 1; i <= kArchiveTrips; ++i) {
        const QByteArray trip = "time,lat,lon,speed\r\n" + QByteArray::number(nowSecs - i * 3600) + ",55.75,37.61,"
                                + QByteArray::number(i % 90) + "\r\n";
        put(QStringLiteral("/archive/2026/11/trip_%1.csv").arg(i, 4, 10, QLatin1Char('0')), trip, nowSecs - (40 - i % 30) * day);
    }
    put(QString::fromUtf8("/archive/2026/12/Prüfprotokoll ä.txt"), "Prüfung bestanden\r\n", nowSecs - 2 * day);
    put(QString::fromUtf8("/archive/2026/12/отчёт 1.txt"), "Отчёт о поездке\r\n", nowSecs - day);

    // A firmware image: header, then pseudo-random payload (fixed, so its checksum is stable).
    QByteArray image("ZVFW\x01\x08\x0c\x00", 8);
    image.resize(96 * 1024);
    std::mt19937 gen(20240117u);
    for (qsizetype i = 8; i < image.size(); ++i)
        image[i] = char(gen() & 0xff);
    addReadOnlyFile(QStringLiteral("/fw/zovan_" ZT_VERSION_STRING ".bin"), image, nowSecs - 40 * day);
}

void cSimMemoryFs::addReadOnlyFile(const QString &path, const QByteArray &data, qint64 mtime)
{
    QStringList parts;
    if (!splitPath(path, &parts) || parts.isEmpty())
        return;
    sNode *dir = m_root.get();
    for (int i = 0; i + 1 < parts.size(); ++i) {
        auto &child = dir->children[parts.at(i)];
        if (!child) {
            child = std::make_unique<sNode>();
            child->isDir = true;
            child->mtime = mtime;
        }
        dir = child.get();
    }
    auto node = std::make_unique<sNode>();
    node->data = data;
    node->mtime = mtime;
    node->writable = false;
    m_used += data.size();
    dir->children[parts.last()] = std::move(node);
}

const cSimMemoryFs::sNode *cSimMemoryFs::find(const QStringList &parts) const
{
    const sNode *n = m_root.get();
    for (const QString &p : parts) {
        if (!n->isDir)
            return nullptr;
        const auto it = n->children.find(p);
        if (it == n->children.end())
            return nullptr;
        n = it->second.get();
    }
    return n;
}

cSimMemoryFs::sNode *cSimMemoryFs::find(const QStringList &parts)
{
    return const_cast<sNode *>(static_cast<const cSimMemoryFs *>(this)->find(parts));
}

cSimFileSystem::sEntry cSimMemoryFs::entryOf(const QString &name, const sNode &node)
{
    sEntry e;
    e.name = name;
    e.isDir = node.isDir;
    e.readable = true;
    e.writable = node.writable;
    e.mtime = node.mtime;
    e.size = node.isDir ? 0 : node.data.size();
    return e;
}

cSimFileSystem::eResult cSimMemoryFs::parentOf(const QString &path, sNode **parent, QString *name)
{
    QStringList parts;
    if (!splitPath(path, &parts) || parts.isEmpty())
        return eResult::BadPath;
    *name = parts.takeLast();
    sNode *dir = find(parts);
    if (!dir)
        return eResult::NotFound;
    if (!dir->isDir)
        return eResult::NotDir;
    *parent = dir;
    return eResult::Ok;
}

cSimFileSystem::eResult cSimMemoryFs::existing(const QString &path, sNode **parent, tChildren::iterator *entry)
{
    QString name;
    if (const eResult r = parentOf(path, parent, &name); r != eResult::Ok)
        return r;
    *entry = (*parent)->children.find(name);
    return *entry == (*parent)->children.end() ? eResult::NotFound : eResult::Ok;
}

cSimFileSystem::eResult cSimMemoryFs::lookup(const QString &path, QStringList *parts, const sNode **node) const
{
    if (!splitPath(path, parts))
        return eResult::BadPath;
    *node = find(*parts);
    return *node ? eResult::Ok : eResult::NotFound;
}

cSimFileSystem::eResult cSimMemoryFs::list(const QString &path, QList<sEntry> *entries) const
{
    entries->clear();
    QStringList parts;
    const sNode *n = nullptr;
    if (const eResult r = lookup(path, &parts, &n); r != eResult::Ok)
        return r;
    if (!n->isDir)
        return eResult::NotDir;
    for (const auto &[name, child] : n->children)
        entries->append(entryOf(name, *child));
    return eResult::Ok;
}

cSimFileSystem::eResult cSimMemoryFs::stat(const QString &path, sEntry *entry) const
{
    QStringList parts;
    const sNode *n = nullptr;
    if (const eResult r = lookup(path, &parts, &n); r != eResult::Ok)
        return r;
    *entry = entryOf(parts.isEmpty() ? QStringLiteral("/") : parts.last(), *n);
    return eResult::Ok;
}

cSimFileSystem::eResult cSimMemoryFs::read(const QString &path, QByteArray *data) const
{
    QStringList parts;
    const sNode *n = nullptr;
    if (const eResult r = lookup(path, &parts, &n); r != eResult::Ok)
        return r;
    if (n->isDir)
        return eResult::IsDir;
    *data = n->data;
    return eResult::Ok;
}

cSimFileSystem::eResult cSimMemoryFs::write(const QString &path, const QByteArray &data)
{
    sNode *dir = nullptr;
    QString name;
    const eResult r = parentOf(path, &dir, &name);
    if (r != eResult::Ok)
        return r;
    auto &slot = dir->children[name];
    const qint64 old = slot ? slot->data.size() : 0;
    if (slot && slot->isDir)
        return eResult::IsDir;
    if (slot && !slot->writable)
        return eResult::ReadOnly;
    if (m_used - old + data.size() > kCapacity) {
        if (!slot)
            dir->children.erase(name);
        return eResult::NoSpace;
    }
    if (!slot)
        slot = std::make_unique<sNode>();
    slot->data = data;
    slot->mtime = QDateTime::currentSecsSinceEpoch();
    m_used += data.size() - old;
    dir->mtime = slot->mtime;
    return eResult::Ok;
}

cSimFileSystem::eResult cSimMemoryFs::makeDir(const QString &path)
{
    sNode *dir = nullptr;
    QString name;
    const eResult r = parentOf(path, &dir, &name);
    if (r != eResult::Ok)
        return r;
    if (dir->children.count(name))
        return eResult::Exists;
    auto node = std::make_unique<sNode>();
    node->isDir = true;
    node->mtime = QDateTime::currentSecsSinceEpoch();
    dir->children[name] = std::move(node);
    return eResult::Ok;
}

cSimFileSystem::eResult cSimMemoryFs::removeFile(const QString &path)
{
    sNode *dir = nullptr;
    tChildren::iterator it;
    if (const eResult r = existing(path, &dir, &it); r != eResult::Ok)
        return r;
    if (it->second->isDir)
        return eResult::IsDir;
    if (!it->second->writable)
        return eResult::ReadOnly;
    m_used -= it->second->data.size();
    dir->children.erase(it);
    return eResult::Ok;
}

cSimFileSystem::eResult cSimMemoryFs::removeDir(const QString &path)
{
    sNode *dir = nullptr;
    tChildren::iterator it;
    if (const eResult r = existing(path, &dir, &it); r != eResult::Ok)
        return r;
    if (!it->second->isDir)
        return eResult::NotDir;
    if (!it->second->children.empty())
        return eResult::NotEmpty;
    dir->children.erase(it);
    return eResult::Ok;
}

cSimFileSystem::eResult cSimMemoryFs::rename(const QString &from, const QString &to)
{
    QStringList fromParts;
    QStringList toParts;
    if (const eResult r = splitRename(from, to, &fromParts, &toParts); r != eResult::Ok)
        return r;
    sNode *fromDir = nullptr;
    sNode *toDir = nullptr;
    QString fromName;
    QString toName;
    eResult r = parentOf(from, &fromDir, &fromName);
    if (r != eResult::Ok)
        return r;
    r = parentOf(to, &toDir, &toName);
    if (r != eResult::Ok)
        return r;
    const auto it = fromDir->children.find(fromName);
    if (it == fromDir->children.end())
        return eResult::NotFound;
    if (fromParts == toParts)
        return eResult::Ok;
    if (!it->second->writable)
        return eResult::ReadOnly;
    // A file replaces a file (that is how uploads land); nothing replaces a folder.
    const auto target = toDir->children.find(toName);
    if (target != toDir->children.end()) {
        if (target->second->isDir || it->second->isDir)
            return eResult::Exists;
        if (!target->second->writable)
            return eResult::ReadOnly;
        m_used -= target->second->data.size();
        toDir->children.erase(target);
    }
    std::unique_ptr<sNode> node = std::move(it->second);
    fromDir->children.erase(it);
    toDir->children[toName] = std::move(node);
    return eResult::Ok;
}

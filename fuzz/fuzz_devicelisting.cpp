// A listing comes from a unit and may be anything. Every answer must parse without a crash,
// every entry must be a plain name inside the listed folder, and a special answer must win.

#include "files/core/cdevicelisting.h"
#include "fuzz/fuzzcheck.h"
#include "platform/link/cdirlisting.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray answer(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString dir = QStringLiteral("/fuzz");
    const cDeviceListing::sResult r = cDeviceListing::parse(answer, dir);
    const cDirListing::eAnswer kind = cDirListing::classify(answer);
    ZT_FUZZ_CHECK(kind == cDirListing::eAnswer::Entries || r.entries.isEmpty());
    ZT_FUZZ_CHECK(r.ok == (kind == cDirListing::eAnswer::Entries || kind == cDirListing::eAnswer::DirEmpty));
    for (const sDeviceFSEntry &e : r.entries) {
        ZT_FUZZ_CHECK(cDeviceListing::isPlainName(e.name));
        ZT_FUZZ_CHECK(e.path == dir + QLatin1Char('/') + e.name);
        ZT_FUZZ_CHECK(e.size >= 0);
    }
    // What the unit writes, the host reads back unchanged.
    QList<cDirListing::sEntry> written;
    for (const sDeviceFSEntry &e : r.entries) {
        cDirListing::sEntry w;
        w.name = e.name.toLocal8Bit();
        w.isDir = e.isDir;
        w.size = e.isDir ? 0 : e.size;
        if (!w.name.contains('*') && !w.name.contains('|') && !w.name.trimmed().isEmpty() && w.name == w.name.trimmed())
            written.append(w);
    }
    const cDeviceListing::sResult back = cDeviceListing::parse(cDirListing::format(written), dir);
    if (cDirListing::classify(cDirListing::format(written)) == cDirListing::eAnswer::Entries)
        ZT_FUZZ_CHECK(back.entries.size() == written.size());
    return 0;
}

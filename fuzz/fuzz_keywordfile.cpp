// The keyword list is a file that may be edited by hand or cut short. Any bytes must load
// without a crash, and a list that loaded must survive being saved and loaded again.

#include "fuzz/fuzzcheck.h"
#include "logs/core/ckeywordfile.h"

#include <algorithm>
#include <cstdint>

namespace {

// What XML 1.0 can carry in a CDATA section unchanged (line ends are normalised to LF).
bool storable(const QString &text)
{
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if ((u < 0x20 && u != '\t' && u != '\n') || u == 0xfffe || u == 0xffff || c.isSurrogate())
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray xml(reinterpret_cast<const char *>(data), qsizetype(size));
    QString error;
    const QStringList keywords = cKeywordFile::fromXml(xml, &error);
    ZT_FUZZ_CHECK(error.isEmpty() || keywords.isEmpty());
    if (std::all_of(keywords.cbegin(), keywords.cend(), storable)) {
        QString again;
        ZT_FUZZ_CHECK(cKeywordFile::fromXml(cKeywordFile::toXml(keywords), &again) == keywords);
        ZT_FUZZ_CHECK(again.isEmpty());
    }
    return 0;
}

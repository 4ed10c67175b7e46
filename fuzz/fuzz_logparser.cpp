// Unit log lines come from whatever is on the wire. Any bytes must parse without a crash, and
// the quick way of finding a line's record must give exactly what trying every pattern gives.

#include "fuzz/fuzzcheck.h"
#include "logs/core/ckeywordfilter.h"
#include "logs/core/clogrecognizer.h"

#include <cstdint>
#include <cstring>

namespace {

bool same(const sLogRecord &a, const sLogRecord &b)
{
    if (a.kind != b.kind || a.text != b.text)
        return false;
    // Compare the bits: NaN must equal NaN here.
    if (std::memcmp(&a.real, &b.real, sizeof a.real) != 0)
        return false;
    for (int i = 0; i < sLogRecord::kMaxArgs; ++i) {
        if (a.values[i] != b.values[i])
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // A few lines at a time keep the runs quick; what a line holds matters, not how many there are.
    if (size > 1024)
        return 0;
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    // Lines as the reader hands them over: split at LF, each byte one Latin-1 character.
    for (const QByteArray &line : bytes.split('\n').mid(0, 8)) {
        const QString text = QString::fromLatin1(line);
        cLogRecognizer::Records quick, plain;
        cLogRecognizer::recognize(text, &quick);
        cLogRecognizer::recognizePlain(text, &plain);
        ZT_FUZZ_CHECK(quick.size() == plain.size());
        for (qsizetype i = 0; i < quick.size(); ++i) {
            ZT_FUZZ_CHECK(same(quick.at(i), plain.at(i)));
            ZT_FUZZ_CHECK(quick.at(i).toJson().startsWith("{\"signal\":\""));
        }
        cLogRecognizer::Kinds kinds;
        cLogRecognizer::classify(line, &kinds);
        ZT_FUZZ_CHECK(kinds.size() == quick.size());
        for (qsizetype i = 0; i < kinds.size(); ++i)
            ZT_FUZZ_CHECK(kinds.at(i) == quick.at(i).kind);
        const QString shown = cLogRecognizer::trimmedForView(text);
        ZT_FUZZ_CHECK(text.startsWith(shown));
    }
    // The first line doubles as a keyword filter: any text must build one and match safely.
    // An input that starts with '#' is a keyword filter (compiling expressions is slow, so only then).
    if (bytes.startsWith('#')) {
        const qsizetype lf = bytes.indexOf('\n');
        const cKeywordFilter filter(QString::fromLatin1(lf < 0 ? bytes.mid(1) : bytes.mid(1, lf - 1)));
        ZT_FUZZ_CHECK(filter.matchCount(QString::fromLatin1(bytes)) <= filter.size());
    }
    return 0;
}

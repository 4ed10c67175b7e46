// The decoder sees whatever the line delivers, cut at any point. Whatever the bytes, the result
// must not depend on how they were cut, no frame may exceed the limit, and a decoded frame must
// survive being encoded again.

#include "fuzz/fuzzcheck.h"
#include "platform/link/clinkdecoder.h"
#include "platform/link/linkprotocol.h"

#include <cstdint>

namespace {

// Adjacent text pieces merged: only where frames lie between them is meaningful.
QList<sLinkChunk> merged(const QList<sLinkChunk> &chunks)
{
    QList<sLinkChunk> out;
    for (const sLinkChunk &c : chunks) {
        if (!c.isFrame && !out.isEmpty() && !out.last().isFrame)
            out.last().text += c.text;
        else
            out.append(c);
    }
    return out;
}

bool sameFrame(const sLinkFrame &a, const sLinkFrame &b)
{
    return a.type == b.type && a.id == b.id && a.seq == b.seq && a.payload == b.payload;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1 || size > 1 << 20)
        return 0;
    // The first byte chooses the piece size and a small limit, so that too-long frames occur.
    const int step = 1 + data[0] % 17;
    const int maxPayload = 16 + (data[0] >> 4) * 32;
    const char *bytes = reinterpret_cast<const char *>(data + 1);
    const int n = int(size - 1);

    cLinkDecoder whole(maxPayload);
    cLinkDecoder pieces(maxPayload);
    QList<sLinkChunk> a;
    QList<sLinkChunk> b;
    whole.feed(bytes, n, &a);
    for (int i = 0; i < n; i += step)
        pieces.feed(bytes + i, qMin(step, n - i), &b);

    a = merged(a);
    b = merged(b);
    ZT_FUZZ_CHECK(a.size() == b.size());
    ZT_FUZZ_CHECK(whole.framesDecoded() == pieces.framesDecoded());
    ZT_FUZZ_CHECK(whole.framesDamaged() == pieces.framesDamaged());
    for (int i = 0; i < a.size(); ++i) {
        ZT_FUZZ_CHECK(a[i].isFrame == b[i].isFrame);
        if (!a[i].isFrame) {
            ZT_FUZZ_CHECK(a[i].text == b[i].text);
            ZT_FUZZ_CHECK(!a[i].text.contains(char(zlink::kStartMarker)));
            continue;
        }
        ZT_FUZZ_CHECK(sameFrame(a[i].frame, b[i].frame));
        ZT_FUZZ_CHECK(a[i].frame.payload.size() <= maxPayload);
        cLinkDecoder again(maxPayload);
        QList<sLinkChunk> round;
        const QByteArray encoded = zlink::encodeFrame(a[i].frame);
        again.feed(encoded.constData(), int(encoded.size()), &round);
        ZT_FUZZ_CHECK(round.size() == 1 && round[0].isFrame && sameFrame(round[0].frame, a[i].frame));
    }
    return 0;
}

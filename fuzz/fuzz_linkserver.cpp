// The unit's end of the link takes requests from any host. Frames with valid checksums but any
// content must neither crash it nor make it write outside its temporary names, leave a partial
// file behind, or send without bound.

#include "autotests/platform/link/cmemoryunit.h"
#include "fuzz/fuzzcheck.h"
#include "platform/link/clinkserver.h"
#include "platform/link/linkprotocol.h"
#include "platform/link/slinkframe.h"

#include <QSet>

#include <cstdint>

namespace {

const QByteArray kPartSuffix = QByteArrayLiteral(".zt-part");

// The in-memory unit of the link tests, watched: it notes what the server writes, and names with
// '!' cannot be renamed, so the failure paths run too.
class cFuzzUnit : public cMemoryUnit
{
public:
    QSet<QByteArray> partial; // written by the server and neither renamed nor deleted since

    bool writeFile(const QByteArray &path, const QByteArray &data, QString *error) override
    {
        ZT_FUZZ_CHECK(path.endsWith(kPartSuffix));
        partial.insert(path);
        return cMemoryUnit::writeFile(path, data, error);
    }
    bool deleteFile(const QByteArray &path, QString *error) override
    {
        partial.remove(path);
        return cMemoryUnit::deleteFile(path, error);
    }
    bool renameFile(const QByteArray &from, const QByteArray &to, QString *error) override
    {
        if (to.contains('!')) {
            *error = QStringLiteral("cannot rename");
            return false;
        }
        if (!cMemoryUnit::renameFile(from, to, error))
            return false;
        partial.remove(from);
        return true;
    }
};

} // namespace

// Input: records of kind (1), id (2), seq (1), length (1), payload. Kind 0 feeds the payload as
// raw line bytes; kinds 1 to 4 send it as a correctly checked frame of that type.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    cFuzzUnit unit;
    unit.setFile("/a.txt", QByteArray(3000, 'a'));
    cLinkServer server(&unit);
    server.setMaxFileSize(64 * 1024);

    qint64 sent = 0;
    size_t pos = 0;
    while (pos + 5 <= size) {
        const uint8_t kind = data[pos] % 5;
        sLinkFrame frame;
        frame.id = quint16(data[pos + 1] | data[pos + 2] << 8);
        frame.seq = data[pos + 3];
        const size_t length = qMin<size_t>(data[pos + 4], size - pos - 5);
        frame.payload = QByteArray(reinterpret_cast<const char *>(data + pos + 5), qsizetype(length));
        pos += 5 + length;
        if (kind == 0) {
            server.feed(frame.payload);
        } else {
            frame.type = kind;
            server.feed(zlink::encodeFrame(frame));
        }
        // Drain as a line would, a little at a time; a bounded number of pulls must do.
        for (int pull = 0; pull < 64; ++pull) {
            const QByteArray out = server.takeOutput(1 + frame.seq * 16);
            ZT_FUZZ_CHECK(out.size() <= 1 + frame.seq * 16);
            sent += out.size();
            if (out.isEmpty())
                break;
        }
    }
    // Every input record can make at most a few answers or blocks of a bounded size.
    ZT_FUZZ_CHECK(sent <= qint64(size / 5 + 1) * 64 * zlink::maxEncodedSize(zlink::kMaxBlockSize));

    // Uploads not committed leave nothing behind, committed ones no temporary file.
    ZT_FUZZ_CHECK(unit.partial.isEmpty());
    return 0;
}

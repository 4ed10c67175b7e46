// The adapter file is edited by hand. Any text must load without a crash, every unit it gives
// must be usable, and every complaint must say which file it is about.

#include "fuzz/fuzzcheck.h"
#include "platform/port/cadapterfile.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size > cAdapterFile::kMaxFileSize)
        return 0;
    const QByteArray text(reinterpret_cast<const char *>(data), qsizetype(size));
    const cAdapterFile::sResult result = cAdapterFile::parse(text, QStringLiteral("fuzz.ini"));
    for (const QString &error : result.errors)
        ZT_FUZZ_CHECK(error.contains(QLatin1String("fuzz.ini")));
    QStringList ids;
    for (const cAdapterFile::sUnit &unit : result.units) {
        ZT_FUZZ_CHECK(!unit.device.id.isEmpty() && !unit.device.name.isEmpty());
        ZT_FUZZ_CHECK(!ids.contains(unit.device.id));
        ids << unit.device.id;
        ZT_FUZZ_CHECK(unit.baud > 0);
        ZT_FUZZ_CHECK(!unit.device.devices.isEmpty() && unit.device.devices.first().type == QLatin1String("serial"));
        ZT_FUZZ_CHECK(!unit.device.devices.first().id.isEmpty());
    }
    return 0;
}

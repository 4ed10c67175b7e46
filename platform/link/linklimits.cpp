#include "platform/link/linklimits.h"

#include <QByteArray>

namespace zlink {

bool pathFits(const QByteArray &path, int reserve)
{
    if (path.isEmpty() || path.size() + reserve > kMaxPathBytes)
        return false;
    qsizetype start = 0;
    while (start <= path.size()) {
        qsizetype end = path.indexOf('/', start);
        if (end < 0)
            end = path.size();
        const qsizetype room = end == path.size() ? kMaxNameBytes - reserve : kMaxNameBytes;
        if (end - start > room)
            return false;
        start = end + 1;
    }
    return true;
}

} // namespace zlink

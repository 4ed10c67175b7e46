#include "platform/plugman/callerbuffer.h"

#include <cstdlib>
#include <cstring>

namespace plugincopy {

char *callerBuffer(const QByteArray &data)
{
    char *p = static_cast<char *>(std::malloc(size_t(data.size()) + 1));
    if (!p)
        return nullptr;
    if (!data.isEmpty())
        std::memcpy(p, data.constData(), size_t(data.size()));
    p[data.size()] = '\0';
    return p;
}

} // namespace plugincopy

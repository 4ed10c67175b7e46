#pragma once

#include <QByteArray>

namespace plugincopy {

/**
 * A malloc'ed, zero-terminated copy of data that the plug-in's caller owns and frees. Never null
 * on success, so that an empty file or answer is still data; null only when memory ran out.
 */
char *callerBuffer(const QByteArray &data);

} // namespace plugincopy

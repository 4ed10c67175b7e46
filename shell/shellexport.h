#pragma once

#include <QtGlobal>

#if defined(ZT_SHELL_LIBRARY)
#define ZT_SHELL_EXPORT Q_DECL_EXPORT
#else
#define ZT_SHELL_EXPORT Q_DECL_IMPORT
#endif

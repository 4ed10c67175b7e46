#pragma once

#include <cstdio>
#include <cstdlib>

// A broken invariant must stop the run like a sanitizer report does, so the fuzzer keeps the input.
#define ZT_FUZZ_CHECK(condition)                                                              \
    do {                                                                                      \
        if (!(condition)) {                                                                   \
            std::fprintf(stderr, "%s:%d: invariant broken: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                     \
        }                                                                                     \
    } while (false)

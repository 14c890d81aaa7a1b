#pragma once

#include <cstdio>
#include <cstdlib>

// A property every input must keep; a violation is a crash the fuzzer records.
inline void require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "violated: %s\n", what);
        std::abort();
    }
}

// Every fuzz target's check: a failed one prints what failed and detail (a std::string expression, evaluated
// only then) and aborts, so libFuzzer keeps the input as a finding and a replay stops at it.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

#define FUZZ_CHECK(condition, detail)                                                                        \
    do {                                                                                                     \
        if (!(condition)) {                                                                                  \
            std::fprintf(stderr, "%s:%d: check failed: %s\n  %s\n", __FILE__, __LINE__, #condition,          \
                         std::string(detail).c_str());                                                       \
            std::abort();                                                                                    \
        }                                                                                                    \
    } while (0)

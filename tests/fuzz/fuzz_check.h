// The check every fuzz target asserts its invariants with: a failed check
// prints what failed and aborts, so libFuzzer keeps the input as a finding
// and a replay stops after the name of the input. detail (a std::string
// expression) is evaluated only then.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

#define FUZZ_CHECK(condition, detail)                                                                        \
    do {                                                                                                     \
        if (!(condition)) {                                                                                  \
            std::fprintf(stderr, "%s:%d: check failed: %s\n  %s\n", __FILE__, __LINE__, #condition,         \
                         std::string(detail).c_str());                                                       \
            std::abort();                                                                                    \
        }                                                                                                    \
    } while (0)

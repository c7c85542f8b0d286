// The check every fuzz target asserts its invariants with. A failed check
// prints what was expected and aborts: libFuzzer saves the input as a crash,
// and a replay program stops with the input's name as the last line it
// printed.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

namespace fuzzcheck {

[[noreturn]] inline void Fail(const char* file, int line, const char* condition, const std::string& detail) {
    std::fprintf(stderr, "%s:%d: check failed: %s\n  %s\n", file, line, condition, detail.c_str());
    std::fflush(stderr);
    std::abort();
}

} // namespace fuzzcheck

// detail is any expression giving a std::string; it is evaluated only when
// the check fails.
#define FUZZ_CHECK(condition, detail)                                                                        \
    do {                                                                                                     \
        if (!(condition))                                                                                    \
            fuzzcheck::Fail(__FILE__, __LINE__, #condition, (detail));                                       \
    } while (0)

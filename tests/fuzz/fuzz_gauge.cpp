// Fuzz target: the copy page's gauge shares. For any width, required space and sizes (negative ones too), the
// shares are never negative and add up to exactly the inner width (tables/gauge.cpp has the exact shares).
#include "fuzz_check.h"
#include "install/gauge.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 9)
        return 0;
    int width;
    unsigned required;
    memcpy(&width, data, 4);
    memcpy(&required, data + 4, 4);
    width %= 100000; // pixels of any real screen, and negative ones
    int count = data[8] % 27;
    int sizes[26] = {0}, shares[26];
    memcpy(sizes, data + 9, std::min(size - 9, sizeof sizes));
    memset(shares, 0x5a, sizeof shares);
    ComputeGaugeShares(width, required, sizes, count, shares);
    long long sum = 0;
    for (int i = 0; i < count; ++i) {
        FUZZ_CHECK(shares[i] >= 0, "share " + std::to_string(i) + " is " + std::to_string(shares[i]));
        sum += shares[i];
    }
    long long inner = width < 0 ? 0 : width;
    FUZZ_CHECK(count == 0 || sum == inner, "sum " + std::to_string(sum) + " of " + std::to_string(inner));
    return 0;
}

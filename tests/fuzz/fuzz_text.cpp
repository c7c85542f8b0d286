// Fuzz target: version comparison and the number helpers against independent readings: the comparison folds
// A-Z only and orders bytes unsigned, a prefix first; numbers read like atoi, held at the ends of the 32-bit
// range; decimals of any 64-bit value; appends refuse instead of cutting. Input: two texts split by a NUL.
#include "base/text.h"
#include "fuzz_check.h"
#include "install/stampscan.h"

#include <cctype>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

static int Sign(int v) {
    return (v > 0) - (v < 0);
}

static int Reference(const std::string& a, const std::string& b) {
    auto fold = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; };
    for (size_t i = 0;; ++i) {
        int x = i < a.size() ? fold((unsigned char)a[i]) : 0,
            y = i < b.size() ? fold((unsigned char)b[i]) : 0;
        if (x != y || x == 0)
            return Sign(x - y);
    }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string input(reinterpret_cast<const char*>(data), size);
    size_t nul = input.find('\0');
    std::string a = input.substr(0, nul), b = nul == std::string::npos ? "" : input.substr(nul + 1);
    b = b.substr(0, b.find('\0'));

    int ab = Sign(CompareVersions(a.c_str(), b.c_str())), ba = Sign(CompareVersions(b.c_str(), a.c_str()));
    FUZZ_CHECK(ab == -ba && ab == Reference(a, b), "compare " + a + " with " + b);
    FUZZ_CHECK(IsNoEntry(a.c_str()) == (Reference(a, "NO ENTRY") == 0), "no entry: " + a);

    long long wide = strtoll(a.c_str(), nullptr, 10); // strtoll holds at its own ends; so must we, at 32 bits
    int expected = wide > INT_MAX ? INT_MAX : wide < INT_MIN ? INT_MIN : (int)wide;
    FUZZ_CHECK(LeadingNumber(a.c_str()) == expected, "number of " + a);
    FUZZ_CHECK(NumberFits(a.c_str()) == (wide == expected), "fits: " + a);

    unsigned long long value = 0;
    memcpy(&value, data, size < 8 ? size : 8);
    char digits[21];
    digits[0] = '\0';
    FUZZ_CHECK(AppendDecimal(digits, sizeof digits, value) && digits == std::to_string(value), "decimal");

    char small[16];
    int room = (int)(data[0] % sizeof small); // 0 too: then nothing may be written
    CopyText(small, sizeof small, "");
    int fits = CopyText(small, room, a.c_str()) && AppendText(small, room, b.c_str());
    FUZZ_CHECK(fits == (a.size() + b.size() < (size_t)room ? 1 : 0), "append fits");
    FUZZ_CHECK(fits ? small == a + b : small[0] == '\0', "append gives " + std::string(small));
    return 0;
}

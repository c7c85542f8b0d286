// Fuzz target: a setup-script file entry's split. Accepted: four fields without blanks or commas that fit
// their buffers, a size within 32 bits, numbers read like atoi; refused: the record left as it was.
#include "fuzz_check.h"
#include "install/fileentry.h"

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

// The fields an independent reading of the entry finds: runs between blanks and commas.
static std::string Field(const std::string& text, int n) {
    size_t i = 0;
    for (int k = 0; k <= n; ++k) {
        i = text.find_first_not_of(" ,", i);
        if (i == std::string::npos)
            return "";
        size_t end = text.find_first_of(" ,", i);
        if (k == n)
            return text.substr(i, end == std::string::npos ? std::string::npos : end - i);
        i = end == std::string::npos ? text.size() : end;
    }
    return "";
}

static int AtoiClamped(const std::string& s) {
    long long v = strtoll(s.c_str(), nullptr, 10);
    return v > INT_MAX ? INT_MAX : v < INT_MIN ? INT_MIN : (int)v;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), strnlen(reinterpret_cast<const char*>(data), size));
    FileRecord record, before;
    memset(&record, 0x5a, sizeof record);
    before = record;
    int ok = SplitFileEntry(text.c_str(), &record);
    bool fits = true;
    for (int n = 0; n < 4; ++n)
        fits = fits && !Field(text, n).empty() && Field(text, n).size() <= 127;
    long long stated = strtoll(Field(text, 3).c_str(), nullptr, 10);
    fits = fits && stated <= INT_MAX && stated >= INT_MIN;
    FUZZ_CHECK(ok == (fits ? 1 : 0), "accepted " + std::to_string(ok) + " for: " + text);
    if (!ok) {
        FUZZ_CHECK(memcmp(&record, &before, sizeof record) == 0, "a refused entry changed the record");
        return 0;
    }
    FUZZ_CHECK(record.sourceName == Field(text, 1) && record.targetName == Field(text, 2), "names: " + text);
    FUZZ_CHECK(record.disk == AtoiClamped(Field(text, 0)), "disk of: " + text);
    FUZZ_CHECK(record.size == AtoiClamped(Field(text, 3)), "size of: " + text);
    return 0;
}

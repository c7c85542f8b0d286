// Fuzz target: the path page's name rules and the completion of a typed entry, against independent readings
// of the same rules. Input: a source directory, a NUL byte, the typed entry.
#include "fuzz_check.h"
#include "pages/pathname.h"

#include <cstdint>
#include <cstring>
#include <string>

static bool ValidByTheRules(const std::string& name) {
    if (name.find_first_of("^&*=|;,<>?/\"") != std::string::npos)
        return false;
    size_t colon = name.find(':');
    if (colon != std::string::npos && (colon != 1 || name.find(':', 2) != std::string::npos))
        return false;
    // At most one dot in each component between separators (the colon after the drive letter separates too);
    // a dot at the very first position does not count against a later one in the first component.
    size_t start = 0;
    while (start <= name.size()) {
        size_t end = name.find_first_of("\\:", start);
        std::string part = name.substr(start, end == std::string::npos ? std::string::npos : end - start);
        size_t dots = 0;
        for (size_t i = 0; i < part.size(); ++i)
            dots += part[i] == '.' && !(start == 0 && i == 0);
        if (dots > 1)
            return false;
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return true;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string input(reinterpret_cast<const char*>(data), size);
    size_t nul = input.find('\0');
    std::string source = nul == std::string::npos ? "A:" : input.substr(0, nul);
    std::string entry = nul == std::string::npos ? input : input.substr(nul + 1);
    entry = entry.substr(0, entry.find('\0'));

    int valid = IsValidPathName(entry.c_str());
    FUZZ_CHECK(valid == (ValidByTheRules(entry) ? 1 : 0), "name check of: " + entry);

    char out[kInstallDirSize];
    memset(out, 0x5a, sizeof out);
    std::string expected = entry.size() >= 2 && entry[1] == ':' ? entry
                           : entry.empty() || entry[0] != '\\'  ? source + "\\" + entry
                                                                : source + entry;
    int fits = CompleteInstallPath(entry.c_str(), source.c_str(), out, sizeof out);
    FUZZ_CHECK(fits == (expected.size() < sizeof out ? 1 : 0), "completion fits: " + expected);
    FUZZ_CHECK(fits ? out == expected : out[0] == '\0', "completion of " + entry + " is " + out);
    char root[4];
    DriveRootOf(entry.c_str(), root);
    FUZZ_CHECK(root == entry.substr(0, 3), "drive root of " + entry);
    return 0;
}

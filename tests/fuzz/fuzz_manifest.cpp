// Fuzz target: mkdist's manifest parser, its check of what the setup program can read, the disk layout and
// the script text, as mkdist's Build runs them. No file is read: a SOURCE starting with digits stands for a
// file of that many bytes, any other for 1000 bytes per character of its name.
//   parse   a refusal names its line; every entry's disk name is its name (or name=) as stored.
//   check   what is accepted is clean: 1 to 26 listed files, names of 1 to 127 characters without blanks,
//           commas, quotes, control characters or separators, sizes a signed 32-bit field holds.
//   script  each fileN value, read as the setup program reads it (128 bytes) and split by its own
//           SplitFileEntry, gives back the entry.
#include "fuzz_check.h"
#include "install/fileentry.h"
#include "layout.h"
#include "szdd.h"

#include <string>
#include <vector>

static bool Clean(const std::string& name) {
    if (name.empty() || name.size() > dist::kMaxName)
        return false;
    for (unsigned char c : name)
        if (c < 0x20 || c == 0x7F || c == ' ' || c == ',' || c == '"' || c == '\\' || c == '/' || c == ':')
            return false;
    return true;
}

static void CheckScript(const std::vector<dist::Entry>& placed, const dist::Autorun& autorun, size_t bound) {
    const std::string text = dist::ScriptText("1.K2", placed, autorun);
    FUZZ_CHECK(text.size() <= bound, "script of " + std::to_string(text.size()) + " bytes");
    int n = 0;
    for (const dist::Entry& e : placed) {
        if (!e.listed)
            continue;
        const std::string key = "\r\nfile" + std::to_string(++n) + "=";
        const size_t at = text.find(key);
        FUZZ_CHECK(at != std::string::npos, "no " + key.substr(2));
        const std::string value =
            text.substr(at + key.size(), text.find("\r\n", at + key.size()) - at - key.size());
        FileRecord r;
        FUZZ_CHECK(value.size() < 128 && SplitFileEntry(value.c_str(), &r) == 1, "refused: " + value);
        FUZZ_CHECK(r.disk == e.disk && e.diskName == r.sourceName && e.target == r.targetName &&
                       (uint64_t)r.size == e.expandedSize,
                   "read otherwise: " + value);
    }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<dist::Entry> entries;
    std::string error;
    if (!dist::ParseManifest(std::string((const char*)data, size), &entries, &error)) {
        FUZZ_CHECK(error.compare(0, 14, "manifest line ") == 0, "refusal names no line: " + error);
        return 0;
    }
    int listed = 0;
    for (dist::Entry& e : entries) {
        const std::string stored = e.compress ? szdd::CompressedName(e.plainName) : e.plainName;
        FUZZ_CHECK(e.disk >= 0 && e.disk <= dist::kMaxDisks && e.diskName == stored,
                   "disk name " + e.diskName);
        size_t digits = e.source.find_first_not_of("0123456789");
        e.expandedSize =
            digits > 0 && digits <= 12 ? std::stoull(e.source.substr(0, digits)) : e.source.size() * 1000;
        e.storedSize = e.compress ? e.expandedSize / 2 + szdd::kHeaderSize : e.expandedSize;
        listed += e.listed;
    }
    dist::Autorun autorun;
    if (!dist::CheckDistribution("1.K2", entries, autorun, &error))
        return 0;
    for (const dist::Entry& e : entries)
        FUZZ_CHECK(Clean(e.target) && Clean(e.diskName) && (!e.listed || e.expandedSize <= 0x7FFFFFFFu),
                   "accepted " + e.target + " / " + e.diskName);
    FUZZ_CHECK(listed >= 1 && listed <= dist::kMaxListed, "accepted " + std::to_string(listed) + " files");
    const size_t bound = dist::ScriptSizeBound("1.K2", entries, autorun);
    dist::DiskParams params;
    params.disk1Reserved = 2 * dist::Allocated(bound, params.cluster);
    int disks = 0;
    if (dist::LayoutDisks(&entries, params, &disks, &error))
        CheckScript(entries, autorun, bound);
    return 0;
}

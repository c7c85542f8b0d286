// Fuzz target: mkdist's manifest parser, its check of what the setup program
// can read, the disk layout and the script text, in the order mkdist's Build
// runs them: once for the entries as given, once behind the SETUP.ZEL entry
// that --setup puts first (with an [Autorun] section).
//
// No file is read. A SOURCE that starts with digits stands for a file of
// that many bytes, any other for a file of 1000 bytes per character of its
// name, so that inputs reach the size limits too; a compressed file takes
// half its size plus a header on the disk.
//
// What must hold for every input:
//   parse   a refusal names its line; every entry has a disk of 0 to 99 and
//           the disk name that its target, name= and compress give.
//   check   what CheckDistribution accepts is clean: 1 to 26 listed files,
//           names of 1 to 127 characters without blanks, commas, quotes,
//           control characters or path separators, sizes a signed 32-bit
//           field holds, a Version of 1 to 4 characters.
//   script  when laid out, ScriptText fits ScriptSizeBound, and each fileN
//           value, read the way the setup program reads it (into 128 bytes)
//           and split by the setup program's own SplitFileEntry, gives back
//           the entry's disk, disk name, target name and size.
#include "fuzz_check.h"
#include "install/fileentry.h"
#include "layout.h"
#include "szdd.h"

#include <string>
#include <vector>

namespace {

using dist::Entry;

const char kVersion[] = "1.K2";
constexpr uint64_t kSetupSize = 60000;

std::string Num(uint64_t n) {
    return std::to_string(n);
}

uint64_t SourceSize(const std::string& source) {
    uint64_t size = 0;
    size_t digits = 0;
    while (digits < source.size() && digits < 12 && source[digits] >= '0' && source[digits] <= '9')
        size = size * 10 + static_cast<uint64_t>(source[digits++] - '0');
    return digits ? size : source.size() * 1000;
}

bool Clean(const std::string& name) {
    if (name.empty() || name.size() > dist::kMaxName)
        return false;
    for (unsigned char c : name) {
        if (c < 0x20 || c == 0x7F || c == ' ' || c == ',' || c == '"' || c == '\\' || c == '/' || c == ':')
            return false;
    }
    return true;
}

void CheckAccepted(const std::vector<Entry>& entries) {
    int listed = 0;
    for (const Entry& e : entries) {
        FUZZ_CHECK(Clean(e.target) && Clean(e.diskName),
                   "accepted \"" + e.target + "\" / \"" + e.diskName + "\"");
        FUZZ_CHECK(!e.listed || e.expandedSize <= 0x7FFFFFFFu, "accepted a size of " + Num(e.expandedSize));
        listed += e.listed;
    }
    FUZZ_CHECK(listed >= 1 && listed <= dist::kMaxListed,
               "accepted " + Num(static_cast<uint64_t>(listed)) + " files");
}

// The script's fileN values as the setup program reads them back.
void CheckScript(const std::vector<Entry>& placed, const dist::Autorun& autorun, size_t bound) {
    const std::string text = dist::ScriptText(kVersion, placed, autorun);
    FUZZ_CHECK(text.size() <= bound, "script of " + Num(text.size()) + " bytes, bound " + Num(bound));
    size_t n = 0;
    for (const Entry& e : placed) {
        if (!e.listed)
            continue;
        const std::string key = "\r\nfile" + Num(++n) + "=";
        const size_t at = text.find(key);
        FUZZ_CHECK(at != std::string::npos, "no " + key.substr(2) + " in the script");
        const size_t start = at + key.size();
        const std::string value = text.substr(start, text.find("\r\n", start) - start);
        FUZZ_CHECK(value.size() < 128, key.substr(2) + " has " + Num(value.size()) + " characters");
        FileRecord record;
        FUZZ_CHECK(SplitFileEntry(value.c_str(), &record) == 1,
                   "the setup program refuses \"" + value + "\"");
        FUZZ_CHECK(record.disk == e.disk && e.diskName == record.sourceName &&
                       e.target == record.targetName && static_cast<uint64_t>(record.size) == e.expandedSize,
                   "the setup program reads \"" + value + "\" otherwise");
    }
    FUZZ_CHECK(text.find("\r\nFilecount=" + Num(n) + "\r\n") != std::string::npos,
               "Filecount is not " + Num(n));
}

void CheckBuild(std::vector<Entry> entries, bool withSetup) {
    dist::Autorun autorun;
    if (withSetup) {
        Entry zel;
        zel.disk = 1;
        zel.source = "SETUP.EXE";
        zel.target = "setup.zel";
        zel.plainName = zel.diskName = "SETUP.ZEL";
        entries.insert(entries.begin(), zel);
        autorun.pathname = "C:\\Program Files\\Vantrx";
        autorun.vantrx = "NO";
    }
    for (Entry& e : entries) {
        e.expandedSize = withSetup && &e == &entries[0] ? kSetupSize : SourceSize(e.source);
        e.storedSize = e.compress ? e.expandedSize / 2 + szdd::kHeaderSize : e.expandedSize;
    }
    std::string error;
    if (!dist::CheckDistribution(kVersion, entries, autorun, &error)) {
        FUZZ_CHECK(!error.empty(), "refused without a message");
        return;
    }
    CheckAccepted(entries);
    const size_t bound = dist::ScriptSizeBound(kVersion, entries, autorun);
    dist::DiskParams params;
    params.disk1Reserved = dist::Allocated(withSetup ? kSetupSize : 0, params.cluster) +
                           2 * dist::Allocated(bound, params.cluster);
    int diskCount = 0;
    if (dist::LayoutDisks(&entries, params, &diskCount, &error))
        CheckScript(entries, autorun, bound);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::vector<Entry> entries;
    std::string error;
    if (!dist::ParseManifest(text, &entries, &error)) {
        FUZZ_CHECK(error.compare(0, 14, "manifest line ") == 0, "refusal \"" + error + "\" names no line");
        return 0;
    }
    for (const Entry& e : entries) {
        FUZZ_CHECK(e.disk >= 0 && e.disk <= dist::kMaxDisks, "disk " + std::to_string(e.disk));
        const std::string expected = e.compress ? szdd::CompressedName(e.plainName) : e.plainName;
        FUZZ_CHECK(e.diskName == expected, "disk name \"" + e.diskName + "\", expected \"" + expected + "\"");
    }
    CheckBuild(entries, false);
    CheckBuild(entries, true);
    return 0;
}

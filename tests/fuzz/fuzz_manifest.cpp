// Fuzz target: mkdist's manifest parser, then the checks, path warnings,
// disk layout and script text over what it accepted, in the order mkdist's
// Build runs them: once for the entries as given, once behind the SETUP.ZEL
// entry that --setup puts first (with an [Autorun] section).
//
// No file is read. A SOURCE that starts with digits stands for a file of
// that many bytes, any other for a file of 1000 bytes per character of its
// name, so that inputs reach the size limits too; a compressed file takes
// half its size plus a header on the disk.
//
// What must hold for every input:
//   parse   a refusal names its line; every entry comes from a line of its
//           own, in order, with a disk of 0 to 99 and the disk name that
//           target, name= and compress give; the entries written back as a
//           manifest parse to the same entries.
//   check   CheckDistribution accepts exactly what the setup program can
//           read (Readable below).
//   warn    one warning per path over 127 characters, naming its line.
//   layout  LayoutDisks places exactly as its rule says (Place below).
//   script  ScriptText fits ScriptSizeBound; it lists every listed entry,
//           and each fileN value, read the way the setup program reads it
//           (into 128 bytes, split at blanks and commas), gives back the
//           entry's disk, disk name, target name and size.
#include "fuzz_check.h"
#include "layout.h"
#include "szdd.h"

#include <cctype>
#include <set>
#include <string>
#include <vector>

namespace {

using dist::Entry;

const char kVersion[] = "1.K2";
constexpr uint64_t kSetupSize = 60000;
constexpr size_t kEntryBuffer = 128; // the setup program reads a fileN value into 128 bytes

std::string Num(uint64_t n) {
    return std::to_string(n);
}

std::string Upper(std::string s) {
    for (char& c : s) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return s;
}

uint64_t SourceSize(const std::string& source) {
    uint64_t size = 0;
    size_t digits = 0;
    while (digits < source.size() && digits < 12 && source[digits] >= '0' && source[digits] <= '9')
        size = size * 10 + static_cast<uint64_t>(source[digits++] - '0');
    return digits ? size : source.size() * 1000;
}

size_t LineCount(const std::string& text) {
    size_t lines = 0;
    for (char c : text)
        lines += c == '\n';
    return lines + (!text.empty() && text.back() != '\n');
}

// ---- parse ----------------------------------------------------------------

// A field as the manifest would write it: quoted unless it holds a quote
// itself (then it cannot hold a blank or a tab, having been read unquoted).
std::string Field(const std::string& f) {
    return f.find('"') == std::string::npos ? "\"" + f + "\"" : f;
}

// The entries as a manifest. The trailing blank keeps a final '\r' of an
// unquoted field from being taken for a line end.
std::string Manifest(const std::vector<Entry>& entries) {
    std::string text;
    for (const Entry& e : entries) {
        text += (e.disk ? Num(static_cast<uint64_t>(e.disk)) : "auto") + " " + Field(e.source) + " " +
                Field(e.target);
        if (e.compress)
            text += " compress";
        if (!e.listed)
            text += " unlisted";
        if (e.plainName != e.target)
            text += " " + Field("name=" + e.plainName);
        text += " \n";
    }
    return text;
}

bool SameEntry(const Entry& a, const Entry& b) {
    return a.disk == b.disk && a.source == b.source && a.target == b.target && a.plainName == b.plainName &&
           a.diskName == b.diskName && a.compress == b.compress && a.listed == b.listed;
}

void CheckParsed(const std::string& text, const std::vector<Entry>& entries) {
    const size_t lines = LineCount(text);
    int previous = 0;
    for (const Entry& e : entries) {
        FUZZ_CHECK(e.line > previous && static_cast<size_t>(e.line) <= lines,
                   "entry of line " + Num(static_cast<uint64_t>(e.line)) + " after line " +
                       Num(static_cast<uint64_t>(previous)) + ", of " + Num(lines));
        previous = e.line;
        FUZZ_CHECK(e.disk >= 0 && e.disk <= dist::kMaxDisks, "disk " + std::to_string(e.disk));
        FUZZ_CHECK(!e.plainName.empty() || e.target.empty(), "no disk name for \"" + e.target + "\"");
        const std::string expected = e.compress ? szdd::CompressedName(e.plainName) : e.plainName;
        FUZZ_CHECK(e.diskName == expected, "disk name \"" + e.diskName + "\", expected \"" + expected + "\"");
    }
    std::vector<Entry> again;
    std::string error;
    const std::string written = Manifest(entries);
    FUZZ_CHECK(dist::ParseManifest(written, &again, &error), "written back, refused: " + error);
    FUZZ_CHECK(again.size() == entries.size(),
               "written back, " + Num(again.size()) + " entries of " + Num(entries.size()));
    for (size_t i = 0; i < entries.size(); ++i)
        FUZZ_CHECK(SameEntry(again[i], entries[i]), "written back, entry " + Num(i) + " differs: " + written);
}

// ---- check ----------------------------------------------------------------

std::string NameProblem(const std::string& name) {
    if (name.empty() || name.size() > dist::kMaxName)
        return "a name of " + Num(name.size()) + " characters";
    for (unsigned char c : name) {
        if (c < 0x20 || c == 0x7F || c == ' ' || c == ',' || c == '"' || c == '\\' || c == '/' || c == ':')
            return "character " + Num(c) + " in \"" + name + "\"";
    }
    return "";
}

// Why the setup program could not read the distribution, or "" when it can.
std::string Readable(const std::string& version, const std::vector<Entry>& entries,
                     const dist::Autorun& autorun) {
    if (version.empty() || version.size() > dist::kMaxVersion)
        return "a Version of " + Num(version.size()) + " characters";
    for (unsigned char c : version) {
        if (c <= 0x20 || c == 0x7F)
            return "a blank or control character in the Version";
    }
    if (autorun.pathname.size() > dist::kMaxPathname)
        return "an [Autorun] Pathname of " + Num(autorun.pathname.size()) + " characters";
    int listed = 0;
    uint64_t total = 0;
    std::set<std::string> onDisks = {"SETUP.EXE", "SETUP.INI", "SETUP95.INI"};
    std::set<std::string> installed;
    for (const Entry& e : entries) {
        for (const std::string* name : {&e.target, &e.diskName}) {
            std::string why = NameProblem(*name);
            if (!why.empty())
                return why;
        }
        if (!onDisks.insert(Upper(e.diskName)).second)
            return "\"" + e.diskName + "\" twice on the disks";
        if (!e.listed)
            continue;
        if (!installed.insert(Upper(e.target)).second)
            return "\"" + e.target + "\" installed twice";
        // Read into 128 bytes; an "auto" entry may still get a two-digit disk.
        const std::string disk = e.disk ? Num(static_cast<uint64_t>(e.disk)) : "99";
        const size_t entry =
            disk.size() + e.diskName.size() + e.target.size() + Num(e.expandedSize).size() + 3;
        if (entry >= kEntryBuffer)
            return "a file entry of " + Num(entry) + " characters";
        if (e.expandedSize > 0x7FFFFFFFu)
            return "a size of " + Num(e.expandedSize);
        ++listed;
        total += e.expandedSize;
    }
    if (listed < 1 || listed > dist::kMaxListed)
        return Num(static_cast<uint64_t>(listed)) + " files to install";
    if (total > 0xFFFFFFFFu)
        return "a total size of " + Num(total);
    return "";
}

// ---- warn -----------------------------------------------------------------

void CheckWarnings(const std::vector<Entry>& entries) {
    const std::vector<std::string> warnings = dist::PathWarnings(entries);
    size_t w = 0;
    for (const Entry& e : entries) {
        const bool source = 3 + e.diskName.size() > 127;            // A:\NAME
        const bool target = e.listed && 24 + e.target.size() > 127; // C:\Program Files\Vantrx\NAME
        const std::string at = "manifest line " + Num(static_cast<uint64_t>(e.line)) + ": ";
        for (bool expected : {source, target}) {
            if (!expected)
                continue;
            FUZZ_CHECK(w < warnings.size(),
                       "no warning for the paths of line " + Num(static_cast<uint64_t>(e.line)));
            FUZZ_CHECK(warnings[w].compare(0, at.size(), at) == 0,
                       "warning \"" + warnings[w] + "\" for " + at);
            ++w;
        }
    }
    FUZZ_CHECK(w == warnings.size(), Num(warnings.size()) + " warnings, expected " + Num(w));
}

// ---- layout ---------------------------------------------------------------

// The placement rule: a numbered entry stays on its disk; an "auto" entry
// goes on the highest disk used so far (1 at first) when it fits there,
// else on the next one. False when it cannot be done.
bool Place(const std::vector<Entry>& entries, const dist::DiskParams& p, std::vector<int>* disks) {
    std::vector<uint64_t> used(dist::kMaxDisks + 1, 0);
    used[1] = p.disk1Reserved;
    if (used[1] > p.capacity)
        return false;
    int highest = 1;
    for (const Entry& e : entries) {
        const uint64_t need = dist::Allocated(e.storedSize, p.cluster);
        int disk = e.disk;
        if (disk == 0) {
            disk = used[highest] + need <= p.capacity ? highest : highest + 1;
            if (need > p.capacity || disk > dist::kMaxDisks)
                return false;
        } else if (used[disk] + need > p.capacity) {
            return false;
        }
        used[disk] += need;
        highest = disk > highest ? disk : highest;
        disks->push_back(disk);
    }
    return true;
}

// ---- script ---------------------------------------------------------------

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    FUZZ_CHECK(start == text.size(), "script text does not end in CR LF");
    return lines;
}

// A fileN value as the setup program takes it: at most 127 characters, split
// at runs of blanks and commas.
std::vector<std::string> SetupFields(const std::string& value) {
    const std::string read = value.substr(0, kEntryBuffer - 1);
    std::vector<std::string> fields;
    std::string field;
    for (char c : read + " ") {
        if (c == ' ' || c == ',') {
            if (!field.empty())
                fields.push_back(field);
            field.clear();
        } else {
            field += c;
        }
    }
    return fields;
}

void CheckScript(const std::vector<Entry>& placed, const dist::Autorun& autorun, size_t bound) {
    const std::string text = dist::ScriptText(kVersion, placed, autorun);
    FUZZ_CHECK(text.size() <= bound, "script of " + Num(text.size()) + " bytes, bound " + Num(bound));
    const std::vector<std::string> lines = Lines(text);
    std::vector<const Entry*> listed;
    for (const Entry& e : placed) {
        if (e.listed)
            listed.push_back(&e);
    }
    const size_t autorunLines =
        autorun.pathname.empty() ? 0 : 3 + !autorun.vantrx.empty() + !autorun.snmp.empty();
    FUZZ_CHECK(lines.size() == 3 + listed.size() + autorunLines, "script of " + Num(lines.size()) + " lines");
    FUZZ_CHECK(lines[0] == "[Main]" && lines[1] == std::string("Version=") + kVersion &&
                   lines[2] == "Filecount=" + Num(listed.size()),
               "script starts " + lines[0] + "|" + lines[1] + "|" + lines[2]);
    for (size_t i = 0; i < listed.size(); ++i) {
        const Entry& e = *listed[i];
        const std::string key = "file" + Num(i + 1) + "=";
        const std::string& line = lines[3 + i];
        FUZZ_CHECK(line.compare(0, key.size(), key) == 0, "line \"" + line + "\" for " + key);
        const std::string value = line.substr(key.size());
        const std::vector<std::string> want = {Num(static_cast<uint64_t>(e.disk)), e.diskName, e.target,
                                               Num(e.expandedSize)};
        FUZZ_CHECK(value.size() < kEntryBuffer,
                   key + " has " + Num(value.size()) + " characters; the setup program reads 127");
        FUZZ_CHECK(SetupFields(value) == want, "the setup program splits \"" + value + "\" otherwise");
    }
}

// ---- the build ------------------------------------------------------------

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
    const bool accepted = dist::CheckDistribution(kVersion, entries, autorun, &error);
    const std::string problem = Readable(kVersion, entries, autorun);
    FUZZ_CHECK(accepted == problem.empty(),
               accepted ? "accepted with " + problem : "refused (" + error + ") but readable");
    if (!accepted) {
        FUZZ_CHECK(!error.empty(), "refused without a message");
        return;
    }
    CheckWarnings(entries);

    const size_t bound = dist::ScriptSizeBound(kVersion, entries, autorun);
    dist::DiskParams params;
    params.disk1Reserved = dist::Allocated(withSetup ? kSetupSize : 0, params.cluster) +
                           2 * dist::Allocated(bound, params.cluster);
    std::vector<int> expected;
    const bool fits = Place(entries, params, &expected);
    std::vector<Entry> placed = entries;
    int diskCount = 0;
    const bool laid = dist::LayoutDisks(&placed, params, &diskCount, &error);
    FUZZ_CHECK(laid == fits, laid ? "laid out what cannot fit" : "not laid out: " + error);
    if (!laid)
        return;
    int highest = 1;
    for (size_t i = 0; i < placed.size(); ++i) {
        FUZZ_CHECK(placed[i].disk == expected[i], "entry " + Num(i) + " on disk " +
                                                      std::to_string(placed[i].disk) + ", expected " +
                                                      std::to_string(expected[i]));
        highest = placed[i].disk > highest ? placed[i].disk : highest;
    }
    FUZZ_CHECK(diskCount == highest,
               "disk count " + std::to_string(diskCount) + ", highest " + std::to_string(highest));
    CheckScript(placed, autorun, bound);
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
    CheckParsed(text, entries);
    FUZZ_CHECK(entries.size() <= LineCount(text), Num(entries.size()) + " entries from fewer lines");
    CheckBuild(entries, false);
    CheckBuild(entries, true);
    return 0;
}

#include "layout.h"
#include "szdd.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <set>
#include <sstream>

namespace dist {

namespace {

std::string Upper(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

std::string At(int line) {
    return "manifest line " + std::to_string(line) + ": ";
}

// Splits a manifest line at blanks and tabs; a field may be double-quoted.
bool SplitFields(const std::string& line, std::vector<std::string>* fields, std::string* why) {
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
            ++i;
        if (i >= line.size())
            break;
        std::string field;
        if (line[i] == '"') {
            size_t end = line.find('"', i + 1);
            if (end == std::string::npos) {
                *why = "unterminated quote";
                return false;
            }
            field = line.substr(i + 1, end - i - 1);
            i = end + 1;
        } else {
            while (i < line.size() && line[i] != ' ' && line[i] != '\t')
                field += line[i++];
        }
        fields->push_back(field);
    }
    return true;
}

bool ParseDisk(const std::string& text, int* disk) {
    if (text == "auto") {
        *disk = 0;
        return true;
    }
    if (text.empty() || text.size() > 2 || !std::all_of(text.begin(), text.end(), ::isdigit))
        return false;
    *disk = std::atoi(text.c_str());
    return *disk >= 1 && *disk <= kMaxDisks;
}

bool ParseLine(const std::vector<std::string>& f, int line, Entry* e, std::string* error) {
    if (f.size() < 3) {
        *error = At(line) + "expected DISK SOURCE TARGET [compress] [unlisted] [name=DISKNAME]";
        return false;
    }
    if (!ParseDisk(f[0], &e->disk)) {
        *error = At(line) + "disk must be 1 to 99 or \"auto\", not \"" + f[0] + "\"";
        return false;
    }
    e->source = f[1];
    e->target = f[2];
    e->line = line;
    for (size_t i = 3; i < f.size(); ++i) {
        if (f[i] == "compress")
            e->compress = true;
        else if (f[i] == "unlisted")
            e->listed = false;
        else if (f[i].compare(0, 5, "name=") == 0 && f[i].size() > 5)
            e->plainName = f[i].substr(5);
        else {
            *error = At(line) + "unknown flag \"" + f[i] + "\"";
            return false;
        }
    }
    if (e->plainName.empty())
        e->plainName = e->target;
    e->diskName = e->compress ? szdd::CompressedName(e->plainName) : e->plainName;
    return true;
}

// Why a name cannot stand in a file record, or "" when it can. The record's
// fields are split at blanks and commas; quotes are stripped by the profile
// reader; the copy engine joins names to one directory.
std::string NameProblem(const std::string& name) {
    if (name.empty())
        return "is empty";
    if (name.size() > kMaxName)
        return "is longer than 127 characters";
    for (unsigned char c : name) {
        if (c == ' ' || c == ',')
            return "contains a blank or a comma, which separate the fields of a file entry";
        if (c < 0x20 || c == 0x7F || c == '"')
            return "contains a control character or a quote";
        if (c == '\\' || c == '/' || c == ':')
            return "contains a path separator; files are installed into one directory";
    }
    return "";
}

// The value of a file entry in the setup script.
std::string EntryValue(const std::string& disk, const Entry& e) {
    return disk + " " + e.diskName + " " + e.target + " " + std::to_string(e.expandedSize);
}

bool CheckNames(const std::vector<Entry>& entries, std::string* error) {
    std::set<std::string> onDisks = {"SETUP.EXE", "SETUP.INI", "SETUP95.INI"};
    std::set<std::string> installed;
    for (const Entry& e : entries) {
        const std::pair<const char*, const std::string*> names[] = {{"target name", &e.target},
                                                                    {"disk name", &e.diskName}};
        for (const auto& n : names) {
            std::string why = NameProblem(*n.second);
            if (!why.empty()) {
                *error = At(e.line) + n.first + " \"" + *n.second + "\" " + why;
                return false;
            }
        }
        // The copy engine takes a file from whatever disk is in the drive, so
        // a name may stand on one disk only.
        if (!onDisks.insert(Upper(e.diskName)).second) {
            *error = At(e.line) + "\"" + e.diskName + "\" is already on a disk";
            return false;
        }
        if (e.listed && !installed.insert(Upper(e.target)).second) {
            *error = At(e.line) + "\"" + e.target + "\" is installed twice";
            return false;
        }
    }
    return true;
}

// The setup program reads each file entry into 128 bytes: a longer one would
// lose its size or its target name. The disk of an "auto" entry is not known
// yet; it gets at most two digits.
bool CheckEntryLengths(const std::vector<Entry>& entries, std::string* error) {
    for (const Entry& e : entries) {
        if (!e.listed)
            continue;
        std::string value = EntryValue(e.disk == 0 ? "99" : std::to_string(e.disk), e);
        if (value.size() > kMaxEntry) {
            *error = At(e.line) + "the file entry \"" + value + "\" is longer than 127 characters";
            return false;
        }
    }
    return true;
}

bool CheckCounts(const std::vector<Entry>& entries, std::string* error) {
    int listed = 0;
    uint64_t required = 0;
    for (const Entry& e : entries) {
        if (!e.listed)
            continue;
        ++listed;
        if (e.expandedSize > 0x7FFFFFFFu) {
            *error = At(e.line) + "\"" + e.target + "\" is larger than 2147483647 bytes";
            return false;
        }
        required += e.expandedSize;
    }
    if (listed == 0) {
        *error = "no file to install: the setup program needs at least one file entry";
        return false;
    }
    if (listed > kMaxListed) {
        *error = std::to_string(listed) + " files to install: the setup program takes at most 26";
        return false;
    }
    if (required > 0xFFFFFFFFu) {
        *error = "the files to install need more than 4294967295 bytes together";
        return false;
    }
    return true;
}

bool CheckVersionAndAutorun(const std::string& version, const Autorun& autorun, std::string* error) {
    if (version.empty() || version.size() > kMaxVersion) {
        *error = "Version \"" + version + "\" must be 1 to 4 characters (the setup program keeps 4)";
        return false;
    }
    for (unsigned char c : version) {
        if (c <= 0x20 || c == 0x7F) {
            *error = "Version \"" + version + "\" contains a blank or control character";
            return false;
        }
    }
    if (autorun.pathname.size() > kMaxPathname) {
        *error = "[Autorun] Pathname is longer than 127 characters";
        return false;
    }
    return true;
}

std::string EntryLine(int number, const std::string& disk, const Entry& e) {
    return "file" + std::to_string(number) + "=" + EntryValue(disk, e) + "\r\n";
}

std::string Text(const std::string& version, const std::vector<Entry>& entries, const Autorun& autorun,
                 bool bound) {
    std::string text = "[Main]\r\nVersion=" + version + "\r\n";
    int listed = 0;
    for (const Entry& e : entries)
        listed += e.listed ? 1 : 0;
    text += "Filecount=" + std::to_string(listed) + "\r\n";
    int number = 0;
    for (const Entry& e : entries) {
        if (e.listed)
            text += EntryLine(++number, bound && e.disk == 0 ? "99" : std::to_string(e.disk), e);
    }
    if (!autorun.pathname.empty()) {
        text += "\r\n[Autorun]\r\nPathname=" + autorun.pathname + "\r\n";
        if (!autorun.vantrx.empty())
            text += "VANTRX=" + autorun.vantrx + "\r\n";
        if (!autorun.snmp.empty())
            text += "SNMP=" + autorun.snmp + "\r\n";
    }
    return text;
}

} // namespace

bool ParseManifest(const std::string& text, std::vector<Entry>* entries, std::string* error) {
    std::istringstream in(text);
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        std::vector<std::string> fields;
        std::string why;
        if (!SplitFields(line, &fields, &why)) {
            *error = At(number) + why;
            return false;
        }
        if (fields.empty() || fields[0][0] == '#')
            continue;
        Entry e;
        if (!ParseLine(fields, number, &e, error))
            return false;
        entries->push_back(e);
    }
    return true;
}

bool CheckDistribution(const std::string& version, const std::vector<Entry>& entries, const Autorun& autorun,
                       std::string* error) {
    return CheckVersionAndAutorun(version, autorun, error) && CheckCounts(entries, error) &&
           CheckNames(entries, error) && CheckEntryLengths(entries, error);
}

std::vector<std::string> PathWarnings(const std::vector<Entry>& entries) {
    const std::string source = "A:\\";
    const std::string target = "C:\\Program Files\\Vantrx\\";
    std::vector<std::string> warnings;
    for (const Entry& e : entries) {
        if (source.size() + e.diskName.size() > kMaxName)
            warnings.push_back(At(e.line) + "\"" + source + e.diskName + "\" is longer than 127 characters");
        if (e.listed && target.size() + e.target.size() > kMaxName)
            warnings.push_back(At(e.line) + "\"" + target + e.target + "\" is longer than 127 characters");
    }
    return warnings;
}

uint64_t Allocated(uint64_t size, uint64_t cluster) {
    if (cluster <= 1)
        return size;
    return (size + cluster - 1) / cluster * cluster;
}

bool LayoutDisks(std::vector<Entry>* entries, const DiskParams& params, int* diskCount, std::string* error) {
    std::vector<uint64_t> used(kMaxDisks + 2, 0);
    used[1] = params.disk1Reserved;
    if (used[1] > params.capacity) {
        *error = "SETUP.EXE and the setup scripts alone do not fit on disk 1";
        return false;
    }
    int current = 1;
    for (Entry& e : *entries) {
        uint64_t need = Allocated(e.storedSize, params.cluster);
        if (e.disk == 0) {
            if (need > params.capacity) {
                *error = At(e.line) + e.diskName + " (" + std::to_string(need) +
                         " bytes) does not fit on a disk of " + std::to_string(params.capacity) + " bytes";
                return false;
            }
            if (used[current] + need > params.capacity)
                ++current;
            if (current > kMaxDisks) {
                *error = "more than 99 disks";
                return false;
            }
            e.disk = current;
        } else if (used[e.disk] + need > params.capacity) {
            *error = At(e.line) + "disk " + std::to_string(e.disk) + " is full: " + e.diskName + " needs " +
                     std::to_string(need) + " bytes, " + std::to_string(params.capacity - used[e.disk]) +
                     " are free";
            return false;
        }
        used[e.disk] += need;
        current = std::max(current, e.disk);
    }
    *diskCount = current;
    return true;
}

std::string ScriptText(const std::string& version, const std::vector<Entry>& entries,
                       const Autorun& autorun) {
    return Text(version, entries, autorun, false);
}

size_t ScriptSizeBound(const std::string& version, const std::vector<Entry>& entries,
                       const Autorun& autorun) {
    return Text(version, entries, autorun, true).size();
}

} // namespace dist

// mkdist: builds the numbered distribution disks of ZEL Vantorix from a
// manifest.
//
//   mkdist --version TEXT [--setup SETUP.EXE] [--out DIR] [--capacity BYTES]
//          [--cluster BYTES] [--autorun PATH [--vantrx YES|NO] [--snmp YES|NO]]
//          [--images] MANIFEST
//
// Manifest: one file per line, fields separated by blanks or tabs, '#' starts
// a comment line; relative SOURCE paths are taken from the manifest's folder.
//
//   DISK SOURCE TARGET [compress] [unlisted] [name=DISKNAME]
//
//   DISK      disk number (1..99), or "auto": the highest disk used so far
//             when the file fits there, else the next one
//   SOURCE    the file to ship (double quotes allow blanks)
//   TARGET    the name it is installed under in the install directory
//   compress  store it in the LZ format (SZDD) under the NAME.EX_ form of its
//             disk name; the header keeps the real last character
//   unlisted  put it on the disk without a file entry (MSVCRT.DL_ and
//             MSVCRT40.DL_, which the SNMP agent step copies by name)
//   name=     the name on the disk when it differs from TARGET
//
// Example:
//   1    ../build/x86_64/tools/standins/VANTRX32.EXE  VANTRX32.EXE  compress
//   1    /tmp/msvcrt.dll  MSVCRT.DLL  compress unlisted
//   auto README.TXT       README.TXT
//
// Output: DIR/DISK1 .. DIR/DISKn (earlier DISK folders in DIR are removed).
// With --setup, disk 1 gets SETUP.EXE and its copy SETUP.ZEL, which becomes
// the first file entry ("1 SETUP.ZEL setup.zel SIZE"): the copy the setup
// program installs and turns into its uninstaller. Disk 1 always carries
// SETUP.INI and SETUP95.INI (the same text): [Main] Version, Filecount,
// file1..fileN "disk source target size" with the expanded size, and
// [Autorun] when --autorun is given. Sizes on a disk are counted in whole
// clusters (default 512 bytes) against the capacity (default 1,457,664
// bytes, a 1.44 MB floppy). --images also writes DIR/DISKn.IMG, 1.44 MB FAT
// floppy images, with mtools (mformat, mcopy; Linux build only).
//
// Everything the setup program cannot read is refused with a message and
// exit code 1: more than 26 file entries, names with blanks or commas or
// over 127 characters, a file entry ("disk source target size") over 127
// characters, a Version longer than 4 characters.

#include "layout.h"
#include "szdd.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>

namespace fs = std::filesystem;

namespace {

struct Options {
    std::string manifest;
    std::string version;
    std::string setup;
    std::string out = ".";
    dist::DiskParams disks;
    dist::Autorun autorun;
    bool images = false;
};

int Fail(const std::string& message) {
    std::fprintf(stderr, "mkdist: %s\n", message.c_str());
    return 1;
}

void Usage() {
    std::fprintf(stderr,
                 "usage: mkdist --version TEXT [--setup SETUP.EXE] [--out DIR] [--capacity BYTES]\n"
                 "              [--cluster BYTES] [--autorun PATH [--vantrx YES|NO] [--snmp YES|NO]]\n"
                 "              [--images] MANIFEST\n");
}

bool ParseNumber(const char* text, uint64_t* value) {
    char* end = nullptr;
    unsigned long long v = std::strtoull(text, &end, 10);
    if (!*text || *end)
        return false;
    *value = v;
    return true;
}

bool ParseArgs(int argc, char** argv, Options* o, std::string* error) {
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        const char* next = i + 1 < argc ? argv[i + 1] : nullptr;
        std::string* text = a == "--version"            ? &o->version
                            : a == "--setup"            ? &o->setup
                            : a == "--out" || a == "-o" ? &o->out
                            : a == "--autorun"          ? &o->autorun.pathname
                            : a == "--vantrx"           ? &o->autorun.vantrx
                            : a == "--snmp"             ? &o->autorun.snmp
                                                        : nullptr;
        uint64_t* number = a == "--capacity"  ? &o->disks.capacity
                           : a == "--cluster" ? &o->disks.cluster
                                              : nullptr;
        if (a == "--images") {
            o->images = true;
        } else if (text || number) {
            if (!next) {
                *error = a + " needs a value";
                return false;
            }
            if (text)
                *text = next;
            else if (!ParseNumber(next, number) || *number == 0) {
                *error = a + " needs a positive number, not \"" + next + "\"";
                return false;
            }
            ++i;
        } else if (!a.empty() && a[0] == '-') {
            *error = "unknown option " + a;
            return false;
        } else if (o->manifest.empty()) {
            o->manifest = a;
        } else {
            *error = "more than one manifest given";
            return false;
        }
    }
    if (o->manifest.empty() || o->version.empty()) {
        *error = "a manifest and --version are required";
        return false;
    }
    return true;
}

bool ReadFile(const fs::path& path, std::vector<uint8_t>* data) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    data->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

bool WriteFile(const fs::path& path, const void* data, size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
    out.close();
    return !out.fail();
}

// Reads every source and compresses what is to be compressed; the bytes to
// put on the disks go into stored, keyed by entry index.
bool LoadSources(std::vector<dist::Entry>* entries, const fs::path& base,
                 std::map<size_t, std::vector<uint8_t>>* stored, std::string* error) {
    for (size_t i = 0; i < entries->size(); ++i) {
        dist::Entry& e = (*entries)[i];
        fs::path source = fs::path(e.source).is_absolute() ? fs::path(e.source) : base / e.source;
        std::error_code ec;
        if (!fs::is_regular_file(source, ec)) {
            *error = "manifest line " + std::to_string(e.line) + ": no file " + source.string();
            return false;
        }
        std::vector<uint8_t> data;
        if (!ReadFile(source, &data)) {
            *error = "cannot read " + source.string();
            return false;
        }
        e.source = source.string();
        e.expandedSize = data.size();
        if (e.compress)
            data = szdd::Compress(data.data(), data.size(), szdd::HeaderChar(e.plainName));
        e.storedSize = data.size();
        (*stored)[i] = std::move(data);
    }
    return true;
}

bool ClearOldDisks(const fs::path& out, std::string* error) {
    std::error_code ec;
    fs::create_directories(out, ec);
    if (!fs::is_directory(out)) {
        *error = "cannot create " + out.string();
        return false;
    }
    const std::regex disk("DISK[0-9]+(\\.IMG)?");
    for (const auto& item : fs::directory_iterator(out)) {
        if (std::regex_match(item.path().filename().string(), disk))
            fs::remove_all(item.path(), ec);
    }
    return true;
}

bool WriteDisks(const Options& o, const std::vector<dist::Entry>& entries, int diskCount,
                const std::map<size_t, std::vector<uint8_t>>& stored, std::string* error) {
    fs::path out(o.out);
    if (!ClearOldDisks(out, error))
        return false;
    for (int d = 1; d <= diskCount; ++d)
        fs::create_directory(out / ("DISK" + std::to_string(d)));
    for (size_t i = 0; i < entries.size(); ++i) {
        const std::vector<uint8_t>& data = stored.at(i);
        fs::path path = out / ("DISK" + std::to_string(entries[i].disk)) / entries[i].diskName;
        if (!WriteFile(path, data.data(), data.size())) {
            *error = "cannot write " + path.string();
            return false;
        }
    }
    fs::path disk1 = out / "DISK1";
    std::string script = dist::ScriptText(o.version, entries, o.autorun);
    bool ok = WriteFile(disk1 / "SETUP.INI", script.data(), script.size()) &&
              WriteFile(disk1 / "SETUP95.INI", script.data(), script.size());
    if (ok && !o.setup.empty()) {
        std::error_code ec;
        ok = fs::copy_file(o.setup, disk1 / "SETUP.EXE", fs::copy_options::overwrite_existing, ec);
    }
    if (!ok)
        *error = "cannot write the files of disk 1 in " + disk1.string();
    return ok;
}

void PrintSummary(const Options& o, const std::vector<dist::Entry>& entries, int diskCount) {
    std::printf("mkdist: Version %s, %d disk(s) of %llu bytes in %s\n", o.version.c_str(), diskCount,
                static_cast<unsigned long long>(o.disks.capacity), o.out.c_str());
    for (const dist::Entry& e : entries) {
        std::printf("  DISK%-2d %-14s %9llu -> %-14s %9llu%s\n", e.disk, e.diskName.c_str(),
                    static_cast<unsigned long long>(e.storedSize), e.listed ? e.target.c_str() : "(unlisted)",
                    static_cast<unsigned long long>(e.expandedSize), e.compress ? "  compressed" : "");
    }
}

// 1.44 MB FAT images of the disk folders, through mtools.
bool WriteImages(const Options& o, int diskCount, std::string* error) {
    for (int d = 1; d <= diskCount; ++d) {
        fs::path dir = fs::path(o.out) / ("DISK" + std::to_string(d));
        fs::path image = fs::path(o.out) / ("DISK" + std::to_string(d) + ".IMG");
        std::string command = "mformat -C -f 1440 -v DISK" + std::to_string(d) + " -i '" + image.string() +
                              "' :: && mcopy -i '" + image.string() + "' '" + dir.string() + "'/* ::/";
        if (std::system(command.c_str()) != 0) {
            *error = "mtools could not write " + image.string() + " (is the mtools package installed?)";
            return false;
        }
    }
    return true;
}

int Build(Options& o) {
    std::vector<uint8_t> manifest;
    if (!ReadFile(o.manifest, &manifest))
        return Fail("cannot read manifest " + o.manifest);
    std::vector<dist::Entry> entries;
    std::string error;
    if (!dist::ParseManifest(std::string(manifest.begin(), manifest.end()), &entries, &error))
        return Fail(error);
    uint64_t setupSize = 0;
    if (!o.setup.empty()) {
        std::error_code ec;
        setupSize = fs::file_size(o.setup, ec);
        if (ec)
            return Fail("no setup program " + o.setup);
        dist::Entry zel;
        zel.disk = 1;
        zel.source = fs::absolute(o.setup).string();
        zel.target = "setup.zel";
        zel.plainName = zel.diskName = "SETUP.ZEL";
        entries.insert(entries.begin(), zel);
    }
    std::map<size_t, std::vector<uint8_t>> stored;
    if (!LoadSources(&entries, fs::path(o.manifest).parent_path(), &stored, &error) ||
        !dist::CheckDistribution(o.version, entries, o.autorun, &error))
        return Fail(error);
    for (const std::string& warning : dist::PathWarnings(entries))
        std::fprintf(stderr, "mkdist: warning: %s\n", warning.c_str());
    uint64_t script = dist::ScriptSizeBound(o.version, entries, o.autorun);
    o.disks.disk1Reserved =
        dist::Allocated(setupSize, o.disks.cluster) + 2 * dist::Allocated(script, o.disks.cluster);
    int diskCount = 0;
    if (!dist::LayoutDisks(&entries, o.disks, &diskCount, &error) ||
        !WriteDisks(o, entries, diskCount, stored, &error) ||
        (o.images && !WriteImages(o, diskCount, &error)))
        return Fail(error);
    PrintSummary(o, entries, diskCount);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    Options o;
    std::string error;
    if (!ParseArgs(argc, argv, &o, &error)) {
        Usage();
        return Fail(error);
    }
    try {
        return Build(o);
    } catch (const std::exception& e) {
        return Fail(e.what());
    }
}

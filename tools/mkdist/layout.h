// What mkdist decides without touching a file: the manifest's lines, the
// checks against what the setup program can read, the placement of files on
// disks of a given capacity, and the text of the setup script.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace dist {

constexpr int kMaxListed = 26;       // records in the setup program's file table
constexpr size_t kMaxName = 127;     // a name field of a file record (128 bytes)
constexpr size_t kMaxEntry = 127;    // a fileN value "disk source target size" is read into 128 bytes
constexpr size_t kMaxVersion = 4;    // [Main] Version is read into 5 bytes
constexpr size_t kMaxPathname = 127; // [Autorun] Pathname is read into 128 bytes
constexpr int kMaxDisks = 99;
constexpr uint64_t kFloppyCapacity = 1457664; // data area of a 1.44 MB floppy
constexpr uint64_t kFloppyCluster = 512;

struct Entry {
    int disk = 0;          // 0: placed by LayoutDisks
    std::string source;    // file on the building machine
    std::string target;    // name installed in the install directory
    std::string plainName; // name on the disk before compression (name=, else target)
    std::string diskName;  // name on the disk: plainName, or its NAME.EX_ form
    bool compress = false;
    bool listed = true; // false: on the disk only, not in the file table
    uint64_t expandedSize = 0;
    uint64_t storedSize = 0; // bytes on the disk (compressed size when compressed)
    int line = 0;            // manifest line, for messages
};

struct Autorun {
    std::string pathname; // empty: no [Autorun] section
    std::string vantrx;   // empty: key not written
    std::string snmp;
};

// Parses the manifest. One file per line, fields separated by blanks or tabs:
//   DISK SOURCE TARGET [compress] [unlisted] [name=DISKNAME]
// DISK is a disk number or "auto"; SOURCE may be written in double quotes;
// '#' starts a comment line. Fills entries (disk 0 for "auto") with
// plainName/diskName set; on failure error says which line and why.
bool ParseManifest(const std::string& text, std::vector<Entry>* entries, std::string* error);

// Checks everything the setup program reads from its script: 1 to 26 listed
// files, names of 1 to 127 characters without blanks, commas, quotes, control
// characters or path separators, unique names on the disks and in the
// install directory, sizes a signed 32-bit field holds, file entries of at
// most 127 characters (an "auto" entry's disk counted with two digits), a
// Version of 1 to 4 characters, an [Autorun] Pathname that fits.
bool CheckDistribution(const std::string& version, const std::vector<Entry>& entries, const Autorun& autorun,
                       std::string* error);

// Cautions that do not stop the build: names that fit a file record but
// make a path over 127 characters (the setup program's 128-byte path
// buffers) when read from the root of drive A: or installed into the
// Windows 95 default directory C:\Program Files\Vantrx.
std::vector<std::string> PathWarnings(const std::vector<Entry>& entries);

// Bytes a file of size takes on a disk with this allocation unit (0 or 1: none).
uint64_t Allocated(uint64_t size, uint64_t cluster);

struct DiskParams {
    uint64_t capacity = kFloppyCapacity;
    uint64_t cluster = kFloppyCluster;
    uint64_t disk1Reserved = 0; // already taken on disk 1 (SETUP.EXE, the scripts)
};

// Gives every entry a disk, in manifest order. A numbered entry goes on its
// disk; an "auto" entry goes on the highest disk used so far (1 at first)
// when it fits there, otherwise on the next one, so the files of one disk
// stay together and the setup program asks for each disk once. Fails when a
// file cannot fit on any disk or a numbered disk overflows. diskCount gets
// the highest disk number.
bool LayoutDisks(std::vector<Entry>* entries, const DiskParams& params, int* diskCount, std::string* error);

// The text of SETUP.INI / SETUP95.INI (CR LF line ends): [Main] Version,
// Filecount and file1..fileN "disk source target size" of the listed
// entries, then [Autorun] when a Pathname is given.
std::string ScriptText(const std::string& version, const std::vector<Entry>& entries, const Autorun& autorun);

// An upper bound of ScriptText's length before the disks are known (every
// unplaced entry counted with a two-digit disk number).
size_t ScriptSizeBound(const std::string& version, const std::vector<Entry>& entries, const Autorun& autorun);

} // namespace dist

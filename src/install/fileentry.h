// One record of the setup script's file table and the split of a script
// entry into it. Pure: no <windows.h>, no C runtime.
#pragma once

enum { kMaxFiles = 26 }; // records in the file table

struct FileRecord {
    int disk;             // distribution disk that holds the file; only shown in the disk prompt
    char sourceName[128]; // relative to the source directory, possibly compressed
    char targetName[128]; // relative to the install directory
    int size;             // bytes the installed file needs
};

// Splits one file entry at runs of blanks and commas into disk, source name,
// target name and size (read like atoi), ignoring further fields. Returns 1
// and fills record when there are four fields each fitting its buffer and a
// size that a signed 32-bit field holds; 0 (record untouched) otherwise.
int SplitFileEntry(const char* text, FileRecord* record);

// Length of the longest target name of the first count records.
unsigned LongestTargetName(const FileRecord* records, int count);

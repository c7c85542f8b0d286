// One record of the setup script's file table, as the state record holds it.
// Pure: no <windows.h>.
#pragma once

enum { kMaxFiles = 26 }; // records in the file table

struct FileRecord {
    int disk;             // distribution disk that holds the file; only shown in the disk prompt
    char sourceName[128]; // relative to the source directory, possibly compressed
    char targetName[128]; // relative to the install directory
    int size;             // bytes the installed file needs
};

// The install-path page's pure arithmetic: the path-name rules, completion of
// a typed entry, the drive root, free bytes and the texts of the page's
// questions. No <windows.h>, no file access.
#pragma once

#include <stddef.h>

enum { kInstallDirSize = 128 };

// Nonzero when pathName passes the character rules (forbidden characters,
// colon only after the drive letter, one dot per component). No file access.
int IsValidPathName(const char* pathName);

// Full path of an entry typed on the path page: unchanged when its second
// character is a colon, else sourceDir, a backslash unless the entry starts
// with one, and the entry. 1 when the result fits in size bytes, 0 when it
// would not (out left empty: a path is never cut).
int CompleteInstallPath(const char* entry, const char* sourceDir, char* out, size_t size);

// The first three characters of path (the drive root "C:\"), in root[4].
void DriveRootOf(const char* path, char root[4]);

// Free bytes from the three GetDiskFreeSpaceA figures, in 64 bits so that
// drives with 4 GiB or more free do not wrap.
unsigned long long FreeBytes(unsigned long bytesPerSector, unsigned long sectorsPerCluster,
                             unsigned long freeClusters);

// The not-enough-space message for a two-character drive, required and free
// bytes; the free bytes in full, however large.
int FormatNoSpaceMessage(char* buf, size_t size, const char* drive, unsigned long required,
                         unsigned long long available);

// The overwrite question for a stamp block (81 bytes) and a directory.
int FormatOverwriteQuestion(char* buf, size_t size, const unsigned char* stamp, const char* directory);

// Fills an 81-byte stamp block whose version reads 0.00: what the overwrite
// question shows when VANTRX32.EXE has no readable stamp.
void UnknownVersionStamp(unsigned char* stamp);

// Pieces shared by the page sources and their tests: closing a page, the
// control colours, the removal reports, and the pure path arithmetic of the
// install-path page. Other modules use pages.h only.
#pragma once

#include <windows.h>
#include <stddef.h>

// Ends the modal page; nobody reads the result.
void ClosePage(HWND dialog);
// Focuses edit control id of dialog and selects its whole text.
void SelectEditText(HWND dialog, int id);
// Page that follows the path and history pages: 103 on Windows 95, else 106.
int PageAfterPath();

// Formats format with one path argument and shows it; the path is never shortened.
int ShowPathBox(HWND owner, const char* format, const char* path, const char* caption, UINT style);
// "UnInstall has not changed your system in any way." owned by the page.
void ShowNothingChanged(HWND dialog, const char* caption);
// The outcome of removing the installation in directory: the success message,
// or the two files-in-use messages (the second owned by the page).
void ReportRemoval(HWND dialog, const char* directory, int removed);

enum { kInstallDirSize = 128 };

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

// The not-enough-space message for a two-character drive, required and free bytes.
int FormatNoSpaceMessage(char* buf, size_t size, const char* drive, unsigned long required,
                         unsigned long long available);

// The overwrite question for a stamp block (81 bytes) and a directory.
int FormatOverwriteQuestion(char* buf, size_t size, const unsigned char* stamp, const char* directory);

// Fills an 81-byte stamp block whose version reads 0.00: what the overwrite
// question shows when VANTRX32.EXE has no readable stamp.
void UnknownVersionStamp(unsigned char* stamp);

// 1 when path names an existing directory.
int DirectoryExists(const char* path);

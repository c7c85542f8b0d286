// The install history file ZELSETUP.INI in the Windows directory, read and
// written only through the platform's profile functions. No UI.
#pragma once

#include <stddef.h>

int GetTimesInstalled();
void SetTimesInstalled(int n);

// write 0: reads "number<n>" of [Main] into text (128 bytes), default "NO ENTRY".
// write nonzero: writes text there; a null text deletes the key.
void HistoryDirectoryEntry(int write, int n, char* text);

// write 0: reads "file<n>" of section in iniPath into text (128 bytes).
// write nonzero: writes text there.
void FileListEntry(int write, int n, char* text, const char* section, const char* iniPath);

// Records the current installation as the newest entry. Returns 1. A file
// whose full path would not fit a 128-byte value is not listed (Filecount
// counts only the files listed).
int RecordInstallation();

// Full path "%s\%s" of the install directory and the target name of file
// record k (0-based) into path. 1 when it fits, 0 otherwise (path empty).
int InstalledFilePath(int k, char* path, size_t size);

// Removes the first entry recording directory (letter case ignored); later
// entries move down and TimesInstalled drops by one. A directory that is not
// recorded leaves the count and the numbering as they are. The section named
// directory is deleted in both cases.
void RemoveHistoryEntry(const char* directory);

// "%s %02d/%02d/%02d" of weekday name, month, day, years since 1900.
void FormatWhenInstalled(int weekday, int month, int day, int yearsSince1900, char* text, size_t size);

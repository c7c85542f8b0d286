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

// Records the current installation as the newest entry. Returns 1.
int RecordInstallation();

// Removes the entry of directory; later entries move down.
void RemoveHistoryEntry(const char* directory);

// "%s %02d/%02d/%02d" of weekday name, month, day, years since 1900.
void FormatWhenInstalled(int weekday, int month, int day, int yearsSince1900, char* text, size_t size);

// The install history file ZELSETUP.INI in the Windows directory, read and
// written only through the platform's profile functions. No UI.
//
// [Main] holds TimesInstalled and the numbered install directories; it is
// always written whole, in one profile write, so that a run that ends half
// way (killed, or the power lost) leaves either the old list or the new one,
// never a count that disagrees with its entries. An installation's own
// section is written before [Main] names it and deleted after [Main] has
// dropped it.
#pragma once

#include <stddef.h>

// Entries the program reads from a history. More cannot be written by the
// profile functions of Windows 95, whose files end at 64 KB.
enum { kHistoryLimit = 1000 };

// TimesInstalled as a count: read like atoi, 0 when absent or negative, and
// at most kHistoryLimit however large the file says it is.
int GetTimesInstalled();

// write 0: reads "number<n>" of [Main] into text (128 bytes), default
// "NO ENTRY"; a value too long for a directory (it would arrive cut) reads as
// "NO ENTRY" too. write nonzero: writes text there; a null text deletes the key.
void HistoryDirectoryEntry(int write, int n, char* text);

// write 0: reads "file<n>" of section in iniPath into text (128 bytes).
// write nonzero: writes text there; 1 when written.
int FileListEntry(int write, int n, char* text, const char* section, const char* iniPath);

// Records the current installation as the newest entry: its section first,
// then [Main]. 1 when recorded; 0 when the history file cannot be written
// (read-only, or its drive without 16 KB to spare: the profile functions
// would cut the file short unnoticed) or already holds kHistoryLimit entries. A file whose
// full path would not fit a 128-byte value is not listed (Filecount counts
// only the files listed).
int RecordInstallation();

// Full path "%s\%s" of the install directory and the target name of file
// record k (0-based) into path. 1 when it fits, 0 otherwise (path empty).
int InstalledFilePath(int k, char* path, size_t size);

// Removes the first entry recording directory (letter case ignored); later
// entries move down and TimesInstalled drops by one. A directory that is not
// recorded leaves the count and the numbering as they are. The section named
// directory is deleted in both cases, unless [Main] could not be rewritten
// and so still names it.
void RemoveHistoryEntry(const char* directory);

// Drops the entries whose directory has no stamped VANTRX32.EXE (their
// sections go too; the later entries move down) and corrects recorded
// versions from the stamps, in one pass over the list. An executable that is
// there but held by another program keeps its entry as it is.
void ReconcileHistory();

// "%s %02d/%02d/%02d" of weekday name, month, day, years since 1900.
void FormatWhenInstalled(int weekday, int month, int day, int yearsSince1900, char* text, size_t size);

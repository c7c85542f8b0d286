// The split of a setup script entry into a file record. Pure: no <windows.h>, no C runtime.
#pragma once

#include "base/filerecord.h"

// Splits one file entry at runs of blanks and commas into disk, source name,
// target name and size (read like atoi), ignoring further fields. Returns 1
// and fills record when there are four fields each fitting its buffer and a
// size that a signed 32-bit field holds; 0 (record untouched) otherwise.
int SplitFileEntry(const char* text, FileRecord* record);

// Length of the longest target name of the first count records.
unsigned LongestTargetName(const FileRecord* records, int count);

// Version stamps: the 81-byte "zElSiG" block inside product files, the
// program's own block, version texts and their comparison.
#pragma once

#include <stddef.h>

enum { kStampSize = 81, kStampMajor = 25, kStampMinor1 = 26, kStampMinor2 = 27 };

// The program's own stamp, kept in initialised data so it stands in the EXE.
extern unsigned char ownVersionStamp[kStampSize];

// 1 when a stamp was found in the file at path and copied into block; 0
// otherwise, block left as it was.
int ReadVersionStamp(const char* path, unsigned char* block);

// Writes "%d.%c%c" of the block's version bytes into text (at least 8 bytes).
void VersionStampText(const unsigned char* block, char* text);

// Compares two version texts as strings, ASCII letters folded, bytes unsigned.
int CompareVersions(const char* a, const char* b);

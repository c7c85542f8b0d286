// Version stamps: the 81-byte signature block inside product files, the
// program's own block, version texts and their comparison. Reads files with
// the C runtime; no UI.
#pragma once

#include <stddef.h>

enum {
    kStampSize = 81,
    kStampSignatureLength = 6, // the block's first bytes, the search pattern
    kStampMajor = 25,
    kStampMinor1 = 26,
    kStampMinor2 = 27,
    kStampChunk = 65000, // bytes read at a time while scanning
    kVersionTextSize = 8,
};

// The program's own stamp, kept in initialised data so it stands in the EXE.
// Its first six bytes are the only copy of the signature in the program.
extern unsigned char ownVersionStamp[kStampSize];

// 1 when a stamp was found in the file at path and copied into block; 0 when
// the file cannot be opened, no work buffer can be had, or the file holds no
// signature (block left as it was). The first signature in the file counts.
// A block that begins less than 81 bytes before the end of the file is found;
// its bytes past the end read as zeros.
int ReadVersionStamp(const char* path, unsigned char* block);

// Writes "%d.%c%c" of the block's version bytes into text (at least 8 bytes).
// Only for blocks ReadVersionStamp filled; callers that do not test the read
// use ReadVersionText instead.
void VersionStampText(const unsigned char* block, char* text);

// The version text of the stamp in the file at path into text (8 bytes).
// Returns 1 when a stamp was found; 0 otherwise, and text is then the empty
// text, which compares below every version.
int ReadVersionText(const char* path, char* text);

// Compares two version texts as strings, ASCII letters folded, bytes unsigned,
// a prefix before the longer text. <0, 0 or >0 like strcmp.
int CompareVersions(const char* a, const char* b);

// The scanner, without file access. Feeds one chunk to a matcher whose state
// (*matched, the pattern bytes matched so far, 0 at the start of a file)
// carries over to the next chunk. Returns the position just past the first
// complete match within chunk, or 0 when the chunk does not complete one.
int ScanStampChunk(const unsigned char* pattern, int patternLength, int* matched, const unsigned char* chunk,
                   int length);

// Where the reader's work buffer comes from (malloc; tests substitute a heap
// that refuses large sizes). What it returns is released with free.
extern void* (*stampBufferAlloc)(size_t size);

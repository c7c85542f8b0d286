// The version stamp without any file access: the 81-byte signature block, the
// program's own block, the chunked scan that finds a block in a stream,
// version texts and their comparison. Pure: no <windows.h>, no C runtime.
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
extern const unsigned char ownVersionStamp[kStampSize];

// A file as the scan sees it: reads from the start, chunk after chunk, and one
// positioned read for a block that the chunk in hand does not hold whole.
struct StampReader {
    void* context;
    // Up to length bytes into buffer; the count read, 0 at the end, < 0 on error.
    int (*read)(void* context, unsigned char* buffer, int length);
    // Up to length bytes from offset into buffer; the count read, < 0 on error.
    int (*readAt)(void* context, long long offset, unsigned char* buffer, int length);
};

// Feeds one chunk to a matcher of pattern whose state (*matched, the pattern
// bytes matched so far, 0 at the start of a stream) carries over to the next
// chunk. Returns the position just past the first complete match within
// chunk, or 0 when the chunk does not complete one.
int ScanPatternChunk(const unsigned char* pattern, int patternLength, int* matched,
                     const unsigned char* chunk, int length);

// Scans the stream in chunks of size bytes (the work buffer) for the first
// signature. The scan ends at the first complete match, or after the chunk in
// which the stream ends (a short or empty chunk), or at a read error. On a
// match copies the 81-byte block into block and returns 1; bytes of a block
// that reach past the end of the stream read as zeros. 0 otherwise, block
// untouched.
int FindStamp(const StampReader* reader, unsigned char* buffer, int size, unsigned char* block);

// Writes "%d.%c%c" of the block's version bytes into text (at least 8 bytes).
void VersionStampText(const unsigned char* block, char* text);

// Compares two version texts as strings, ASCII letters folded, bytes unsigned,
// a prefix before the longer text. <0, 0 or >0 like strcmp.
int CompareVersions(const char* a, const char* b);

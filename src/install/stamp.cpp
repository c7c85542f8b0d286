// Version stamps. The reader takes its search pattern from the program's own
// block, so the signature bytes stand exactly once in the executable: no other
// text of the program may spell them, or the reader would find that copy first
// when it reads the program itself.
#include "install/stamp.h"

#include "app/text.h"

#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

// The program's own stamp: version 1.BD.
__attribute__((used)) unsigned char ownVersionStamp[kStampSize] = {
    'z', 'E', 'l', 'S', 'i', 'G', 0x01, 0x00, 0x0C, 0x0D, 0x00, 0x00, 0x04, 0x00, 0x00, 0x00,
    0,   0,   0,   0,   0,   0,   0,    0,    0,    1,    'B',  'D',  0x09, 0x03, 0x10, 'Z',
    'E', 'L', ' ', 'S', 'e', 't', 'u',  'p',  ' ',  '(',  'W',  'i',  'n',  '3',  '2',  ')'};

void* (*stampBufferAlloc)(size_t size) = malloc;

// Length of the longest proper prefix of pattern[0..matched) that is also a
// suffix of it: where a partial match continues after a mismatch, so that a
// byte which breaks one match can still begin the next (as in zElzElSiG).
static int FallBack(const unsigned char* pattern, int matched) {
    for (int shorter = matched - 1; shorter > 0; --shorter) {
        if (memcmp(pattern, pattern + matched - shorter, shorter) == 0)
            return shorter;
    }
    return 0;
}

int ScanStampChunk(const unsigned char* pattern, int patternLength, int* matched, const unsigned char* chunk,
                   int length) {
    int m = *matched;
    for (int i = 0; i < length; ++i) {
        while (m > 0 && chunk[i] != pattern[m])
            m = FallBack(pattern, m);
        if (chunk[i] == pattern[m])
            ++m;
        if (m == patternLength) {
            *matched = m;
            return i + 1;
        }
    }
    *matched = m;
    return 0;
}

// Work buffer of 65000 bytes, or 100 bytes less each time the heap refuses,
// down to 100 bytes.
static unsigned char* TakeStampBuffer(int* size) {
    for (int tried = kStampChunk; tried > kStampSize; tried -= 100) {
        unsigned char* buffer = (unsigned char*)stampBufferAlloc((size_t)tried);
        if (buffer) {
            *size = tried;
            return buffer;
        }
    }
    return NULL;
}

// Reads the 81 bytes at offset into block; bytes past the end of the file read as zeros.
static void ReadBlockAt(int file, long long offset, unsigned char* block) {
    memset(block, 0, kStampSize);
    if (_lseeki64(file, offset, SEEK_SET) != offset)
        return;
    int got = 0;
    while (got < kStampSize) {
        int n = _read(file, block + got, (unsigned)(kStampSize - got));
        if (n <= 0)
            break;
        got += n;
    }
}

// Scans the open file; on a match fills found (81 bytes) and returns 1.
static int ScanFile(int file, unsigned char* buffer, int size, unsigned char* found) {
    int matched = 0;
    long long chunkStart = 0;
    for (;;) {
        int length = _read(file, buffer, (unsigned)size);
        if (length <= 0)
            return 0; // end of file, or a read error, which ends the scan the same way
        int end = ScanStampChunk(ownVersionStamp, kStampSignatureLength, &matched, buffer, length);
        if (end > 0) {
            int first = end - kStampSignatureLength; // negative when the match began in the previous chunk
            if (first >= 0 && first + kStampSize <= length)
                memcpy(found, buffer + first, kStampSize);
            else
                ReadBlockAt(file, chunkStart + first, found);
            return 1;
        }
        if (length < size)
            return 0;
        chunkStart += length;
    }
}

int ReadVersionStamp(const char* path, unsigned char* block) {
    int size = 0;
    unsigned char* buffer = TakeStampBuffer(&size);
    if (!buffer)
        return 0;
    int found = 0;
    int file = _open(path, _O_RDONLY | _O_BINARY);
    if (file != -1) {
        unsigned char copy[kStampSize];
        found = ScanFile(file, buffer, size, copy);
        if (found)
            memcpy(block, copy, kStampSize);
        _close(file);
    }
    free(buffer);
    return found;
}

void VersionStampText(const unsigned char* block, char* text) {
    // At most "255.xx": always fits the 8 bytes.
    FormatText(text, 8, "%d.%c%c", block[kStampMajor], block[kStampMinor1], block[kStampMinor2]);
}

int ReadVersionText(const char* path, char* text) {
    unsigned char block[kStampSize];
    if (!ReadVersionStamp(path, block)) {
        text[0] = '\0';
        return 0;
    }
    VersionStampText(block, text);
    return 1;
}

int CompareVersions(const char* a, const char* b) {
    return CompareNoCase(a, b);
}

// The reader takes its search pattern from the program's own block, so the
// signature bytes stand exactly once in the executable: no other text of the
// program may spell them, or the reader would find that copy first when it
// reads the program itself.
#include "install/stampscan.h"

#include "base/text.h"

// The program's own stamp: version 1.BD.
__attribute__((used)) const unsigned char ownVersionStamp[kStampSize] = {
    'z', 'E', 'l', 'S', 'i', 'G', 0x01, 0x00, 0x0C, 0x0D, 0x00, 0x00, 0x04, 0x00, 0x00, 0x00,
    0,   0,   0,   0,   0,   0,   0,    0,    0,    1,    'B',  'D',  0x09, 0x03, 0x10, 'Z',
    'E', 'L', ' ', 'S', 'e', 't', 'u',  'p',  ' ',  '(',  'W',  'i',  'n',  '3',  '2',  ')'};

static int SameBytes(const unsigned char* a, const unsigned char* b, int length) {
    for (int i = 0; i < length; ++i)
        if (a[i] != b[i])
            return 0;
    return 1;
}

// Length of the longest proper prefix of pattern[0..matched) that is also a
// suffix of it: where a partial match continues after a mismatch, so that a
// byte which breaks one match can still begin the next (as in zElzElSiG).
static int FallBack(const unsigned char* pattern, int matched) {
    for (int shorter = matched - 1; shorter > 0; --shorter) {
        if (SameBytes(pattern, pattern + matched - shorter, shorter))
            return shorter;
    }
    return 0;
}

int ScanPatternChunk(const unsigned char* pattern, int patternLength, int* matched,
                     const unsigned char* chunk, int length) {
    int m = *matched;
    for (int i = 0; i < length; ++i) {
        // Outside a match only the pattern's first byte matters: a search
        // for it a word at a time keeps the scan as fast as the reading.
        if (m == 0) {
            long next = FindByte(chunk + i, (size_t)(length - i), pattern[0]);
            if (next < 0)
                break;
            i += (int)next;
        }
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

// The 81 bytes at offset into block; bytes past the end of the stream read as zeros.
static void ReadBlockAt(const StampReader* reader, long long offset, unsigned char* block) {
    for (int i = 0; i < kStampSize; ++i)
        block[i] = 0;
    int got = 0;
    while (got < kStampSize) {
        int n = reader->readAt(reader->context, offset + got, block + got, kStampSize - got);
        if (n <= 0)
            break;
        got += n;
    }
}

int FindStamp(const StampReader* reader, unsigned char* buffer, int size, unsigned char* block) {
    int matched = 0;
    long long chunkStart = 0;
    for (;;) {
        int length = reader->read(reader->context, buffer, size);
        if (length <= 0)
            return 0; // end of the stream, or a read error, which ends the scan the same way
        int end = ScanPatternChunk(ownVersionStamp, kStampSignatureLength, &matched, buffer, length);
        if (end > 0) {
            int first = end - kStampSignatureLength; // negative when the match began in the previous chunk
            if (first >= 0 && first + kStampSize <= length) {
                for (int i = 0; i < kStampSize; ++i)
                    block[i] = buffer[first + i];
            } else {
                ReadBlockAt(reader, chunkStart + first, block);
            }
            return 1;
        }
        if (length < size)
            return 0;
        chunkStart += length;
    }
}

void VersionStampText(const unsigned char* block, char* text) {
    // At most "255.xx": always fits the 8 bytes. A zero minor character ends
    // the text there, as it would in a formatted one.
    text[0] = '\0';
    AppendDecimal(text, kVersionTextSize, block[kStampMajor]);
    size_t n = TextLength(text);
    text[n] = '.';
    text[n + 1] = (char)block[kStampMinor1];
    text[n + 2] = (char)block[kStampMinor2];
    text[n + 3] = '\0';
}

int CompareVersions(const char* a, const char* b) {
    return CompareNoCase(a, b);
}

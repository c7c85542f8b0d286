// stampbench.exe ROUNDS FILE...: the version-stamp reader of the setup
// program (ReadVersionStamp, linked from the product's objects) against the
// platform's floor for the same work: the file read in chunks of the same
// size (65000 bytes) with ReadFile and searched with the C library's memchr.
// A third contender, a scan that skips with memchr while no part of the
// signature is matched, shows what such a change of the product's scanner
// would be worth.
//
// For each round and file, in an order that changes every round, one sample
// line per contender: "sample stamp.SIZE ROUND MS", "sample memchr.SIZE ...",
// "sample skipscan.SIZE ...", where SIZE is the file's size in whole MB.
// Every contender must find the same block at the same place, or the program
// fails with exit code 1.
#include "clock.h"
#include "install/stamp.h"

#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

const DWORD kChunk = 65000;
const int kBlock = 81;
const char kSignature[] = "zElSiG";
const int kSignatureLength = 6;

unsigned char chunk[kChunk + kSignatureLength];

// Offset of the first signature in the file, by ReadFile chunks and memchr
// for its first byte; -1 when there is none, -2 when the file cannot be opened.
long long ScanWithMemchr(const char* path) {
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return -2;
    long long chunkStart = 0, found = -1;
    DWORD carried = 0; // bytes of the previous chunk's tail kept in front
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file, chunk + carried, kChunk, &got, NULL) || got == 0)
            break;
        DWORD length = carried + got;
        const unsigned char* p = chunk;
        const unsigned char* end = chunk + length;
        while ((p = (const unsigned char*)memchr(p, kSignature[0], (size_t)(end - p))) != NULL) {
            if (end - p < kSignatureLength)
                break; // may continue in the next chunk
            if (memcmp(p, kSignature, kSignatureLength) == 0) {
                found = chunkStart - carried + (p - chunk);
                break;
            }
            ++p;
        }
        if (found >= 0 || got < kChunk)
            break;
        carried = kSignatureLength - 1;
        memmove(chunk, chunk + length - carried, carried);
        chunkStart += got;
    }
    CloseHandle(file);
    return found;
}

// The product's scan with one change: while no byte of the signature is
// matched, memchr finds the next candidate first byte instead of the loop
// looking at every byte. The matching state still carries over chunks.
long long ScanSkipping(const char* path) {
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return -2;
    long long chunkStart = 0, found = -1;
    int matched = 0;
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file, chunk, kChunk, &got, NULL) || got == 0)
            break;
        DWORD i = 0;
        while (i < got) {
            if (matched == 0) {
                const unsigned char* next = (const unsigned char*)memchr(chunk + i, kSignature[0], got - i);
                if (!next)
                    break;
                i = (DWORD)(next - chunk) + 1;
                matched = 1;
                continue;
            }
            // The signature's first letter occurs in it only once, so a
            // mismatch restarts at this byte.
            if (chunk[i] == (unsigned char)kSignature[matched]) {
                ++i;
                if (++matched == kSignatureLength) {
                    found = chunkStart + i - kSignatureLength;
                    break;
                }
            } else {
                matched = 0;
            }
        }
        if (found >= 0 || got < kChunk)
            break;
        chunkStart += got;
    }
    CloseHandle(file);
    return found;
}

// The 81 bytes at offset, for comparing what the contenders found.
bool ReadBlockAt(const char* path, long long offset, unsigned char* block) {
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    LONG high = (LONG)(offset >> 32);
    DWORD got = 0;
    bool ok =
        (SetFilePointer(file, (LONG)(offset & 0xFFFFFFFF), &high, FILE_BEGIN) != INVALID_SET_FILE_POINTER ||
         GetLastError() == NO_ERROR) &&
        ReadFile(file, block, kBlock, &got, NULL) && got == (DWORD)kBlock;
    CloseHandle(file);
    return ok;
}

long long FileMegabytes(const char* path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path, GetFileExInfoStandard, &data))
        return -1;
    long long size = ((long long)data.nFileSizeHigh << 32) | data.nFileSizeLow;
    return (size + 512 * 1024) / (1024 * 1024);
}

[[noreturn]] void Fail(const char* what, const char* path) {
    fprintf(stderr, "stampbench: %s: %s\n", path, what);
    exit(1);
}

// Times one contender on one file and checks what it found.
void Sample(int contender, const char* path, long long megabytes, int round, const unsigned char* expected,
            long long expectedOffset) {
    static const char* const kNames[3] = {"stamp", "memchr", "skipscan"};
    double started = NowMs();
    bool same = false;
    if (contender == 0) {
        unsigned char block[kBlock];
        memset(block, 0xCC, sizeof block);
        same = ReadVersionStamp(path, block) == 1 && memcmp(block, expected, kBlock) == 0;
    } else {
        long long offset = contender == 1 ? ScanWithMemchr(path) : ScanSkipping(path);
        same = offset == expectedOffset;
    }
    double ms = NowMs() - started;
    if (!same)
        Fail(contender == 0 ? "ReadVersionStamp did not find the block" : "the scan found another offset",
             path);
    printf("sample %s.%lld %d %.3f\n", kNames[contender], megabytes, round, ms);
    fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        fprintf(stderr, "usage: stampbench ROUNDS FILE...\n");
        return 2;
    }
    int rounds = atoi(argv[1]);
    int files = argc - 2;
    unsigned char(*blocks)[kBlock] = new unsigned char[files][kBlock];
    long long* offsets = new long long[files];
    long long* megabytes = new long long[files];
    for (int f = 0; f < files; ++f) {
        const char* path = argv[f + 2];
        megabytes[f] = FileMegabytes(path);
        offsets[f] = ScanWithMemchr(path); // also brings the file into the cache
        if (offsets[f] < 0 || !ReadBlockAt(path, offsets[f], blocks[f]))
            Fail("no stamp block in the file", path);
    }
    for (int round = 0; round < rounds; ++round)
        for (int f = 0; f < files; ++f)
            for (int c = 0; c < 3; ++c)
                Sample((c + round) % 3, argv[f + 2], megabytes[f], round, blocks[f], offsets[f]);
    delete[] blocks;
    delete[] offsets;
    delete[] megabytes;
    return 0;
}

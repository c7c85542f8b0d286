#include "install/stamp.h"

#include <windows.h>

static void* TakeFromProcessHeap(size_t size) {
    return HeapAlloc(GetProcessHeap(), 0, size);
}

void* (*stampBufferAlloc)(size_t size);

// Work buffer of 65000 bytes, or 100 bytes less each time the heap refuses,
// down to 100 bytes.
static unsigned char* TakeStampBuffer(int* size) {
    for (int tried = kStampChunk; tried > kStampSize; tried -= 100) {
        unsigned char* buffer =
            (unsigned char*)(stampBufferAlloc ? stampBufferAlloc : TakeFromProcessHeap)((size_t)tried);
        if (buffer) {
            *size = tried;
            return buffer;
        }
    }
    return NULL;
}

static int ReadFromFile(void* context, unsigned char* buffer, int length) {
    DWORD got = 0;
    if (!ReadFile((HANDLE)context, buffer, (DWORD)length, &got, NULL))
        return -1;
    return (int)got;
}

static int ReadFromFileAt(void* context, long long offset, unsigned char* buffer, int length) {
    LONG high = (LONG)(offset >> 32);
    DWORD low = SetFilePointer((HANDLE)context, (LONG)(offset & 0xFFFFFFFF), &high, FILE_BEGIN);
    if (low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR)
        return -1;
    return ReadFromFile(context, buffer, length);
}

int ReadVersionStamp(const char* path, unsigned char* block) {
    int size = 0;
    unsigned char* buffer = TakeStampBuffer(&size);
    if (!buffer)
        return 0;
    int found = 0;
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file != INVALID_HANDLE_VALUE) {
        StampReader reader = {file, ReadFromFile, ReadFromFileAt};
        found = FindStamp(&reader, buffer, size, block);
        CloseHandle(file);
    }
    HeapFree(GetProcessHeap(), 0, buffer);
    return found;
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

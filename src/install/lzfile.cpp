#include "install/lzfile.h"

#include "base/lateapi.h"
#include "base/text.h"

#include <windows.h>
#include <lzexpand.h>

enum { kLzPath = 260 };

// 1 when both names lead to the same file, by their full paths, letter case ignored.
static int IsSameFile(const char* source, const char* target) {
    char fullSource[kLzPath], fullTarget[kLzPath];
    DWORD a = GetFullPathNameA(source, sizeof fullSource, fullSource, NULL);
    DWORD b = GetFullPathNameA(target, sizeof fullTarget, fullTarget, NULL);
    if (a == 0 || a >= sizeof fullSource || b == 0 || b >= sizeof fullTarget)
        return 0;
    return CompareNoCase(fullSource, fullTarget) == 0;
}

// The bytes a copy of the file at path must write: the expanded size its
// header states when it is compressed ("SZDD" and four fixed bytes, the mode,
// the name's last character, the size), otherwise its own size. -1 when it
// cannot be read.
static long long ExpectedLength(const char* path) {
    static const unsigned char kMagic[8] = {'S', 'Z', 'D', 'D', 0x88, 0xF0, 0x27, 0x33};
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return -1;
    unsigned char head[14];
    DWORD got = 0, high = 0;
    DWORD low = GetFileSize(file, &high);
    int read = ReadFile(file, head, sizeof head, &got, NULL);
    CloseHandle(file);
    if (!read || (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR))
        return -1;
    int compressed = got == sizeof head;
    for (int i = 0; i < 8 && compressed; ++i)
        compressed = head[i] == kMagic[i];
    if (compressed)
        return (long long)head[10] | (long long)head[11] << 8 | (long long)head[12] << 16 |
               (long long)head[13] << 24;
    return (long long)high << 32 | low;
}

typedef LONG(WINAPI* LzCopyCall)(INT, INT);

static long CopyWith(LzCopyCall copy, const char* source, const char* target) {
    // LZOpenFileA takes writable names; OpenFile beneath it refuses paths
    // longer than its record holds, so a long path is refused here as well.
    char sourcePath[OFS_MAXPATHNAME], targetPath[OFS_MAXPATHNAME];
    if (!CopyText(sourcePath, sizeof sourcePath, source))
        return kLzSourceMissing;
    if (!CopyText(targetPath, sizeof targetPath, target))
        return kLzTargetFailed;
    if (IsSameFile(sourcePath, targetPath))
        return 0;
    OFSTRUCT sourceInfo, targetInfo;
    INT from = LZOpenFileA(sourcePath, &sourceInfo, OF_READ);
    if (from < 0)
        return kLzSourceMissing;
    INT to = LZOpenFileA(targetPath, &targetInfo, OF_CREATE);
    if (to < 0) {
        LZClose(from);
        return kLzTargetFailed;
    }
    long result = copy(from, to);
    LZClose(from);
    LZClose(to);
    if (result >= 0 && result != ExpectedLength(sourcePath))
        result = kLzSourceShort;
    // A target this copy made but could not fill is no file at all: it goes
    // rather than stay, cut short, under its own name.
    if (result < 0)
        DeleteFileA(targetPath);
    return result;
}

// The name beside target under which a whole copy is made first.
static int SideName(const char* target, char* side, size_t size) {
    if (!CopyText(side, size, target))
        return 0;
    size_t cut = TextLength(side);
    while (cut > 0 && side[cut - 1] != '\\')
        --cut;
    side[cut] = '\0';
    return AppendText(side, size, "ZELSETUP.TMP");
}

// Puts side in place of target: a rename that replaces the target where the
// system has one (Windows NT), otherwise the old file is deleted first.
static int PutInPlace(const char* side, const char* target) {
    if (LateMoveFileExA(side, target, MOVEFILE_REPLACE_EXISTING))
        return 1;
    return GetLastError() == ERROR_CALL_NOT_IMPLEMENTED && DeleteFileA(target) && MoveFileA(side, target);
}

long CopyCompressedFile(const char* source, const char* target) {
    return CopyWith(CopyLZFile, source, target);
}

long CopyCompressedFileWhole(const char* source, const char* target) {
    char side[OFS_MAXPATHNAME];
    if (!SideName(target, side, sizeof side))
        return kLzTargetFailed;
    long result = CopyWith(CopyLZFile, source, side);
    if (result >= 0 && !PutInPlace(side, target)) {
        DeleteFileA(side);
        result = kLzTargetFailed;
    }
    return result;
}

long ExpandFile(const char* source, const char* target) {
    return CopyWith(LZCopy, source, target);
}

void ShowOutOfDiskSpace(void* owner) {
    MessageBoxA((HWND)owner, "Out of disk space", "ERROR", MB_OK);
}

#include "install/lzfile.h"

#include "base/lateapi.h"
#include "base/state.h"
#include "base/text.h"

#include <windows.h>
#include <lzexpand.h>

enum { kLzPath = 260 };

// Opens path to ask about it; INVALID_HANDLE_VALUE when it is not there or
// cannot be opened.
static HANDLE OpenToAsk(const char* path) {
    return CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, NULL);
}

// What tells a file apart from every other: its volume's serial number and
// its index on that volume (with its size and time, which two names of one
// file always share, in case a file system gives no real index). 0 when the
// file cannot be opened or asked.
static int FileIdentity(const char* path, BY_HANDLE_FILE_INFORMATION* info) {
    HANDLE file = OpenToAsk(path);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    int known = GetFileInformationByHandle(file, info) != 0;
    CloseHandle(file);
    return known && (info->nFileIndexHigh != 0 || info->nFileIndexLow != 0);
}

int IsSameFile(const char* a, const char* b) {
    BY_HANDLE_FILE_INFORMATION first, second;
    if (FileIdentity(a, &first) && FileIdentity(b, &second))
        return first.dwVolumeSerialNumber == second.dwVolumeSerialNumber &&
               first.nFileIndexHigh == second.nFileIndexHigh && first.nFileIndexLow == second.nFileIndexLow &&
               first.nFileSizeHigh == second.nFileSizeHigh && first.nFileSizeLow == second.nFileSizeLow &&
               CompareFileTime(&first.ftLastWriteTime, &second.ftLastWriteTime) == 0;
    // Without an identity to compare, the names are all there is.
    char fullA[kLzPath], fullB[kLzPath];
    DWORD lengthA = GetFullPathNameA(a, sizeof fullA, fullA, NULL);
    DWORD lengthB = GetFullPathNameA(b, sizeof fullB, fullB, NULL);
    if (lengthA == 0 || lengthA >= sizeof fullA || lengthB == 0 || lengthB >= sizeof fullB)
        return 0;
    return CompareNoCase(fullA, fullB) == 0;
}

// The bytes a copy of the file at path must write: the expanded size its
// header states when it is compressed ("SZDD" and four fixed bytes, the mode,
// the name's last character, the size), otherwise its own size. -1 when it
// cannot be read.
static long long ExpectedLength(const char* path) {
    static const unsigned char kMagic[8] = {'S', 'Z', 'D', 'D', 0x88, 0xF0, 0x27, 0x33};
    HANDLE file = OpenToAsk(path);
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
    // Measured before the target is opened: should the target still turn out
    // to be the source under another name, its creation empties the source,
    // and a length read afterwards would pass the empty copy as whole.
    long long expected = ExpectedLength(sourcePath);
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
    if (result >= 0 && result != expected)
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
// Windows 95's MoveFileExA is a stub that always fails with
// ERROR_CALL_NOT_IMPLEMENTED, so there it is not called at all: the result is
// the same on the real system, and a Windows 95 run under an emulation that
// does implement it (Wine's) still takes the path the real system takes.
static int PutInPlace(const char* side, const char* target) {
    if (g.osKind != kOsWin95 && LateMoveFileExA(side, target, MOVEFILE_REPLACE_EXISTING))
        return 1;
    if (g.osKind != kOsWin95 && GetLastError() != ERROR_CALL_NOT_IMPLEMENTED)
        return 0;
    // A target that is not there yet (the first installation) counts as deleted.
    if (!DeleteFileA(target) && GetLastError() != ERROR_FILE_NOT_FOUND)
        return 0;
    return MoveFileA(side, target);
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

#include "install/lzfile.h"

#include "app/text.h"

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
    return result;
}

long CopyCompressedFile(const char* source, const char* target) {
    return CopyWith(CopyLZFile, source, target);
}

long ExpandFile(const char* source, const char* target) {
    return CopyWith(LZCopy, source, target);
}

void ShowOutOfDiskSpace(void* owner) {
    MessageBoxA((HWND)owner, "Out of disk space", "ERROR", MB_OK);
}

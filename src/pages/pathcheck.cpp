// The existence of a directory and the creation of a directory path.
#include "pages/pagekit.h"
#include "pages/pages.h"

#include "base/text.h"

int DirectoryExists(const char* path) {
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) ? 1 : 0;
}

int CreateDirectoryPath(const char* path) {
    // Every install directory the path page accepts (127 characters) fits,
    // with the backslash appended below.
    char work[MAX_PATH];
    size_t length = TextLength(path);
    if (length == 0 || !CopyText(work, sizeof work - 1, path))
        return 1;
    if (DirectoryExists(work))
        return 0;
    if (work[length - 1] != '\\')
        AppendText(work, sizeof work, "\\");
    // Each level in turn; existing levels and the drive part simply fail.
    for (char* p = work + 1; *p != '\0'; ++p) {
        if (*p != '\\')
            continue;
        *p = '\0';
        CreateDirectoryA(work, NULL);
        *p = '\\';
    }
    return DirectoryExists(path) ? 0 : 1;
}

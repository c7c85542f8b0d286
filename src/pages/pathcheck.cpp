// Path-name rules, completion of a typed entry, free-space arithmetic and the
// creation of a directory path. Everything but the last two functions is pure.
#include "pages/pagekit.h"
#include "pages/pages.h"

#include "app/text.h"
#include "install/stamp.h"

#include <string.h>

static int IsForbiddenPathChar(char c) {
    return c != '\0' && strchr("^&*=|;,<>?/\"", c) != NULL;
}

int IsValidPathName(const char* pathName) {
    size_t lastDot = 0, lastSeparator = 0;
    for (size_t i = 0; pathName[i] != '\0'; ++i) {
        char c = pathName[i];
        if (c == '.') {
            // A second dot in the same component.
            if (lastDot > lastSeparator)
                return 0;
            lastDot = i;
        } else if (c == ':') {
            if (i != 1)
                return 0;
            lastSeparator = i;
        } else if (c == '\\') {
            lastSeparator = i;
        } else if (IsForbiddenPathChar(c)) {
            return 0;
        }
    }
    return 1;
}

int CompleteInstallPath(const char* entry, const char* sourceDir, char* out, size_t size) {
    if (entry[0] != '\0' && entry[1] == ':')
        return CopyText(out, size, entry);
    const char* separator = entry[0] == '\\' ? "" : "\\";
    return FormatText(out, size, "%s%s%s", sourceDir, separator, entry);
}

void DriveRootOf(const char* path, char root[4]) {
    size_t length = strlen(path);
    if (length > 3)
        length = 3;
    memcpy(root, path, length);
    root[length] = '\0';
}

unsigned long long FreeBytes(unsigned long bytesPerSector, unsigned long sectorsPerCluster,
                             unsigned long freeClusters) {
    return (unsigned long long)bytesPerSector * sectorsPerCluster * freeClusters;
}

int FormatNoSpaceMessage(char* buf, size_t size, const char* drive, unsigned long required,
                         unsigned long long available) {
    return FormatText(buf, size,
                      "There is not enough free space on drive %s\n\nSpace Required:  %lu\nSpace Available:  "
                      "%llu\n",
                      drive, required, available);
}

int FormatOverwriteQuestion(char* buf, size_t size, const unsigned char* stamp, const char* directory) {
    return FormatText(
        buf, size,
        "ZEL Vantorix v%d.%c%c\nis already installed in:\n\n     %s\n\nDo you want to overwrite it?",
        stamp[kStampMajor], stamp[kStampMinor1], stamp[kStampMinor2], directory);
}

void UnknownVersionStamp(unsigned char* stamp) {
    memset(stamp, 0, kStampSize);
    stamp[kStampMinor1] = '0';
    stamp[kStampMinor2] = '0';
}

int DirectoryExists(const char* path) {
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) ? 1 : 0;
}

int CreateDirectoryPath(const char* path) {
    // Every install directory the path page accepts (127 characters) fits,
    // with the backslash appended below.
    char work[MAX_PATH];
    size_t length = strlen(path);
    if (length == 0 || length + 2 > sizeof work)
        return 1;
    memcpy(work, path, length + 1);
    if (DirectoryExists(work))
        return 0;
    if (work[length - 1] != '\\') {
        work[length] = '\\';
        work[length + 1] = '\0';
    }
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

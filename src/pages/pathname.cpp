#include "pages/pathname.h"

#include "base/text.h"
#include "install/stampscan.h"

static int IsForbiddenPathChar(char c) {
    static const char kForbidden[] = "^&*=|;,<>?/\"";
    return FindByte(kForbidden, sizeof kForbidden - 1, (unsigned char)c) >= 0;
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
    return CopyText(out, size, sourceDir) && (entry[0] == '\\' || AppendText(out, size, "\\")) &&
           AppendText(out, size, entry);
}

void DriveRootOf(const char* path, char root[4]) {
    size_t i = 0;
    for (; i < 3 && path[i] != '\0'; ++i)
        root[i] = path[i];
    root[i] = '\0';
}

unsigned long long FreeBytes(unsigned long bytesPerSector, unsigned long sectorsPerCluster,
                             unsigned long freeClusters) {
    return (unsigned long long)bytesPerSector * sectorsPerCluster * freeClusters;
}

int FormatNoSpaceMessage(char* buf, size_t size, const char* drive, unsigned long required,
                         unsigned long long available) {
    return CopyText(buf, size, "There is not enough free space on drive ") && AppendText(buf, size, drive) &&
           AppendText(buf, size, "\n\nSpace Required:  ") && AppendDecimal(buf, size, required) &&
           AppendText(buf, size, "\nSpace Available:  ") && AppendDecimal(buf, size, available) &&
           AppendText(buf, size, "\n");
}

int FormatOverwriteQuestion(char* buf, size_t size, const unsigned char* stamp, const char* directory) {
    char version[kVersionTextSize];
    VersionStampText(stamp, version);
    return CopyText(buf, size, "ZEL Vantorix v") && AppendText(buf, size, version) &&
           AppendText(buf, size, "\nis already installed in:\n\n     ") && AppendText(buf, size, directory) &&
           AppendText(buf, size, "\n\nDo you want to overwrite it?");
}

void UnknownVersionStamp(unsigned char* stamp) {
    for (int i = 0; i < kStampSize; ++i)
        stamp[i] = 0;
    stamp[kStampMinor1] = '0';
    stamp[kStampMinor2] = '0';
}

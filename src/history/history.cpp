// The install history file. Every access goes through the platform's profile
// functions, so the file keeps the layout Windows itself gives profile files
// and stays readable by any earlier copy of the uninstaller.
#include "history/history.h"

#include "app/state.h"
#include "app/text.h"

#include <windows.h>

static const char kMainSection[] = "Main";

int GetTimesInstalled() {
    char value[10];
    GetPrivateProfileStringA(kMainSection, "TimesInstalled", NO_ENTRY, value, sizeof value, g.historyPath);
    return LeadingNumber(value); // absent ("NO ENTRY") or non-numeric counts 0
}

void SetTimesInstalled(int n) {
    char value[16];
    if (!FormatText(value, sizeof value, "%d", n))
        return;
    WritePrivateProfileStringA(kMainSection, "TimesInstalled", value, g.historyPath);
}

void HistoryDirectoryEntry(int write, int n, char* text) {
    char key[24];
    if (!FormatText(key, sizeof key, "number%d", n)) {
        if (!write)
            CopyText(text, 128, NO_ENTRY);
        return;
    }
    if (write)
        WritePrivateProfileStringA(kMainSection, key, text, g.historyPath);
    else
        GetPrivateProfileStringA(kMainSection, key, NO_ENTRY, text, 128, g.historyPath);
}

void FileListEntry(int write, int n, char* text, const char* section, const char* iniPath) {
    char key[24];
    if (!FormatText(key, sizeof key, "file%d", n)) {
        if (!write)
            CopyText(text, 128, NO_ENTRY);
        return;
    }
    if (write)
        WritePrivateProfileStringA(section, key, text, iniPath);
    else
        GetPrivateProfileStringA(section, key, NO_ENTRY, text, 128, iniPath);
}

void FormatWhenInstalled(int weekday, int month, int day, int yearsSince1900, char* text, size_t size) {
    static const char* const kDays[] = {"SUN", "MON", "TUE", "WED", "THU", "FRI", "SAT"};
    const char* name = weekday >= 0 && weekday < 7 ? kDays[weekday] : "???";
    FormatText(text, size, "%s %02d/%02d/%02d", name, month, day, yearsSince1900);
}

int InstalledFilePath(int k, char* path, size_t size) {
    if (k < 0 || k >= kMaxFiles)
        return 0;
    return FormatText(path, size, "%s\\%s", g.installDir, g.fileTable[k].targetName);
}

// The file records whose full path fits a 128-byte history value. A path that
// does not fit is left out rather than cut into the name of another file.
static int ListedFileCount() {
    int count = g.fileCount < 0 ? 0 : (g.fileCount > kMaxFiles ? kMaxFiles : g.fileCount);
    int listed = 0;
    char path[128];
    for (int k = 0; k < count; ++k)
        listed += InstalledFilePath(k, path, sizeof path);
    return listed;
}

int RecordInstallation() {
    int n = GetTimesInstalled() + 1;
    SetTimesInstalled(n);
    HistoryDirectoryEntry(1, n, g.installDir);

    char value[30];
    WritePrivateProfileStringA(g.installDir, "Version", g.versionText, g.historyPath);
    int listed = ListedFileCount();
    if (FormatText(value, sizeof value, "%d", listed))
        WritePrivateProfileStringA(g.installDir, "Filecount", value, g.historyPath);
    SYSTEMTIME now;
    GetLocalTime(&now);
    FormatWhenInstalled(now.wDayOfWeek, now.wMonth, now.wDay, now.wYear - 1900, value, sizeof value);
    WritePrivateProfileStringA(g.installDir, "WhenInstalled", value, g.historyPath);

    int count = g.fileCount < 0 ? 0 : (g.fileCount > kMaxFiles ? kMaxFiles : g.fileCount);
    char path[128];
    for (int k = 0, written = 0; k < count; ++k) {
        if (InstalledFilePath(k, path, sizeof path))
            FileListEntry(1, ++written, path, g.installDir, g.historyPath);
    }
    return 1;
}

// Number of the first entry recording directory (letter case ignored), 0 when none does.
static int FindHistoryEntry(const char* directory, int count) {
    char entry[128];
    for (int k = 1; k <= count; ++k) {
        HistoryDirectoryEntry(0, k, entry);
        if (CompareNoCase(entry, directory) == 0)
            return k;
    }
    return 0;
}

void RemoveHistoryEntry(const char* directory) {
    int count = GetTimesInstalled();
    // A directory that is not recorded leaves the count and the numbering alone.
    int k = FindHistoryEntry(directory, count);
    if (k > 0) {
        SetTimesInstalled(count - 1);
        HistoryDirectoryEntry(1, k, NULL);
        char entry[128];
        for (int j = k; j < count; ++j) {
            HistoryDirectoryEntry(0, j + 1, entry);
            // A hole in the numbering moves down as a hole, never as the text "NO ENTRY".
            HistoryDirectoryEntry(1, j, IsNoEntry(entry) ? NULL : entry);
        }
        HistoryDirectoryEntry(1, count, NULL);
    }
    WritePrivateProfileStringA(directory, NULL, NULL, g.historyPath);
}

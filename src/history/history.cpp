// The install history file. Every access goes through the platform's profile
// functions, so the file keeps the layout Windows itself gives profile files
// and stays readable by any earlier copy of the uninstaller.
#include "history/history.h"

#include "base/state.h"
#include "base/text.h"
#include "install/stamp.h"

#include <windows.h>

static const char kMainSection[] = "Main";

enum {
    kDirectorySize = 128,
    kHistoryRoom =
        16384, // free bytes an installation's record needs on the history's drive, with room to spare
};

// [Main] in memory: count slots, number1 first; an empty slot is a hole (the
// key is missing), which moves with the entries around it.
struct HistoryList {
    int count;
    char (*entries)[kDirectorySize];
};

int GetTimesInstalled() {
    char value[10];
    GetPrivateProfileStringA(kMainSection, "TimesInstalled", NO_ENTRY, value, sizeof value, g.historyPath);
    int count = LeadingNumber(value); // absent ("NO ENTRY") or non-numeric counts 0
    if (count < 0)
        return 0;
    return count > kHistoryLimit ? kHistoryLimit : count;
}

void HistoryDirectoryEntry(int write, int n, char* text) {
    char key[24];
    if (!FormatText(key, sizeof key, "number%d", n)) {
        if (!write)
            CopyText(text, kDirectorySize, NO_ENTRY);
        return;
    }
    if (write) {
        WritePrivateProfileStringA(kMainSection, key, text, g.historyPath);
        return;
    }
    // Read with room to spare: a value that does not fit would arrive cut
    // into the name of some other directory.
    char value[kDirectorySize + 2];
    DWORD length = GetPrivateProfileStringA(kMainSection, key, NO_ENTRY, value, sizeof value, g.historyPath);
    if (length >= kDirectorySize || !CopyText(text, kDirectorySize, value))
        CopyText(text, kDirectorySize, NO_ENTRY);
}

int FileListEntry(int write, int n, char* text, const char* section, const char* iniPath) {
    char key[24];
    if (!FormatText(key, sizeof key, "file%d", n)) {
        if (!write)
            CopyText(text, kDirectorySize, NO_ENTRY);
        return 0;
    }
    if (write)
        return WritePrivateProfileStringA(section, key, text, iniPath) ? 1 : 0;
    GetPrivateProfileStringA(section, key, NO_ENTRY, text, kDirectorySize, iniPath);
    return 1;
}

static void FreeHistoryList(HistoryList* list) {
    if (list->entries)
        HeapFree(GetProcessHeap(), 0, list->entries);
    list->entries = NULL;
}

// Room for count slots and one more. 0 when no memory.
static int AllocateHistoryList(HistoryList* list, int count) {
    list->count = count;
    list->entries =
        (char(*)[kDirectorySize])HeapAlloc(GetProcessHeap(), 0, (size_t)(count + 1) * kDirectorySize);
    return list->entries != NULL;
}

// Reads TimesInstalled slots. 0 when no memory.
static int ReadHistoryList(HistoryList* list) {
    if (!AllocateHistoryList(list, GetTimesInstalled()))
        return 0;
    for (int k = 0; k < list->count; ++k) {
        HistoryDirectoryEntry(0, k + 1, list->entries[k]);
        if (IsNoEntry(list->entries[k]))
            list->entries[k][0] = '\0';
    }
    return 1;
}

// Bytes of the history file on disk; 0 when it cannot be read.
static unsigned long HistoryFileLength() {
    HANDLE file = CreateFileA(g.historyPath, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    DWORD length = GetFileSize(file, NULL);
    CloseHandle(file);
    return length == INVALID_FILE_SIZE ? 0 : length;
}

// The profile functions rewrite the whole file at every write and do not
// report a disk that fills meanwhile: the file is left cut short, entries of
// other installations lost with it. So nothing is added to the history on a
// drive without room to spare for it.
static int HistoryHasRoom() {
    char root[4];
    for (int i = 0; i < 3; ++i)
        root[i] = g.historyPath[i];
    root[3] = '\0';
    DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, clusters = 0;
    if (!GetDiskFreeSpaceA(root, &sectorsPerCluster, &bytesPerSector, &freeClusters, &clusters))
        return 1; // a drive that cannot be asked is not known to be full
    unsigned long long room = (unsigned long long)sectorsPerCluster * bytesPerSector * freeClusters;
    return room >= kHistoryRoom;
}

// Adds one line to a profile section text; 0 when it would not fit.
static int AppendLine(char* text, size_t size, size_t* used, const char* line) {
    if (!CopyText(text + *used, size - *used, line))
        return 0;
    *used += TextLength(line) + 1;
    return 1;
}

// Replaces [Main] with the list in one profile write. 1 when written.
static int WriteHistoryList(const HistoryList* list) {
    size_t size = 32 + (size_t)list->count * (24 + kDirectorySize) + 1;
    char* text = (char*)HeapAlloc(GetProcessHeap(), 0, size);
    if (!text)
        return 0;
    size_t used = 0;
    char line[24 + kDirectorySize];
    int ok = FormatText(line, sizeof line, "TimesInstalled=%d", list->count) &&
             AppendLine(text, size - 1, &used, line);
    for (int k = 0; k < list->count && ok; ++k) {
        if (list->entries[k][0] != '\0')
            ok = FormatText(line, sizeof line, "number%d=%s", k + 1, list->entries[k]) &&
                 AppendLine(text, size - 1, &used, line);
    }
    if (ok) {
        text[used] = '\0'; // the section text ends with an empty line
        // The written file must at least hold this text: a shorter one was cut by a full disk.
        ok = WritePrivateProfileSectionA(kMainSection, text, g.historyPath) && HistoryFileLength() >= used;
    }
    HeapFree(GetProcessHeap(), 0, text);
    return ok;
}

// Drops slot k; the later slots (holes too) move down by one.
static void DropSlot(HistoryList* list, int k) {
    for (int j = k; j + 1 < list->count; ++j)
        CopyText(list->entries[j], kDirectorySize, list->entries[j + 1]);
    --list->count;
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

static int TableCount() {
    return g.fileCount < 0 ? 0 : (g.fileCount > kMaxFiles ? kMaxFiles : g.fileCount);
}

// The installation's section, in one profile write: Version, Filecount,
// WhenInstalled, then the files that fit a 128-byte value (a longer path is
// left out rather than cut into the name of another file). 1 when written.
static int WriteInstallationSection() {
    char text[4096], line[24 + kDirectorySize], path[kDirectorySize];
    size_t used = 0;
    int listed = 0;
    for (int k = 0; k < TableCount(); ++k)
        listed += InstalledFilePath(k, path, sizeof path);
    SYSTEMTIME now;
    GetLocalTime(&now);
    char when[30];
    FormatWhenInstalled(now.wDayOfWeek, now.wMonth, now.wDay, now.wYear - 1900, when, sizeof when);
    int ok = FormatText(line, sizeof line, "Version=%s", g.versionText) &&
             AppendLine(text, sizeof text - 1, &used, line) &&
             FormatText(line, sizeof line, "Filecount=%d", listed) &&
             AppendLine(text, sizeof text - 1, &used, line) &&
             FormatText(line, sizeof line, "WhenInstalled=%s", when) &&
             AppendLine(text, sizeof text - 1, &used, line);
    for (int k = 0, n = 0; k < TableCount() && ok; ++k) {
        if (InstalledFilePath(k, path, sizeof path))
            ok = FormatText(line, sizeof line, "file%d=%s", ++n, path) &&
                 AppendLine(text, sizeof text - 1, &used, line);
    }
    text[used] = '\0'; // the section text ends with an empty line
    return ok && WritePrivateProfileSectionA(g.installDir, text, g.historyPath);
}

int RecordInstallation() {
    HistoryList list = {0, NULL};
    if (!HistoryHasRoom() || !ReadHistoryList(&list) || list.count >= kHistoryLimit) {
        FreeHistoryList(&list);
        return 0;
    }
    // A new file gets its [Main] first, so that it keeps the usual layout.
    int ok = (list.count > 0 || WriteHistoryList(&list)) && WriteInstallationSection();
    if (ok) {
        CopyText(list.entries[list.count], kDirectorySize, g.installDir);
        ++list.count;
        ok = WriteHistoryList(&list);
    }
    FreeHistoryList(&list);
    return ok;
}

void RemoveHistoryEntry(const char* directory) {
    HistoryList list = {0, NULL};
    int named = 1; // [Main] still names directory, as far as is known
    if (ReadHistoryList(&list)) {
        named = 0;
        // A directory that is not recorded leaves the count and the numbering alone.
        for (int k = 0; k < list.count; ++k) {
            if (list.entries[k][0] != '\0' && CompareNoCase(list.entries[k], directory) == 0) {
                DropSlot(&list, k);
                named = !WriteHistoryList(&list);
                break;
            }
        }
    }
    FreeHistoryList(&list);
    // A [Main] that could not be rewritten still names the entry: its section stays.
    if (!named)
        WritePrivateProfileStringA(directory, NULL, NULL, g.historyPath);
}

enum { kNoDirectory, kStampRead, kStampBusy, kStampGone };

// What the installation in directory says of its version: the stamp of its
// VANTRX32.EXE read into stamped; or the file there but held by another
// program so that it cannot be read (the application itself, say: the
// installation is not gone); or no stamp at all.
static int StampOf(const char* directory, char* path, size_t size, char* stamped) {
    if (!FormatText(path, size, "%s\\VANTRX32.EXE", directory))
        return kStampGone;
    if (ReadVersionText(path, stamped))
        return kStampRead;
    if (GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES)
        return kStampGone;
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file != INVALID_HANDLE_VALUE) {
        CloseHandle(file);
        return kStampGone; // readable, and without a stamp
    }
    DWORD error = GetLastError();
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ? kStampBusy : kStampGone;
}

// The recorded version follows the stamp of the installed executable.
static void CorrectVersion(const char* directory, const char* stamped) {
    char recorded[10];
    GetPrivateProfileStringA(directory, "Version", NO_ENTRY, recorded, sizeof recorded, g.historyPath);
    if (CompareNoCase(recorded, stamped) != 0)
        WritePrivateProfileStringA(directory, "Version", stamped, g.historyPath);
}

void ReconcileHistory() {
    HistoryList list = {0, NULL}, dropped = {0, NULL};
    if (!ReadHistoryList(&list) || !AllocateHistoryList(&dropped, list.count)) {
        FreeHistoryList(&list);
        return;
    }
    dropped.count = 0;
    for (int k = 0; k < list.count;) {
        char path[160], stamped[kVersionTextSize];
        const char* directory = list.entries[k];
        int stamp = directory[0] == '\0' ? kNoDirectory : StampOf(directory, path, sizeof path, stamped);
        if (stamp == kStampGone) {
            // The entries behind it move down into its place.
            CopyText(dropped.entries[dropped.count++], kDirectorySize, directory);
            DropSlot(&list, k);
            continue;
        }
        if (stamp == kStampRead)
            CorrectVersion(directory, stamped);
        ++k;
    }
    // [Main] first: until it is written, every entry it names keeps its section.
    if (dropped.count > 0 && WriteHistoryList(&list)) {
        for (int k = 0; k < dropped.count; ++k)
            WritePrivateProfileStringA(dropped.entries[k], NULL, NULL, g.historyPath);
    }
    FreeHistoryList(&list);
    FreeHistoryList(&dropped);
}

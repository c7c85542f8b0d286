#include "removal/removal.h"

#include "base/state.h"
#include "base/text.h"
#include "history/groupdesc.h"
#include "history/history.h"
#include "ntconfig/service.h"
#include "ntconfig/snmp.h"
#include "shell/ddecommand.h"
#include "shell/progman.h"

// Removal of one recorded installation. Nothing is changed until every
// recorded file has passed the in-use check; from then on the procedure runs
// to the end and passes over whatever cannot be removed.

namespace {

const char kGroupName[] = "ZEL Vantorix";
const char kStartMenuFolder[] = "%s\\Start Menu\\Programs\\ZEL Vantorix";
const size_t kCommandSize = 1024;

// An installation records at most the files of the table and ZEL_NT.INI; a
// larger count comes from a damaged or hand-edited history and is held there,
// as TimesInstalled is, rather than read as a billion entries.
int RecordedFileCount(const char* directory) {
    char text[10];
    GetPrivateProfileStringA(directory, "Filecount", NO_ENTRY, text, sizeof text, g.historyPath);
    int count = LeadingNumber(text);
    return count > kMaxFiles + 1 ? kMaxFiles + 1 : count;
}

// file<k> of the installation's section; 0 when the entry is missing, so that
// the default text is never taken for a file name.
int RecordedFile(const char* directory, int k, char* path) {
    FileListEntry(0, k, path, directory, g.historyPath);
    return !IsNoEntry(path);
}

// Errors that refuse access to a file's attributes: access denied, sharing
// and lock violations and their kin (the errors the C library's access check
// reports as EACCES). A missing file or path is not among them.
int RefusesAccess(DWORD error) {
    return error == ERROR_ACCESS_DENIED || error == ERROR_CURRENT_DIRECTORY ||
           (error >= ERROR_WRITE_PROTECT && error <= ERROR_SHARING_BUFFER_EXCEEDED) ||
           error == ERROR_NETWORK_ACCESS_DENIED || error == ERROR_CANNOT_MAKE || error == ERROR_FAIL_I24 ||
           error == ERROR_DRIVE_LOCKED || error == ERROR_SEEK_ON_DEVICE || error == ERROR_NOT_LOCKED ||
           error == ERROR_LOCK_FAILED;
}

// A file counts as in use when it could not be deleted: it is read-only, its
// attributes cannot be read for lack of access, or another program holds it
// open without letting it go (on Windows NT a handle without delete or write
// sharing, and a running program or loaded library: Windows NT opens those
// for DELETE, so that they can be renamed, but not for writing, and refuses
// to delete them; on Windows 95, which has no delete sharing, a handle that
// shares neither reading nor writing). A missing file does not count.
// The running logger's own program is open by the logger alone, which the
// removal stops before it deletes the files: only its attributes count.
int FileInUse(const char* path, const char* logger) {
    DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return RefusesAccess(GetLastError());
    if (attributes & FILE_ATTRIBUTE_READONLY)
        return 1;
    if (CompareNoCase(path, logger) == 0)
        return 0;
    HANDLE file = g.osKind == kOsWin95
                      ? CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL)
                      : CreateFileA(path, DELETE | GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return RefusesAccess(GetLastError());
    CloseHandle(file);
    return 0;
}

int AnyFileInUse(const char* directory, int count, const char* logger) {
    for (int k = 1; k <= count; ++k) {
        char path[128];
        if (RecordedFile(directory, k, path) && FileInUse(path, logger))
            return 1;
    }
    return 0;
}

// A service reports itself stopped a moment before its process has ended,
// and the process holds the program until then: deleted in that moment, the
// program would stay behind its own removal. Waits as long as the stop may.
int LoggerProgramReleased(const char* logger) {
    for (DWORD waited = 0; FileInUse(logger, ""); waited += kServiceRetryPauseMs) {
        if (waited >= kServiceRetryLimitMs)
            return 0;
        Sleep(kServiceRetryPauseMs);
    }
    return 1;
}

void DeleteRecordedFiles(const char* directory, int count) {
    for (int k = 1; k <= count; ++k) {
        char path[128];
        if (RecordedFile(directory, k, path))
            DeleteFileA(path);
    }
}

void RemoveStartMenuFolder() {
    char folder[MAX_PATH];
    char pattern[MAX_PATH];
    if (!FormatText(folder, sizeof folder, kStartMenuFolder, g.windowsDir) ||
        !FormatText(pattern, sizeof pattern, "%s\\*.*", folder))
        return;
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA(pattern, &entry);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (SameText(entry.cFileName, ".") || SameText(entry.cFileName, ".."))
                continue;
            char path[MAX_PATH];
            if (FormatText(path, sizeof path, "%s\\%s", folder, entry.cFileName))
                DeleteFileA(path);
        } while (FindNextFileA(search, &entry));
        FindClose(search);
    }
    RemoveDirectoryA(folder);
}

// The last installation has gone: its Windows-directory file, the group and
// the history file go with it.
void RemoveLastInstallation() {
    char path[MAX_PATH];
    if (FormatText(path, sizeof path, "%s\\VANTRX.386", g.windowsDir))
        DeleteFileA(path);
    SendProgmanCommand(g.ddeInstance, "[DeleteGroup(ZEL Vantorix)]");
    DeleteFileA(g.historyPath);
}

// The ReadMe item comes back only when the newest remaining installation has a
// READ.ME to open.
void AddReadMeItem(int remaining) {
    char newest[128];
    HistoryDirectoryEntry(0, remaining, newest);
    if (IsNoEntry(newest))
        return;
    char readMe[MAX_PATH];
    if (!FormatText(readMe, sizeof readMe, "%s\\READ.ME", newest) ||
        GetFileAttributesA(readMe) == INVALID_FILE_ATTRIBUTES)
        return;
    char command[kCommandSize];
    if (ReadMeItemCommand(command, sizeof command, newest))
        SendProgmanCommand(g.ddeInstance, command);
}

// What the rebuild does with one item of the group.
enum ItemFate {
    kLeaveItem,  // its commands would not fit the command buffer: not touched at all
    kDropItem,   // the removed installation's own: replaced, not added again
    kReAddItem,  // replaced, then added again as it was
    kReadMeItem, // replaced, then added again for the newest remaining installation
};

// An item whose ReplaceItem or AddItem command would not fit is left in the
// group as it is rather than deleted without a way back or cut short.
ItemFate FateOf(const GroupItem& item, const char* directory, char* command) {
    if (!FormatProgmanCommand(command, kCommandSize, "ReplaceItem", &item.name, 1))
        return kLeaveItem;
    if (CompareNoCase(item.name, "ReadMe") == 0)
        return kReadMeItem;
    if (CompareNoCase(item.defaultDir, directory) == 0)
        return kDropItem;
    const char* args[] = {item.commandLine, item.name, item.iconPath, item.iconIndex};
    if (!FormatProgmanCommand(command, kCommandSize, "AddItem", args, 4))
        return kLeaveItem;
    return kReAddItem;
}

// Empties the group of the items the description lists, first to last, then
// adds back, last to first, every item that does not belong to the removed
// directory.
void ReplaceGroupItems(const char* directory, int remaining, GroupItem* items, int count) {
    char command[kCommandSize];
    for (int i = 0; i < count; ++i)
        if (FateOf(items[i], directory, command) != kLeaveItem &&
            FormatProgmanCommand(command, sizeof command, "ReplaceItem", &items[i].name, 1))
            SendProgmanCommand(g.ddeInstance, command);
    for (int i = count - 1; i >= 0; --i) {
        ItemFate fate = FateOf(items[i], directory, command);
        if (fate == kReadMeItem)
            AddReadMeItem(remaining);
        else if (fate == kReAddItem)
            SendProgmanCommand(g.ddeInstance, command);
    }
}

// A description that does not come (Program Manager not answering) or holds
// no complete item counts as a group without items: the group is shown and
// left as it is.
void RebuildProgramGroup(const char* directory, int remaining) {
    char description[kGroupDescriptionSize];
    GroupItem* items;
    int count = RequestGroupItems(g.ddeInstance, kGroupName, description, &items);
    SendProgmanCommand(g.ddeInstance, "[ShowGroup(ZEL Vantorix, 2)]");
    SendProgmanCommand(g.ddeInstance, "[ShowGroup(ZEL Vantorix, 1)]");
    ReplaceGroupItems(directory, remaining, items, count);
    FreeGroupItems(items);
}

// The logger service follows the newest remaining installation in UnInstall
// mode; in replace mode the new installation creates it again.
void RenewLoggerService(int remaining) {
    RemoveLoggerService();
    if (g.runMode != kRunUninstall || remaining <= 0)
        return;
    char newest[128];
    HistoryDirectoryEntry(0, remaining, newest);
    if (!IsNoEntry(newest))
        CreateLoggerService(newest);
}

} // namespace

int RemoveInstallation(const char* directory) {
    int count = RecordedFileCount(directory);
    char logger[256];
    LoggerProgramPath(logger, sizeof logger);
    // The history must be writable too: files removed while their entry
    // stays would leave a history that no longer tells the truth.
    if (AnyFileInUse(directory, count, logger) || FileInUse(g.historyPath, logger))
        return 0;
    // A running logger holds its program: it stops before the files go. One
    // that has not stopped in time still holds it, which is a file in use.
    if (logger[0] != '\0' && (!StopLoggerService() || !LoggerProgramReleased(logger)))
        return 0;
    DeleteRecordedFiles(directory, count);
    RemoveDirectoryA(directory);
    RemoveHistoryEntry(directory);
    if (g.osKind == kOsWin95) {
        RemoveStartMenuFolder();
        return 1;
    }
    int remaining = GetTimesInstalled();
    if (remaining == 0)
        RemoveLastInstallation();
    else if (remaining > 0)
        RebuildProgramGroup(directory, remaining);
    RenewLoggerService(remaining);
    UnregisterSnmpAgent();
    return 1;
}

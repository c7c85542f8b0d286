#include "shell/progman.h"

#include "base/state.h"
#include "base/text.h"
#include "history/groupdesc.h"
#include "install/stamp.h"
#include "resources/resource.h"
#include "shell/ddecommand.h"
#include "shell/shortcuts.h"

#include <ddeml.h>

static const char kServiceName[] = "PROGMAN";
static const char kNoGroup[] = "Unable to add group to Program Manager";

enum { kExecuteTimeout = 10000, kRequestTimeout = 5000, kCommandSize = 1024, kPathSize = 128 };

static HDDEDATA CALLBACK IgnoreDdeEvent(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR) {
    return NULL;
}

UINT StartProgmanClient(DWORD* ddeInstance) {
    *ddeInstance = 0;
    return DdeInitializeA(ddeInstance, IgnoreDdeEvent, APPCMD_CLIENTONLY | CBF_SKIP_ALLNOTIFICATIONS, 0);
}

int SendProgmanCommand(DWORD ddeInstance, const char* command) {
    HSZ service = DdeCreateStringHandleA(ddeInstance, kServiceName, CP_WINANSI);
    if (!service)
        return 0;
    int result = 0;
    HCONV conversation = DdeConnect(ddeInstance, service, service, NULL);
    if (conversation) {
        HDDEDATA done = DdeClientTransaction((LPBYTE)command, (DWORD)TextLength(command) + 1, conversation,
                                             NULL, 0, XTYP_EXECUTE, kExecuteTimeout, NULL);
        result = done ? 1 : 0;
        DdeDisconnect(conversation);
    }
    DdeFreeStringHandle(ddeInstance, service);
    return result;
}

// One CF_TEXT request on an open conversation; the text is cut to leave room
// for the terminator, so the buffer never overflows whatever the answer's size.
static int RequestText(DWORD ddeInstance, HCONV conversation, const char* group, char* buffer) {
    HSZ item = DdeCreateStringHandleA(ddeInstance, group, CP_WINANSI);
    if (!item)
        return 0;
    DWORD copied = 0;
    HDDEDATA data =
        DdeClientTransaction(NULL, 0, conversation, item, CF_TEXT, XTYP_REQUEST, kRequestTimeout, NULL);
    if (data) {
        copied = DdeGetData(data, (LPBYTE)buffer, kGroupDescriptionSize - 1, 0);
        if (copied > kGroupDescriptionSize - 1)
            copied = 0;
        buffer[copied] = '\0';
        DdeFreeDataHandle(data);
    }
    DdeFreeStringHandle(ddeInstance, item);
    return (int)copied;
}

int RequestProgmanGroup(DWORD ddeInstance, const char* group, char* buffer) {
    buffer[0] = '\0';
    HSZ service = DdeCreateStringHandleA(ddeInstance, kServiceName, CP_WINANSI);
    if (!service)
        return 0;
    int copied = 0;
    HCONV conversation = DdeConnect(ddeInstance, service, service, NULL);
    if (conversation) {
        copied = RequestText(ddeInstance, conversation, group, buffer);
        DdeDisconnect(conversation);
    }
    DdeFreeStringHandle(ddeInstance, service);
    return copied;
}

int RequestGroupItems(DWORD ddeInstance, const char* group, char* description, GroupItem** items) {
    *items = NULL;
    RequestProgmanGroup(ddeInstance, group, description);
    size_t length = TextLength(description); // always terminated within the buffer
    int stated = GroupItemCount(description, length);
    if (stated <= 0)
        return 0;
    *items = (GroupItem*)HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, (size_t)stated * sizeof(GroupItem));
    return *items ? ParseGroupDescription(description, length, *items, stated) : 0;
}

void FreeGroupItems(GroupItem* items) {
    if (items)
        HeapFree(GetProcessHeap(), 0, items);
}

// A run that ended after it made its items but before it recorded the
// installation left its application item in the group: it is replaced, not
// added a second time. The items of other installations stay.
static void ReplaceOwnItems(DWORD ddeInstance) {
    char description[kGroupDescriptionSize], own[kPathSize], command[kCommandSize];
    GroupItem* items;
    int count = RequestGroupItems(ddeInstance, kProgramGroupName, description, &items);
    if (FormatText(own, sizeof own, "%s\\VANTRX32.EXE", g.installDir)) {
        for (int i = 0; i < count; ++i)
            if (CompareNoCase(items[i].commandLine, own) == 0 &&
                FormatProgmanCommand(command, sizeof command, "ReplaceItem", &items[i].name, 1))
                SendProgmanCommand(ddeInstance, command);
    }
    FreeGroupItems(items);
}

static int FileExists(const char* path) {
    return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

void TakeInstalledVersion() {
    char path[kPathSize];
    unsigned char stamp[kStampSize];
    if (!FormatText(path, sizeof path, "%s\\VANTRX32.EXE", g.installDir))
        return;
    if (ReadVersionStamp(path, stamp))
        VersionStampText(stamp, g.versionText);
}

// Only when Notepad and the install directory's READ.ME are both there.
static int ReadMeWanted() {
    char notepad[kPathSize], readMe[kPathSize];
    if (!FormatText(notepad, sizeof notepad, "%s\\NOTEPAD.EXE", g.windowsDir) ||
        !FormatText(readMe, sizeof readMe, "%s\\READ.ME", g.installDir))
        return 0;
    return FileExists(notepad) && FileExists(readMe);
}

int ReadMeItemCommand(char* command, size_t size, const char* directory) {
    char commandLine[2 * MAX_PATH], notepad[MAX_PATH];
    if (!FormatText(commandLine, sizeof commandLine, "%s\\NOTEPAD.EXE %s\\read.me", g.windowsDir,
                    directory) ||
        !FormatText(notepad, sizeof notepad, "%s\\NOTEPAD.EXE", g.windowsDir))
        return 0;
    const char* args[] = {commandLine, "ReadMe", notepad};
    return FormatProgmanCommand(command, size, "AddItem", args, 3);
}

static int ApplicationItemCommand(char* command, size_t size) {
    char program[MAX_PATH], name[kPathSize];
    if (!FormatText(program, sizeof program, "%s\\VANTRX32.EXE", g.installDir) ||
        !FormatText(name, sizeof name, "ZEL Vantorix v%s", g.versionText))
        return 0;
    const char* args[] = {program, name};
    return FormatProgmanCommand(command, size, "AddItem", args, 2);
}

static int UninstallItemCommand(char* command, size_t size) {
    char commandLine[MAX_PATH], program[MAX_PATH], icon[12];
    if (!FormatText(commandLine, sizeof commandLine, "%s\\ZELUNINS.EXE -uninstall", g.windowsDir) ||
        !FormatText(program, sizeof program, "%s\\ZELUNINS.EXE", g.windowsDir) ||
        !FormatText(icon, sizeof icon, "%d", ICON_INDEX_UNINSTALL))
        return 0;
    const char* args[] = {commandLine, "UnInstall", program, icon};
    return FormatProgmanCommand(command, size, "AddItem", args, 4);
}

// The items after the group exists; their failures go unnoticed by design.
static void AddProgmanItems(DWORD ddeInstance) {
    char command[kCommandSize];
    ReplaceOwnItems(ddeInstance);
    if (ApplicationItemCommand(command, sizeof command))
        SendProgmanCommand(ddeInstance, command);
    SendProgmanCommand(ddeInstance, "[ReplaceItem(\"UnInstall\")]");
    if (UninstallItemCommand(command, sizeof command))
        SendProgmanCommand(ddeInstance, command);
    SendProgmanCommand(ddeInstance, "[ReplaceItem(\"ReadMe\")]");
    if (ReadMeWanted() && ReadMeItemCommand(command, sizeof command, g.installDir))
        SendProgmanCommand(ddeInstance, command);
}

static int MakeProgmanGroup(DWORD ddeInstance) {
    if (!SendProgmanCommand(ddeInstance, "[CreateGroup(ZEL Vantorix)]")) {
        MessageBoxA(g.mainWindow, kNoGroup, "Error", MB_ICONINFORMATION | MB_OK);
        return 0;
    }
    SendProgmanCommand(ddeInstance, "[ShowGroup(ZEL Vantorix, 2)]");
    SendProgmanCommand(ddeInstance, "[ShowGroup(ZEL Vantorix, 1)]");
    TakeInstalledVersion();
    AddProgmanItems(ddeInstance);
    return 1;
}

static void MakeStartMenuShortcuts() {
    char name[kPathSize], target[kPathSize];
    TakeInstalledVersion();
    if (FormatText(name, sizeof name, "ZEL Vantorix v%s", g.versionText) &&
        FormatText(target, sizeof target, "%s\\VANTRX32.EXE", g.installDir))
        CreateStartMenuShortcut(kProgramGroupName, name, target, 0);
    if (FormatText(target, sizeof target, "%s\\README.TXT", g.installDir))
        CreateStartMenuShortcut(kProgramGroupName, "ReadMe", target, 0);
    if (FormatText(target, sizeof target, "%s\\ZELUNINS.EXE", g.windowsDir))
        CreateStartMenuShortcut(kProgramGroupName, "unInstall", target, ICON_INDEX_UNINSTALL);
}

int CreateProgramGroup(DWORD ddeInstance) {
    if (g.osKind == kOsWin95) {
        MakeStartMenuShortcuts();
        return 1;
    }
    return MakeProgmanGroup(ddeInstance);
}

#include "shell/shortcuts.h"

#include "base/lateapi.h"
#include "base/text.h"
#include "shell/progman.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

enum { kLinkPathSize = 260, kExeNameLength = 12 }; // strlen("VANTRX32.EXE")

void CreateStartMenuShortcut(const char* group, const char* name, const char* target, int iconIndex) {
    char windows[kLinkPathSize];
    char path[kLinkPathSize];
    UINT length = GetWindowsDirectoryA(windows, sizeof windows);
    if (length == 0 || length >= sizeof windows)
        return;
    // Each level in turn: a Windows directory without a Start Menu (a fresh
    // profile) gets one rather than losing every shortcut.
    if (!FormatText(path, sizeof path, "%s\\Start Menu", windows))
        return;
    CreateDirectoryA(path, NULL);
    if (!FormatText(path, sizeof path, "%s\\Start Menu\\Programs", windows))
        return;
    CreateDirectoryA(path, NULL);
    if (!FormatText(path, sizeof path, "%s\\Start Menu\\Programs\\%s", windows, group))
        return;
    CreateDirectoryA(path, NULL);
    if (!FormatText(path, sizeof path, "%s\\Start Menu\\Programs\\%s\\%s.lnk", windows, group, name))
        return;
    CreateShellLink(path, name, target, iconIndex);
}

// The application shortcut starts in the install directory: the target less
// "VANTRX32.EXE", keeping the backslash. A target too short for that gets none.
static void SetWorkingDirectory(IShellLinkA* link, const char* target) {
    char directory[kLinkPathSize];
    size_t length = TextLength(target);
    if (length < kExeNameLength || !CopyText(directory, sizeof directory, target))
        return;
    directory[length - kExeNameLength] = '\0';
    link->SetWorkingDirectory(directory);
}

static void SaveLink(IShellLinkA* link, const char* linkPath) {
    IPersistFile* file = NULL;
    if (FAILED(link->QueryInterface(IID_IPersistFile, (void**)&file)))
        return;
    WCHAR widePath[kLinkPathSize];
    if (MultiByteToWideChar(CP_ACP, 0, linkPath, -1, widePath, kLinkPathSize))
        file->Save(widePath, TRUE);
    file->Release();
}

void CreateShellLink(const char* linkPath, const char* name, const char* target, int iconIndex) {
    // A thread already in another apartment keeps it: only a successful
    // initialisation is balanced here. Without COM (no OLE32) the shortcut
    // is simply not written.
    HRESULT init = LateCoInitialize();
    IShellLinkA* link = NULL;
    if (SUCCEEDED(
            LateCoCreateInstance(CLSID_ShellLink, CLSCTX_INPROC_SERVER, IID_IShellLinkA, (void**)&link))) {
        link->SetPath(target);
        link->SetDescription(name);
        if (CompareNoCase(name, "unInstall") == 0)
            link->SetArguments("-uninstall");
        link->SetIconLocation(target, iconIndex);
        if (name[0] == kProgramGroupName[0])
            SetWorkingDirectory(link, target);
        SaveLink(link, linkPath);
        link->Release();
    }
    if (SUCCEEDED(init))
        LateCoUninitialize();
}

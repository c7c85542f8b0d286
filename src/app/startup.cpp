#include "app/app.h"

#include "app/mainwnd.h"
#include "app/script.h"
#include "base/lateapi.h"
#include "base/state.h"
#include "base/text.h"
#include "history/history.h"
#include "ntconfig/service.h"
#include "pages/commands.h"
#include "pages/pages.h"
#include "resources/resource.h"

static const char kUninstallSwitch[] = "-uninstall";
static const char kOneVersionOnly[] = "Only one version of ZEL Vantorix may be installed on\na Windows 95 "
                                      "system at a time.  Please unInstall the "
                                      "other\nversion and run Setup again.";
static const char kNoVersions[] = "Unable to detect any versions of ZEL Vantorix\non your system.";
static const char kSetupNotAdmin[] =
    "Setup has detected that you do not have Administrator access.\n\nSetup cannot properly install ZEL "
    "Vantorix without\nAdministrator access.  To install ZEL Vantorix, please\nrun Setup from an account "
    "that has "
    "Administrator access.";
static const char kUninstallNotAdmin[] = "UnInstall has detected that you do not have Administrator "
                                         "access.\n\nUnInstall cannot properly uninstall ZEL "
                                         "Vantorix without\nAdministrator access.  To uninstall ZEL "
                                         "Vantorix, please\nrun UnInstall from an account that "
                                         "has Administrator access.";

// Windows NT 3.1 and 3.5 report their minor version as 10 and 50 (3.51 as
// 51); 1 and 5 are taken as well.
int OsKindFor(DWORD platformId, DWORD major, DWORD minor) {
    if (platformId == VER_PLATFORM_WIN32_NT) {
        if (major == 3 && (minor == 10 || minor == 1))
            return kOsNt31;
        if (major == 3 && (minor == 50 || minor == 5))
            return kOsNt35;
        return kOsNt;
    }
    if (platformId == VER_PLATFORM_WIN32s)
        return kOsNt;
    return kOsWin95;
}

// Windows NT 3.1 has no GetVersionExA; there the older GetVersion tells the
// same: the high bit clear on Windows NT, the major and minor version in the
// low word. Without it the first NT kind could never be recognised.
static int VersionFromGetVersion(OSVERSIONINFOA* info) {
    DWORD version = GetVersion();
    info->dwMajorVersion = LOBYTE(LOWORD(version));
    info->dwMinorVersion = HIBYTE(LOWORD(version));
    info->dwPlatformId = (version & 0x80000000) == 0 ? VER_PLATFORM_WIN32_NT
                         : info->dwMajorVersion < 4  ? VER_PLATFORM_WIN32s
                                                     : VER_PLATFORM_WIN32_WINDOWS;
    return 1;
}

int DetectOsKind() {
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof info;
    int known = LateGetVersionExA(&info);
    if (!known && GetLastError() == ERROR_CALL_NOT_IMPLEMENTED)
        known = VersionFromGetVersion(&info);
    if (known)
        g.osKind = OsKindFor(info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion);
    return 1;
}

static int TokenListsSid(HANDLE token, PSID sid) {
    // Being listed is enough: the group attributes are not looked at.
    union {
        TOKEN_GROUPS groups;
        BYTE bytes[1024];
    } buffer;
    DWORD needed = 0;
    if (!LateGetTokenInformation(token, TokenGroups, &buffer, sizeof buffer, &needed))
        return 0;
    for (DWORD i = 0; i < buffer.groups.GroupCount; ++i) {
        if (LateEqualSid(buffer.groups.Groups[i].Sid, sid))
            return 1;
    }
    return 0;
}

int IsAdministrator() {
    HANDLE token;
    if (!LateOpenProcessToken(GetCurrentProcess(), TOKEN_READ, &token))
        return 0;
    SID_IDENTIFIER_AUTHORITY ntAuthority = {SECURITY_NT_AUTHORITY};
    PSID admins = NULL;
    int listed = 0;
    if (LateAllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS,
                                     &admins)) {
        listed = TokenListsSid(token, admins);
        LateFreeSid(admins);
    }
    CloseHandle(token);
    return listed;
}

static int ReadYesFlag(const char* scriptPath, const char* key) {
    char value[10];
    GetPrivateProfileStringA("Autorun", key, NO_ENTRY, value, sizeof value, scriptPath);
    return SameText(value, "YES");
}

int ReadAutorun(const char* scriptPath) {
    // Read with room to spare: a Pathname longer than the install directory
    // field would otherwise arrive cut, and the run would install into a
    // different directory than the script names. Such a run stays unattended
    // (nobody may be there to answer a page) with no install directory at
    // all, which ends it before anything is written.
    char pathName[1024];
    DWORD length =
        GetPrivateProfileStringA("Autorun", "Pathname", NO_ENTRY, pathName, sizeof pathName, scriptPath);
    if (SameText(pathName, NO_ENTRY))
        return 0;
    if (length >= sizeof pathName - 1 || !CopyText(g.installDir, sizeof g.installDir, pathName))
        g.installDir[0] = '\0';
    g.installApp = ReadYesFlag(scriptPath, "VANTRX");
    g.installSnmp = ReadYesFlag(scriptPath, "SNMP");
    return 1;
}

int SetupScriptPath(char* buf, size_t size) {
    // No source directory means the module path did not fit: a script beside
    // the root of the current drive would be somebody else's.
    if (g.sourceDir[0] == '\0')
        return 0;
    const char* format = g.osKind == kOsWin95 ? "%s\\SETUP95.INI" : "%s\\SETUP.INI";
    return FormatText(buf, size, format, g.sourceDir);
}

// Source directory: the module path less the length of the executable's
// expected name, "\ZELUNINS.EXE" or "\SETUP.EXE". The name itself is not examined.
static void TakeSourceDirectory() {
    char modulePath[128];
    DWORD length = GetModuleFileNameA(NULL, modulePath, sizeof modulePath);
    if (length >= sizeof modulePath)
        length = 0; // a path that does not fit would be cut into another one
    modulePath[length] = '\0';
    size_t cut = g.runMode == kRunUninstall ? sizeof "\\ZELUNINS.EXE" - 1 : sizeof "\\SETUP.EXE" - 1;
    if (length >= cut)
        modulePath[length - cut] = '\0';
    else
        modulePath[0] = '\0';
    CopyText(g.sourceDir, sizeof g.sourceDir, modulePath);
}

HWND MakeMainWindow(HINSTANCE instance) {
    WNDCLASSA windowClass = {};
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = MainWndProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_SETUP));
    windowClass.hCursor = LoadCursorA(NULL, (LPCSTR)IDC_ARROW);
    windowClass.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    windowClass.lpszClassName = g.caption;
    RegisterClassA(&windowClass);
    return CreateWindowExA(0, g.caption, g.caption, WS_OVERLAPPED, CW_USEDEFAULT, CW_USEDEFAULT,
                           CW_USEDEFAULT, CW_USEDEFAULT, NULL, NULL, instance, NULL);
}

static void ShowStartupMessage(const char* text) {
    MessageBoxA(g.mainWindow, text, g.caption, MB_ICONINFORMATION | MB_OK);
}

// Step 12: the recorded installations. Returns 0 when start-up must end here.
static int HistoryAllowsRun() {
    if (g.runMode == kRunUninstall) {
        if (GetTimesInstalled() == 0) {
            ShowStartupMessage(kNoVersions);
            return 0;
        }
    } else if (g.osKind == kOsWin95) {
        if (GetTimesInstalled() > 0) {
            if (!g.autorun)
                ShowStartupMessage(kOneVersionOnly);
            return 0;
        }
    }
    return 1;
}

// Steps 13 to 15: rights, setup script, and the first wizard command.
static int FirstWizardCommand() {
    int usable = 1;
    if (g.osKind != kOsWin95 && !IsAdministrator()) {
        if (!g.autorun)
            ShowStartupMessage(g.runMode == kRunUninstall ? kUninstallNotAdmin : kSetupNotAdmin);
        usable = 0;
    } else if (!LoadSetupScript()) {
        usable = 0;
    }
    if (!usable)
        return g.runMode == kRunUninstall ? kCmdExit : kCmdAbandon;
    // An unattended run without a usable install directory (its Pathname too
    // long or empty) ends as one whose files cannot be copied: 501, no word.
    if (g.autorun && g.runMode != kRunUninstall)
        return g.installDir[0] != '\0' ? kCmdCopy : kCmdAbandon;
    return kCmdWelcome;
}

static int RunMessageLoop() {
    MSG message;
    while (GetMessageA(&message, NULL, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return (int)message.wParam;
}

int RunSetupProgram(HINSTANCE instance, const char* commandLine) {
    ResetAppState();
    g.loggerWasRunning = LoggerServiceRunning();
    if (CompareNoCase(commandLine ? commandLine : "", kUninstallSwitch) == 0)
        g.runMode = kRunUninstall;
    TakeSourceDirectory();
    FormatText(g.caption, sizeof g.caption, "ZEL Vantorix %s",
               g.runMode == kRunUninstall ? "UnInstall" : "Setup");
    UINT windowsLength = GetWindowsDirectoryA(g.windowsDir, sizeof g.windowsDir);
    if (windowsLength == 0 || windowsLength >= sizeof g.windowsDir)
        g.windowsDir[0] = '\0';
    g.mainWindow = MakeMainWindow(instance);
    ShowWindow(g.mainWindow, SW_SHOWMAXIMIZED);
    UpdateWindow(g.mainWindow);
    DetectOsKind();
    if (g.osKind == kOsWin95) {
        g.bkColorIndex = COLOR_BTNFACE;
        CopyText(g.installDir, sizeof g.installDir, "C:\\Program Files\\Vantrx");
    }
    char scriptPath[128];
    g.autorun = SetupScriptPath(scriptPath, sizeof scriptPath) ? ReadAutorun(scriptPath) : 0;
    FormatText(g.historyPath, sizeof g.historyPath, "%s\\ZELSETUP.INI", g.windowsDir);
    if (!HistoryAllowsRun())
        return 0;
    PostWizardCommand(FirstWizardCommand());
    return RunMessageLoop();
}

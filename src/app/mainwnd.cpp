#include "app/mainwnd.h"

#include "base/geometry.h"
#include "base/lateapi.h"
#include "base/state.h"
#include "base/text.h"
#include "history/history.h"
#include "ntconfig/ntconfig.h"
#include "ntconfig/service.h"
#include "pages/commands.h"
#include "pages/copypage.h"
#include "pages/pages.h"
#include "pages/paint.h"
#include "resources/resource.h"
#include "shell/progman.h"

#include <ddeml.h>

static DLGPROC pageProcs[kLastPage - kFirstPage + 1];
static DLGPROC waitProc;

static const char kNotInstalled[] = "Vantorix has not been properly installed.\n\nYou should run Setup in "
                                    "its entirety at a later time to install "
                                    "ZEL Vantorix.";
static const char kRestartQuestion[] =
    "To ensure that changes made by Setup have\ntaken effect, Windows NT needs "
    "to be\nrestarted.\n\nDo you want to restart Windows NT now?";
static const char kNoPrivilege[] =
    "Could not get security privileges to do a Shutdown.\n\nPlease Shutdown from Program Manager.";
static const char kNoDde[] = "Setup could not start the DDE library and cannot continue.";

int EnableShutdownPrivilege() {
    HANDLE token;
    if (!LateOpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token))
        return 0;
    TOKEN_PRIVILEGES privileges;
    int enabled = 0;
    if (LateLookupPrivilegeValueA(NULL, "SeShutdownPrivilege", &privileges.Privileges[0].Luid)) {
        privileges.PrivilegeCount = 1;
        privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
        enabled = LateAdjustTokenPrivileges(token, &privileges) ? 1 : 0;
    }
    CloseHandle(token);
    return enabled;
}

static LRESULT OnCreate(HWND window, LPARAM lParam) {
    g.appInstance = ((CREATESTRUCTA*)lParam)->hInstance;
    DWORD instance = 0;
    if (StartProgmanClient(&instance) != DMLERR_NO_ERROR) {
        g.ddeInstance = 0;
        return 0;
    }
    g.ddeInstance = instance;
    pageProcs[IDD_WELCOME - kFirstPage] = WelcomeDlgProc;
    pageProcs[IDD_PATH - kFirstPage] = PathDlgProc;
    pageProcs[IDD_HISTORY - kFirstPage] = HistoryDlgProc;
    pageProcs[IDD_CONFIRM - kFirstPage] = ConfirmDlgProc;
    pageProcs[IDD_COPY - kFirstPage] = CopyDlgProc;
    pageProcs[IDD_EXIT - kFirstPage] = ExitDlgProc;
    pageProcs[IDD_COMPONENTS - kFirstPage] = ComponentsDlgProc;
    waitProc = WaitDlgProc;
    (void)window;
    return 0;
}

static LRESULT OnDestroy() {
    if (g.colorBrush) {
        DeleteObject(g.colorBrush);
        g.colorBrush = NULL;
    }
    ReleaseCtlBrushes();
    if (g.ddeInstance) {
        DdeUninitialize(g.ddeInstance);
        g.ddeInstance = 0;
    }
    PostQuitMessage(0);
    return 0;
}

static void RepaintBackground(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    PaintBackground(window, dc);
    EndPaint(window, &paint);
}

static LRESULT OnSetCursor(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!g.busy)
        return DefWindowProcA(window, message, wParam, lParam);
    if (GetCursor() != g.savedCursor) {
        ShowCursor(FALSE);
        g.savedCursor = SetCursor(LoadCursorA(NULL, (LPCSTR)IDC_WAIT));
        ShowCursor(TRUE);
    }
    return 0;
}

static int IsFrozenSysCommand(WPARAM command) {
    WPARAM code = command & 0xFFF0;
    return code == SC_SIZE || code == SC_MOVE || code == SC_MINIMIZE || code == SC_RESTORE;
}

static void OpenPage(int page) {
    DLGPROC proc = pageProcs[page - kFirstPage];
    if (!proc) {
        // Without DDE the page table was never filled: say so and end in order.
        MessageBoxA(g.mainWindow, kNoDde, g.caption, MB_ICONSTOP | MB_OK);
        EndProgram();
        return;
    }
    DialogBoxParamA(g.appInstance, MAKEINTRESOURCEA(page), g.mainWindow, proc, 0);
}

static void AbandonRun() {
    if (!g.autorun)
        MessageBoxA(g.mainWindow, kNotInstalled, g.caption, MB_ICONWARNING | MB_OK);
    EndProgram();
}

static void FinishRun() {
    if (g.autorun) {
        EndProgram();
        return;
    }
    MessageBoxA(g.mainWindow, "Installation of ZEL Vantorix was successful!", "Good News",
                MB_ICONINFORMATION | MB_OK);
    if (g.osKind == kOsWin95 ||
        MessageBoxA(g.mainWindow, kRestartQuestion, g.caption, MB_ICONINFORMATION | MB_YESNO) != IDYES) {
        EndProgram();
        return;
    }
    if (!EnableShutdownPrivilege()) {
        MessageBoxA(g.mainWindow, kNoPrivilege, g.caption, MB_OK);
        EndProgram();
        return;
    }
    // A refused restart would leave the full-screen window without a page.
    if (!ExitWindowsEx(EWX_REBOOT | EWX_FORCE, 0))
        EndProgram();
}

static void MakeShellGroup() {
    PostWizardCommand(kCmdWaitOn);
    int next = kCmdRecordHistory;
    if (g.installApp && !CreateProgramGroup(g.ddeInstance))
        next = kCmdAbandon;
    PostWizardCommand(next);
    PostWizardCommand(kCmdWaitOff);
}

// The installation recorded before this one (the newest entry): the last
// earlier entry that is not a hole. 0 when there is none.
static int PreviousInstallation(char* previous) {
    for (int k = GetTimesInstalled() - 1; k >= 1; --k) {
        HistoryDirectoryEntry(0, k, previous);
        if (!IsNoEntry(previous))
            return 1;
    }
    return 0;
}

static void ConfigureNt() {
    if (g.osKind == kOsWin95) {
        PostWizardCommand(kCmdFinish);
        return;
    }
    char previous[128];
    if (PreviousInstallation(previous))
        MoveLoggerFiles(previous);
    if (!ConfigureNtSystem()) {
        PostWizardCommand(kCmdAbandon);
        return;
    }
    CreateLoggerService(g.installDir);
    PostWizardCommand(kCmdFinish);
}

static LRESULT OnWizardCommand(HWND window, WPARAM wParam, LPARAM lParam) {
    switch (wParam) {
    case kCmdWelcome:
    case kCmdPath:
    case kCmdHistory:
    case kCmdConfirm:
    case kCmdCopy:
    case kCmdExit:
    case kCmdComponents:
        OpenPage((int)wParam);
        return 0;
    case kCmdWaitOn:
        g.busy = 1;
        g.waitDialog =
            CreateDialogParamA(g.appInstance, MAKEINTRESOURCEA(IDD_WAIT), g.mainWindow, waitProc, 0);
        return 0;
    case kCmdWaitOff:
        g.busy = 0;
        PostMessageA(g.waitDialog, WM_CLOSE, 0, 0);
        return 0;
    case kCmdAbandon:
        AbandonRun();
        return 0;
    case kCmdFinish:
        FinishRun();
        return 0;
    case kCmdShellGroup:
        MakeShellGroup();
        return 0;
    case kCmdRecordHistory:
        PostWizardCommand(RecordInstallation() ? kCmdNtConfig : kCmdAbandon);
        return 0;
    case kCmdNtConfig:
        ConfigureNt();
        return 0;
    default:
        return DefWindowProcA(window, WM_COMMAND, wParam, lParam);
    }
}

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        return OnCreate(window, lParam);
    case WM_DESTROY:
        return OnDestroy();
    case WM_PAINT:
        RepaintBackground(window);
        return 0;
    case WM_SYSCOLORCHANGE:
        if (g.colorBrush)
            DeleteObject(g.colorBrush);
        g.colorBrush = CreateSolidBrush(GetSysColor(g.bkColorIndex));
        ReleaseCtlBrushes();
        return 0;
    case WM_SETCURSOR:
        return OnSetCursor(window, message, wParam, lParam);
    case WM_NCLBUTTONDBLCLK:
        if (wParam == HTCAPTION)
            return 0;
        return DefWindowProcA(window, message, wParam, lParam);
    case WM_SYSCOMMAND:
        if (IsFrozenSysCommand(wParam))
            return 0;
        return DefWindowProcA(window, message, wParam, lParam);
    case WM_COMMAND:
        RepaintBackground(window);
        return OnWizardCommand(window, wParam, lParam);
    default:
        if (IsCtlColorMessage(message))
            return (LRESULT)AnswerCtlColor(wParam);
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

// Version-history page (dialog 102): one row per recorded installation. In
// Setup mode a chosen row becomes the directory to replace; in UnInstall mode
// the chosen installation is removed and the run ends.
#include "pages/pagekit.h"
#include "pages/pages.h"

#include "base/state.h"
#include "base/text.h"
#include "history/history.h"
#include "pages/commands.h"
#include "pages/paint.h"
#include "removal/removal.h"
#include "resources/resource.h"

static const char kUninstallHint[] =
    "Click on the version of ZEL Vantorix you wish to\nuninstall and then choose OK.";
static const char kSelectVersion[] = "You must select a version to uninstall \nor choose CANCEL to exit.";

// Adds the row of history entry n, which remembers n as its item data. Entries
// without a directory or a version give no row.
static void History_AddRow(HWND list, int n) {
    char directory[kInstallDirSize], version[10], when[30], row[256];
    HistoryDirectoryEntry(0, n, directory);
    if (IsNoEntry(directory))
        return;
    GetPrivateProfileStringA(directory, "Version", NO_ENTRY, version, sizeof version, g.historyPath);
    if (IsNoEntry(version))
        return;
    GetPrivateProfileStringA(directory, "WhenInstalled", NO_ENTRY, when, sizeof when, g.historyPath);
    if (!FormatText(row, sizeof row, "v%s   installed   %s   into   %s", version, when, directory))
        return;
    LRESULT index = SendMessageA(list, LB_ADDSTRING, 0, (LPARAM)row);
    if (index >= 0)
        SendMessageA(list, LB_SETITEMDATA, (WPARAM)index, (LPARAM)n);
}

static INT_PTR History_OnInit(HWND dialog) {
    CenterDialog(g.mainWindow, dialog);
    SetWindowTextA(dialog, g.caption);
    if (g.runMode == kRunUninstall)
        SetDlgItemTextA(dialog, IDC_HISTORY_HINT, kUninstallHint);
    HWND list = GetDlgItem(dialog, IDC_HISTORY_LIST);
    int count = GetTimesInstalled();
    if (count == 0) {
        SetDlgItemTextA(dialog, IDC_HISTORY_HINT, "");
        EnableWindow(list, FALSE);
        SendMessageA(list, LB_ADDSTRING, 0, (LPARAM) "None");
        return TRUE;
    }
    for (int n = 1; n <= count; ++n)
        History_AddRow(list, n);
    return TRUE;
}

static INT_PTR History_RemoveChosen(HWND dialog) {
    ClosePage(dialog);
    PostWizardCommand(kCmdWaitOn);
    int removed = RemoveInstallation(g.installDir);
    // The wait is over either way: the dialog must not stand beside the messages.
    PostWizardCommand(kCmdWaitOff);
    ReportRemoval(dialog, g.installDir, removed);
    EndProgram();
    return TRUE;
}

static INT_PTR History_OnOk(HWND dialog) {
    HWND list = GetDlgItem(dialog, IDC_HISTORY_LIST);
    LRESULT row = SendMessageA(list, LB_GETCURSEL, 0, 0);
    if (row == LB_ERR) {
        if (g.runMode == kRunUninstall) {
            MessageBoxA(dialog, kSelectVersion, "UnInstall", MB_ICONEXCLAMATION | MB_OK);
            return FALSE;
        }
        g.runMode = kRunSetup;
        PostWizardCommand(kCmdPath);
        ClosePage(dialog);
        return TRUE;
    }
    int n = (int)SendMessageA(list, LB_GETITEMDATA, (WPARAM)row, 0);
    HistoryDirectoryEntry(0, n, g.installDir);
    if (g.runMode == kRunUninstall)
        return History_RemoveChosen(dialog);
    // The path page's checks do not run again for a recorded directory.
    g.runMode = kRunReplace;
    PostWizardCommand(PageAfterPath());
    ClosePage(dialog);
    return TRUE;
}

static INT_PTR History_OnCancel(HWND dialog) {
    if (g.runMode != kRunUninstall) {
        PostWizardCommand(kCmdPath);
        ClosePage(dialog);
        return TRUE;
    }
    ClosePage(dialog);
    ShowNothingChanged(dialog, "UnInstall");
    EndProgram();
    return TRUE;
}

static INT_PTR History_OnCommand(HWND dialog, WPARAM command) {
    switch (command) {
    case IDOK:
        return History_OnOk(dialog);
    case IDCANCEL:
        return History_OnCancel(dialog);
    default:
        return FALSE;
    }
}

INT_PTR CALLBACK HistoryDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        return History_OnInit(dialog);
    case WM_COMMAND:
        return History_OnCommand(dialog, wParam);
    default:
        return IsCtlColorMessage(message) ? AnswerCtlColor(wParam) : FALSE;
    }
}

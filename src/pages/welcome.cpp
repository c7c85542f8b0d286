// Welcome page (dialog 100): the first page of both run modes. In UnInstall
// mode it removes the only recorded installation itself.
#include "pages/pagekit.h"
#include "pages/pages.h"

#include "base/state.h"
#include "base/text.h"
#include "history/history.h"
#include "pages/commands.h"
#include "pages/paint.h"
#include "removal/removal.h"
#include "resources/resource.h"

static const char kUninstallIntro[] = "This program will uninstall Vantorix from\nyour system.";
static const char kCorruptHistory[] =
    "The file ZELSETUP.INI is corrupt.\nUnInstall cannot continue.  Exiting.";

static INT_PTR Welcome_OnInit(HWND dialog) {
    CenterDialog(g.mainWindow, dialog);
    SetWindowTextA(dialog, g.caption);
    if (g.runMode == kRunUninstall)
        SetDlgItemTextA(dialog, IDC_WELCOME_TEXT, kUninstallIntro);
    return TRUE;
}

static INT_PTR Welcome_OnExit(HWND dialog) {
    if (g.runMode == kRunUninstall) {
        // UnInstall leaves at once; it never shows the exit confirmation page.
        ClosePage(dialog);
        ShowNothingChanged(dialog, g.caption);
        EndProgram();
        return TRUE;
    }
    g.backCommand = kCmdWelcome;
    PostWizardCommand(kCmdExit);
    ClosePage(dialog);
    return TRUE;
}

// The only recorded installation is removed without showing the list.
static void Welcome_RemoveOnly(HWND dialog) {
    char directory[kInstallDirSize];
    HistoryDirectoryEntry(0, 1, directory);
    if (IsNoEntry(directory)) {
        MessageBoxA(g.mainWindow, kCorruptHistory, "UnInstall", MB_OK);
        EndProgram();
        ClosePage(dialog);
        return;
    }
    // The removal waits on Program Manager, and that wait lets the page's
    // buttons be pressed: a second Continue or an Exit would act on a removal
    // half done.
    EnableWindow(GetDlgItem(dialog, IDC_CONTINUE), FALSE);
    EnableWindow(GetDlgItem(dialog, IDC_EXIT), FALSE);
    int removed = RemoveInstallation(directory);
    ReportRemoval(dialog, directory, removed);
    ClosePage(dialog);
    EndProgram();
}

static INT_PTR Welcome_OnContinue(HWND dialog) {
    if (g.runMode != kRunUninstall) {
        PostWizardCommand(kCmdPath);
        ClosePage(dialog);
        return TRUE;
    }
    if (GetTimesInstalled() == 1) {
        Welcome_RemoveOnly(dialog);
        return TRUE;
    }
    PostWizardCommand(kCmdHistory);
    ClosePage(dialog);
    return TRUE;
}

static INT_PTR Welcome_OnCommand(HWND dialog, WPARAM command) {
    switch (command) {
    case IDC_EXIT:
        return Welcome_OnExit(dialog);
    case IDC_CONTINUE:
        return Welcome_OnContinue(dialog);
    default:
        return FALSE;
    }
}

INT_PTR CALLBACK WelcomeDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        return Welcome_OnInit(dialog);
    case WM_COMMAND:
        return Welcome_OnCommand(dialog, wParam);
    default:
        return IsCtlColorMessage(message) ? AnswerCtlColor(wParam) : FALSE;
    }
}

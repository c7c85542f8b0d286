// Confirmation page (dialog 103): the last page before copying. In replace
// mode the installation recorded for the directory is removed here first.
#include "pages/pagekit.h"
#include "pages/pages.h"

#include "base/state.h"
#include "pages/commands.h"
#include "pages/paint.h"
#include "removal/removal.h"
#include "resources/resource.h"

static const char kCannotReplace[] =
    "UnInstall cannot replace ZEL Vantorix\nin %s because some of\nthe Vantorix "
    "files in that directory\nare currently in use.";
static const char kSetupNothingChanged[] = "Setup has not changed your system in any way.";

static INT_PTR Confirm_OnInit(HWND dialog) {
    CenterDialog(g.mainWindow, dialog);
    SetDlgItemTextA(dialog, IDC_CONFIRM_DIR, g.installDir);
    return TRUE;
}

// Removes the installation being replaced. 0 when its files are in use: the
// user has been told and the run is ending.
static int Confirm_RemoveReplaced(HWND dialog) {
    PostWizardCommand(kCmdWaitOn);
    int removed = RemoveInstallation(g.installDir);
    // The wait is over either way: the dialog must not stand beside the messages.
    PostWizardCommand(kCmdWaitOff);
    if (!removed) {
        ShowPathBox(g.mainWindow, kCannotReplace, g.installDir, g.caption, MB_ICONINFORMATION | MB_OK);
        MessageBoxA(dialog, kSetupNothingChanged, g.caption, MB_ICONINFORMATION | MB_OK);
        EndProgram();
        return 0;
    }
    return 1;
}

static INT_PTR Confirm_OnContinue(HWND dialog) {
    ClosePage(dialog);
    if (g.runMode == kRunReplace && !Confirm_RemoveReplaced(dialog))
        return TRUE;
    PostWizardCommand(kCmdCopy);
    return TRUE;
}

static INT_PTR Confirm_OnCommand(HWND dialog, WPARAM command) {
    switch (command) {
    case IDC_BACK:
        PostWizardCommand(g.osKind == kOsWin95 ? kCmdPath : kCmdComponents);
        ClosePage(dialog);
        return TRUE;
    case IDC_EXIT:
        g.backCommand = kCmdConfirm;
        PostWizardCommand(kCmdExit);
        ClosePage(dialog);
        return TRUE;
    case IDC_CONTINUE:
        return Confirm_OnContinue(dialog);
    default:
        return FALSE;
    }
}

INT_PTR CALLBACK ConfirmDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        return Confirm_OnInit(dialog);
    case WM_COMMAND:
        return Confirm_OnCommand(dialog, wParam);
    default:
        return IsCtlColorMessage(message) ? AnswerCtlColor(wParam) : FALSE;
    }
}

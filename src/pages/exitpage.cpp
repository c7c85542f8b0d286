// Exit confirmation page (dialog 105): Back returns to the page that sent the
// user here; Exit and Escape abandon the run.
#include "pages/pagekit.h"
#include "pages/pages.h"

#include "base/state.h"
#include "pages/commands.h"
#include "pages/paint.h"
#include "resources/resource.h"

// Start-up opens this page without any Exit button having set the back
// command (a failed rights check in UnInstall mode). There is no page to go
// back to then, and posting 0 would leave the program without a page, so Back
// ends the run in order just as Exit does.
static int Exit_BackTarget() {
    if (g.backCommand >= kFirstPage && g.backCommand <= kLastPage)
        return g.backCommand;
    return kCmdAbandon;
}

static INT_PTR Exit_OnCommand(HWND dialog, WPARAM command) {
    PostWizardCommand(command == IDC_BACK ? Exit_BackTarget() : kCmdAbandon);
    ClosePage(dialog);
    return TRUE;
}

INT_PTR CALLBACK ExitDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        CenterDialog(g.mainWindow, dialog);
        return TRUE;
    case WM_COMMAND:
        return Exit_OnCommand(dialog, wParam);
    default:
        return IsCtlColorMessage(message) ? AnswerCtlColor(wParam) : FALSE;
    }
}

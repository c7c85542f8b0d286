// Components page (dialog 106), Windows NT only: the application and the SNMP
// agent as two check boxes. Nothing requires either to be chosen.
#include "pages/pagekit.h"
#include "pages/pages.h"

#include "base/state.h"
#include "pages/commands.h"
#include "pages/paint.h"
#include "resources/resource.h"

static INT_PTR Components_OnInit(HWND dialog) {
    CenterDialog(g.mainWindow, dialog);
    CheckDlgButton(dialog, IDC_APP_CHECK, g.installApp ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dialog, IDC_SNMP_CHECK, g.installSnmp ? BST_CHECKED : BST_UNCHECKED);
    return TRUE;
}

static void Components_StoreFlags(HWND dialog) {
    g.installApp = IsDlgButtonChecked(dialog, IDC_APP_CHECK) == BST_CHECKED ? 1 : 0;
    g.installSnmp = IsDlgButtonChecked(dialog, IDC_SNMP_CHECK) == BST_CHECKED ? 1 : 0;
}

static INT_PTR Components_Leave(HWND dialog, int next) {
    Components_StoreFlags(dialog);
    PostWizardCommand(next);
    ClosePage(dialog);
    return TRUE;
}

static INT_PTR Components_OnCommand(HWND dialog, WPARAM command) {
    switch (command) {
    case IDC_COMPONENTS_BACK:
        return Components_Leave(dialog, kCmdPath);
    case IDC_EXIT:
        // Back from the exit page goes on to the confirmation, not here.
        g.backCommand = kCmdConfirm;
        return Components_Leave(dialog, kCmdExit);
    case IDC_CONTINUE:
        return Components_Leave(dialog, kCmdConfirm);
    default:
        return FALSE;
    }
}

INT_PTR CALLBACK ComponentsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        return Components_OnInit(dialog);
    case WM_COMMAND:
        return Components_OnCommand(dialog, wParam);
    default:
        return IsCtlColorMessage(message) ? AnswerCtlColor(wParam) : FALSE;
    }
}

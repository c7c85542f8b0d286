// What every page does with the main window: post the next wizard command,
// end the program, stand centred over it; and the "Please Wait..." dialog.
#include "pages/pages.h"

#include "base/geometry.h"
#include "base/state.h"
#include "pages/paint.h"

void PostWizardCommand(int command) {
    PostMessageA(g.mainWindow, WM_COMMAND, (WPARAM)command, 0);
}

void EndProgram() {
    PostMessageA(g.mainWindow, WM_DESTROY, 0, 0);
}

void CenterDialog(HWND reference, HWND dialog) {
    RECT dialogRect, referenceRect;
    GetWindowRect(dialog, &dialogRect);
    GetWindowRect(reference, &referenceRect);
    int x = CenteredStart(dialogRect.left, dialogRect.right, referenceRect.left, referenceRect.right);
    int y = CenteredStart(dialogRect.top, dialogRect.bottom, referenceRect.top, referenceRect.bottom);
    SetWindowPos(dialog, HWND_TOP, x, y, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
}

INT_PTR CALLBACK WaitDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        CenterDialog(g.mainWindow, dialog);
        return TRUE;
    case WM_CLOSE:
        DestroyWindow(dialog);
        return FALSE;
    case WM_MOUSEMOVE:
        ShowCursor(FALSE);
        g.savedCursor = SetCursor(LoadCursorA(NULL, (LPCSTR)IDC_WAIT));
        ShowCursor(TRUE);
        return FALSE;
    default:
        return IsCtlColorMessage(message) ? AnswerCtlColor(wParam) : FALSE;
    }
}

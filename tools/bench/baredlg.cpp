// baredlg.exe: the platform's floor for a program's start: one modal dialog like the setup program's
// welcome page, nothing else (no main window, no C runtime), until Continue or Exit is pressed.
#include <windows.h>

#include "resource.h"

static INT_PTR CALLBACK BareDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG)
        return TRUE;
    if (message != WM_COMMAND || (LOWORD(wParam) != IDC_CONTINUE && LOWORD(wParam) != IDC_EXIT))
        return FALSE;
    EndDialog(dialog, 0);
    return TRUE;
}

extern "C" void WINAPI WinMainCRTStartup() {
    INT_PTR result =
        DialogBoxParamA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(IDD_WELCOME), NULL, BareDlgProc, 0);
    ExitProcess(result == -1 ? 1 : 0);
}

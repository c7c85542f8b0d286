// baredlg.exe: the platform floor of a program's start: one modal dialog of
// the size and font of the setup program's welcome page, nothing else (no
// main window, no C runtime). It stays until Continue or Exit is pressed.
//
//   baredlg.exe          wait for a button
//   baredlg.exe -close   end by itself once the dialog and its controls are
//                        painted (for the peak-memory runs, which start it
//                        from outside)
#include <windows.h>

#include "baredlg.h"

namespace {

bool closeWhenPainted;

INT_PTR CALLBACK BareDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        // A timer message comes only when no paint is owed any more.
        if (closeWhenPainted)
            SetTimer(dialog, 1, 1, NULL);
        return TRUE;
    case WM_TIMER:
        EndDialog(dialog, 0);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_BARE_CONTINUE || LOWORD(wParam) == IDC_BARE_EXIT) {
            EndDialog(dialog, 0);
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

// 1 when the command line after the program name is exactly -close.
bool CloseSwitch() {
    const char* p = GetCommandLineA();
    bool quoted = false;
    while (*p && (quoted || (*p != ' ' && *p != '\t'))) {
        if (*p == '"')
            quoted = !quoted;
        ++p;
    }
    while (*p == ' ' || *p == '\t')
        ++p;
    return lstrcmpA(p, "-close") == 0;
}

} // namespace

extern "C" void WINAPI WinMainCRTStartup() {
    closeWhenPainted = CloseSwitch();
    INT_PTR result =
        DialogBoxParamA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(IDD_BARE), NULL, BareDlgProc, 0);
    ExitProcess(result == -1 ? 1 : 0);
}

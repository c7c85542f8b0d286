#include "install/copyengine.h"
#include "app/mainwnd.h"
// Placeholder until the copy engine lands.
INT_PTR CALLBACK CopyDlgProc(HWND dialog, UINT message, WPARAM, LPARAM) {
    if (message == WM_INITDIALOG) {
        EndDialog(dialog, 0);
        EndProgram();
        return TRUE;
    }
    return FALSE;
}
int CopyFiles(HWND) {
    return 0;
}

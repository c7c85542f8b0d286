// Placeholder pages until the real ones land: each ends the run.
#include "pages/pages.h"

#include "app/mainwnd.h"
#include "app/state.h"

static INT_PTR PlaceholderPage(HWND dialog, UINT message) {
    if (message == WM_INITDIALOG) {
        CenterDialog(g.mainWindow, dialog);
        return TRUE;
    }
    if (message == WM_COMMAND) {
        EndDialog(dialog, 0);
        EndProgram();
        return TRUE;
    }
    return FALSE;
}

INT_PTR CALLBACK WelcomeDlgProc(HWND d, UINT m, WPARAM, LPARAM) {
    return PlaceholderPage(d, m);
}
INT_PTR CALLBACK PathDlgProc(HWND d, UINT m, WPARAM, LPARAM) {
    return PlaceholderPage(d, m);
}
INT_PTR CALLBACK HistoryDlgProc(HWND d, UINT m, WPARAM, LPARAM) {
    return PlaceholderPage(d, m);
}
INT_PTR CALLBACK ConfirmDlgProc(HWND d, UINT m, WPARAM, LPARAM) {
    return PlaceholderPage(d, m);
}
INT_PTR CALLBACK ExitDlgProc(HWND d, UINT m, WPARAM, LPARAM) {
    return PlaceholderPage(d, m);
}
INT_PTR CALLBACK ComponentsDlgProc(HWND d, UINT m, WPARAM, LPARAM) {
    return PlaceholderPage(d, m);
}
int IsValidPathName(const char*) {
    return 1;
}
int CreateDirectoryPath(const char*) {
    return 1;
}

// The wizard's dialog pages (welcome, install path, version history,
// confirmation, exit confirmation, components), the wait dialog, what every
// page does with the main window, and the path checks.
#pragma once

#include "pages/pathname.h"

#include <windows.h>

INT_PTR CALLBACK WelcomeDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK PathDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK HistoryDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK ConfirmDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK ExitDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK ComponentsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK WaitDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Moves dialog so that it stands centred over reference, on top, not activated.
void CenterDialog(HWND reference, HWND dialog);

// Posts wizard command `command` to the main window.
void PostWizardCommand(int command);

// Ends the program: posts WM_DESTROY to the main window.
void EndProgram();

// Creates every missing directory along path. 0 when the directory exists
// afterwards, 1 when it still does not.
int CreateDirectoryPath(const char* path);

// The full-screen main window and the wizard command dispatcher, the wait
// dialog, the shutdown privilege and the centring of dialogs.
#pragma once

#include <windows.h>

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK WaitDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// 1 when SeShutdownPrivilege could be enabled in the process token, else 0.
int EnableShutdownPrivilege();

// Moves dialog so that it stands centred over reference, on top, not activated.
void CenterDialog(HWND reference, HWND dialog);

// Posts wizard command `command` to the main window.
void PostWizardCommand(int command);

// Ends the program: posts WM_DESTROY to the main window.
void EndProgram();

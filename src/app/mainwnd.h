// The full-screen main window and the wizard command dispatcher, and the
// shutdown privilege.
#pragma once

#include <windows.h>

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// 1 when SeShutdownPrivilege could be enabled in the process token, else 0.
int EnableShutdownPrivilege();

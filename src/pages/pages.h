// The wizard's dialog pages (welcome, install path, version history,
// confirmation, exit confirmation, components) and the path checks.
#pragma once

#include "pages/pathname.h"

#include <windows.h>

INT_PTR CALLBACK WelcomeDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK PathDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK HistoryDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK ConfirmDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK ExitDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK ComponentsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Creates every missing directory along path. 0 when the directory exists
// afterwards, 1 when it still does not.
int CreateDirectoryPath(const char* path);

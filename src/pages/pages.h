// The wizard's dialog pages (welcome, install path, version history,
// confirmation, exit confirmation, components) and the path checks.
#pragma once

#include <windows.h>
#include <stddef.h>

INT_PTR CALLBACK WelcomeDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK PathDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK HistoryDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK ConfirmDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK ExitDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK ComponentsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Nonzero when pathName passes the character rules (forbidden characters,
// colon only after the drive letter, one dot per component). No file access.
int IsValidPathName(const char* pathName);

// Creates every missing directory along path. 0 when the directory exists
// afterwards, 1 when it still does not.
int CreateDirectoryPath(const char* path);

// The copy phase: the copy-progress page and the engine that copies and
// expands the file table from the distribution disks.
#pragma once

#include <windows.h>

INT_PTR CALLBACK CopyDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Copies every file of the file table; 1 when every step ran, 0 when abandoned.
int CopyFiles(HWND page);

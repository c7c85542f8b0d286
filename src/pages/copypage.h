// The copy phase: the copy-progress page (dialog 104) and the engine that
// copies and expands the file table from the distribution disks into the
// install directory, asking for disks, and fills the page's gauge file by file.
#pragma once

#include <windows.h>

INT_PTR CALLBACK CopyDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Copies every file of the file table; 1 when every step ran, 0 when abandoned
// (SNMP registration failed, a disk prompt was cancelled, a target disk is full).
int CopyFiles(HWND page);

// Fills the gauge from x = left to right (exclusive), between the frame's top
// and bottom edges less two pixels, in the page colour with red and green inverted.
void FillGaugeStretch(HDC dc, int left, int right);

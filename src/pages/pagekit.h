// Pieces shared by the page sources and their tests: closing a page, the
// removal reports and the existence of a directory. Other modules use
// pages.h only.
#pragma once

#include <windows.h>
#include <stddef.h>

// Ends the modal page; nobody reads the result.
void ClosePage(HWND dialog);
// Focuses edit control id of dialog and selects its whole text.
void SelectEditText(HWND dialog, int id);
// Page that follows the path and history pages: 103 on Windows 95, else 106.
int PageAfterPath();

// Formats format with one path argument and shows it; the path is never shortened.
int ShowPathBox(HWND owner, const char* format, const char* path, const char* caption, UINT style);
// "UnInstall has not changed your system in any way." owned by the page.
void ShowNothingChanged(HWND dialog, const char* caption);
// The outcome of removing the installation in directory: the success message,
// or the two files-in-use messages (the second owned by the page).
void ReportRemoval(HWND dialog, const char* directory, int removed);

// 1 when path names an existing directory.
int DirectoryExists(const char* path);

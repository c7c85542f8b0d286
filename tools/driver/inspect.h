// Looking at another process's windows: which top-level windows it has, what
// kind each is (page, message box, main window), and their controls' state.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

enum WindowKind { kKindOther, kKindMain, kKindPage, kKindBox, kKindDialog };

struct SeenWindow {
    HWND hwnd;
    WindowKind kind;
    int page; // 100..107 for pages, 0 otherwise
};

// Visible top-level windows of process pid, classified.
std::vector<SeenWindow> ListWindows(DWORD pid);

// Page number (100..107) whose control-id signature the dialog matches, or 0.
int PageOfDialog(HWND dialog);

// 1 when the dialog is a message box (it holds the message box icon control).
int IsMessageBox(HWND dialog);

// Window text read through WM_GETTEXT (falls back to the stored caption when the
// owner does not answer in time).
std::string TextOf(HWND window);

// Child control of a dialog by id (ids compare as 16-bit numbers, so -1 finds 0xFFFF).
HWND ControlOf(HWND dialog, int id);

struct BoxInfo {
    std::string text, caption, icon, buttons;
};
BoxInfo DescribeBox(HWND box);

// One transcript block describing a page or dialog: its number, its title,
// its window and client rectangles.
std::string DescribeDialog(HWND dialog, int page);

// The rows of a list box.
std::vector<std::string> ListRows(HWND list);

// The window that has the keyboard focus in the given window's thread.
HWND FocusOf(HWND anyWindowOfThread);

// C-style quoting for the transcript: "a\nb".
std::string Quote(const std::string& text);

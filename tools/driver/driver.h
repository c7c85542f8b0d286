// The driver's modules: zeldriver.cpp runs a scenario and keeps the transcript and the run's state,
// steps.cpp carries out each step, inspect.cpp looks at another process's windows (reading only).
#pragma once

#include <windows.h>

#include <set>
#include <stdio.h>
#include <string>
#include <vector>

typedef std::vector<std::string> Words;

// ---- inspect.cpp --------------------------------------------------------------
enum WindowKind { kKindMain, kKindPage, kKindBox, kKindDialog };

struct SeenWindow {
    HWND hwnd;
    WindowKind kind;
    int page; // 100..107 for pages, 0 otherwise
};
typedef std::vector<SeenWindow> Windows;

// The visible top-level windows of process pid: its dialogs and its windows with a caption.
Windows ListWindows(DWORD pid);
// Window text through WM_GETTEXT (the stored caption when the owner does not answer in time).
std::string TextOf(HWND window);
// Child control of a dialog by id (ids compare as 16-bit numbers, so -1 finds 0xFFFF).
HWND ControlOf(HWND dialog, int id);

// What a message box shows: icon "info", "exclamation", "stop", "question" or "none"; buttons "ok",
// "okcancel", "yesno", "yesnocancel" or "other"; owner "main", "page" (the current page) or "other".
struct BoxInfo {
    std::string text, caption, icon, buttons, owner;
};
BoxInfo DescribeBox(HWND box);
std::string BoxText(HWND box);
// "page N title=\"T\"" (or "dialog (unknown) ...") and, on the next line, "    window L T R B client L T R B"
// in screen coordinates.
std::string DescribeDialog(HWND dialog, int page);
// The rows of a list box.
Words ListRows(HWND list);
// C-style quoting for the transcript: "a\nb".
std::string Quote(const std::string& text);

// ---- zeldriver.cpp ------------------------------------------------------------
struct Driver {
    FILE* transcript = NULL;
    int line = 0;
    DWORD timeout = 10000;
    DWORD slowdown = 1; // ZEL_SLOWDOWN: every wait limit times this, for a program run under emulation
    PROCESS_INFORMATION process = {};
    bool started = false, endLogged = false;
    std::set<HWND> seen;
    HWND mainWindow = NULL;
    HWND page = NULL;     // the page the last `page` step found
    HWND leftPage = NULL; // the page a click or key acted on; may still be closing
    // Pages and boxes shown that no step has claimed yet (the top of zeldriver.cpp says which must be).
    std::vector<std::pair<HWND, std::string>> unclaimed;
    std::vector<HANDLE> fixtures; // processes started by `spawn`, ended with the road
};
extern Driver d;

// How long a window that is not hung may take to answer a message.
inline UINT AnswerTimeout() {
    return 2000 * d.slowdown;
}

void Log(const char* format, ...) __attribute__((format(printf, 1, 2)));
// True (and the exit code) once the program has ended.
bool ProgramEnded(DWORD* code);
// Closes the handles of a program that has ended or was ended, so that `start` may run it again.
void ForgetProgram();
// The program's windows now; writes each one not seen before to the transcript.
Windows Scan();
// A page or box a step has dealt with; "" when nothing else has shown since that the road did not claim, else
// what did.
std::string Claim(HWND window);

// ---- steps.cpp ----------------------------------------------------------------
// Runs step w: "" when it passed, else the reason it failed.
std::string RunStep(const Words& w);

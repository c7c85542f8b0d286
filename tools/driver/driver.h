// The driver's modules: the run (zeldriver.cpp), the scenario steps (steps.cpp)
// and the look at the program's windows (inspect.cpp).
#pragma once

#include <windows.h>

#include <set>
#include <stdio.h>
#include <string>
#include <vector>

// ---- inspect.cpp: another process's windows, what kind each is (page, message box, main window), and
// their controls' state

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

// ---- zeldriver.cpp and steps.cpp

struct Driver {
    FILE* transcript = NULL;
    int line = 0;
    DWORD timeout = 10000;
    PROCESS_INFORMATION process = {};
    bool started = false;
    bool endLogged = false;
    std::set<HWND> seen;
    HWND mainWindow = NULL;
    HWND page = NULL; // the page the last `page` step found
    int pageId = 0;
    HWND leftPage = NULL; // the page a click or key acted on; may still be closing
    // Pages (but the copy and wait pages, which may come and go between two
    // looks) and boxes the program showed that no step has claimed yet: a road
    // asserts every one it passes through.
    std::vector<std::pair<HWND, std::string>> unclaimed;
    std::vector<HANDLE> fixtures; // processes started by `spawn`, ended with the road
    std::vector<HANDLE> held;     // files opened by `hold`
};
extern Driver d;

typedef std::vector<std::string> Words;

// One transcript line.
void Log(const char* format, ...) __attribute__((format(printf, 1, 2)));
// True (and the exit code) once the program has ended.
bool ProgramEnded(DWORD* code);
// The program's windows now; writes each one not seen before to the transcript.
std::vector<SeenWindow> Scan();
const SeenWindow* FindKind(const std::vector<SeenWindow>& list, WindowKind kind);
// " page 100 box \"text\"": what is up, for failure reasons.
std::string Describe(const std::vector<SeenWindow>& list);
// A decimal or 0x number; *ok tells whether the whole word was one.
long Number(const std::string& word, bool* ok);
// "" when there is a current page, else why not.
std::string NeedPage();
// Finds control w[1] of the current page; "" or why not.
std::string NeedControl(const Words& w, HWND* control);

// A page or box a step has dealt with; "" when nothing else has shown since
// that the road did not claim, else what did.
std::string Claim(HWND window);

// Runs step w: "" when it passed, else the reason it failed.
std::string RunStep(const Words& w);

// Polls until check returns "" (done) or a text starting with "!" (failed at
// once); any other text is the reason given when the time runs out.
template <typename Check> std::string WaitUntil(DWORD limit, Check check) {
    DWORD start = GetTickCount();
    for (;;) {
        std::vector<SeenWindow> list = Scan();
        std::string state = check(list);
        if (state.empty())
            return "";
        if (state[0] == '!')
            return state.substr(1);
        if (GetTickCount() - start >= limit)
            return "timed out after " + std::to_string(limit) + " ms: " + state + ";" + Describe(list);
        Sleep(15);
    }
}

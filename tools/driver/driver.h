// Shared state and helpers of the driver: the run (zeldriver.cpp) and the
// scenario steps (steps.cpp).
#pragma once

#include "inspect.h"

#include <set>
#include <stdio.h>
#include <string>
#include <vector>

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

// The steps outside the program's windows (system.cpp).
std::string StepHost(const Words& w);
std::string StepSpawn(const Words& w);
std::string StepKill(const Words& w);
std::string StepHold(const Words& w);
std::string StepReg(const Words& w);
std::string StepRegSet(const Words& w);
std::string StepService(const Words& w);

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

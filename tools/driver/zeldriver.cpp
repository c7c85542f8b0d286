// zeldriver.exe SCENARIO TRANSCRIPT
// zeldriver.exe --osversion      prints "platform major minor" of GetVersionExA, "major minor" of GetVersion
// zeldriver.exe --syscolor N     prints "R G B" of system colour N
//
// Runs SETUP.EXE the way a user would, by a scenario file, and writes a transcript of every window the
// program showed and every step taken. Exit code 0 when every step passed; 1 on the first failed step,
// whose reason the transcript's "FAILED" line and stderr give; 2 on bad usage.
//
// Scenario: one step per line, `#` starts a comment, strings in double quotes with the escapes \n \t \r
// \\ \" (any other backslash stays as written; words outside quotes are taken as they stand). Any wait
// for a window lasts `timeout` ms (10000 unless changed; both times ZEL_SLOWDOWN where that is set). The
// program's dialogs are told apart by their control ids: pages 100..107, message boxes (Wine's icon 0x0440
// and text 0xFFFF). Every page (but the copy page 104 and the wait dialog 107, which may come and go between
// two looks) and every box the program shows must be claimed by a `page` or `box` step: the scenario fails
// otherwise at the next claim, `exit`, `kill` or its end.
//
//   start "C:\x\SETUP.EXE" ["args"]  start the program in its folder (again once it has ended)
//   timeout MS                  wait limit for the following steps
//   page N                      wait until page N is up; fails at once when a box or another page shows
//   text ID "T"                 control ID of the current page shows T
//   check ID 0|1                check box state
//   enabled ID 0|1              enabled state
//   rows ID "r1" "r2" ...       the list box ID holds exactly these rows
//   select ID N                 select row N and tell the page
//   type ID "T"                 set the edit box text
//   click ID                    press a button (BM_CLICK; refused when disabled or hidden)
//   key escape|enter|space      a key press to the window with the focus
//   box "TEXT" [caption "C"] [icon info|exclamation|stop|question|none] [buttons ok|okcancel|yesno|
//       yesnocancel] [owner main|page] [press ok|cancel|yes|no]   wait for a message box, check it and
//                               press a button (without `press` it stays up: a later step presses it)
//   post MSG WPARAM LPARAM      post a message to the main window (numbers: decimal or 0x)
//   send MSG WPARAM LPARAM      send one (waits for the answer, at most `timeout`)
//   maximized 0|1               the main window is (1) or is not (0) maximised
//   enablemain 0|1              enable or disable the main window (a modal page disables it, and the
//                               platform then ignores system commands by itself)
//   waitfile "C:\x"             wait until the file exists
//   touch "C:\x"                create the file
//   exit N                      wait for the program to end with exit code N; fails at once when a box shows
//   sleep MS                    pause
//   onscreen [N|box]...         exactly these dialogs of the program are up now
//   kill                        end the program at once (TerminateProcess)
//   host N                      the road runner runs its host command N (steps.cpp)
//   spawn EXE [ARGS] [ready F]  start a fixture until the scenario ends; wait for file F
//   hold "C:\x"                 keep the file open, sharing nothing, until the end
//   reg HKLM\KEY [VALUE] absent | reg HKLM\KEY VALUE sz|expand|dword DATA   the registry holds...
//   regset HKLM\KEY VALUE sz|expand DATA                                    make it hold...
//   service NAME absent | is PATH running|stopped | create PATH | start
//
// A program still running at the end is terminated (the transcript says so): the last step decides.
#include "driver.h"

#include "resource.h"

#include <algorithm>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

Driver d;

void Log(const char* format, ...) {
    va_list args;
    va_start(args, format);
    vfprintf(d.transcript, format, args);
    va_end(args);
    fputc('\n', d.transcript);
    fflush(d.transcript);
}

bool ProgramEnded(DWORD* code) {
    if (!d.started || WaitForSingleObject(d.process.hProcess, 0) != WAIT_OBJECT_0)
        return false;
    if (code)
        GetExitCodeProcess(d.process.hProcess, code);
    return true;
}

void ForgetProgram() {
    CloseHandle(d.process.hProcess);
    CloseHandle(d.process.hThread);
    d.started = d.endLogged = false;
    d.mainWindow = d.page = d.leftPage = NULL;
}

// Writes one window the program shows for the first time, and remembers a page or box for the claim.
static void LogWindow(const SeenWindow& w) {
    if (w.kind == kKindMain) {
        if (!d.mainWindow)
            d.mainWindow = w.hwnd;
        Log("saw main window title=%s maximized=%d", Quote(TextOf(w.hwnd)).c_str(), IsZoomed(w.hwnd) ? 1 : 0);
    } else if (w.kind == kKindBox) {
        BoxInfo box = DescribeBox(w.hwnd);
        d.unclaimed.push_back({w.hwnd, "box " + Quote(box.text)});
        Log("saw box text=%s caption=%s icon=%s buttons=%s owner=%s", Quote(box.text).c_str(),
            Quote(box.caption).c_str(), box.icon.c_str(), box.buttons.c_str(), box.owner.c_str());
    } else {
        Log("saw %s", DescribeDialog(w.hwnd, w.page).c_str());
        if (w.page != IDD_COPY && w.page != IDD_WAIT)
            d.unclaimed.push_back({w.hwnd, w.page ? "page " + std::to_string(w.page) : "a dialog"});
    }
}

Windows Scan() {
    Windows list;
    if (!d.started)
        return list;
    list = ListWindows(d.process.dwProcessId);
    // The main window first, so that a box's owner can be named.
    std::stable_partition(list.begin(), list.end(), [](const SeenWindow& w) { return w.kind == kKindMain; });
    for (const SeenWindow& w : list) {
        if (d.seen.insert(w.hwnd).second)
            LogWindow(w);
    }
    DWORD code;
    if (!d.endLogged && ProgramEnded(&code)) {
        d.endLogged = true;
        Log("program ended, exit code %lu", (unsigned long)code);
    }
    return list;
}

std::string Claim(HWND window) {
    std::string strays;
    for (const auto& u : d.unclaimed) {
        if (u.first != window)
            strays += (strays.empty() ? "" : ", ") + u.second;
    }
    d.unclaimed.clear();
    return strays.empty() ? "" : "the road passed " + strays + " without a step for it";
}

// Splits a scenario line into words; false on an unterminated string.
static bool Tokenize(const std::string& text, Words* words) {
    static const char kEscaped[] = "ntr\\\"";
    static const char kPlain[] = "\n\t\r\\\"";
    size_t i = 0;
    while ((i = text.find_first_not_of(" \t\r\n", i)) != std::string::npos && text[i] != '#') {
        if (text[i] != '"') {
            size_t end = text.find_first_of(" \t\r\n", i);
            words->push_back(text.substr(i, end - i));
            i = end;
            continue;
        }
        std::string word;
        for (++i; i < text.size() && text[i] != '"'; ++i) {
            // Unknown escapes stay as written, so "C:\dir\SETUP.EXE" needs no doubling.
            const char* escape = text[i] == '\\' && text[i + 1] ? strchr(kEscaped, text[i + 1]) : NULL;
            if (escape)
                ++i;
            word += escape ? kPlain[escape - kEscaped] : text[i];
        }
        if (i >= text.size())
            return false; // no closing quote
        words->push_back(word);
        ++i;
    }
    return true;
}

static int Failed(const std::string& text, const std::string& reason) {
    Log("FAILED line %d: %s", d.line, reason.c_str());
    fprintf(stderr, "zeldriver: line %d (%s): %s\n", d.line, text.c_str(), reason.c_str());
    return 1;
}

static int RunScenario(FILE* scenario) {
    char buffer[8192];
    while (fgets(buffer, sizeof buffer, scenario)) {
        ++d.line;
        std::string text = buffer;
        text.erase(text.find_last_not_of("\r\n") + 1);
        Words w;
        if (!Tokenize(text, &w))
            return Failed(text, "unterminated string");
        if (w.empty())
            continue;
        Log("step %d: %s", d.line, text.c_str());
        std::string error = RunStep(w);
        if (!error.empty())
            return Failed(text, error);
    }
    Scan();
    std::string strays = Claim(NULL);
    return strays.empty() ? 0 : Failed("(end of the road)", strays);
}

int main(int argc, char** argv) {
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof info;
    if (argc == 2 && strcmp(argv[1], "--osversion") == 0 && GetVersionExA(&info)) {
        printf("%lu %lu %lu %u %u\n", (unsigned long)info.dwPlatformId, (unsigned long)info.dwMajorVersion,
               (unsigned long)info.dwMinorVersion, LOBYTE(GetVersion()), HIBYTE(LOWORD(GetVersion())));
        return 0;
    }
    if (argc == 3 && strcmp(argv[1], "--syscolor") == 0) {
        COLORREF colour = GetSysColor(atoi(argv[2]));
        printf("%d %d %d\n", GetRValue(colour), GetGValue(colour), GetBValue(colour));
        return 0;
    }
    FILE* scenario = argc == 3 ? fopen(argv[1], "r") : NULL;
    d.transcript = scenario ? fopen(argv[2], "wb") : NULL; // plain \n lines for the Linux side
    if (!d.transcript) {
        fprintf(stderr, "usage: zeldriver SCENARIO TRANSCRIPT (a file to read, a file to write)\n");
        return 2;
    }
    const char* slowdown = getenv("ZEL_SLOWDOWN");
    if (slowdown && atoi(slowdown) > 1)
        d.slowdown = (DWORD)atoi(slowdown);
    d.timeout *= d.slowdown;
    int rc = RunScenario(scenario);
    fclose(scenario);
    Scan();
    if (d.started && !ProgramEnded(NULL)) {
        Log("program still running at the end: terminated");
        TerminateProcess(d.process.hProcess, 255);
    }
    for (HANDLE fixture : d.fixtures)
        TerminateProcess(fixture, 0);
    Log(rc == 0 ? "PASS" : "FAIL");
    fclose(d.transcript);
    return rc;
}

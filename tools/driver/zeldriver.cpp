// zeldriver.exe SCENARIO TRANSCRIPT
// zeldriver.exe --osversion       prints "platform major minor" of GetVersionExA
// zeldriver.exe --syscolor N      prints "R G B" of system colour N
//
// Runs SETUP.EXE the way a user would, by a scenario file, and writes a
// transcript of every window the program showed and every step taken. Exit
// code 0 when every step passed; 1 on the first failed step, whose reason is
// the transcript's last line and is also written to stderr; 2 on bad usage.
//
// Scenario: one step per line, `#` starts a comment, strings in double quotes
// with the escapes \n \t \r \\ \" (any other backslash stays as written; words
// outside quotes are taken as they stand). Any wait for a window lasts
// `timeout` ms (10000 unless changed). Windows are found by process id; dialogs are class #32770; a message
// box is a dialog holding the icon control 0x0440 and the text control 0xFFFF; pages 100..107 are told apart
// by their control ids. Every page (but the copy page 104 and the wait dialog 107, which may come and go
// between two looks) and every box the program shows must be claimed by a `page` or `box` step: the scenario
// fails at the next claim, `exit`, `kill` or its end otherwise.
//
//   start "C:\x\SETUP.EXE" ["args"]   start the program in its folder (again once it has ended)
//   timeout MS                   wait limit for the following steps
//   page N                       wait until page N is up; fails at once when a
//                                message box or another page shows instead
//   text ID "T"                  control ID of the current page shows T
//   check ID 0|1                 check box state
//   enabled ID 0|1               enabled state
//   rows ID "r1" "r2" ...        the list box ID holds exactly these rows
//   select ID N                  select row N and tell the page
//   type ID "T"                  set the edit box text
//   click ID                     press a button (BM_CLICK; refused when disabled or hidden)
//   key escape|enter|space       a key press to the window with the focus
//   box "TEXT" [caption "C"] [icon info|exclamation|stop|question|none]
//       [buttons ok|okcancel|yesno|yesnocancel] [owner main|page]
//       [press ok|cancel|yes|no] wait for a message box, check it, press a button
//                                (without `press` the box stays up: a later step presses it)
//   post MSG WPARAM LPARAM       post a message to the main window (numbers: decimal or 0x)
//   send MSG WPARAM LPARAM       send one (waits for the answer, at most `timeout`)
//   maximized 0|1                the main window is (1) or is not (0) maximised
//   enablemain 0|1               enable or disable the main window; a modal page disables
//                                it, and the platform then ignores system commands by itself
//   waitfile "C:\x"              wait until the file exists
//   touch "C:\x"                 create the file
//   exit N                       wait for the program to end with exit code N
//                                (fails at once when a message box shows instead)
//   sleep MS                     pause
//   onscreen [N|box]...          exactly these dialogs of the program are up now
//   kill                         end the program at once (TerminateProcess)
//   host N                       the road runner runs its host command N (system.cpp)
//   spawn EXE [ARGS] [ready F]   start a fixture until the scenario ends; wait for file F
//   hold "C:\x"                  keep the file open, sharing nothing, until the end
//   reg HKLM\KEY [VALUE] absent | reg HKLM\KEY VALUE sz|expand|dword DATA   the registry holds...
//   regset HKLM\KEY VALUE sz|expand DATA                                    make it hold...
//   service NAME absent | is PATH running|stopped | create PATH | start
//
// A program still running when the scenario ends is terminated (and the
// transcript says so): the scenario's last step decides what was expected.
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

// Looks at the program's windows and writes every one not seen before.
std::vector<SeenWindow> Scan() {
    std::vector<SeenWindow> list;
    if (!d.started)
        return list;
    list = ListWindows(d.process.dwProcessId);
    // The main window first, so that a box's owner can be named.
    std::stable_partition(list.begin(), list.end(), [](const SeenWindow& w) { return w.kind == kKindMain; });
    for (const SeenWindow& w : list) {
        if (d.seen.count(w.hwnd))
            continue;
        d.seen.insert(w.hwnd);
        if (w.kind == kKindMain) {
            if (!d.mainWindow)
                d.mainWindow = w.hwnd;
            Log("saw main window title=%s maximized=%d", Quote(TextOf(w.hwnd)).c_str(),
                IsZoomed(w.hwnd) ? 1 : 0);
        } else if (w.kind == kKindBox) {
            BoxInfo box = DescribeBox(w.hwnd);
            d.unclaimed.push_back({w.hwnd, "box " + Quote(box.text)});
            HWND owner = GetWindow(w.hwnd, GW_OWNER);
            Log("saw box text=%s caption=%s icon=%s buttons=%s owner=%s", Quote(box.text).c_str(),
                Quote(box.caption).c_str(), box.icon.c_str(), box.buttons.c_str(),
                owner == d.mainWindow      ? "main"
                : owner && owner == d.page ? "page"
                                           : "other");
        } else if (w.kind == kKindPage || w.kind == kKindDialog) {
            Log("saw %s", DescribeDialog(w.hwnd, w.page).c_str());
            if (w.page != IDD_COPY && w.page != IDD_WAIT)
                d.unclaimed.push_back({w.hwnd, w.page ? "page " + std::to_string(w.page) : "a dialog"});
        } else {
            Log("saw window title=%s", Quote(TextOf(w.hwnd)).c_str());
        }
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
    for (const auto& u : d.unclaimed)
        if (u.first != window)
            strays += (strays.empty() ? "" : ", ") + u.second;
    d.unclaimed.clear();
    return strays.empty() ? "" : "the road passed " + strays + " without a step for it";
}

const SeenWindow* FindKind(const std::vector<SeenWindow>& list, WindowKind kind) {
    for (const SeenWindow& w : list) {
        if (w.kind == kind)
            return &w;
    }
    return NULL;
}

std::string Describe(const std::vector<SeenWindow>& list) {
    std::string out;
    for (const SeenWindow& w : list) {
        char part[64];
        if (w.kind == kKindBox)
            out += " box " + Quote(DescribeBox(w.hwnd).text);
        else if (w.kind == kKindPage)
            snprintf(part, sizeof part, " page %d", w.page), out += part;
        else if (w.kind == kKindDialog)
            out += " unknown dialog " + Quote(TextOf(w.hwnd));
    }
    return out.empty() ? " no dialog" : out;
}

long Number(const std::string& word, bool* ok) {
    char* end = NULL;
    long value = strtol(word.c_str(), &end, 0);
    *ok = !word.empty() && end && *end == '\0';
    return value;
}

std::string NeedPage() {
    if (!d.page)
        return "no current page (use `page N` first)";
    if (!IsWindow(d.page))
        return "the current page has closed";
    return "";
}

std::string NeedControl(const Words& w, HWND* control) {
    std::string error = NeedPage();
    if (!error.empty())
        return error;
    bool ok;
    long id = Number(w[1], &ok);
    if (!ok)
        return "bad control id " + w[1];
    *control = ControlOf(d.page, (int)id);
    return *control ? "" : "page " + std::to_string(d.pageId) + " has no control " + w[1];
}

// ---- parsing ----------------------------------------------------------------

static bool Tokenize(const std::string& text, Words* words, std::string* error) {
    size_t i = 0;
    while (i < text.size()) {
        char c = text[i];
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            ++i;
        } else if (c == '#') {
            break;
        } else if (c == '"') {
            std::string word;
            ++i;
            while (i < text.size() && text[i] != '"') {
                char e = text[i++];
                if (e == '\\' && i < text.size()) {
                    // Unknown escapes stay as written, so "C:\dir\SETUP.EXE" needs no doubling.
                    char n = text[i];
                    if (n == 'n' || n == 't' || n == 'r' || n == '\\' || n == '"') {
                        e = n == 'n' ? '\n' : n == 't' ? '\t' : n == 'r' ? '\r' : n;
                        ++i;
                    }
                }
                word += e;
            }
            if (i >= text.size()) {
                *error = "unterminated string";
                return false;
            }
            ++i;
            words->push_back(word);
        } else {
            size_t start = i;
            while (i < text.size() && text[i] != ' ' && text[i] != '\t' && text[i] != '\r' && text[i] != '\n')
                ++i;
            words->push_back(text.substr(start, i - start));
        }
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
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
            text.pop_back();
        Words w;
        std::string error;
        if (!Tokenize(text, &w, &error))
            return Failed(text, error);
        if (w.empty())
            continue;
        Log("step %d: %s", d.line, text.c_str());
        error = RunStep(w);
        if (!error.empty())
            return Failed(text, error);
    }
    Scan();
    std::string strays = Claim(NULL);
    return strays.empty() ? 0 : Failed("(end of the road)", strays);
}

// `zeldriver.exe --osversion` prints what GetVersionExA reports in this prefix
// ("platform major minor"), so the harness can check a personality it set.
static int PrintOsVersion() {
    OSVERSIONINFOA info;
    memset(&info, 0, sizeof info);
    info.dwOSVersionInfoSize = sizeof info;
    if (!GetVersionExA(&info))
        return 1;
    printf("%lu %lu %lu\n", (unsigned long)info.dwPlatformId, (unsigned long)info.dwMajorVersion,
           (unsigned long)info.dwMinorVersion);
    return 0;
}

int main(int argc, char** argv) {
    if (argc == 2 && strcmp(argv[1], "--osversion") == 0)
        return PrintOsVersion();
    if (argc == 3 && strcmp(argv[1], "--syscolor") == 0) {
        COLORREF colour = GetSysColor(atoi(argv[2]));
        printf("%d %d %d\n", GetRValue(colour), GetGValue(colour), GetBValue(colour));
        return 0;
    }
    if (argc != 3) {
        fprintf(stderr, "usage: zeldriver SCENARIO TRANSCRIPT\n");
        return 2;
    }
    FILE* scenario = fopen(argv[1], "r");
    d.transcript = fopen(argv[2], "wb"); // plain \n lines for the Linux side
    if (!scenario || !d.transcript) {
        fprintf(stderr, "zeldriver: cannot open %s\n", !scenario ? argv[1] : argv[2]);
        return 2;
    }
    int rc = RunScenario(scenario);
    fclose(scenario);
    if (d.started) {
        Scan();
        if (!ProgramEnded(NULL)) {
            Log("program still running at the end: terminated");
            TerminateProcess(d.process.hProcess, 255);
        }
        CloseHandle(d.process.hProcess);
        CloseHandle(d.process.hThread);
    }
    for (HANDLE fixture : d.fixtures) {
        TerminateProcess(fixture, 0);
        CloseHandle(fixture);
    }
    for (HANDLE file : d.held)
        CloseHandle(file);
    Log(rc == 0 ? "PASS" : "FAIL");
    fclose(d.transcript);
    return rc;
}

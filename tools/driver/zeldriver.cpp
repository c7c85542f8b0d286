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
// with C escapes (\n \t \\ \" \xHH). Any wait for a window lasts `timeout` ms
// (10000 unless changed). Windows are found by process id; dialogs are class
// #32770; a message box is a dialog holding the icon control 0x0440 and the
// text control 0xFFFF; pages 100..107 are told apart by their control ids.
//
//   cwd "C:\dir"                 working directory for the next start
//   start "C:\x\SETUP.EXE" ["args"]   start the program (cwd: its folder by default)
//   timeout MS                   wait limit for the following steps
//   page N                       wait until page N is up; fails at once when a
//                                message box or another page shows instead
//   title "T"                    the current page's title is T
//   text ID "T"                  control ID of the current page shows T
//   check ID 0|1                 check box state
//   enabled ID 0|1               enabled state
//   visible ID 0|1               visible state
//   focus ID                     control ID has the keyboard focus
//   rows ID "r1" "r2" ...        the list box ID holds exactly these rows
//   select ID N                  select row N (-1 none) and tell the page
//   type ID "T"                  set the edit box text
//   click ID                     press a button (BM_CLICK; refused when disabled or hidden)
//   key escape|enter|tab|space   a key press to the window with the focus
//   box "TEXT" [caption "C"] [icon info|exclamation|stop|question|none]
//       [buttons ok|okcancel|yesno|yesnocancel] [owner main|page]
//       [press ok|cancel|yes|no] wait for a message box, check it, press a button
//                                (without `press` the box stays up: a later step presses it)
//   nobox MS                     no new message box or page appears within MS ms
//   post MSG WPARAM LPARAM       post a message to the main window (numbers: decimal or 0x)
//   send MSG WPARAM LPARAM       send one (waits for the answer, at most `timeout`)
//   postpage MSG WPARAM LPARAM   post a message to the current page
//   maximized 0|1                the main window is (1) or is not (0) maximised
//   maintitle "T"                the main window's title is T (waits for the main window)
//   enablemain 0|1               enable or disable the main window; a modal page disables
//                                it, and the platform then ignores system commands by itself
//   waitfile "C:\x"              wait until the file exists
//   touch "C:\x"                 create the file
//   exit N                       wait for the program to end with exit code N
//                                (fails at once when a message box shows instead)
//   running                      the program has not ended
//   sleep MS                     pause
//
// A program still running when the scenario ends is terminated (and the
// transcript says so): the scenario's last step decides what was expected.
#include "inspect.h"

#include "resource.h"

#include <algorithm>
#include <ctype.h>
#include <set>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <string>
#include <vector>

struct Driver {
    FILE* transcript = NULL;
    int line = 0;
    DWORD timeout = 10000;
    std::string cwd;
    PROCESS_INFORMATION process = {};
    bool started = false;
    bool endLogged = false;
    std::set<HWND> seen;
    HWND mainWindow = NULL;
    HWND page = NULL; // the page the last `page` step found
    int pageId = 0;
    HWND leftPage = NULL; // the page a click or key acted on; may still be closing
};
static Driver d;

static void Log(const char* format, ...) {
    va_list args;
    va_start(args, format);
    vfprintf(d.transcript, format, args);
    va_end(args);
    fputc('\n', d.transcript);
    fflush(d.transcript);
}

typedef std::vector<std::string> Words;
typedef std::string (*StepFn)(const Words&);

static bool ProgramEnded(DWORD* code) {
    if (!d.started || WaitForSingleObject(d.process.hProcess, 0) != WAIT_OBJECT_0)
        return false;
    if (code)
        GetExitCodeProcess(d.process.hProcess, code);
    return true;
}

// Looks at the program's windows and writes every one not seen before.
static std::vector<SeenWindow> Scan() {
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
            HWND owner = GetWindow(w.hwnd, GW_OWNER);
            Log("saw box text=%s caption=%s icon=%s buttons=%s owner=%s", Quote(box.text).c_str(),
                Quote(box.caption).c_str(), box.icon.c_str(), box.buttons.c_str(),
                owner == d.mainWindow      ? "main"
                : owner && owner == d.page ? "page"
                                           : "other");
        } else if (w.kind == kKindPage || w.kind == kKindDialog) {
            Log("saw %s", DescribeDialog(w.hwnd, w.page).c_str());
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

static const SeenWindow* FindKind(const std::vector<SeenWindow>& list, WindowKind kind) {
    for (const SeenWindow& w : list) {
        if (w.kind == kind)
            return &w;
    }
    return NULL;
}

static std::string Describe(const std::vector<SeenWindow>& list) {
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

static long Number(const std::string& word, bool* ok) {
    char* end = NULL;
    long value = strtol(word.c_str(), &end, 0);
    *ok = !word.empty() && end && *end == '\0';
    return value;
}

static std::string NeedPage() {
    if (!d.page)
        return "no current page (use `page N` first)";
    if (!IsWindow(d.page))
        return "the current page has closed";
    return "";
}

static std::string NeedControl(const Words& w, HWND* control) {
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
                    } else if (n == 'x' && i + 2 < text.size() && isxdigit((unsigned char)text[i + 1]) &&
                               isxdigit((unsigned char)text[i + 2])) {
                        e = (char)strtol(text.substr(i + 1, 2).c_str(), NULL, 16);
                        i += 3;
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

// ---- waiting ----------------------------------------------------------------

// Polls until check returns "" (done) or a text starting with "!" (failed at
// once); any other text is the reason given when the time runs out.
template <typename Check> static std::string WaitUntil(DWORD limit, Check check) {
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

// ---- steps --------------------------------------------------------------------

static std::string StepCwd(const Words& w) {
    d.cwd = w[1];
    return "";
}

static std::string StepStart(const Words& w) {
    if (d.started)
        return "the program was started already";
    std::string path = w[1];
    std::string commandLine = "\"" + path + "\"";
    if (w.size() > 2)
        commandLine += " " + w[2];
    std::string dir = d.cwd;
    if (dir.empty()) {
        size_t slash = path.find_last_of("\\/");
        dir = slash == std::string::npos ? "." : path.substr(0, slash ? slash : 1);
        if (dir.size() == 2 && dir[1] == ':')
            dir += "\\";
    }
    std::vector<char> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back('\0');
    STARTUPINFOA startup;
    memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    if (!CreateProcessA(path.c_str(), buffer.data(), NULL, NULL, FALSE, 0, NULL, dir.c_str(), &startup,
                        &d.process))
        return "cannot start " + path + " (error " + std::to_string(GetLastError()) + ")";
    d.started = true;
    Log("started pid %lu command line %s in %s", (unsigned long)d.process.dwProcessId,
        Quote(commandLine).c_str(), Quote(dir).c_str());
    return "";
}

static std::string StepTimeout(const Words& w) {
    bool ok;
    long ms = Number(w[1], &ok);
    if (!ok || ms < 0)
        return "bad timeout " + w[1];
    d.timeout = (DWORD)ms;
    return "";
}

static std::string StepPage(const Words& w) {
    bool ok;
    int wanted = (int)Number(w[1], &ok);
    if (!ok)
        return "bad page number " + w[1];
    HWND found = NULL;
    std::string error = WaitUntil(d.timeout, [&](const std::vector<SeenWindow>& list) -> std::string {
        for (const SeenWindow& s : list) {
            if (s.kind == kKindPage && s.page == wanted && s.hwnd != d.leftPage) {
                found = s.hwnd;
                return "";
            }
        }
        if (const SeenWindow* box = FindKind(list, kKindBox))
            return "!a message box is up instead: " + Quote(DescribeBox(box->hwnd).text);
        for (const SeenWindow& s : list) {
            if (s.kind == kKindPage && s.hwnd != d.leftPage && s.page != IDD_WAIT && wanted != IDD_WAIT)
                return "!page " + std::to_string(s.page) + " is up instead";
        }
        if (ProgramEnded(NULL))
            return "!the program ended";
        return "page " + std::to_string(wanted) + " not up";
    });
    if (!error.empty())
        return error;
    d.page = found;
    d.pageId = wanted;
    d.leftPage = NULL;
    return "";
}

static std::string StepTitle(const Words& w) {
    std::string error = NeedPage();
    if (!error.empty())
        return error;
    std::string title = TextOf(d.page);
    return title == w[1] ? "" : "title is " + Quote(title) + ", expected " + Quote(w[1]);
}

static std::string StepText(const Words& w) {
    HWND control;
    std::string error = NeedControl(w, &control);
    if (!error.empty())
        return error;
    std::string text = TextOf(control);
    return text == w[2] ? "" : "control " + w[1] + " shows " + Quote(text) + ", expected " + Quote(w[2]);
}

static std::string StateStep(const Words& w, const char* what, int actual) {
    bool ok;
    long wanted = Number(w[2], &ok);
    if (!ok)
        return "bad value " + w[2];
    if (actual == wanted)
        return "";
    return std::string(what) + " of control " + w[1] + " is " + std::to_string(actual) + ", expected " + w[2];
}

static std::string StepCheck(const Words& w) {
    HWND control;
    std::string error = NeedControl(w, &control);
    if (!error.empty())
        return error;
    DWORD_PTR state = 0;
    SendMessageTimeoutA(control, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 2000, &state);
    return StateStep(w, "check state", (int)state);
}

static std::string StepEnabled(const Words& w) {
    HWND control;
    std::string error = NeedControl(w, &control);
    return error.empty() ? StateStep(w, "enabled state", IsWindowEnabled(control) ? 1 : 0) : error;
}

static std::string StepVisible(const Words& w) {
    HWND control;
    std::string error = NeedControl(w, &control);
    return error.empty() ? StateStep(w, "visible state", IsWindowVisible(control) ? 1 : 0) : error;
}

static std::string StepFocus(const Words& w) {
    HWND control;
    std::string error = NeedControl(w, &control);
    if (!error.empty())
        return error;
    HWND focus = FocusOf(d.page);
    if (focus == control)
        return "";
    return "the focus is on control " + std::to_string((short)GetDlgCtrlID(focus)) + ", expected " + w[1];
}

static std::string StepRows(const Words& w) {
    HWND control;
    std::string error = NeedControl(w, &control);
    if (!error.empty())
        return error;
    std::vector<std::string> rows = ListRows(control);
    Words expected(w.begin() + 2, w.end());
    if (rows == expected)
        return "";
    std::string out = "list " + w[1] + " holds";
    for (const std::string& row : rows)
        out += " " + Quote(row);
    return out + " (" + std::to_string(rows.size()) + " rows)";
}

static std::string StepSelect(const Words& w) {
    HWND control;
    std::string error = NeedControl(w, &control);
    if (!error.empty())
        return error;
    bool ok;
    long row = Number(w[2], &ok);
    if (!ok)
        return "bad row " + w[2];
    DWORD_PTR result = 0;
    SendMessageTimeoutA(control, LB_SETCURSEL, (WPARAM)row, 0, SMTO_ABORTIFHUNG, 2000, &result);
    if (row >= 0 && (LONG_PTR)result != row)
        return "list " + w[1] + " has no row " + w[2];
    PostMessageA(d.page, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), LBN_SELCHANGE), (LPARAM)control);
    return "";
}

static std::string StepType(const Words& w) {
    HWND control;
    std::string error = NeedControl(w, &control);
    if (!error.empty())
        return error;
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(control, WM_SETTEXT, 0, (LPARAM)w[2].c_str(), SMTO_ABORTIFHUNG, 2000, &result))
        return "the page did not take the text";
    return "";
}

static std::string StepClick(const Words& w) {
    HWND control;
    std::string error = NeedControl(w, &control);
    if (!error.empty())
        return error;
    if (!IsWindowVisible(control) || !IsWindowEnabled(control))
        return "control " + w[1] + " is hidden or disabled";
    d.leftPage = d.page;
    PostMessageA(control, BM_CLICK, 0, 0);
    return "";
}

static std::string StepKey(const Words& w) {
    static const struct {
        const char* name;
        WPARAM key;
    } kKeys[] = {{"escape", VK_ESCAPE}, {"enter", VK_RETURN}, {"tab", VK_TAB}, {"space", VK_SPACE}};
    for (const auto& k : kKeys) {
        if (w[1] != k.name)
            continue;
        std::vector<SeenWindow> list = Scan();
        const SeenWindow* box = FindKind(list, kKindBox);
        HWND target = box ? box->hwnd : d.page;
        if (!target)
            return "no dialog to send the key to";
        HWND focus = FocusOf(target);
        if (!focus)
            focus = target;
        if (!box)
            d.leftPage = d.page;
        PostMessageA(focus, WM_KEYDOWN, k.key, 1);
        PostMessageA(focus, WM_KEYUP, k.key, (LPARAM)0xC0000001);
        return "";
    }
    return "unknown key " + w[1];
}

static int ButtonOfAnswer(const std::string& answer) {
    if (answer == "ok")
        return IDOK;
    if (answer == "cancel")
        return IDCANCEL;
    if (answer == "yes")
        return IDYES;
    if (answer == "no")
        return IDNO;
    return 0;
}

static std::string CheckBox(HWND box, const Words& w, int* button) {
    BoxInfo info = DescribeBox(box);
    HWND owner = GetWindow(box, GW_OWNER);
    std::string ownerName = owner == d.mainWindow ? "main" : owner && owner == d.page ? "page" : "other";
    if (info.text != w[1])
        return "box text is " + Quote(info.text) + ", expected " + Quote(w[1]);
    *button = 0;
    for (size_t i = 2; i < w.size(); i += 2) {
        if (i + 1 >= w.size())
            return "step ends after " + w[i];
        const std::string& key = w[i];
        const std::string& value = w[i + 1];
        std::string actual;
        if (key == "caption")
            actual = info.caption;
        else if (key == "icon")
            actual = info.icon;
        else if (key == "buttons")
            actual = info.buttons;
        else if (key == "owner")
            actual = ownerName;
        else if (key == "press") {
            *button = ButtonOfAnswer(value);
            if (!*button)
                return "unknown answer " + value;
            continue;
        } else
            return "unknown box attribute " + key;
        if (actual != value)
            return "box " + key + " is " + Quote(actual) + ", expected " + Quote(value) + " (text " +
                   Quote(info.text) + ")";
    }
    return "";
}

static std::string StepBox(const Words& w) {
    HWND box = NULL;
    std::string error = WaitUntil(d.timeout, [&](const std::vector<SeenWindow>& list) -> std::string {
        if (const SeenWindow* found = FindKind(list, kKindBox)) {
            box = found->hwnd;
            return "";
        }
        DWORD code;
        if (ProgramEnded(&code))
            return "!the program ended (exit code " + std::to_string(code) + ") without the box " +
                   Quote(w[1]);
        return "no message box";
    });
    if (!error.empty())
        return error;
    int button = 0;
    error = CheckBox(box, w, &button);
    if (!error.empty() || !button)
        return error; // without `press` the box stays up for a later step
    HWND control = ControlOf(box, button);
    if (!control || !IsWindowVisible(control))
        return "the box has no " + w.back() + " button";
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), (LPARAM)control);
    Log("pressed %s", w.back().c_str());
    return WaitUntil(d.timeout, [&](const std::vector<SeenWindow>&) -> std::string {
        return IsWindow(box) && IsWindowVisible(box) ? "the box did not close" : "";
    });
}

static std::string StepNobox(const Words& w) {
    bool ok;
    long ms = Number(w[1], &ok);
    if (!ok || ms < 0)
        return "bad duration " + w[1];
    std::set<HWND> before;
    for (const SeenWindow& s : Scan())
        before.insert(s.hwnd);
    std::string error = WaitUntil((DWORD)ms, [&](const std::vector<SeenWindow>& list) -> std::string {
        for (const SeenWindow& s : list) {
            if (before.count(s.hwnd))
                continue;
            if (s.kind == kKindBox)
                return "!a message box appeared: " + Quote(DescribeBox(s.hwnd).text);
            if (s.kind == kKindPage || s.kind == kKindDialog)
                return "!a dialog appeared:" + Describe(std::vector<SeenWindow>(1, s));
        }
        return "waiting";
    });
    return error.compare(0, 9, "timed out") == 0 ? "" : error;
}

static std::string MessageStep(const Words& w, HWND target, bool send) {
    if (w.size() != 4)
        return "expected MSG WPARAM LPARAM";
    bool ok1, ok2, ok3;
    UINT message = (UINT)Number(w[1], &ok1);
    WPARAM wParam = (WPARAM)(unsigned long)Number(w[2], &ok2);
    LPARAM lParam = (LPARAM)Number(w[3], &ok3);
    if (!ok1 || !ok2 || !ok3)
        return "bad number";
    if (!target || !IsWindow(target))
        return "no window to send to";
    if (!send)
        return PostMessageA(target, message, wParam, lParam) ? "" : "PostMessage failed";
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(target, message, wParam, lParam, SMTO_NORMAL, d.timeout, &result))
        return "the program did not answer the message";
    Log("answer %lld", (long long)result);
    return "";
}

static std::string NeedMain() {
    if (d.mainWindow)
        return "";
    return WaitUntil(d.timeout, [](const std::vector<SeenWindow>&) -> std::string {
        return d.mainWindow ? "" : "no main window";
    });
}

static std::string StepPost(const Words& w) {
    std::string error = NeedMain();
    return error.empty() ? MessageStep(w, d.mainWindow, false) : error;
}

static std::string StepSend(const Words& w) {
    std::string error = NeedMain();
    return error.empty() ? MessageStep(w, d.mainWindow, true) : error;
}

static std::string StepPostPage(const Words& w) {
    std::string error = NeedPage();
    return error.empty() ? MessageStep(w, d.page, false) : error;
}

static std::string StepMaximized(const Words& w) {
    std::string error = NeedMain();
    if (!error.empty())
        return error;
    int zoomed = IsZoomed(d.mainWindow) ? 1 : 0;
    if (w[1] == std::to_string(zoomed))
        return "";
    return std::string("the main window is ") + (zoomed ? "" : "not ") + "maximised";
}

static std::string StepEnableMain(const Words& w) {
    std::string error = NeedMain();
    if (!error.empty())
        return error;
    EnableWindow(d.mainWindow, w[1] == "1");
    return "";
}

static std::string StepMainTitle(const Words& w) {
    std::string error = NeedMain();
    if (!error.empty())
        return error;
    std::string title = TextOf(d.mainWindow);
    return title == w[1] ? "" : "the main window's title is " + Quote(title) + ", expected " + Quote(w[1]);
}

static std::string StepWaitFile(const Words& w) {
    return WaitUntil(d.timeout, [&](const std::vector<SeenWindow>&) -> std::string {
        return GetFileAttributesA(w[1].c_str()) != INVALID_FILE_ATTRIBUTES ? "" : "no file " + w[1];
    });
}

static std::string StepTouch(const Words& w) {
    FILE* f = fopen(w[1].c_str(), "a");
    if (!f)
        return "cannot create " + w[1];
    fclose(f);
    return "";
}

static std::string StepExit(const Words& w) {
    bool ok;
    long wanted = Number(w[1], &ok);
    if (!ok)
        return "bad exit code " + w[1];
    if (!d.started)
        return "the program was not started";
    DWORD code = 0;
    std::string error = WaitUntil(d.timeout, [&](const std::vector<SeenWindow>& list) -> std::string {
        if (ProgramEnded(&code))
            return "";
        if (const SeenWindow* box = FindKind(list, kKindBox))
            return "!a message box is up: " + Quote(DescribeBox(box->hwnd).text);
        return "the program is still running";
    });
    if (!error.empty())
        return error;
    return (long)code == wanted ? "" : "exit code " + std::to_string(code) + ", expected " + w[1];
}

static std::string StepRunning(const Words&) {
    if (!d.started)
        return "the program was not started";
    DWORD code;
    return ProgramEnded(&code) ? "the program ended with exit code " + std::to_string(code) : "";
}

static std::string StepSleep(const Words& w) {
    bool ok;
    long ms = Number(w[1], &ok);
    if (!ok || ms < 0)
        return "bad duration " + w[1];
    WaitUntil((DWORD)ms, [](const std::vector<SeenWindow>&) -> std::string { return "sleeping"; });
    return "";
}

static const struct {
    const char* name;
    size_t minWords, maxWords;
    StepFn run;
} kSteps[] = {
    {"cwd", 2, 2, StepCwd},
    {"start", 2, 3, StepStart},
    {"timeout", 2, 2, StepTimeout},
    {"page", 2, 2, StepPage},
    {"title", 2, 2, StepTitle},
    {"text", 3, 3, StepText},
    {"check", 3, 3, StepCheck},
    {"enabled", 3, 3, StepEnabled},
    {"visible", 3, 3, StepVisible},
    {"focus", 2, 2, StepFocus},
    {"rows", 2, 1000, StepRows},
    {"select", 3, 3, StepSelect},
    {"type", 3, 3, StepType},
    {"click", 2, 2, StepClick},
    {"key", 2, 2, StepKey},
    {"box", 2, 12, StepBox},
    {"nobox", 2, 2, StepNobox},
    {"post", 4, 4, StepPost},
    {"send", 4, 4, StepSend},
    {"postpage", 4, 4, StepPostPage},
    {"maximized", 2, 2, StepMaximized},
    {"waitfile", 2, 2, StepWaitFile},
    {"touch", 2, 2, StepTouch},
    {"exit", 2, 2, StepExit},
    {"running", 1, 1, StepRunning},
    {"maintitle", 2, 2, StepMainTitle},
    {"enablemain", 2, 2, StepEnableMain},
    {"sleep", 2, 2, StepSleep},
};

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
        bool known = false;
        for (const auto& step : kSteps) {
            if (w[0] != step.name)
                continue;
            known = true;
            if (w.size() < step.minWords || w.size() > step.maxWords)
                return Failed(text, "wrong number of arguments");
            error = step.run(w);
            break;
        }
        if (!known)
            return Failed(text, "unknown step " + w[0]);
        if (!error.empty())
            return Failed(text, error);
    }
    return 0;
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
    Log(rc == 0 ? "PASS" : "FAIL");
    fclose(d.transcript);
    return rc;
}

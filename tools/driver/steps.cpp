// The scenario steps, one function each, and the table naming them: first those on the program's windows,
// then the rest (the road runner's host commands, fixtures, a file held open, the registry, the services).
#include "driver.h"

#include "resource.h"

#include <algorithm>
#include <map>
#include <stdio.h>
#include <stdlib.h>

// A decimal or 0x number; false when the whole word is not one.
static bool Number(const std::string& word, long* value) {
    char* end = NULL;
    *value = strtol(word.c_str(), &end, 0);
    return !word.empty() && end && *end == '\0';
}

static bool FileExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Starts EXE with the command line "EXE" ARGS in folder dir (NULL: the driver's); "" or why not.
static std::string StartProcess(const std::string& exe, const std::string& args, const char* dir,
                                PROCESS_INFORMATION* process) {
    std::string commandLine = "\"" + exe + "\"" + (args.empty() ? "" : " " + args);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    if (!CreateProcessA(exe.c_str(), &commandLine[0], NULL, NULL, FALSE, 0, NULL, dir, &startup, process))
        return "cannot start " + exe + " (error " + std::to_string(GetLastError()) + ")";
    return "";
}

static const SeenWindow* FindKind(const Windows& list, WindowKind kind) {
    for (const SeenWindow& w : list) {
        if (w.kind == kind)
            return &w;
    }
    return NULL;
}

// The words sorted, each after a blank; " nothing" for none.
static std::string Listed(Words words) {
    std::sort(words.begin(), words.end());
    std::string out;
    for (const std::string& word : words)
        out += " " + word;
    return words.empty() ? " nothing" : out;
}

// The dialogs in list as `onscreen` names them: pages by number, "box", and "dialog" for one not known.
static std::string Dialogs(const Windows& list) {
    Words up;
    for (const SeenWindow& s : list) {
        if (s.kind != kKindMain)
            up.push_back(s.kind == kKindBox ? "box" : s.page ? std::to_string(s.page) : "dialog");
    }
    return Listed(up);
}

// Polls until check returns "" (done) or a text starting with "!" (failed at once); any other text is the
// reason given when the time runs out.
template <typename Check> static std::string WaitUntil(DWORD limit, Check check) {
    DWORD start = GetTickCount();
    for (;;) {
        Windows list = Scan();
        std::string state = check(list);
        if (state.empty())
            return "";
        if (state[0] == '!')
            return state.substr(1);
        if (GetTickCount() - start >= limit)
            return "timed out after " + std::to_string(limit) + " ms: " + state +
                   "; on screen:" + Dialogs(list);
        Sleep(15);
    }
}

static std::string StepStart(const Words& w, HWND) {
    if (d.started && !ProgramEnded(NULL))
        return "the program is still running";
    if (d.started) // a second run of the road: the first has ended
        ForgetProgram();
    const std::string& path = w[1];
    size_t slash = path.find_last_of("\\/");
    std::string dir = slash == std::string::npos ? "." : path.substr(0, slash ? slash : 1);
    if (dir.size() == 2 && dir[1] == ':')
        dir += "\\";
    std::string args = w.size() > 2 ? w[2] : "";
    std::string error = StartProcess(path, args, dir.c_str(), &d.process);
    d.started = error.empty();
    if (d.started)
        Log("started pid %lu: %s %s in %s", (unsigned long)d.process.dwProcessId, Quote(path).c_str(),
            Quote(args).c_str(), Quote(dir).c_str());
    return error;
}

// `timeout MS` sets the wait limit; `sleep MS` pauses, still watching the windows.
static std::string StepTime(const Words& w, HWND) {
    long ms;
    if (!Number(w[1], &ms) || ms < 0)
        return "bad duration " + w[1];
    if (w[0] == "timeout")
        d.timeout = (DWORD)ms * d.slowdown;
    else
        WaitUntil((DWORD)ms, [](const Windows&) -> std::string { return "sleeping"; });
    return "";
}

static std::string StepPage(const Words& w, HWND) {
    long wanted;
    if (!Number(w[1], &wanted))
        return "bad page number " + w[1];
    HWND found = NULL;
    std::string error = WaitUntil(d.timeout, [&](const Windows& list) -> std::string {
        for (const SeenWindow& s : list) {
            if (s.kind == kKindPage && s.page == wanted && s.hwnd != d.leftPage) {
                found = s.hwnd;
                return "";
            }
        }
        if (const SeenWindow* box = FindKind(list, kKindBox))
            return "!a message box is up instead: " + Quote(BoxText(box->hwnd));
        for (const SeenWindow& s : list) {
            if (s.kind == kKindPage && s.hwnd != d.leftPage && s.page != IDD_WAIT && wanted != IDD_WAIT)
                return "!page " + std::to_string(s.page) + " is up instead";
        }
        return ProgramEnded(NULL) ? "!the program ended" : "page " + w[1] + " not up";
    });
    if (!error.empty())
        return error;
    d.page = found;
    d.leftPage = NULL;
    return Claim(found);
}

// `text ID "T"`, `check ID 0|1` and `enabled ID 0|1`: what the control shows.
static std::string StepShows(const Words& w, HWND control) {
    DWORD_PTR checked = 0;
    std::string actual;
    if (w[0] == "text")
        actual = TextOf(control);
    else if (w[0] == "enabled")
        actual = IsWindowEnabled(control) ? "1" : "0";
    else if (SendMessageTimeoutA(control, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, AnswerTimeout(), &checked))
        actual = std::to_string(checked);
    if (actual == w[2])
        return "";
    return w[0] + " of control " + w[1] + " is " + Quote(actual) + ", expected " + Quote(w[2]);
}

static std::string StepRows(const Words& w, HWND control) {
    Words rows = ListRows(control);
    if (rows == Words(w.begin() + 2, w.end()))
        return "";
    std::string out = "list " + w[1] + " holds";
    for (const std::string& row : rows)
        out += " " + Quote(row);
    return out + " (" + std::to_string(rows.size()) + " rows)";
}

static std::string StepSelect(const Words& w, HWND control) {
    long row;
    if (!Number(w[2], &row) || row < 0)
        return "bad row " + w[2];
    DWORD_PTR result = 0;
    SendMessageTimeoutA(control, LB_SETCURSEL, (WPARAM)row, 0, SMTO_ABORTIFHUNG, AnswerTimeout(), &result);
    if ((LONG_PTR)result != row)
        return "list " + w[1] + " has no row " + w[2];
    PostMessageA(d.page, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), LBN_SELCHANGE), (LPARAM)control);
    return "";
}

static std::string StepType(const Words& w, HWND control) {
    DWORD_PTR result = 0;
    bool taken = SendMessageTimeoutA(control, WM_SETTEXT, 0, (LPARAM)w[2].c_str(), SMTO_ABORTIFHUNG,
                                     AnswerTimeout(), &result);
    return taken ? "" : "the page did not take the text";
}

static std::string StepClick(const Words& w, HWND control) {
    if (!IsWindowVisible(control) || !IsWindowEnabled(control))
        return "control " + w[1] + " is hidden or disabled";
    d.leftPage = d.page;
    PostMessageA(control, BM_CLICK, 0, 0);
    return "";
}

// `key escape|enter|space`: to the focus in the box that is up, else in the page.
static std::string StepKey(const Words& w, HWND) {
    WPARAM key = w[1] == "escape" ? VK_ESCAPE : w[1] == "enter" ? VK_RETURN : w[1] == "space" ? VK_SPACE : 0;
    if (!key)
        return "unknown key " + w[1];
    Windows list = Scan();
    const SeenWindow* box = FindKind(list, kKindBox);
    HWND target = box ? box->hwnd : d.page;
    if (!target)
        return "no dialog to send the key to";
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    bool known = GetGUIThreadInfo(GetWindowThreadProcessId(target, NULL), &info) && info.hwndFocus;
    HWND focus = known ? info.hwndFocus : target;
    if (!box)
        d.leftPage = d.page;
    PostMessageA(focus, WM_KEYDOWN, key, 1);
    PostMessageA(focus, WM_KEYUP, key, (LPARAM)0xC0000001);
    return "";
}

// Checks the box against `box "TEXT" [NAME VALUE]...`; *button is the id that `press` names, 0 without one.
static std::string CheckBox(HWND box, const Words& w, int* button) {
    static const std::map<std::string, int> kAnswers = {
        {"ok", IDOK}, {"cancel", IDCANCEL}, {"yes", IDYES}, {"no", IDNO}};
    BoxInfo info = DescribeBox(box);
    std::map<std::string, std::string> actual = {
        {"caption", info.caption}, {"icon", info.icon}, {"buttons", info.buttons}, {"owner", info.owner}};
    if (info.text != w[1])
        return "box text is " + Quote(info.text) + ", expected " + Quote(w[1]);
    if (w.size() % 2 != 0)
        return "no value after " + w.back();
    for (size_t i = 2; i < w.size(); i += 2) {
        const std::string& name = w[i];
        const std::string& value = w[i + 1];
        if (name == "press" && kAnswers.count(value))
            *button = kAnswers.at(value);
        else if (!actual.count(name))
            return "unknown box attribute " + name + " " + value;
        else if (actual[name] != value)
            return "box " + name + " is " + Quote(actual[name]) + ", expected " + Quote(value);
    }
    return "";
}

static std::string StepBox(const Words& w, HWND) {
    HWND box = NULL;
    std::string error = WaitUntil(d.timeout, [&](const Windows& list) -> std::string {
        if (const SeenWindow* found = FindKind(list, kKindBox)) {
            box = found->hwnd;
            return "";
        }
        DWORD code = 0;
        if (!ProgramEnded(&code))
            return "no message box";
        return "!the program ended (exit code " + std::to_string(code) + ") without the box " + Quote(w[1]);
    });
    // A box is read again until it matches or the wait runs out: a program slowed down (by emulation or a
    // loaded machine) may answer a look at its box only after the box is up.
    int button = 0;
    if (error.empty())
        error = WaitUntil(d.timeout, [&](const Windows&) -> std::string {
            std::string mismatch = CheckBox(box, w, &button);
            return mismatch.empty() || IsWindow(box) ? mismatch : "!" + mismatch;
        });
    if (error.empty())
        error = Claim(box);
    if (!error.empty() || !button)
        return error; // without `press` the box stays up for a later step
    HWND control = ControlOf(box, button);
    if (!control || !IsWindowVisible(control))
        return "the box has no " + w.back() + " button";
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), (LPARAM)control);
    Log("pressed %s", w.back().c_str());
    return WaitUntil(d.timeout, [&](const Windows&) -> std::string {
        return IsWindow(box) && IsWindowVisible(box) ? "the box did not close" : "";
    });
}

// `post MSG WPARAM LPARAM` and `send MSG WPARAM LPARAM` to the main window.
static std::string StepMessage(const Words& w, HWND main) {
    long message, wParam, lParam;
    if (!Number(w[1], &message) || !Number(w[2], &wParam) || !Number(w[3], &lParam))
        return "bad number";
    if (w[0] == "post")
        return PostMessageA(main, message, (unsigned long)wParam, lParam) ? "" : "PostMessage failed";
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(main, message, (unsigned long)wParam, lParam, SMTO_NORMAL, d.timeout, &result))
        return "the program did not answer the message";
    Log("answer %lld", (long long)result);
    return "";
}

static std::string StepMaximized(const Words& w, HWND main) {
    bool zoomed = IsZoomed(main);
    if (w[1] == (zoomed ? "1" : "0"))
        return "";
    return std::string("the main window is ") + (zoomed ? "" : "not ") + "maximised";
}

static std::string StepEnableMain(const Words& w, HWND main) {
    EnableWindow(main, w[1] == "1");
    return "";
}

static std::string StepWaitFile(const Words& w, HWND) {
    return WaitUntil(
        d.timeout, [&](const Windows&) -> std::string { return FileExists(w[1]) ? "" : "no file " + w[1]; });
}

// `touch PATH` creates the file; `hold PATH` opens it, sharing nothing, until the driver ends.
static std::string StepFile(const Words& w, HWND) {
    bool hold = w[0] == "hold";
    HANDLE file = CreateFileA(w[1].c_str(), GENERIC_READ | GENERIC_WRITE, 0, NULL,
                              hold ? OPEN_EXISTING : OPEN_ALWAYS, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return "cannot open " + w[1];
    if (!hold)
        CloseHandle(file);
    return "";
}

static std::string StepExit(const Words& w, HWND) {
    long wanted;
    if (!Number(w[1], &wanted))
        return "bad exit code " + w[1];
    if (!d.started)
        return "the program was not started";
    DWORD code = 0;
    std::string error = WaitUntil(d.timeout, [&](const Windows& list) -> std::string {
        if (ProgramEnded(&code))
            return "";
        const SeenWindow* box = FindKind(list, kKindBox);
        return box ? "!a message box is up: " + Quote(BoxText(box->hwnd)) : "the program is still running";
    });
    if (error.empty() && (long)code != wanted)
        error = "exit code " + std::to_string(code) + ", expected " + w[1];
    return error.empty() ? Claim(NULL) : error;
}

// `onscreen [N|box]...`: exactly these dialogs of the program are up now, nothing else.
static std::string StepOnscreen(const Words& w, HWND) {
    std::string up = Dialogs(Scan());
    return up == Listed(Words(w.begin() + 1, w.end())) ? "" : "on screen:" + up;
}

// `kill`: ends the program at once, as a power cut would; `start` may then run it again.
static std::string StepKill(const Words&, HWND) {
    if (!d.started || ProgramEnded(NULL))
        return "the program is not running";
    Scan();
    std::string strays = Claim(NULL);
    if (!strays.empty())
        return strays;
    TerminateProcess(d.process.hProcess, 1);
    WaitForSingleObject(d.process.hProcess, d.timeout);
    Log("killed the program");
    ForgetProgram();
    return "";
}

// `host N`: the road runner (tests/blackbox/road.sh) runs host command N on the Linux side while the driver
// waits: C:\zelroad\N.go asks for it, N.ok or N.fail (holding the reason) answers.
static std::string StepHost(const Words& w, HWND) {
    std::string base = "C:\\zelroad\\" + w[1];
    FILE* go = fopen((base + ".go").c_str(), "w");
    if (!go)
        return "cannot ask for host command " + w[1];
    fclose(go);
    return WaitUntil(120000, [&](const Windows&) -> std::string {
        FILE* fail = fopen((base + ".fail").c_str(), "r");
        if (!fail)
            return FileExists(base + ".ok") ? "" : "host command " + w[1] + " still running";
        char text[2048] = "";
        fread(text, 1, sizeof text - 1, fail);
        fclose(fail);
        return "!host: " + std::string(text);
    });
}

// `spawn EXE [ARGS] [ready FILE]`: a fixture (test Program Manager, shell DDE host) that runs beside the
// program until the road ends.
static std::string StepSpawn(const Words& w, HWND) {
    bool ready = w.size() >= 4 && w[w.size() - 2] == "ready";
    std::string args;
    for (size_t i = 2; i < w.size() - (ready ? 2 : 0); ++i)
        args += (args.empty() ? "" : " ") + w[i];
    PROCESS_INFORMATION fixture;
    std::string error = StartProcess(w[1], args, NULL, &fixture);
    if (!error.empty())
        return error;
    CloseHandle(fixture.hThread);
    d.fixtures.push_back(fixture.hProcess);
    return ready ? StepWaitFile({"waitfile", w.back()}, NULL) : "";
}

// Opens HKLM\KEY, made as needed when make is true.
static LONG OpenKey(const std::string& key, bool make, HKEY* opened) {
    if (key.compare(0, 5, "HKLM\\") != 0)
        return ERROR_BAD_PATHNAME;
    std::string path = key.substr(5);
    if (make)
        return RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, NULL, 0, KEY_ALL_ACCESS, NULL, opened,
                               NULL);
    return RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, opened);
}

// The registry type a step names: sz, expand or dword (0: none of them).
static DWORD TypeOf(const std::string& name) {
    return name == "sz" ? REG_SZ : name == "expand" ? REG_EXPAND_SZ : name == "dword" ? REG_DWORD : 0;
}

// `reg KEY absent`, `reg KEY VALUE absent`, `reg KEY VALUE TYPE DATA`: what the registry holds (a text's
// stored size must be its length and the terminator).
static std::string StepReg(const Words& w, HWND) {
    HKEY key;
    if (OpenKey(w[1], false, &key) != ERROR_SUCCESS)
        return w.size() == 3 && w[2] == "absent" ? "" : "no key " + w[1];
    char data[1024];
    DWORD type = 0, size = sizeof data;
    LONG read = RegQueryValueExA(key, w[2].c_str(), NULL, &type, (BYTE*)data, &size);
    RegCloseKey(key);
    if (w.size() == 3)
        return w[2] == "absent" ? "key " + w[1] + " exists" : "expected KEY absent";
    if (w.size() == 4 && w[3] == "absent")
        return read == ERROR_SUCCESS ? "value " + w[2] + " exists" : "";
    if (w.size() != 5)
        return "expected KEY VALUE TYPE DATA";
    if (read != ERROR_SUCCESS)
        return "no value " + w[2] + " in " + w[1];
    std::string actual = type == REG_DWORD ? std::to_string(*(DWORD*)data) : std::string(data, size);
    std::string expected = type == REG_DWORD ? w[4] : w[4] + std::string(1, '\0');
    if (type == TypeOf(w[3]) && actual == expected)
        return "";
    return w[2] + " is " + Quote(actual) + " of type " + std::to_string(type) + ", expected " +
           Quote(expected) + " of type " + w[3];
}

// `regset KEY VALUE sz|expand DATA`: writes a text value, making the key as needed.
static std::string StepRegSet(const Words& w, HWND) {
    DWORD type = TypeOf(w[3]);
    HKEY key;
    if ((type != REG_SZ && type != REG_EXPAND_SZ) || OpenKey(w[1], true, &key) != ERROR_SUCCESS)
        return "cannot make key " + w[1] + " with a value of type " + w[3];
    LONG set = RegSetValueExA(key, w[2].c_str(), 0, type, (const BYTE*)w[4].c_str(), (DWORD)w[4].size() + 1);
    RegCloseKey(key);
    return set == ERROR_SUCCESS ? "" : "cannot set " + w[2];
}

// `service NAME is PATH running|stopped`: the service runs PATH and is in that state; one just told to start
// or stop is given 5 s to get there.
static std::string ServiceIs(SC_HANDLE service, const Words& w) {
    DWORD_PTR buffer[1024]; // a QUERY_SERVICE_CONFIGA and the texts it points to
    QUERY_SERVICE_CONFIGA* config = (QUERY_SERVICE_CONFIGA*)buffer;
    DWORD needed = 0, state = w[4] == "running" ? SERVICE_RUNNING : SERVICE_STOPPED;
    SERVICE_STATUS status = {};
    for (int i = 0; i < 100 && QueryServiceStatus(service, &status) && status.dwCurrentState != state; ++i)
        Sleep(50);
    if (!QueryServiceConfigA(service, config, sizeof buffer, &needed))
        return "cannot read " + w[1];
    if (w[3] != config->lpBinaryPathName)
        return w[1] + " runs " + Quote(config->lpBinaryPathName) + ", expected " + Quote(w[3]);
    if (status.dwCurrentState != state)
        return w[1] + " is in state " + std::to_string(status.dwCurrentState) + ", expected " + w[4];
    return "";
}

// `service NAME absent|start`, `service NAME is PATH running|stopped`, `service NAME create PATH`.
static std::string StepService(const Words& w, HWND) {
    const std::string& name = w[1];
    if (w.size() != (w[2] == "is" ? 5u : w[2] == "create" ? 4u : 3u))
        return "wrong number of arguments";
    SC_HANDLE manager = OpenSCManagerA(NULL, NULL, SC_MANAGER_ALL_ACCESS);
    if (!manager)
        return "no service manager";
    SC_HANDLE service = w[2] == "create"
                            ? CreateServiceA(manager, name.c_str(), name.c_str(), SERVICE_ALL_ACCESS,
                                             SERVICE_WIN32_OWN_PROCESS, SERVICE_AUTO_START,
                                             SERVICE_ERROR_NORMAL, w[3].c_str(), NULL, NULL, NULL, NULL, NULL)
                            : OpenServiceA(manager, name.c_str(), SERVICE_ALL_ACCESS);
    std::string error;
    if (w[2] == "absent")
        error = service ? "service " + name + " exists" : "";
    else if (!service)
        error = (w[2] == "create" ? "cannot create " : "no service ") + name;
    else if (w[2] == "start")
        error = StartServiceA(service, 0, NULL) ? "" : "cannot start " + name;
    else if (w[2] == "is")
        error = ServiceIs(service, w);
    else if (w[2] != "create")
        error = "unknown service step " + w[2];
    if (service)
        CloseServiceHandle(service);
    CloseServiceHandle(manager);
    return error;
}

// The control w[1] of the current page; "" or why not.
static std::string FindControl(const Words& w, HWND* control) {
    long id;
    if (!d.page || !IsWindow(d.page))
        return "no page is current: no `page` step found one, or it has closed";
    if (!Number(w[1], &id))
        return "bad control id " + w[1];
    *control = ControlOf(d.page, (int)id);
    return *control ? "" : "the current page has no control " + w[1];
}

// What a step is handed besides its words.
enum Target { kNone, kControl, kMain };

typedef std::string (*StepFn)(const Words& w, HWND target);

static const struct {
    const char* name;
    size_t minWords, maxWords;
    Target target;
    StepFn run;
} kSteps[] = {
    {"start", 2, 3, kNone, StepStart},
    {"timeout", 2, 2, kNone, StepTime},
    {"page", 2, 2, kNone, StepPage},
    {"text", 3, 3, kControl, StepShows},
    {"check", 3, 3, kControl, StepShows},
    {"enabled", 3, 3, kControl, StepShows},
    {"rows", 2, 1000, kControl, StepRows},
    {"select", 3, 3, kControl, StepSelect},
    {"type", 3, 3, kControl, StepType},
    {"click", 2, 2, kControl, StepClick},
    {"key", 2, 2, kNone, StepKey},
    {"box", 2, 12, kNone, StepBox},
    {"post", 4, 4, kMain, StepMessage},
    {"send", 4, 4, kMain, StepMessage},
    {"maximized", 2, 2, kMain, StepMaximized},
    {"enablemain", 2, 2, kMain, StepEnableMain},
    {"waitfile", 2, 2, kNone, StepWaitFile},
    {"touch", 2, 2, kNone, StepFile},
    {"exit", 2, 2, kNone, StepExit},
    {"sleep", 2, 2, kNone, StepTime},
    {"onscreen", 1, 6, kNone, StepOnscreen},
    {"kill", 1, 1, kNone, StepKill},
    {"host", 2, 2, kNone, StepHost},
    {"spawn", 2, 12, kNone, StepSpawn},
    {"hold", 2, 2, kNone, StepFile},
    {"reg", 3, 5, kNone, StepReg},
    {"regset", 5, 5, kNone, StepRegSet},
    {"service", 3, 5, kNone, StepService},
};

std::string RunStep(const Words& w) {
    for (const auto& step : kSteps) {
        if (w[0] != step.name)
            continue;
        if (w.size() < step.minWords || w.size() > step.maxWords)
            return "wrong number of arguments";
        HWND target = NULL;
        std::string error;
        if (step.target == kControl)
            error = FindControl(w, &target);
        else if (step.target == kMain) // waited for
            error = WaitUntil(d.timeout, [&](const Windows&) -> std::string {
                target = d.mainWindow;
                return target ? "" : "no main window";
            });
        return error.empty() ? step.run(w, target) : error;
    }
    return "unknown step " + w[0];
}

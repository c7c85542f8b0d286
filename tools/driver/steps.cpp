// The scenario steps, one function each, and the table that names them.
#include "driver.h"

#include "resource.h"

#include <algorithm>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static std::string StepStart(const Words& w) {
    if (d.started && !ProgramEnded(NULL))
        return "the program is still running";
    if (d.started) { // a second run of the road: the first has ended
        CloseHandle(d.process.hProcess);
        CloseHandle(d.process.hThread);
        d.started = d.endLogged = false;
        d.mainWindow = d.page = d.leftPage = NULL;
    }
    std::string path = w[1];
    std::string commandLine = "\"" + path + "\"";
    if (w.size() > 2)
        commandLine += " " + w[2];
    size_t slash = path.find_last_of("\\/");
    std::string dir = slash == std::string::npos ? "." : path.substr(0, slash ? slash : 1);
    if (dir.size() == 2 && dir[1] == ':')
        dir += "\\";
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
    return Claim(found);
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
    if (!ok || row < 0)
        return "bad row " + w[2];
    DWORD_PTR result = 0;
    SendMessageTimeoutA(control, LB_SETCURSEL, (WPARAM)row, 0, SMTO_ABORTIFHUNG, 2000, &result);
    if ((LONG_PTR)result != row)
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
    } kKeys[] = {{"escape", VK_ESCAPE}, {"enter", VK_RETURN}, {"space", VK_SPACE}};
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
    if (error.empty())
        error = Claim(box);
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
    if ((long)code != wanted)
        return "exit code " + std::to_string(code) + ", expected " + w[1];
    return Claim(NULL);
}

static std::string StepSleep(const Words& w) {
    bool ok;
    long ms = Number(w[1], &ok);
    if (!ok || ms < 0)
        return "bad duration " + w[1];
    WaitUntil((DWORD)ms, [](const std::vector<SeenWindow>&) -> std::string { return "sleeping"; });
    return "";
}

// `onscreen [N|box]...`: exactly these dialogs of the program are up now
// (pages by number, 107 the wait dialog), nothing else left over.
static std::string StepOnscreen(const Words& w) {
    std::vector<std::string> up;
    for (const SeenWindow& s : Scan()) {
        if (s.kind == kKindBox)
            up.push_back("box");
        else if (s.kind == kKindPage || s.kind == kKindDialog)
            up.push_back(s.page ? std::to_string(s.page) : "dialog");
    }
    std::vector<std::string> wanted(w.begin() + 1, w.end());
    std::sort(up.begin(), up.end());
    std::sort(wanted.begin(), wanted.end());
    if (up != wanted) {
        std::string list;
        for (const std::string& u : up)
            list += " " + u;
        return "on screen:" + (list.empty() ? std::string(" nothing") : list);
    }
    return "";
}

// ---- beyond the program's windows: the road runner's host commands, the fixtures a road starts,
// ending the program by force, holding a file open, the registry and services the program reads and leaves

// `host N`: the road runner (tests/blackbox/road.sh) runs host command N on
// the Linux side while the driver waits: C:\zelroad\N.go asks for it,
// N.ok or N.fail (holding the reason) answers.
static std::string StepHost(const Words& w) {
    std::string base = "C:\\zelroad\\" + w[1];
    FILE* go = fopen((base + ".go").c_str(), "w");
    if (!go)
        return "cannot ask for host command " + w[1];
    fclose(go);
    std::string reason;
    std::string error = WaitUntil(120000, [&](const std::vector<SeenWindow>&) -> std::string {
        if (GetFileAttributesA((base + ".ok").c_str()) != INVALID_FILE_ATTRIBUTES)
            return "";
        FILE* fail = fopen((base + ".fail").c_str(), "r");
        if (!fail)
            return "host command " + w[1] + " still running";
        char text[2048];
        size_t n = fread(text, 1, sizeof text - 1, fail);
        fclose(fail);
        text[n] = '\0';
        return "!host: " + std::string(text);
    });
    return error;
}

// `spawn EXE [ARGS] [ready FILE]`: a fixture (test Program Manager, shell DDE
// host) that runs beside the program until the road ends.
static std::string StepSpawn(const Words& w) {
    std::string commandLine = "\"" + w[1] + "\"";
    size_t last = w.size();
    if (w.size() >= 4 && w[w.size() - 2] == "ready")
        last = w.size() - 2;
    for (size_t i = 2; i < last; ++i)
        commandLine += " " + w[i];
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION fixture;
    std::vector<char> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back('\0');
    if (!CreateProcessA(w[1].c_str(), buffer.data(), NULL, NULL, FALSE, 0, NULL, NULL, &startup, &fixture))
        return "cannot start " + w[1] + " (error " + std::to_string(GetLastError()) + ")";
    CloseHandle(fixture.hThread);
    d.fixtures.push_back(fixture.hProcess);
    if (last == w.size())
        return "";
    const std::string& ready = w.back();
    return WaitUntil(d.timeout, [&](const std::vector<SeenWindow>&) -> std::string {
        return GetFileAttributesA(ready.c_str()) != INVALID_FILE_ATTRIBUTES ? "" : w[1] + " not ready";
    });
}

// `kill`: ends the program at once, the way a power cut or the task manager
// would; `start` may then run it again.
static std::string StepKill(const Words&) {
    if (!d.started)
        return "the program was not started";
    if (ProgramEnded(NULL))
        return "the program had already ended";
    Scan();
    std::string strays = Claim(NULL);
    if (!strays.empty())
        return strays;
    TerminateProcess(d.process.hProcess, 1);
    WaitForSingleObject(d.process.hProcess, d.timeout);
    Log("killed the program");
    CloseHandle(d.process.hProcess);
    CloseHandle(d.process.hThread);
    d.started = d.endLogged = false;
    d.mainWindow = d.page = d.leftPage = NULL;
    return "";
}

// `hold PATH`: opens the file sharing nothing, until the road ends.
static std::string StepHold(const Words& w) {
    HANDLE file = CreateFileA(w[1].c_str(), GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return "cannot open " + w[1];
    d.held.push_back(file);
    return "";
}

// The keys of the steps are under HKLM: "HKLM\\path".
static HKEY RootOf(const std::string& key, std::string* rest) {
    *rest = key.substr(key.find('\\') + 1);
    return key.compare(0, 5, "HKLM\\") == 0 ? HKEY_LOCAL_MACHINE : NULL;
}

static const struct {
    const char* name;
    DWORD type;
} kTypes[] = {{"sz", REG_SZ}, {"expand", REG_EXPAND_SZ}, {"dword", REG_DWORD}};

// `reg KEY absent` | `reg KEY VALUE absent` | `reg KEY VALUE TYPE DATA`: what
// the registry holds (TYPE sz, expand or dword; a text's stored size must be
// its length and the terminator).
static std::string StepReg(const Words& w) {
    std::string path;
    HKEY root = RootOf(w[1], &path), key;
    if (!root)
        return "unknown root in " + w[1];
    LONG opened = RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key);
    if (w.size() == 3 && w[2] == "absent")
        return opened == ERROR_SUCCESS ? (RegCloseKey(key), "key " + w[1] + " exists") : "";
    if (opened != ERROR_SUCCESS)
        return "no key " + w[1];
    char data[1024];
    DWORD type = 0, size = sizeof data;
    LONG read = RegQueryValueExA(key, w[2].c_str(), NULL, &type, (BYTE*)data, &size);
    RegCloseKey(key);
    if (w.size() == 4 && w[3] == "absent")
        return read == ERROR_SUCCESS ? "value " + w[2] + " exists" : "";
    if (w.size() != 5)
        return "expected KEY VALUE TYPE DATA";
    if (read != ERROR_SUCCESS)
        return "no value " + w[2] + " in " + w[1];
    for (const auto& t : kTypes) {
        if (w[3] != t.name)
            continue;
        std::string actual = type == REG_DWORD ? std::to_string(*(DWORD*)data) : std::string(data, size);
        std::string expected = type == REG_DWORD ? w[4] : w[4] + std::string(1, '\0');
        if (type != t.type || actual != expected)
            return w[2] + " is " + Quote(actual) + " of type " + std::to_string(type) + ", expected " +
                   Quote(expected) + " of type " + std::to_string(t.type);
        return "";
    }
    return "unknown type " + w[3];
}

// `regset KEY VALUE sz|expand DATA`: writes a text value, making the key as needed.
static std::string StepRegSet(const Words& w) {
    std::string path;
    HKEY root = RootOf(w[1], &path), key;
    DWORD type = w[3] == "sz" ? REG_SZ : w[3] == "expand" ? REG_EXPAND_SZ : 0;
    if (!type)
        return "unknown type " + w[3];
    if (!root || RegCreateKeyExA(root, path.c_str(), 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL))
        return "cannot make key " + w[1];
    LONG set = RegSetValueExA(key, w[2].c_str(), 0, type, (const BYTE*)w[4].c_str(), (DWORD)w[4].size() + 1);
    RegCloseKey(key);
    return set == ERROR_SUCCESS ? "" : "cannot set " + w[2];
}

// `service NAME absent` | `service NAME is PATH running|stopped` |
// `service NAME create PATH` | `service NAME start`.
static std::string StepService(const Words& w) {
    SC_HANDLE manager = OpenSCManagerA(NULL, NULL, SC_MANAGER_ALL_ACCESS);
    if (!manager)
        return "no service manager";
    std::string error;
    if (w[2] == "create") {
        SC_HANDLE s = CreateServiceA(manager, w[1].c_str(), w[1].c_str(), SERVICE_ALL_ACCESS,
                                     SERVICE_WIN32_OWN_PROCESS, SERVICE_AUTO_START, SERVICE_ERROR_NORMAL,
                                     w[3].c_str(), NULL, NULL, NULL, NULL, NULL);
        error = s ? "" : "cannot create " + w[1];
        if (s)
            CloseServiceHandle(s);
    } else {
        SC_HANDLE s = OpenServiceA(manager, w[1].c_str(), SERVICE_ALL_ACCESS);
        if (!s) {
            error = w[2] == "absent" ? "" : "no service " + w[1];
        } else if (w[2] == "absent") {
            error = "service " + w[1] + " exists";
        } else if (w[2] == "start") {
            error = StartServiceA(s, 0, NULL) ? "" : "cannot start " + w[1];
        } else {
            union {
                QUERY_SERVICE_CONFIGA config;
                char bytes[8192];
            } buffer;
            DWORD needed = 0;
            SERVICE_STATUS status = {};
            // A service just told to start or stop is given the time to get there.
            if (w.size() != 5) {
                CloseServiceHandle(s);
                CloseServiceHandle(manager);
                return "expected NAME is PATH running|stopped";
            }
            std::string wanted = w[4];
            DWORD state = wanted == "running" ? SERVICE_RUNNING : SERVICE_STOPPED;
            for (int i = 0; i < 100 && QueryServiceStatus(s, &status) && status.dwCurrentState != state; ++i)
                Sleep(50);
            if (!QueryServiceConfigA(s, &buffer.config, sizeof buffer, &needed))
                error = "cannot read " + w[1];
            else if (w[3] != buffer.config.lpBinaryPathName)
                error = w[1] + " runs " + Quote(buffer.config.lpBinaryPathName) + ", expected " + Quote(w[3]);
            else if (status.dwCurrentState != state)
                error =
                    w[1] + " is in state " + std::to_string(status.dwCurrentState) + ", expected " + wanted;
        }
        if (s)
            CloseServiceHandle(s);
    }
    CloseServiceHandle(manager);
    return error;
}

typedef std::string (*StepFn)(const Words&);

static const struct {
    const char* name;
    size_t minWords, maxWords;
    StepFn run;
} kSteps[] = {
    {"start", 2, 3, StepStart},
    {"timeout", 2, 2, StepTimeout},
    {"page", 2, 2, StepPage},
    {"text", 3, 3, StepText},
    {"check", 3, 3, StepCheck},
    {"enabled", 3, 3, StepEnabled},
    {"rows", 2, 1000, StepRows},
    {"select", 3, 3, StepSelect},
    {"type", 3, 3, StepType},
    {"click", 2, 2, StepClick},
    {"key", 2, 2, StepKey},
    {"box", 2, 12, StepBox},
    {"post", 4, 4, StepPost},
    {"send", 4, 4, StepSend},
    {"maximized", 2, 2, StepMaximized},
    {"waitfile", 2, 2, StepWaitFile},
    {"touch", 2, 2, StepTouch},
    {"exit", 2, 2, StepExit},
    {"enablemain", 2, 2, StepEnableMain},
    {"sleep", 2, 2, StepSleep},
    {"onscreen", 1, 6, StepOnscreen},
    {"host", 2, 2, StepHost},
    {"spawn", 2, 12, StepSpawn},
    {"kill", 1, 1, StepKill},
    {"hold", 2, 2, StepHold},
    {"reg", 3, 5, StepReg},
    {"regset", 5, 5, StepRegSet},
    {"service", 3, 5, StepService},
};

std::string RunStep(const Words& w) {
    for (const auto& step : kSteps) {
        if (w[0] != step.name)
            continue;
        if (w.size() < step.minWords || w.size() > step.maxWords)
            return "wrong number of arguments";
        return step.run(w);
    }
    return "unknown step " + w[0];
}

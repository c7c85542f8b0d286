// zelbench.exe: the timer of the benchmarks. Runs Windows programs in the
// bench prefix the way a user waits for them and prints one sample per run.
//
//   zelbench.exe run SESSION        every program of the session once to warm
//                                   up, then ROUNDS times, interleaved; one
//                                   line per counted run on stdout:
//                                   "sample NAME ROUND MILLISECONDS", and the
//                                   thread id of every run (round -1: the warm-up)
//   zelbench.exe reset SESSION NAME undo what program NAME leaves behind
//   zelbench.exe answer SESSION NAME answer NAME's disk prompts in any process
//                                   until the file "STOPFILE" of the session exists
//
// Session file (written by tools/bench/bench.sh), one statement a line, '#'
// starts a comment, words in double quotes may hold blanks:
//
//   rounds N                        rounds of the session (each program once a round)
//   stopfile "C:\x"                 what `answer` waits for
//   program NAME exit|page CWD COMMANDLINE
//       exit: the time from CreateProcess to the end of the process, which must
//             end with exit code 0;
//       page: the time from CreateProcess to the first visible dialog of the
//             process (other than a message box) being painted, no update
//             region left in it or its controls; that dialog must hold
//             control PAGECONTROL. The process is then ended.
//   pagecontrol NAME ID             the control that tells the awaited dialog
//   drive NAME "Z:\folder"          the folder that the drive the program runs
//                                   from shows (its first disk)
//   disk NAME N "Z:\folder"         the files of disk N (2, 3 ...): a prompt
//                                   "Please insert ZEL Vantorix Disk #N" moves
//                                   them into the drive folder and presses OK
//   prompts NAME K                  the number of disk prompts a run must answer
//   interval NAME MS                how often the program's windows are looked
//                                   at (default: every millisecond, for every
//                                   program alike)
//   reset NAME tree|file|service|regkey WHAT   undone before every run
//   expect NAME "C:\file" SIZE      after every run the file must have SIZE bytes
//                                   (-1: any size)
//   environment NAME VAR=VALUE      sets VAR in the program's environment (for
//                                   instance WINEDEBUG, to trace its calls)
//
// A run that fails (an unexpected exit code, a missing or wrong file, an
// unanswered message box, more than 120 s) ends the session with exit code 1
// and says why on stderr: a benchmark of a run that went wrong is worthless.
#include "clock.h"
#include <windows.h>

#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

namespace {

const DWORD kRunLimitMs = 120000;
const char kDiskPrompt[] = "Please insert ZEL Vantorix Disk #";
// A message box of the platform is a dialog with an icon control of this id
// (hidden when the box has no icon) and a text control of id 0xFFFF, the id
// that dialog templates also give any static without one of its own.
const int kMessageBoxIcon = 0x0440;
const int kMessageBoxText = 0xFFFF;

struct Reset {
    std::string kind, what;
};

struct Expect {
    std::string path;
    long long size;
};

struct Program {
    std::string name, mode, cwd, command;
    int pageControl = -1;
    std::string drive;
    std::vector<std::string> disks; // index n: the folder of disk n (0 and 1 unused)
    int prompts = 0;
    int interval = 0; // ms between looks at the program's windows; 0: the default
    std::vector<Reset> resets;
    std::vector<Expect> expects;
    std::vector<std::string> environment; // VAR=VALUE settings over the inherited ones
};

struct Session {
    int rounds = 7;
    std::string stopFile;
    std::vector<Program> programs;
};

bool PutDisksBack();

[[noreturn]] void Fail(const char* format, ...) {
    PutDisksBack(); // a failed session must not leave the disks mixed
    va_list args;
    va_start(args, format);
    fputs("zelbench: ", stderr);
    vfprintf(stderr, format, args);
    fputc('\n', stderr);
    va_end(args);
    fflush(stdout);
    ExitProcess(1);
}

// --- session file -------------------------------------------------------------

std::vector<std::string> SplitWords(const std::string& line) {
    std::vector<std::string> words;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r'))
            ++i;
        if (i >= line.size())
            break;
        std::string word;
        if (line[i] == '"') {
            size_t end = line.find('"', i + 1);
            if (end == std::string::npos)
                Fail("unclosed quote in: %s", line.c_str());
            word = line.substr(i + 1, end - i - 1);
            i = end + 1;
        } else {
            while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r')
                word += line[i++];
        }
        words.push_back(word);
    }
    return words;
}

Program* FindProgram(Session* s, const std::string& name) {
    for (Program& p : s->programs)
        if (p.name == name)
            return &p;
    return nullptr;
}

Program* NeedProgram(Session* s, const std::vector<std::string>& w, size_t count) {
    if (w.size() != count)
        Fail("statement \"%s\" needs %u words", w[0].c_str(), (unsigned)count);
    Program* p = FindProgram(s, w[1]);
    if (!p)
        Fail("no program %s", w[1].c_str());
    return p;
}

// The rest of the line from word index `from` on, joined by blanks: the
// command line keeps its own quotes.
std::string RestOfLine(const std::string& line, int from) {
    size_t i = 0;
    for (int word = 0; word < from; ++word) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
            ++i;
        if (i < line.size() && line[i] == '"')
            i = line.find('"', i + 1) + 1;
        else
            while (i < line.size() && line[i] != ' ' && line[i] != '\t')
                ++i;
    }
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
        ++i;
    std::string rest = line.substr(i);
    while (!rest.empty() && (rest.back() == '\r' || rest.back() == ' '))
        rest.pop_back();
    return rest;
}

Session ReadSession(const char* path) {
    FILE* file = fopen(path, "rb");
    if (!file)
        Fail("cannot open session %s", path);
    Session s;
    char buffer[4096];
    while (fgets(buffer, sizeof buffer, file)) {
        std::string line(buffer);
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
            line.pop_back();
        std::vector<std::string> w = SplitWords(line);
        if (w.empty() || w[0][0] == '#')
            continue;
        const std::string& what = w[0];
        if (what == "rounds" && w.size() == 2) {
            s.rounds = atoi(w[1].c_str());
        } else if (what == "stopfile" && w.size() == 2) {
            s.stopFile = w[1];
        } else if (what == "program" && w.size() >= 5) {
            Program p;
            p.name = w[1];
            p.mode = w[2];
            p.cwd = w[3];
            p.command = RestOfLine(line, 4);
            if (p.mode != "exit" && p.mode != "page")
                Fail("program %s: mode %s is neither exit nor page", p.name.c_str(), p.mode.c_str());
            s.programs.push_back(p);
        } else if (what == "pagecontrol") {
            NeedProgram(&s, w, 3)->pageControl = atoi(w[2].c_str());
        } else if (what == "drive") {
            NeedProgram(&s, w, 3)->drive = w[2];
        } else if (what == "disk") {
            Program* p = NeedProgram(&s, w, 4);
            size_t n = (size_t)atoi(w[2].c_str());
            if (n < 2 || n > 99)
                Fail("disk number %s out of range", w[2].c_str());
            if (p->disks.size() <= n)
                p->disks.resize(n + 1);
            p->disks[n] = w[3];
        } else if (what == "prompts") {
            NeedProgram(&s, w, 3)->prompts = atoi(w[2].c_str());
        } else if (what == "interval") {
            NeedProgram(&s, w, 3)->interval = atoi(w[2].c_str());
        } else if (what == "reset") {
            NeedProgram(&s, w, 4)->resets.push_back({w[2], w[3]});
        } else if (what == "environment") {
            Program* p = NeedProgram(&s, w, 3);
            if (w[2].find('=') == std::string::npos)
                Fail("environment %s: VAR=VALUE expected", w[2].c_str());
            p->environment.push_back(w[2]);
        } else if (what == "expect") {
            NeedProgram(&s, w, 4)->expects.push_back({w[2], atoll(w[3].c_str())});
        } else {
            Fail("cannot read session line: %s", line.c_str());
        }
    }
    fclose(file);
    if (s.rounds < 1)
        Fail("rounds must be at least 1");
    return s;
}

// --- undoing a run --------------------------------------------------------------

void DeleteTree(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return;
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(path.c_str());
        return;
    }
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((path + "\\*").c_str(), &entry);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (strcmp(entry.cFileName, ".") != 0 && strcmp(entry.cFileName, "..") != 0)
                DeleteTree(path + "\\" + entry.cFileName);
        } while (FindNextFileA(search, &entry));
        FindClose(search);
    }
    RemoveDirectoryA(path.c_str());
}

void DeleteService(const std::string& name) {
    SC_HANDLE manager = OpenSCManagerA(NULL, NULL, SC_MANAGER_ALL_ACCESS);
    if (!manager)
        return;
    SC_HANDLE service = OpenServiceA(manager, name.c_str(), DELETE | SERVICE_STOP);
    if (service) {
        SERVICE_STATUS status;
        ControlService(service, SERVICE_CONTROL_STOP, &status);
        ::DeleteService(service);
        CloseServiceHandle(service);
    }
    CloseServiceHandle(manager);
}

// "HKLM\path" or "HKCU\path": the key and its values (one level of subkeys).
void DeleteRegistryKey(const std::string& spec) {
    HKEY root = spec.compare(0, 5, "HKLM\\") == 0   ? HKEY_LOCAL_MACHINE
                : spec.compare(0, 5, "HKCU\\") == 0 ? HKEY_CURRENT_USER
                                                    : NULL;
    if (!root)
        Fail("registry key %s: HKLM\\ or HKCU\\ expected", spec.c_str());
    std::string path = spec.substr(5);
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
        char sub[256];
        while (RegEnumKeyA(key, 0, sub, sizeof sub) == ERROR_SUCCESS)
            if (RegDeleteKeyA(key, sub) != ERROR_SUCCESS)
                break;
        RegCloseKey(key);
    }
    RegDeleteKeyA(root, path.c_str());
}

// Files moved into the drive folder by disk prompts, to be put back.
struct Move {
    std::string from, to;
};
std::vector<Move> moves;

// Every file moved by a disk prompt back to its disk's folder; false when one
// cannot be moved (it is then named on stderr).
bool PutDisksBack() {
    bool ok = true;
    for (size_t i = moves.size(); i-- > 0;) {
        if (!MoveFileA(moves[i].to.c_str(), moves[i].from.c_str())) {
            fprintf(stderr, "zelbench: cannot move %s back to %s (error %lu)\n", moves[i].to.c_str(),
                    moves[i].from.c_str(), GetLastError());
            ok = false;
        }
    }
    moves.clear();
    return ok;
}

void ResetProgram(const Program& p) {
    if (!PutDisksBack())
        Fail("the disks of %s are mixed", p.name.c_str());
    for (const Reset& r : p.resets) {
        if (r.kind == "tree" || r.kind == "file")
            DeleteTree(r.what);
        else if (r.kind == "service")
            DeleteService(r.what);
        else if (r.kind == "regkey")
            DeleteRegistryKey(r.what);
        else
            Fail("unknown reset kind %s", r.kind.c_str());
        if (r.kind != "service" && r.kind != "regkey" &&
            GetFileAttributesA(r.what.c_str()) != INVALID_FILE_ATTRIBUTES)
            Fail("reset of %s: %s is still there", p.name.c_str(), r.what.c_str());
    }
}

// --- watching the program's windows ---------------------------------------------
//
// The timer looks at the program's top-level windows every millisecond (for
// every program, so that each pays the same for being watched; no difference
// was measurable against looking every 50 ms). It does not hook window
// events: under Wine a page raised no focus event, and a message box's text
// was not yet set when its creation event came.

struct Watch {
    const Program* program = nullptr;
    DWORD threadId = 0; // 0: the windows of every thread
    int promptsAnswered = 0;
    HWND page = NULL;     // a visible dialog that is no message box
    HWND answered = NULL; // the last disk prompt answered
    std::string unexpected;
} watch;

// Disk N's files into the drive folder.
void InsertDisk(int n) {
    const Program& p = *watch.program;
    if (n < 2 || (size_t)n >= p.disks.size() || p.disks[n].empty())
        Fail("%s asked for disk %d, which the session does not name", p.name.c_str(), n);
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((p.disks[n] + "\\*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE)
        return; // already in the drive
    do {
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            continue;
        Move m = {p.disks[n] + "\\" + entry.cFileName, p.drive + "\\" + entry.cFileName};
        if (!MoveFileA(m.from.c_str(), m.to.c_str()))
            Fail("cannot move %s into the drive (error %lu)", m.from.c_str(), GetLastError());
        moves.push_back(m);
    } while (FindNextFileA(search, &entry));
    FindClose(search);
}

// One top-level window of the program: a message box is answered when it is
// a disk prompt and reported otherwise; another visible dialog may be the
// awaited page.
BOOL CALLBACK LookAtWindow(HWND window, LPARAM) {
    char className[16] = "";
    if (!IsWindowVisible(window) || !GetClassNameA(window, className, sizeof className) ||
        strcmp(className, "#32770") != 0)
        return TRUE;
    HWND textControl = GetDlgItem(window, kMessageBoxText);
    if (!textControl || !GetDlgItem(window, kMessageBoxIcon)) {
        if (!watch.page)
            watch.page = window;
        return TRUE;
    }
    if (window == watch.answered)
        return TRUE;
    char text[256] = "";
    GetWindowTextA(textControl, text, sizeof text);
    if (strncmp(text, kDiskPrompt, strlen(kDiskPrompt)) == 0 && !watch.program->drive.empty()) {
        watch.answered = window;
        InsertDisk(atoi(text + strlen(kDiskPrompt)));
        ++watch.promptsAnswered;
        PostMessageA(window, WM_COMMAND, IDOK, 0);
    } else if (watch.unexpected.empty()) {
        watch.unexpected = text;
    }
    return TRUE;
}

void LookAtWindows() {
    if (watch.threadId)
        EnumThreadWindows(watch.threadId, LookAtWindow, 0);
    else
        EnumWindows(LookAtWindow, 0);
}

bool NoUpdatePending(HWND window) {
    RECT r;
    return !GetUpdateRect(window, &r, FALSE);
}

BOOL CALLBACK ChildPainted(HWND child, LPARAM lParam) {
    if (IsWindowVisible(child) && !NoUpdatePending(child)) {
        *(bool*)lParam = false;
        return FALSE;
    }
    return TRUE;
}

// The awaited page is up: visible, holding the page control, painted.
bool PageReady(const Program& p) {
    HWND page = watch.page;
    if (!page || !IsWindow(page))
        return false;
    if (!GetDlgItem(page, p.pageControl)) {
        char text[256] = "";
        GetWindowTextA(page, text, sizeof text);
        Fail("%s showed the dialog \"%s\", not the page with control %d", p.name.c_str(), text,
             p.pageControl);
    }
    // Wait until the page's thread has been back in its message loop, then look
    // for paint still owed.
    DWORD_PTR ignored;
    SendMessageTimeoutA(page, WM_NULL, 0, 0, SMTO_NORMAL, 2000, &ignored);
    bool painted = NoUpdatePending(page);
    if (painted)
        EnumChildWindows(page, ChildPainted, (LPARAM)&painted);
    return painted;
}

void CheckExpectations(const Program& p) {
    if (watch.promptsAnswered != p.prompts)
        Fail("%s: %d disk prompts answered, %d expected", p.name.c_str(), watch.promptsAnswered, p.prompts);
    for (const Expect& e : p.expects) {
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (!GetFileAttributesExA(e.path.c_str(), GetFileExInfoStandard, &data))
            Fail("%s left no %s", p.name.c_str(), e.path.c_str());
        long long size = ((long long)data.nFileSizeHigh << 32) | data.nFileSizeLow;
        if (e.size >= 0 && size != e.size)
            Fail("%s left %s with %lld bytes, %lld expected", p.name.c_str(), e.path.c_str(), size, e.size);
    }
}

// The environment block of p: the inherited variables, those that p sets
// replaced. Empty when p sets none (the child then inherits ours).
std::vector<char> EnvironmentFor(const Program& p) {
    std::vector<char> block;
    if (p.environment.empty())
        return block;
    char* inherited = GetEnvironmentStringsA();
    for (const char* v = inherited; *v; v += strlen(v) + 1) {
        bool replaced = false;
        for (const std::string& setting : p.environment) {
            size_t nameLength = setting.find('=') + 1;
            if (_strnicmp(v, setting.c_str(), nameLength) == 0)
                replaced = true;
        }
        if (!replaced)
            block.insert(block.end(), v, v + strlen(v) + 1);
    }
    FreeEnvironmentStringsA(inherited);
    for (const std::string& setting : p.environment)
        block.insert(block.end(), setting.c_str(), setting.c_str() + setting.size() + 1);
    block.push_back('\0');
    return block;
}

// One run of p; returns the milliseconds the user waited. The id of the
// program's first thread is printed ("thread NAME ROUND ID", hex), by which a
// trace of the run is found.
double RunOnce(const Program& p, int round) {
    ResetProgram(p);
    watch = Watch();
    watch.program = &p;
    STARTUPINFOA startup;
    memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    std::vector<char> command(p.command.begin(), p.command.end());
    command.push_back('\0');
    std::vector<char> environment = EnvironmentFor(p);
    double started = NowMs();
    if (!CreateProcessA(NULL, command.data(), NULL, NULL, FALSE, 0,
                        environment.empty() ? NULL : environment.data(), p.cwd.c_str(), &startup, &process))
        Fail("cannot start %s (error %lu)", p.command.c_str(), GetLastError());
    watch.threadId = process.dwThreadId;
    printf("thread %s %d %04lx\n", p.name.c_str(), round, process.dwThreadId);
    if (!p.environment.empty()) // marks where the run's own trace lines begin
        fprintf(stderr, "zelbench: thread %s %d %04lx\n", p.name.c_str(), round, process.dwThreadId);
    DWORD interval = p.interval > 0 ? (DWORD)p.interval : 1;
    double finished = 0;
    for (;;) {
        if (WaitForSingleObject(process.hProcess, interval) == WAIT_OBJECT_0) {
            finished = NowMs();
            break;
        }
        LookAtWindows();
        if (!watch.unexpected.empty()) {
            TerminateProcess(process.hProcess, 1);
            Fail("%s showed the message: %s", p.name.c_str(), watch.unexpected.c_str());
        }
        if (p.mode == "page" && PageReady(p)) {
            finished = NowMs();
            break;
        }
        if (NowMs() - started > kRunLimitMs) {
            TerminateProcess(process.hProcess, 1);
            Fail("%s did not finish within %lu s", p.name.c_str(), kRunLimitMs / 1000);
        }
    }
    DWORD exitCode = 0;
    if (p.mode == "page") {
        TerminateProcess(process.hProcess, 0);
        WaitForSingleObject(process.hProcess, INFINITE);
    } else {
        GetExitCodeProcess(process.hProcess, &exitCode);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    if (exitCode != 0)
        Fail("%s ended with exit code %lu", p.name.c_str(), exitCode);
    if (p.mode == "exit")
        CheckExpectations(p);
    return finished - started;
}

int RunSession(const Session& s) {
    size_t count = s.programs.size();
    if (count == 0)
        Fail("the session names no program");
    // One run of each program first, not counted: it brings the files and
    // the platform's caches to the state every later run meets.
    for (const Program& p : s.programs)
        RunOnce(p, -1);
    for (int round = 0; round < s.rounds; ++round) {
        // Each round starts with a different program, so that a slow drift of
        // the machine does not always fall on the same one.
        for (size_t i = 0; i < count; ++i) {
            const Program& p = s.programs[(i + (size_t)round) % count];
            double ms = RunOnce(p, round);
            printf("sample %s %d %.3f\n", p.name.c_str(), round, ms);
            fflush(stdout);
        }
    }
    for (const Program& p : s.programs)
        ResetProgram(p);
    return 0;
}

// Answers NAME's disk prompts shown by any process until the stop file exists
// (for runs started from outside, such as the peak-memory runs).
int Answer(const Session& s, const Program& p) {
    if (s.stopFile.empty())
        Fail("the session names no stopfile");
    watch = Watch();
    watch.program = &p;
    printf("ready\n");
    fflush(stdout);
    while (GetFileAttributesA(s.stopFile.c_str()) == INVALID_FILE_ATTRIBUTES) {
        Sleep(1);
        LookAtWindows();
        if (!watch.unexpected.empty())
            Fail("%s showed the message: %s", p.name.c_str(), watch.unexpected.c_str());
    }
    if (!PutDisksBack())
        Fail("the disks of %s are mixed", p.name.c_str());
    printf("answered %d\n", watch.promptsAnswered);
    return watch.promptsAnswered == p.prompts ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && strcmp(argv[1], "run") == 0)
        return RunSession(ReadSession(argv[2]));
    if (argc == 4 && (strcmp(argv[1], "reset") == 0 || strcmp(argv[1], "answer") == 0)) {
        Session s = ReadSession(argv[2]);
        const Program* p = FindProgram(&s, argv[3]);
        if (!p)
            Fail("no program %s", argv[3]);
        if (argv[1][0] == 'a')
            return Answer(s, *p);
        ResetProgram(*p);
        return 0;
    }
    fprintf(stderr, "usage: zelbench run SESSION | reset SESSION NAME | answer SESSION NAME\n");
    return 2;
}

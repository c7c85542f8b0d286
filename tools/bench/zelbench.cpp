// zelbench.exe: the benchmarks' timer (tools/bench/bench.sh). Prints "sample NAME ROUND VALUE" lines.
//   run SESSION          each program of the session once to warm up, then ROUNDS rounds, each in another
//                        order: "NAME" in ms and "mem.NAME", its peak working set in MiB
//   stamp ROUNDS FILE... ReadVersionStamp against ReadFile + memchr on files ending in the stamp of 1.BD
//                        ("stamp.MB", "memchr.MB")
//   growth ROUNDS DIR    RemoveInstallation and ReconcileHistory against the number of installations
//   phases ROUND DIR     the product's start-up and post-copy steps ("phase.NAME"), reading DIR\SETUP.INI
// Session, a statement a line, words between blanks:
//   rounds N
//   program NAME exit|page DIR COMMANDLINE   exit: from CreateProcess to the end of the process (exit
//                        code 0); page: to the welcome page (or the bare dialog, which has its controls)
//                        up and painted, then the process is ended
//   disks NAME DRIVE DISK2 ...   the folders of the drive it runs from and of its further disks: a prompt
//                        "Please insert ZEL Vantorix Disk #N" moves disk N's files into the drive and
//                        presses OK; each further disk must be asked for once
//   expect NAME C:\file SIZE    after every run the file has SIZE bytes (-1: any)
// Before every run the timer undoes what any program leaves. It looks at a program's windows every
// millisecond with the driver's window reading (tools/driver/inspect.cpp). A run that goes wrong (exit
// code, files, another message box, over 300 s) ends the timer with exit code 1: its time is worthless.
#include "../driver/driver.h"
#include "app/app.h"
#include "app/mainwnd.h"
#include "pages/paint.h"
#include "base/state.h"
#include "history/history.h"
#include "removal/removal.h"
#include "app/script.h"
#include "install/stamp.h"
#include "ntconfig/ntconfig.h"
#include "ntconfig/service.h"
#include "pages/pages.h"
#include "resources/resource.h"

#include <ddeml.h>
#include <psapi.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <stdarg.h>
#include <stdlib.h>
#include <string.h>

// inspect.cpp names a box's owner from the driver's run state; the timer never asks for it.
Driver d;

namespace {

const char kDiskPrompt[] = "Please insert ZEL Vantorix Disk #";

struct Program {
    std::string name, mode, dir, command;
    Words disks;                // the drive's folder, then disks 2, 3 ...
    std::vector<Words> expects; // path, size
};
std::vector<std::pair<std::string, std::string>> moves; // disk files in a drive: from, to

void PutDisksBack() {
    for (size_t i = moves.size(); i-- > 0;)
        MoveFileA(moves[i].second.c_str(), moves[i].first.c_str());
    moves.clear();
}

[[noreturn]] void Fail(const char* format, ...) {
    PutDisksBack();
    va_list args;
    va_start(args, format);
    fputs("zelbench: ", stderr);
    vfprintf(stderr, format, args);
    fputc('\n', stderr);
    va_end(args);
    fflush(stdout);
    ExitProcess(1);
}

double NowMs() {
    static LARGE_INTEGER frequency;
    LARGE_INTEGER now;
    if (!frequency.QuadPart)
        QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    return (double)now.QuadPart * 1000.0 / (double)frequency.QuadPart;
}

void Sample(const std::string& name, int round, double value) {
    printf("sample %s %d %.3f\n", name.c_str(), round, value);
    fflush(stdout);
}

template <typename Work> void Time(const std::string& name, int round, Work work) {
    double started = NowMs();
    work();
    Sample(name, round, NowMs() - started);
}

std::vector<Program> ReadSession(const char* path, int* rounds) {
    std::ifstream file(path);
    std::vector<Program> programs;
    for (std::string line; std::getline(file, line);) {
        line.erase(line.find_last_not_of('\r') + 1);
        std::istringstream words(line);
        Words w;
        for (std::string word; words >> word;)
            w.push_back(word);
        Program* p = NULL;
        for (Program& known : programs)
            p = w.size() >= 3 && known.name == w[1] ? &known : p;
        if (w.size() == 2 && w[0] == "rounds")
            *rounds = atoi(w[1].c_str());
        else if (w.size() >= 5 && w[0] == "program") // the command line keeps its own quotes
            programs.push_back({w[1], w[2], w[3], line.substr(line.find(' ' + w[4]) + 1), {}, {}});
        else if (p && w[0] == "disks")
            p->disks.assign(w.begin() + 2, w.end());
        else if (p && w.size() == 4 && w[0] == "expect")
            p->expects.push_back({w[2], w[3]});
        else if (!w.empty())
            Fail("cannot read session line: %s", line.c_str());
    }
    if (programs.empty() || *rounds < 1)
        Fail("no program or no rounds in %s", path);
    return programs;
}

// Calls action for every file of the folder.
template <typename Action> void ForEachFile(const std::string& folder, Action action) {
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &entry);
    for (bool more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &entry)) {
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            action(folder + "\\" + entry.cFileName);
    }
    if (search != INVALID_HANDLE_VALUE)
        FindClose(search);
}

void UndoRun() {
    PutDisksBack();
    ForEachFile("C:\\Vantrx", [](const std::string& file) { DeleteFileA(file.c_str()); });
    RemoveDirectoryA("C:\\Vantrx");
    for (const char* file :
         {"C:\\windows\\zelunins.exe", "C:\\windows\\vantrx.386", "C:\\windows\\ZELSETUP.INI"})
        DeleteFileA(file);
    if (GetFileAttributesA("C:\\Vantrx") != INVALID_FILE_ATTRIBUTES)
        Fail("cannot delete C:\\Vantrx");
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\ZelPeer");
    RemoveLoggerService();
}

struct Watch {
    const Program& program;
    HANDLE process;
    DWORD pid;
    int answered;
    HWND lastPrompt, page;
    double peakMib;
};

// A disk prompt is answered, any other message box fails the run; the welcome page is noted.
void LookAtWindows(Watch* w) {
    const Words& disks = w->program.disks;
    for (const SeenWindow& seen : ListWindows(w->pid)) {
        if (seen.kind == kKindPage && seen.page == IDD_WELCOME)
            w->page = seen.hwnd;
        if (seen.kind != kKindBox || seen.hwnd == w->lastPrompt)
            continue;
        std::string text = BoxText(seen.hwnd);
        size_t n = (size_t)atoi(text.c_str() + strlen(kDiskPrompt));
        if (text.compare(0, strlen(kDiskPrompt), kDiskPrompt) != 0 || n < 2 || n > disks.size()) {
            TerminateProcess(w->process, 1);
            Fail("%s showed the message: %s", w->program.name.c_str(), text.c_str());
        }
        ForEachFile(disks[n - 1], [&disks](const std::string& file) {
            moves.push_back({file, disks[0] + file.substr(file.rfind('\\'))});
            if (!MoveFileA(file.c_str(), moves.back().second.c_str()))
                Fail("cannot move %s into the drive", file.c_str());
        });
        w->lastPrompt = seen.hwnd;
        ++w->answered;
        PostMessageA(seen.hwnd, WM_COMMAND, IDOK, 0);
    }
}

BOOL CALLBACK ChildOwesPaint(HWND child, LPARAM owes) {
    RECT r;
    if (IsWindowVisible(child) && GetUpdateRect(child, &r, FALSE))
        *(bool*)owes = true;
    return TRUE;
}

// The page has been painted: its thread has been back in its message loop, and no paint is owed in it
// or its controls.
bool PagePainted(HWND page) {
    DWORD_PTR ignored;
    RECT r;
    if (!page || !SendMessageTimeoutA(page, WM_NULL, 0, 0, SMTO_NORMAL, 2000, &ignored))
        return false;
    bool owes = GetUpdateRect(page, &r, FALSE) != 0;
    EnumChildWindows(page, ChildOwesPaint, (LPARAM)&owes);
    return !owes;
}

void CheckRun(const Watch& w) {
    const Program& p = w.program;
    if (w.answered != (int)std::max<size_t>(p.disks.size(), 1) - 1)
        Fail("%s: %d disk prompts answered, %u expected", p.name.c_str(), w.answered,
             (unsigned)p.disks.size() - 1);
    for (const Words& e : p.expects) {
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (!GetFileAttributesExA(e[0].c_str(), GetFileExInfoStandard, &data))
            Fail("%s left no %s", p.name.c_str(), e[0].c_str());
        if (e[1] != "-1" && data.nFileSizeLow != strtoul(e[1].c_str(), NULL, 10))
            Fail("%s left %s of %lu bytes, not %s", p.name.c_str(), e[0].c_str(), data.nFileSizeLow,
                 e[1].c_str());
    }
}

// One run of p: the milliseconds the user waited; its peak working set into *peakMib.
double RunOnce(const Program& p, double* peakMib) {
    UndoRun();
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    std::string command = p.command;
    double started = NowMs(), finished = 0;
    if (!CreateProcessA(NULL, &command[0], NULL, NULL, FALSE, 0, NULL, p.dir.c_str(), &startup, &process))
        Fail("cannot start %s (error %lu)", p.command.c_str(), GetLastError());
    Watch w = {p, process.hProcess, process.dwProcessId, 0, NULL, NULL, 0};
    while (!finished) {
        // Wine's memory counters of another process are those of its Linux process: the peak working set
        // is its peak resident size, which only grows, so the last look before the end holds the peak.
        PROCESS_MEMORY_COUNTERS counters;
        if (GetProcessMemoryInfo(process.hProcess, &counters, sizeof counters))
            w.peakMib = std::max(w.peakMib, (double)counters.PeakWorkingSetSize / (1024.0 * 1024.0));
        if (WaitForSingleObject(process.hProcess, 1) == WAIT_OBJECT_0)
            finished = NowMs();
        else
            LookAtWindows(&w);
        if (!finished && p.mode == "page" && PagePainted(w.page))
            finished = NowMs();
        if (!finished && NowMs() - started > 300000 && TerminateProcess(process.hProcess, 1))
            Fail("%s did not finish within 300 s", p.name.c_str());
    }
    DWORD exitCode = 0;
    if (p.mode == "page")
        TerminateProcess(process.hProcess, 0);
    else if (GetExitCodeProcess(process.hProcess, &exitCode) && exitCode != 0)
        Fail("%s ended with exit code %lu", p.name.c_str(), exitCode);
    WaitForSingleObject(process.hProcess, INFINITE);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    if (p.mode == "exit")
        CheckRun(w);
    *peakMib = w.peakMib;
    return finished - started;
}

int RunSession(const char* path) {
    int rounds = 0;
    std::vector<Program> programs = ReadSession(path, &rounds);
    double mib;
    // A first run of each, not counted, brings the files and the platform's caches to the state every
    // later run meets.
    for (const Program& p : programs)
        RunOnce(p, &mib);
    for (int round = 0; round < rounds; ++round) {
        // Each round starts with another program, so that a drift of the machine falls on each alike.
        for (size_t i = 0; i < programs.size(); ++i) {
            const Program& p = programs[(i + (size_t)round) % programs.size()];
            Sample(p.name, round, RunOnce(p, &mib));
            Sample("mem." + p.name, round, mib);
        }
    }
    UndoRun();
    return 0;
}

const DWORD kChunk = 65000; // the product's chunk
const char kSignature[] = "zElSiG";
const int kSignatureLength = 6;
const int kStampBlock = 81;
unsigned char chunk[kChunk + kSignatureLength];

// The 81-byte stamp block of version 1.BD, as bench.sh writes it.
std::string StampBlock() {
    std::string block(kStampBlock, '\0');
    block.replace(0, kSignatureLength, kSignature);
    block.replace(25, 3, "\1BD");
    return block;
}

// Offset of the signature, by ReadFile chunks of the product's size and memchr for its first byte, the
// previous chunk's tail kept in front.
long long ScanWithMemchr(const char* path) {
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    long long start = 0, found = -1;
    DWORD carried = 0, got = 0;
    while (found < 0 && ReadFile(file, chunk + carried, kChunk, &got, NULL) && got > 0) {
        const unsigned char* end = chunk + carried + got;
        for (const unsigned char* p = chunk; found < 0; ++p) {
            p = (const unsigned char*)memchr(p, kSignature[0], (size_t)(end - p));
            if (!p || end - p < kSignatureLength)
                break; // it may go on in the next chunk
            if (memcmp(p, kSignature, kSignatureLength) == 0)
                found = start - carried + (p - chunk);
        }
        carried = kSignatureLength - 1;
        memmove(chunk, end - carried, carried);
        start += got;
    }
    CloseHandle(file);
    return found;
}

int StampScan(int rounds, int files, char** paths) {
    static const char* const kNames[2] = {"stamp.", "memchr."};
    std::string expected = StampBlock();
    for (int round = 0; round < rounds; ++round) {
        for (int f = 0; f < files; ++f) {
            WIN32_FILE_ATTRIBUTE_DATA data;
            GetFileAttributesExA(paths[f], GetFileExInfoStandard, &data);
            for (int c = 0; c < 2; ++c) {
                int contender = (c + round) % 2;
                char block[kStampBlock];
                memset(block, 0xCC, sizeof block);
                bool right = false;
                Time(kNames[contender] + std::to_string(data.nFileSizeLow >> 20), round, [&] {
                    right = contender == 0
                                ? ReadVersionStamp(paths[f], (unsigned char*)block) == 1 &&
                                      expected.compare(0, kStampBlock, block, kStampBlock) == 0
                                : ScanWithMemchr(paths[f]) == (long long)data.nFileSizeLow - kStampBlock;
                });
                if (!right)
                    Fail("%s: contender %d did not find the stamp", paths[f], contender);
            }
        }
    }
    return 0;
}

std::string growthRoot;

// Dated an hour back, as a file written by an earlier run is: Wine's profile functions parse a file
// younger than 2.1 s again at every call.
void WriteWholeFile(const std::string& path, const std::string& text) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    DWORD written = 0;
    if (file == INVALID_HANDLE_VALUE || !WriteFile(file, text.data(), (DWORD)text.size(), &written, NULL))
        Fail("cannot write %s", path.c_str());
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER t = {{now.dwLowDateTime, now.dwHighDateTime}};
    t.QuadPart -= 3600ULL * 10000000ULL;
    FILETIME then = {t.LowPart, t.HighPart};
    SetFileTime(file, &then, &then, &then);
    CloseHandle(file);
}

std::string Directory(const char* kind, int k) {
    char text[32];
    snprintf(text, sizeof text, "\\%s%03d", kind, k);
    return growthRoot + text;
}

// A history of n installations in KIND001.., each recording version 1.BD and a full file table.
void WriteHistory(const char* kind, int n) {
    std::string text = "[Main]\r\nTimesInstalled=" + std::to_string(n) + "\r\n", sections;
    for (int k = 1; k <= n; ++k) {
        std::string dir = Directory(kind, k);
        text += "number" + std::to_string(k) + "=" + dir + "\r\n";
        sections += "[" + dir + "]\r\nVersion=1.BD\r\nFilecount=26\r\nWhenInstalled=SAT 03/15/97\r\n";
        for (int f = 1; f <= 26; ++f)
            sections += "file" + std::to_string(f) + "=" + dir + "\\FILE" + std::to_string(f) + ".DAT\r\n";
    }
    WriteWholeFile(g.historyPath, text + sections);
}

// The oldest entry taken out with one write of [Main] (the later entries renumbered) and the deletion of
// its section: what batching RemoveHistoryEntry's moves is worth.
void RemoveOldestInOneWrite(const std::string& directory) {
    static char section[256 * 1024];
    DWORD length = GetPrivateProfileSectionA("Main", section, sizeof section, g.historyPath);
    std::string kept;
    int count = 0;
    for (const char* line = section; line < section + length && *line; line += strlen(line) + 1) {
        const char* value = strchr(line, '=');
        if (value && _strnicmp(line, "number", 6) == 0 && _stricmp(value + 1, directory.c_str()) != 0)
            kept += "number" + std::to_string(++count) + "=" + (value + 1) + '\0';
    }
    kept = "TimesInstalled=" + std::to_string(count) + '\0' + kept;
    WritePrivateProfileSectionA("Main", kept.c_str(), g.historyPath);
    WritePrivateProfileStringA(directory.c_str(), NULL, NULL, g.historyPath);
}

void CheckOldestRemoved(int n, const char* how) {
    char first[128] = "";
    HistoryDirectoryEntry(0, 1, first);
    if (GetTimesInstalled() != n - 1 || (n > 1 && Directory("gone", 2) != first))
        Fail("%s left the history wrong (N = %d)", how, n);
}

void TimeRemoval(int n, int round) {
    std::string oldest = Directory("gone", 1), count = "." + std::to_string(n);
    WriteHistory("gone", n);
    CreateDirectoryA(oldest.c_str(), NULL);
    for (int f = 1; f <= 26; ++f)
        WriteWholeFile(oldest + "\\FILE" + std::to_string(f) + ".DAT", "data");
    Time("remove" + count, round, [&] {
        if (!RemoveInstallation(oldest.c_str()))
            Fail("RemoveInstallation refused (N = %d)", n);
    });
    if (GetFileAttributesA(oldest.c_str()) != INVALID_FILE_ATTRIBUTES)
        Fail("the removed installation's folder is still there (N = %d)", n);
    CheckOldestRemoved(n, "RemoveInstallation");
    WriteHistory("gone", n);
    Time("remove.history" + count, round, [&] { RemoveHistoryEntry(oldest.c_str()); });
    CheckOldestRemoved(n, "RemoveHistoryEntry");
    WriteHistory("gone", n);
    Time("remove.onewrite" + count, round, [&] { RemoveOldestInOneWrite(oldest); });
    CheckOldestRemoved(n, "the one-write removal");
}

void TimeReconcile(int n, int round, bool stale) {
    WriteHistory(stale ? "stale" : "inst", n);
    Time((stale ? "reconcile.stale." : "reconcile.") + std::to_string(n), round, [] { ReconcileHistory(); });
    if (GetTimesInstalled() != (stale ? 0 : n))
        Fail("ReconcileHistory kept %d of %d entries (stale: %d)", GetTimesInstalled(), n, stale);
}

// As UnInstall on Windows NT calls them, for N = 1, 10 and 100 (stale entries: 1, 10 and 30; 100 took
// 16 s when each removal restarted the scan). inst001.. hold a VANTRX32.EXE with the recorded stamp, the
// stale ones none.
int HistoryGrowth(int rounds, const char* root) {
    static const int kCounts[3] = {1, 10, 100}, kStaleCounts[3] = {1, 10, 30};
    growthRoot = root;
    CreateDirectoryA(root, NULL);
    ResetAppState();
    g.runMode = kRunUninstall;
    g.osKind = kOsNt;
    GetWindowsDirectoryA(g.windowsDir, sizeof g.windowsDir);
    snprintf(g.historyPath, sizeof g.historyPath, "%s\\ZELSETUP.INI", g.windowsDir);
    if (DdeInitializeA(&g.ddeInstance, NULL, APPCMD_CLIENTONLY, 0) != DMLERR_NO_ERROR)
        Fail("no DDE instance");
    for (int k = 1; k <= kCounts[2]; ++k) {
        CreateDirectoryA(Directory("inst", k).c_str(), NULL);
        WriteWholeFile(Directory("inst", k) + "\\VANTRX32.EXE", std::string(4015, 'x') + StampBlock());
    }
    for (int round = 0; round < rounds; ++round) {
        for (int i = 0; i < 3; ++i) {
            int which = (i + round) % 3;
            TimeRemoval(kCounts[which], round);
            TimeReconcile(kCounts[which], round, false);
            TimeReconcile(kStaleCounts[which], round, true);
        }
    }
    DeleteFileA(g.historyPath);
    DdeUninitialize(g.ddeInstance);
    return 0;
}

// The history file RecordInstallation wrote, written again with one section write for [Main] and one
// for the installation: the floor of writing the record.
void RecordAgainInTwoWrites(int round) {
    static char mainSection[64 * 1024], installSection[64 * 1024];
    GetPrivateProfileSectionA("Main", mainSection, sizeof mainSection, g.historyPath);
    GetPrivateProfileSectionA(g.installDir, installSection, sizeof installSection, g.historyPath);
    DeleteFileA(g.historyPath);
    Time("phase.history-record-twowrites", round, [] {
        WritePrivateProfileSectionA("Main", mainSection, g.historyPath);
        WritePrivateProfileSectionA(g.installDir, installSection, g.historyPath);
    });
    if (GetPrivateProfileIntA("Main", "TimesInstalled", 0, g.historyPath) != 1)
        Fail("the history file written in two writes lacks its [Main]");
}

// In the order of start-up and of the steps after the copy. load: from process creation to main (the
// DLLs it imports); first-window: what the platform sets up for a process's first window; dde-instance:
// a process's first DDE instance (the main window's creation makes the second).
int Phases(double load, int round, const char* sourceDir) {
    HINSTANCE instance = GetModuleHandleA(NULL);
    Sample("phase.load", round, load);
    ResetAppState();
    snprintf(g.sourceDir, sizeof g.sourceDir, "%s", sourceDir);
    snprintf(g.caption, sizeof g.caption, "ZEL Vantorix Setup");
    GetWindowsDirectoryA(g.windowsDir, sizeof g.windowsDir);
    snprintf(g.historyPath, sizeof g.historyPath, "%s\\ZELSETUP.INI", g.windowsDir);
    Time("phase.service-query", round, [] { g.loggerWasRunning = LoggerServiceRunning(); });
    Time("phase.first-window", round, [instance] {
        DestroyWindow(CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, NULL, NULL, instance, NULL));
    });
    Time("phase.dde-instance", round, [] {
        DWORD dde = 0;
        DdeInitializeA(&dde, NULL, APPCMD_CLIENTONLY | CBF_SKIP_ALLNOTIFICATIONS, 0);
        DdeUninitialize(dde);
    });
    Time("phase.main-window", round, [instance] { g.mainWindow = MakeMainWindow(instance); });
    Time("phase.show-and-paint", round, [] {
        ShowWindow(g.mainWindow, SW_SHOWMAXIMIZED);
        UpdateWindow(g.mainWindow);
    });
    Time("phase.repaint", round, [] {
        HDC dc = GetDC(g.mainWindow);
        PaintBackground(g.mainWindow, dc);
        ReleaseDC(g.mainWindow, dc);
    });
    Time("phase.start-up-checks", round, [] {
        char script[128];
        DetectOsKind();
        if (SetupScriptPath(script, sizeof script))
            g.autorun = ReadAutorun(script);
        GetTimesInstalled();
        IsAdministrator();
    });
    Time("phase.setup-script", round, [] {
        if (!LoadSetupScript() || g.fileCount != 26)
            Fail("the setup script in %s was not read (%d files)", g.sourceDir, g.fileCount);
    });
    Time("phase.welcome-page", round, [instance] {
        HWND page =
            CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_WELCOME), g.mainWindow, WelcomeDlgProc, 0);
        MSG message;
        UpdateWindow(page);
        while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE))
            DispatchMessageA(&message);
        DestroyWindow(page);
    });
    CreateDirectoryA(g.installDir, NULL);
    Time("phase.history-record", round, [] { RecordInstallation(); });
    RecordAgainInTwoWrites(round);
    Time("phase.nt-configuration", round, [] { ConfigureNtSystem(); });
    Time("phase.logger-service", round, [] { CreateLoggerService(g.installDir); });
    RemoveLoggerService();
    DeleteFileA((std::string(g.installDir) + "\\ZEL_NT.INI").c_str());
    RemoveDirectoryA(g.installDir);
    DeleteFileA(g.historyPath);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    FILETIME created, exited, kernel, user, now;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    GetSystemTimeAsFileTime(&now);
    double load = (double)((((ULONGLONG)now.dwHighDateTime << 32) | now.dwLowDateTime) -
                           (((ULONGLONG)created.dwHighDateTime << 32) | created.dwLowDateTime)) /
                  10000.0;
    std::string what = argc >= 3 ? argv[1] : "";
    if (what == "run" && argc == 3)
        return RunSession(argv[2]);
    if (what == "stamp" && argc >= 4)
        return StampScan(atoi(argv[2]), argc - 3, argv + 3);
    if (what == "growth" && argc == 4)
        return HistoryGrowth(atoi(argv[2]), argv[3]);
    if (what == "phases" && argc == 4)
        return Phases(load, atoi(argv[2]), argv[3]);
    fprintf(stderr,
            "usage: zelbench run SESSION | stamp ROUNDS FILE... | growth ROUNDS DIR | phases ROUND DIR\n");
    return 2;
}

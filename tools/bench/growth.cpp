// growth.exe ROUNDS ROOT: how the history operations of the setup program
// grow with the number of recorded installations. Links the product's
// objects and calls its operations in this process, as UnInstall on Windows
// NT would:
//
//   remove.N          RemoveInstallation of the oldest of N recorded
//                     installations (every later entry moves down one number;
//                     each profile write rewrites the whole history file)
//   remove.history.N  of that, RemoveHistoryEntry alone
//   remove.onewrite.N the same change of the history file made with one write
//                     of [Main] (what batching the moves would be worth)
//   reconcile.N       ReconcileHistory over N entries whose VANTRX32.EXE is in
//                     place with the recorded version (reads only)
//   reconcile.stale.N ReconcileHistory over N entries whose VANTRX32.EXE is
//                     gone (every entry is dropped; the scan restarts after each)
//
// for N = 1, 10 and 100 (the stale case: 1, 10 and 30; it grows with the cube
// of N and takes about 16 s at 100), each round in an order that changes with
// the round.
// One line per run: "sample NAME ROUND MS". The history file (the prefix's
// own ZELSETUP.INI) and the installation folders under ROOT (a Windows path)
// are made afresh before each timed call and checked after it; a result
// other than the expected one ends the program with exit code 1. The history
// file is dated an hour back, as one written by an earlier run is: Wine's
// profile functions parse a file again at every call while it is less than
// 2.1 s old, and keep it parsed otherwise.
#include "app/script.h"
#include "base/state.h"
#include "clock.h"
#include "history/history.h"
#include "removal/removal.h"

#include <windows.h>
#include <ddeml.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>

namespace {

const int kCounts[3] = {1, 10, 100};
const int kStaleCounts[3] = {1, 10, 30};
const int kFilesPerInstallation = 26; // a full file table
const int kStampBlock = 81;

std::string root;

[[noreturn]] void Fail(const char* what, int n) {
    fprintf(stderr, "growth: %s (N = %d)\n", what, n);
    exit(1);
}

bool WriteWholeFile(const std::string& path, const std::string& text) {
    HANDLE file =
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    bool ok = WriteFile(file, text.data(), (DWORD)text.size(), &written, NULL) && written == text.size();
    CloseHandle(file);
    return ok;
}

std::string Directory(const char* kind, int k) {
    char text[64];
    snprintf(text, sizeof text, "\\%s%03d", kind, k);
    return root + text;
}

// Sets the file's times an hour back.
bool DateBack(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                              OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER t;
    t.LowPart = now.dwLowDateTime;
    t.HighPart = now.dwHighDateTime;
    t.QuadPart -= 3600ULL * 10000000ULL;
    FILETIME then;
    then.dwLowDateTime = t.LowPart;
    then.dwHighDateTime = t.HighPart;
    bool ok = SetFileTime(file, &then, &then, &then) != 0;
    CloseHandle(file);
    return ok;
}

// A history of n installations in directories kind001..; the Version
// recorded for each is 1.BD, the stamp of the VANTRX32.EXE made for it.
void WriteHistory(const char* kind, int n) {
    std::string text = "[Main]\r\nTimesInstalled=" + std::to_string(n) + "\r\n";
    for (int k = 1; k <= n; ++k)
        text += "number" + std::to_string(k) + "=" + Directory(kind, k) + "\r\n";
    for (int k = 1; k <= n; ++k) {
        std::string dir = Directory(kind, k);
        text += "[" + dir + "]\r\nVersion=1.BD\r\nFilecount=" + std::to_string(kFilesPerInstallation) +
                "\r\nWhenInstalled=SAT 03/15/97\r\n";
        for (int f = 1; f <= kFilesPerInstallation; ++f)
            text += "file" + std::to_string(f) + "=" + dir + "\\FILE" + std::to_string(f) + ".DAT\r\n";
    }
    if (!WriteWholeFile(g.historyPath, text) || !DateBack(g.historyPath))
        Fail("cannot write the history file", n);
}

// A program file of 4 KB with the stamp of version 1.BD at its end.
std::string StampedProgram() {
    std::string bytes(4096 - kStampBlock, 'x');
    unsigned char block[kStampBlock] = {'z', 'E', 'l', 'S', 'i', 'G', 0x01, 0x00, 0x0C, 0x0D};
    block[25] = 1;
    block[26] = 'B';
    block[27] = 'D';
    bytes.append((const char*)block, kStampBlock);
    return bytes;
}

void MakeDirectory(const std::string& dir) {
    if (!CreateDirectoryA(dir.c_str(), NULL) && GetLastError() != ERROR_ALREADY_EXISTS)
        Fail("cannot make a directory", 0);
}

// The installation folders that stay for the whole run: inst001.. with a
// stamped VANTRX32.EXE each; the stale ones have none.
void MakeInstallations(int n) {
    std::string program = StampedProgram();
    for (int k = 1; k <= n; ++k) {
        MakeDirectory(Directory("inst", k));
        if (!WriteWholeFile(Directory("inst", k) + "\\VANTRX32.EXE", program))
            Fail("cannot write VANTRX32.EXE", n);
    }
}

// The files of the installation to be removed: it must have something to delete.
void MakeRemovedFiles(int n) {
    std::string dir = Directory("gone", 1);
    MakeDirectory(dir);
    for (int f = 1; f <= kFilesPerInstallation; ++f)
        if (!WriteWholeFile(dir + "\\FILE" + std::to_string(f) + ".DAT", "data"))
            Fail("cannot write an installed file", n);
}

void Report(const char* name, int n, int round, double ms) {
    printf("sample %s.%d %d %.3f\n", name, n, round, ms);
    fflush(stdout);
}

// The history entry of the oldest installation taken out the way one
// section write would do it: [Main] read whole, written back whole with the
// later entries moved down, the installation's section deleted. What a
// RemoveHistoryEntry that wrote [Main] once instead of once per moved entry
// would cost.
void RemoveOldestEntryInOneWrite(const std::string& directory) {
    static char section[256 * 1024];
    DWORD length = GetPrivateProfileSectionA("Main", section, sizeof section, g.historyPath);
    std::string kept;
    int count = 0;
    for (const char* line = section; line < section + length && *line; line += strlen(line) + 1) {
        const char* equals = strchr(line, '=');
        if (!equals || _strnicmp(line, "number", 6) != 0)
            continue;
        if (_stricmp(equals + 1, directory.c_str()) == 0)
            continue;
        kept += "number" + std::to_string(++count) + "=" + (equals + 1) + '\0';
    }
    std::string text = "TimesInstalled=" + std::to_string(count) + '\0' + kept + '\0';
    WritePrivateProfileSectionA("Main", text.c_str(), g.historyPath);
    WritePrivateProfileStringA(directory.c_str(), NULL, NULL, g.historyPath);
}

// The history after the oldest of n entries was removed.
void CheckOldestRemoved(int n, const char* how) {
    if (GetTimesInstalled() != n - 1)
        Fail(how, n);
    if (n > 1) {
        char first[128];
        HistoryDirectoryEntry(0, 1, first);
        if (Directory("gone", 2) != first)
            Fail(how, n);
    }
}

void TimeRemoval(int n, int round) {
    WriteHistory("gone", n);
    MakeRemovedFiles(n);
    std::string oldest = Directory("gone", 1);
    double started = NowMs();
    int removed = RemoveInstallation(oldest.c_str());
    double ms = NowMs() - started;
    if (!removed)
        Fail("RemoveInstallation refused", n);
    if (GetFileAttributesA(oldest.c_str()) != INVALID_FILE_ATTRIBUTES)
        Fail("the removed installation's folder is still there", n);
    CheckOldestRemoved(n, "RemoveInstallation left the history wrong");
    Report("remove", n, round, ms);

    // Its history part alone, and the same change in one write.
    WriteHistory("gone", n);
    started = NowMs();
    RemoveHistoryEntry(oldest.c_str());
    ms = NowMs() - started;
    CheckOldestRemoved(n, "RemoveHistoryEntry left the history wrong");
    Report("remove.history", n, round, ms);
    WriteHistory("gone", n);
    started = NowMs();
    RemoveOldestEntryInOneWrite(oldest);
    ms = NowMs() - started;
    CheckOldestRemoved(n, "the one-write removal left the history wrong");
    Report("remove.onewrite", n, round, ms);
}

void TimeReconcile(int n, int round, bool stale) {
    WriteHistory(stale ? "stale" : "inst", n);
    double started = NowMs();
    ReconcileHistory();
    double ms = NowMs() - started;
    if (GetTimesInstalled() != (stale ? 0 : n))
        Fail(stale ? "stale entries were kept" : "entries were dropped", n);
    Report(stale ? "reconcile.stale" : "reconcile", n, round, ms);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: growth ROUNDS ROOT\n");
        return 2;
    }
    int rounds = atoi(argv[1]);
    root = argv[2];
    MakeDirectory(root);
    // The state an UnInstall run on Windows NT has when it removes an entry.
    ResetAppState();
    g.runMode = kRunUninstall;
    g.osKind = kOsNt;
    GetWindowsDirectoryA(g.windowsDir, sizeof g.windowsDir);
    snprintf(g.historyPath, sizeof g.historyPath, "%s\\ZELSETUP.INI", g.windowsDir);
    if (DdeInitializeA(&g.ddeInstance, NULL, APPCMD_CLIENTONLY, 0) != DMLERR_NO_ERROR)
        Fail("no DDE instance", 0);
    MakeInstallations(kCounts[2]);
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

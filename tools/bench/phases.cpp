// phases.exe ROUND SOURCEDIR: where the fixed part of an unattended run of
// the setup program goes, measured without tracing. One fresh process per
// round (the first call of a kind pays for what the platform sets up once),
// calling the product's own operations, linked from its objects, in the order
// of start-up and of the phases after the copy:
//
//   load               process creation to the first line of main: loading
//                      the DLLs the program imports, the C runtime's start
//   service-query      LoggerServiceRunning (service control manager)
//   first-window       a window made and destroyed: what the platform sets up
//                      for the first window of a process, which every program
//                      with a window pays
//   dde-instance       a DDE instance made and ended, the first of the process
//                      (the main window's creation step then makes the second)
//   main-window        class and window with MainWndProc; its creation step
//                      makes the program's DDE instance
//   show-and-paint     ShowWindow maximised and UpdateWindow (the full-screen
//                      background)
//   repaint            one more paint of the whole background, as every wizard
//                      command does
//   start-up-checks    DetectOsKind, ReadAutorun, GetTimesInstalled, IsAdministrator
//   setup-script       LoadSetupScript (26 entries; the history reconciliation)
//   welcome-page       the welcome page made, shown and painted
//   history-record     RecordInstallation (26 files)
//   history-record-twowrites  the same file written with two section writes
//   nt-configuration   ConfigureNtSystem (ZEL_NT.INI, the history entry for it)
//   logger-service     CreateLoggerService
//
// One line per phase: "sample phase.NAME ROUND MS". SOURCEDIR (a Windows path
// without a trailing backslash) holds the SETUP.INI to read. The service, the
// history and the files the phases make are removed again at the end.
#include "app/app.h"
#include "app/mainwnd.h"
#include "app/script.h"
#include "base/state.h"
#include "clock.h"
#include "history/history.h"
#include "ntconfig/ntconfig.h"
#include "ntconfig/service.h"
#include "pages/pages.h"
#include "pages/paint.h"
#include "resources/resource.h"

#include <windows.h>
#include <ddeml.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>

namespace {

int round;

void Report(const char* phase, double ms) {
    printf("sample phase.%s %d %.3f\n", phase, round, ms);
}

// Milliseconds from this process's creation until now.
double SinceProcessCreation() {
    FILETIME created, exited, kernel, user, now;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER a, b;
    a.LowPart = created.dwLowDateTime;
    a.HighPart = created.dwHighDateTime;
    b.LowPart = now.dwLowDateTime;
    b.HighPart = now.dwHighDateTime;
    return (double)(b.QuadPart - a.QuadPart) / 10000.0;
}

template <typename Work> void Time(const char* phase, Work work) {
    double started = NowMs();
    work();
    Report(phase, NowMs() - started);
}

void PumpMessages() {
    MSG message;
    while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

HWND MakeMainWindow(HINSTANCE instance) {
    WNDCLASSA windowClass;
    memset(&windowClass, 0, sizeof windowClass);
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = MainWndProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_SETUP));
    windowClass.hCursor = LoadCursorA(NULL, (LPCSTR)IDC_ARROW);
    windowClass.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    windowClass.lpszClassName = g.caption;
    RegisterClassA(&windowClass);
    return CreateWindowExA(0, g.caption, g.caption, WS_OVERLAPPED, CW_USEDEFAULT, CW_USEDEFAULT,
                           CW_USEDEFAULT, CW_USEDEFAULT, NULL, NULL, instance, NULL);
}

std::string WholeFile(const char* path) {
    std::string text;
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return text;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, NULL) && got > 0)
        text.append(buffer, got);
    CloseHandle(file);
    return text;
}

// The history file RecordInstallation wrote, made again with one section
// write for [Main] and one for the installation's section: what writing the
// record that way would cost ("history-record-twowrites"). The file made so
// must equal the product's byte for byte; the product's file is then put back.
bool RecordAgainInTwoWrites() {
    static char mainSection[64 * 1024], installSection[64 * 1024];
    std::string recorded = WholeFile(g.historyPath);
    GetPrivateProfileSectionA("Main", mainSection, sizeof mainSection, g.historyPath);
    GetPrivateProfileSectionA(g.installDir, installSection, sizeof installSection, g.historyPath);
    DeleteFileA(g.historyPath);
    Time("history-record-twowrites", [] {
        WritePrivateProfileSectionA("Main", mainSection, g.historyPath);
        WritePrivateProfileSectionA(g.installDir, installSection, g.historyPath);
    });
    if (WholeFile(g.historyPath) != recorded) {
        fprintf(stderr, "phases: the history file written in two writes differs from the product's\n");
        return false;
    }
    return true;
}

void RemoveWhatThePhasesMade() {
    RemoveLoggerService();
    char path[MAX_PATH];
    snprintf(path, sizeof path, "%s\\ZEL_NT.INI", g.installDir);
    DeleteFileA(path);
    RemoveDirectoryA(g.installDir);
    DeleteFileA(g.historyPath);
}

} // namespace

int main(int argc, char** argv) {
    double load = SinceProcessCreation();
    if (argc != 3) {
        fprintf(stderr, "usage: phases ROUND SOURCEDIR\n");
        return 2;
    }
    round = atoi(argv[1]);
    Report("load", load);
    HINSTANCE instance = GetModuleHandleA(NULL);
    ResetAppState();
    snprintf(g.sourceDir, sizeof g.sourceDir, "%s", argv[2]);
    snprintf(g.caption, sizeof g.caption, "ZEL Vantorix Setup");
    GetWindowsDirectoryA(g.windowsDir, sizeof g.windowsDir);
    snprintf(g.historyPath, sizeof g.historyPath, "%s\\ZELSETUP.INI", g.windowsDir);

    Time("service-query", [] { g.loggerWasRunning = LoggerServiceRunning(); });
    Time("first-window", [instance] {
        HWND window = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, NULL, NULL, instance, NULL);
        DestroyWindow(window);
    });
    Time("dde-instance", [] {
        DWORD instance = 0;
        DdeInitializeA(&instance, NULL, APPCMD_CLIENTONLY | CBF_SKIP_ALLNOTIFICATIONS, 0);
        DdeUninitialize(instance);
    });
    Time("main-window", [instance] { g.mainWindow = MakeMainWindow(instance); });
    Time("show-and-paint", [] {
        ShowWindow(g.mainWindow, SW_SHOWMAXIMIZED);
        UpdateWindow(g.mainWindow);
    });
    Time("repaint", [] {
        HDC dc = GetDC(g.mainWindow);
        PaintBackground(g.mainWindow, dc);
        ReleaseDC(g.mainWindow, dc);
    });
    Time("start-up-checks", [] {
        DetectOsKind();
        char script[128];
        if (SetupScriptPath(script, sizeof script))
            g.autorun = ReadAutorun(script);
        GetTimesInstalled();
        IsAdministrator();
    });
    int loaded = 0;
    Time("setup-script", [&loaded] { loaded = LoadSetupScript(); });
    if (!loaded || g.fileCount != 26) {
        fprintf(stderr, "phases: the setup script in %s was not read (%d files)\n", argv[2], g.fileCount);
        return 1;
    }
    Time("welcome-page", [instance] {
        HWND page =
            CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_WELCOME), g.mainWindow, WelcomeDlgProc, 0);
        UpdateWindow(page);
        PumpMessages();
        DestroyWindow(page);
    });
    CreateDirectoryA(g.installDir, NULL);
    Time("history-record", [] { RecordInstallation(); });
    if (!RecordAgainInTwoWrites())
        return 1;
    Time("nt-configuration", [] { ConfigureNtSystem(); });
    Time("logger-service", [] { CreateLoggerService(g.installDir); });
    fflush(stdout);
    RemoveWhatThePhasesMade();
    DestroyWindow(g.mainWindow);
    return 0;
}

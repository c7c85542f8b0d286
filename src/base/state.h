// The program-wide state record. Every module reads and writes these fields by
// name; nothing else is global. Text fields are zero-terminated ANSI texts in
// fixed-size buffers.
#pragma once

#include "base/filerecord.h"

#include <windows.h>

enum {
    kRunSetup = 0,     // Setup mode: a new installation
    kRunReplace = 1,   // Setup over an installation already recorded for the chosen directory
    kRunUninstall = 2, // started as the uninstaller with "-uninstall"
};

enum {
    kOsNt31 = 0, // Windows NT 3.1
    kOsNt35 = 1, // Windows NT 3.5
    kOsNt = 2,   // every later Windows NT, and Win32s
    kOsWin95 = 3,
};

struct AppState {
    int runMode;
    int osKind;
    char installDir[128];
    int autorun;
    int installApp;
    int installSnmp;
    int busy;
    char caption[32];
    char sourceDir[128];
    char windowsDir[128];
    char historyPath[132];
    int loggerWasRunning;
    HWND mainWindow;
    HINSTANCE appInstance;
    DWORD ddeInstance;
    int bkColorIndex;
    HWND waitDialog;
    HCURSOR savedCursor;
    HBRUSH colorBrush;
    int gaugeLeft, gaugeTop, gaugeRight, gaugeBottom;
    int backCommand;

    // Filled from the setup script.
    char versionText[8];
    FileRecord fileTable[kMaxFiles];
    int fileCount;
    unsigned int requiredSpace;
};

extern AppState g;

// Gives every field its start value; the first thing a run does.
void ResetAppState();

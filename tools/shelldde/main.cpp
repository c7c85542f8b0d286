// shelldde.exe: hosts Wine's own shell DDE server (the Program Manager of
// shell32, which writes Start Menu folders and .lnk files) in a process of
// ours, because explorer cannot host it under the null display driver.
//
// Usage: shelldde.exe [--ready FILE] [--stop FILE] [--timeout MS]
//   --ready FILE   created once ShellDDEInit(TRUE) has returned
//   --stop FILE    the process ends when FILE exists (polled every 50 ms)
//   --timeout MS   the process ends after MS milliseconds (default 300000)
// Exit code 0, 2 for a bad option, 3 when shell32 has no ShellDDEInit.
// The group windows that Wine's CreateGroup/ShowGroup open belong to other
// processes that never end: finish a scenario with `wineserver -k`.
#include <windows.h>
#include <objbase.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

typedef void(WINAPI* ShellDdeInitProc)(BOOL start);

std::string readyFile, stopFile;
DWORD timeoutMs = 300000;
DWORD startTick;

bool ParseOptions(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (i + 1 >= argc)
            return false;
        if (arg == "--ready")
            readyFile = argv[++i];
        else if (arg == "--stop")
            stopFile = argv[++i];
        else if (arg == "--timeout")
            timeoutMs = (DWORD)strtoul(argv[++i], NULL, 10);
        else
            return false;
    }
    return true;
}

bool TimeToStop() {
    if (!stopFile.empty() && GetFileAttributesA(stopFile.c_str()) != INVALID_FILE_ATTRIBUTES)
        return true;
    return GetTickCount() - startTick >= timeoutMs;
}

} // namespace

int main(int argc, char** argv) {
    if (!ParseOptions(argc, argv)) {
        fprintf(stderr, "shelldde: bad option (see the comment at the top of tools/shelldde/main.cpp)\n");
        return 2;
    }
    startTick = GetTickCount();
    HMODULE shell32 = LoadLibraryA("shell32.dll");
    ShellDdeInitProc init =
        shell32 ? (ShellDdeInitProc)(void*)GetProcAddress(shell32, MAKEINTRESOURCEA(188)) : NULL;
    if (!init)
        return 3;
    // The server's AddItem makes links through COM on this thread, as it
    // would inside explorer, which initialises COM first.
    CoInitialize(NULL);
    init(TRUE);
    if (!readyFile.empty()) {
        FILE* file = fopen(readyFile.c_str(), "wb");
        if (file)
            fclose(file);
    }
    UINT_PTR timer = SetTimer(NULL, 0, 50, NULL);
    MSG msg;
    while (!TimeToStop() && GetMessageA(&msg, NULL, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    KillTimer(NULL, timer);
    init(FALSE);
    CoUninitialize();
    FreeLibrary(shell32);
    return 0;
}

// shelldde.exe READY: hosts Wine's own shell DDE server (shell32's Program Manager, which writes Start Menu
// folders and .lnk files) in a process of ours, because explorer cannot host it under the null display
// driver. The empty file READY appears once the server runs; it then serves until it is ended. The group
// windows that Wine's CreateGroup/ShowGroup open belong to other processes that never end: a road ends them
// with its prefix. Exit code 2 without READY, 3 when shell32 has no ShellDDEInit.
#include <windows.h>
#include <objbase.h>

#include <cstdio>

typedef void(WINAPI* ShellDdeInitProc)(BOOL start);

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: shelldde READY\n");
        return 2;
    }
    HMODULE shell32 = LoadLibraryA("shell32.dll");
    ShellDdeInitProc init =
        shell32 ? (ShellDdeInitProc)(void*)GetProcAddress(shell32, MAKEINTRESOURCEA(188)) : NULL;
    if (!init)
        return 3;
    // The server's AddItem makes links through COM on this thread, as inside explorer, which initialises it
    // first.
    CoInitialize(NULL);
    init(TRUE);
    if (FILE* ready = fopen(argv[1], "wb"))
        fclose(ready);
    MSG msg;
    while (GetMessageA(&msg, NULL, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}

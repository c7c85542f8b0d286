// barecopy.exe [-lzread] [-gui] LIST: the platform's floor for an install: the LZ32 calls of the setup
// program's copy engine for the files of LIST and nothing else (no profile, no C runtime). LIST, a step a
// line: "+C:\dir" makes the directory; "SOURCE|TARGET" LZOpenFileA both, CopyLZFile, LZClose both, all
// between one LZStart and LZDone; "?N" (with -gui) the disk prompt "Please insert ZEL Vantorix Disk #N".
// -lzread: LZRead into 64 KB and WriteFile instead of CopyLZFile, which writes in 1000-byte pieces on
// Wine. -gui: first what the setup program shows in an unattended run and no more: a full-screen window
// in one colour and an empty dialog of the copy page's size. Exit code 0, or the number of the line that
// failed (1000: no list, 1001: -gui without windows).
//
// Built three times, differing in their imports only, so that their times tell what loading DLLs costs:
// barecopy.exe KERNEL32 and LZ32; barecopygui.exe (BARE_IMPORTS 1) also USER32 and GDI32, as every program
// with a window; barecopyall.exe (BARE_IMPORTS 2) every DLL the setup program imports.
#include <windows.h>
#include <lzexpand.h>

namespace {

const DWORD kBuffer = 64 * 1024;
char list[kBuffer + 1];
char copyBuffer[kBuffer];
HWND page;

#if BARE_IMPORTS >= 1
// Referenced, never called: the loader maps their DLLs as for the setup program.
__attribute__((used))
const void* const kImported[] = {(const void*)MessageBoxA, (const void*)CreateSolidBrush,
#if BARE_IMPORTS >= 2
                                 (const void*)RegOpenKeyExA
#endif
};

LRESULT CALLBACK BareWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_PAINT)
        return DefWindowProcA(window, message, wParam, lParam);
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
    FillRect(dc, &paint.rcPaint, blue);
    DeleteObject(blue);
    EndPaint(window, &paint);
    return 0;
}

INT_PTR CALLBACK PageProc(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG;
}

struct PageTemplate {
    DLGTEMPLATE head;
    WORD menu, windowClass, title;
} pageTemplate = {
    {WS_POPUP | WS_CAPTION | WS_VISIBLE | DS_MODALFRAME | DS_CENTER, 0, 0, 0, 0, 194, 135}, 0, 0, 0};

HWND ShowWindows() {
    HINSTANCE instance = GetModuleHandleA(NULL);
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = BareWndProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = "BareInstall";
    RegisterClassA(&windowClass);
    HWND main = CreateWindowExA(0, "BareInstall", "Bare install", WS_OVERLAPPED, CW_USEDEFAULT, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, NULL, NULL, instance, NULL);
    ShowWindow(main, SW_SHOWMAXIMIZED);
    UpdateWindow(main);
    page = CreateDialogIndirectParamA(instance, &pageTemplate.head, main, PageProc, 0);
    UpdateWindow(page);
    return main;
}

bool AskForDisk(const char* n) {
    char text[64];
    wsprintfA(text, "Please insert ZEL Vantorix Disk #%s", n);
    MessageBeep(0xFFFF);
    return MessageBoxA(page, text, "Change Disks", MB_OKCANCEL | MB_ICONEXCLAMATION) == IDOK;
}

void CloseWindows(HWND main) {
    DestroyWindow(main);
}
#else
HWND ShowWindows() {
    ExitProcess(1001);
}

bool AskForDisk(const char*) {
    return false;
}

void CloseWindows(HWND) {}
#endif

long CopyByLzRead(INT from, INT to) {
    for (long total = 0;;) {
        INT got = LZRead(from, copyBuffer, (INT)kBuffer);
        DWORD written = 0;
        if (got <= 0)
            return got < 0 ? got : total;
        if (!WriteFile((HANDLE)(INT_PTR)to, copyBuffer, (DWORD)got, &written, NULL) || written != (DWORD)got)
            return LZERROR_WRITE;
        total += got;
    }
}

long CopyOne(char* source, char* target, bool lzRead) {
    OFSTRUCT sourceInfo, targetInfo;
    INT from = LZOpenFileA(source, &sourceInfo, OF_READ);
    INT to = from < 0 ? from : LZOpenFileA(target, &targetInfo, OF_CREATE);
    long result = to < 0 ? to : lzRead ? CopyByLzRead(from, to) : CopyLZFile(from, to);
    if (from >= 0)
        LZClose(from);
    if (to >= 0)
        LZClose(to);
    return result;
}

// 0 when every step succeeded, else the failed line's number.
int RunList(char* p, bool lzRead) {
    for (int line = 1; *p; ++line) {
        char* end = p;
        while (*end && *end != '\n')
            ++end;
        char* next = *end ? end + 1 : end;
        *end = '\0';
        if (end > p && end[-1] == '\r')
            end[-1] = '\0';
        char* bar = p;
        while (*bar && *bar != '|')
            ++bar;
        if (*p == '+' && !CreateDirectoryA(p + 1, NULL) && GetLastError() != ERROR_ALREADY_EXISTS)
            return line;
        if (*p == '?' && (!page || !AskForDisk(p + 1)))
            return line;
        if (*bar) {
            *bar = '\0';
            if (CopyOne(p, bar + 1, lzRead) < 0)
                return line;
        }
        p = next;
    }
    return 0;
}

} // namespace

extern "C" void WINAPI WinMainCRTStartup() {
    char* args = GetCommandLineA();
    bool quoted = false;
    while (*args && (quoted || *args != ' '))
        quoted ^= *args++ == '"';
    while (*args == ' ')
        ++args;
    bool lzRead = *args == '-' && args[1] == 'l', gui = *args == '-' && args[1] == 'g';
    while ((lzRead || gui) && *args++ != ' ') { // past the one switch
    }
    HANDLE file = CreateFileA(args, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    DWORD got = 0;
    if (file == INVALID_HANDLE_VALUE || !ReadFile(file, list, kBuffer, &got, NULL) || got == 0)
        ExitProcess(1000);
    CloseHandle(file);
    HWND main = gui ? ShowWindows() : NULL;
    LZStart();
    int failed = RunList(list, lzRead);
    LZDone();
    if (main)
        CloseWindows(main);
    ExitProcess((UINT)failed);
}

// barecopy.exe LIST: the platform floor of an install. Makes exactly the LZ32
// calls the setup program's copy engine makes, for the files of LIST, and
// nothing else: no window, no profile, no C runtime.
//
//   barecopy.exe [-lzread] LIST
//
// LIST: one line per step, CR LF or LF:
//   +C:\dir            create the directory (one level)
//   SOURCE|TARGET      copy: LZOpenFileA(SOURCE, OF_READ), LZOpenFileA(TARGET,
//                      OF_CREATE), CopyLZFile, LZClose both; all copies between
//                      one LZStart and LZDone
//   ?N                 (with -gui) a disk prompt: the setup program's message
//                      box "Please insert ZEL Vantorix Disk #N", owned by the page
// With -lzread each file is copied by LZRead into a 64 KB buffer and WriteFile
// instead of CopyLZFile (which writes in 1000-byte pieces on Wine): what a
// copy loop of the program's own would be worth.
//
// With -gui (barecopygui.exe only) the program first shows what the setup
// program shows during an unattended run, and nothing more: a full-screen
// window painted in one colour, an empty dialog of the copy page's size over
// it, and the disk prompts of the list. It is the floor of an installer with
// a window: the cost of the platform's windows apart from the copy.
//
// Exit code 0 when every step succeeded, else the number of the failed line
// (1000: no list; 1001: -gui in a build without windows).
//
// Built three times: barecopy.exe imports KERNEL32 and LZ32 only;
// barecopygui.exe (BARE_IMPORTS 1) also USER32 and GDI32, which every
// program with a window loads; barecopyall.exe (BARE_IMPORTS 2) every DLL
// the setup program imports. They differ in nothing else, so their times
// tell what loading those DLLs costs a run.
#include <windows.h>
#include <lzexpand.h>

namespace {

#if BARE_IMPORTS >= 1
// Referenced and never called: the loader maps their DLLs as for the setup
// program.
__attribute__((used)) const void* const kImported[] = {
    (const void*)MessageBoxA,    (const void*)CreateSolidBrush,
#if BARE_IMPORTS >= 2
    (const void*)RegOpenKeyExA,
#endif
};
#endif

#if BARE_IMPORTS >= 1
HWND page;

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

// An empty dialog of the copy page's size, caption and frame.
struct PageTemplate {
    DLGTEMPLATE head;
    WORD menu, windowClass, title;
} pageTemplate = {
    {WS_POPUP | WS_CAPTION | WS_VISIBLE | DS_MODALFRAME | DS_CENTER, 0, 0, 0, 0, 194, 135}, 0, 0, 0};

HWND ShowWindows() {
    HINSTANCE instance = GetModuleHandleA(NULL);
    WNDCLASSA windowClass;
    memset(&windowClass, 0, sizeof windowClass);
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

// 1 when the user answers the prompt for disk n with OK.
bool AskForDisk(const char* n) {
    char text[64];
    wsprintfA(text, "Please insert ZEL Vantorix Disk #%s", n);
    MessageBeep(0xFFFF);
    return MessageBoxA(page, text, "Change Disks", MB_OKCANCEL | MB_ICONEXCLAMATION) == IDOK;
}
#endif

const DWORD kListSize = 64 * 1024;
const DWORD kCopyBuffer = 64 * 1024;
char list[kListSize + 1];
char copyBuffer[kCopyBuffer];

// The compiler may call these for structure copies and clears.
extern "C" void* memset(void* target, int value, size_t size) {
    unsigned char* p = (unsigned char*)target;
    while (size--)
        *p++ = (unsigned char)value;
    return target;
}

extern "C" void* memcpy(void* target, const void* source, size_t size) {
    unsigned char* p = (unsigned char*)target;
    const unsigned char* q = (const unsigned char*)source;
    while (size--)
        *p++ = *q++;
    return target;
}

DWORD ReadList(const char* path) {
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    DWORD got = 0;
    if (!ReadFile(file, list, kListSize, &got, NULL))
        got = 0;
    CloseHandle(file);
    list[got] = '\0';
    return got;
}

long CopyByLzRead(INT from, INT to) {
    long total = 0;
    for (;;) {
        INT got = LZRead(from, copyBuffer, (INT)kCopyBuffer);
        if (got < 0)
            return got;
        if (got == 0)
            return total;
        HANDLE target = (HANDLE)(INT_PTR)to;
        DWORD written = 0;
        if (!WriteFile(target, copyBuffer, (DWORD)got, &written, NULL) || written != (DWORD)got)
            return LZERROR_WRITE;
        total += got;
    }
}

long CopyOne(char* source, char* target, bool lzRead) {
    OFSTRUCT sourceInfo, targetInfo;
    INT from = LZOpenFileA(source, &sourceInfo, OF_READ);
    if (from < 0)
        return from;
    INT to = LZOpenFileA(target, &targetInfo, OF_CREATE);
    if (to < 0) {
        LZClose(from);
        return to;
    }
    long result = lzRead ? CopyByLzRead(from, to) : CopyLZFile(from, to);
    LZClose(from);
    LZClose(to);
    return result;
}

// Runs the steps; 0 when all succeeded, else the failed line's number.
int RunList(char* text, bool lzRead) {
    int line = 0;
    char* p = text;
    while (*p) {
        ++line;
        char* end = p;
        while (*end && *end != '\n')
            ++end;
        char* next = *end ? end + 1 : end;
        *end = '\0';
        if (end > p && end[-1] == '\r')
            end[-1] = '\0';
        if (*p == '+') {
            if (!CreateDirectoryA(p + 1, NULL) && GetLastError() != ERROR_ALREADY_EXISTS)
                return line;
        } else if (*p == '?') {
#if BARE_IMPORTS >= 1
            if (!page || !AskForDisk(p + 1))
                return line;
#else
            return line;
#endif
        } else if (*p) {
            char* bar = p;
            while (*bar && *bar != '|')
                ++bar;
            if (!*bar)
                return line;
            *bar = '\0';
            if (CopyOne(p, bar + 1, lzRead) < 0)
                return line;
        }
        p = next;
    }
    return 0;
}

// The command line after the program name.
char* Arguments() {
    char* p = GetCommandLineA();
    bool quoted = false;
    while (*p && (quoted || (*p != ' ' && *p != '\t'))) {
        if (*p == '"')
            quoted = !quoted;
        ++p;
    }
    while (*p == ' ' || *p == '\t')
        ++p;
    return p;
}

// Takes the switch name (followed by a blank) off the front of *args.
bool TakeSwitch(char** args, const char* name) {
    char* p = *args;
    while (*name && *p == *name) {
        ++p;
        ++name;
    }
    if (*name || (*p != ' ' && *p != '\t'))
        return false;
    while (*p == ' ' || *p == '\t')
        ++p;
    *args = p;
    return true;
}

} // namespace

extern "C" void WINAPI WinMainCRTStartup() {
    char* args = Arguments();
    bool lzRead = false, gui = false;
    for (;;) {
        if (TakeSwitch(&args, "-lzread"))
            lzRead = true;
        else if (TakeSwitch(&args, "-gui"))
            gui = true;
        else
            break;
    }
    if (!ReadList(args))
        ExitProcess(1000);
#if BARE_IMPORTS >= 1
    HWND main = gui ? ShowWindows() : NULL;
#else
    if (gui)
        ExitProcess(1001);
#endif
    LZStart();
    int failed = RunList(list, lzRead);
    LZDone();
#if BARE_IMPORTS >= 1
    if (main)
        DestroyWindow(main);
#endif
    ExitProcess((UINT)failed);
}

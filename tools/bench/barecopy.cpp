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
// With -lzread each file is copied by LZRead into a 64 KB buffer and WriteFile
// instead of CopyLZFile (which writes in 1000-byte pieces on Wine): what a
// copy loop of the program's own would be worth.
//
// Exit code 0 when every step succeeded, else the number of the failed line.
//
// Built three times: barecopy.exe imports KERNEL32 and LZ32 only;
// barecopygui.exe (BARE_IMPORTS 1) also USER32 and GDI32, which every
// program with a window loads; barecopyall.exe (BARE_IMPORTS 2) every DLL
// the setup program imports. They differ in nothing else, so their times
// tell what loading those DLLs costs a run.
#include <windows.h>
#include <lzexpand.h>
#if BARE_IMPORTS >= 2
#include <objbase.h>
#include <string.h>
#endif

namespace {

#if BARE_IMPORTS >= 1
// Referenced and never called: the loader maps their DLLs as for the setup
// program.
__attribute__((used)) const void* const kImported[] = {
    (const void*)MessageBoxA,    (const void*)CreateSolidBrush,
#if BARE_IMPORTS >= 2
    (const void*)OpenSCManagerA, (const void*)CoInitialize,     (const void*)strlen,
#endif
};
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
    bool lzRead = TakeSwitch(&args, "-lzread");
    if (!ReadList(args))
        ExitProcess(1000);
    LZStart();
    int failed = RunList(list, lzRead);
    LZDone();
    ExitProcess((UINT)failed);
}

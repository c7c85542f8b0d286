// The program's own start and the few memory and string routines the compiler
// may call in place of a loop:
// SETUP.EXE links no C runtime, so that it starts on systems without one
// (Windows NT 3.x and the first Windows 95 have no MSVCRT.DLL; Setup itself
// installs it). Built into SETUP.EXE only; the test programs link the same
// product objects with the compiler's runtime instead.
#include <windows.h>

extern "C" {

// Written as plain loops; the file is compiled without the builtins and the
// loop-to-call transformation, so these never call themselves.
void* memset(void* target, int value, size_t count) {
    unsigned char* p = (unsigned char*)target;
    while (count-- > 0)
        *p++ = (unsigned char)value;
    return target;
}

void* memcpy(void* target, const void* source, size_t count) {
    unsigned char* p = (unsigned char*)target;
    const unsigned char* q = (const unsigned char*)source;
    while (count-- > 0)
        *p++ = *q++;
    return target;
}

void* memmove(void* target, const void* source, size_t count) {
    unsigned char* p = (unsigned char*)target;
    const unsigned char* q = (const unsigned char*)source;
    if (p < q) {
        while (count-- > 0)
            *p++ = *q++;
    } else {
        while (count-- > 0)
            p[count] = q[count];
    }
    return target;
}

int memcmp(const void* a, const void* b, size_t count) {
    const unsigned char* p = (const unsigned char*)a;
    const unsigned char* q = (const unsigned char*)b;
    for (; count > 0; --count, ++p, ++q)
        if (*p != *q)
            return *p < *q ? -1 : 1;
    return 0;
}

size_t strlen(const char* text) {
    size_t n = 0;
    while (text[n] != '\0')
        ++n;
    return n;
}

// The text after the program's name, as WinMain receives it: the name
// (quoted or not) and the blanks after it are skipped, the rest is kept as
// it stands, trailing blanks included.
static char* ArgumentsOf(char* commandLine) {
    char* p = commandLine;
    if (*p == '"') {
        ++p;
        while (*p != '\0' && *p != '"')
            ++p;
        if (*p == '"')
            ++p;
    } else {
        while (*p != '\0' && *p != ' ' && *p != '\t')
            ++p;
    }
    while (*p == ' ' || *p == '\t')
        ++p;
    return p;
}

void WINAPI WinMainCRTStartup(void) {
    char* arguments = ArgumentsOf(GetCommandLineA());
    ExitProcess((UINT)WinMain(GetModuleHandleA(NULL), NULL, arguments, SW_SHOWDEFAULT));
}

} // extern "C"

// FormatText, the one formatter of the program: the platform's wvsprintfA
// into a scratch buffer of its largest output, then the length checked
// against the caller's buffer, so nothing is ever written past it.
#include "base/text.h"

#include <windows.h>
#include <stdarg.h>

enum { kFormatLimit = 1024 }; // wvsprintfA writes at most this many characters

int FormatText(char* buf, size_t size, const char* format, ...) {
    if (size == 0)
        return 0;
    char scratch[kFormatLimit + 1];
    va_list args;
    va_start(args, format);
    int written = wvsprintfA(scratch, format, args);
    va_end(args);
    // A result of the full limit may have been cut by wvsprintfA itself.
    if (written < 0 || written >= kFormatLimit || (size_t)written >= size) {
        buf[0] = '\0';
        return 0;
    }
    return CopyText(buf, size, scratch);
}

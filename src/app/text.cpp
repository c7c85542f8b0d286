#include "app/text.h"

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

int FormatText(char* buf, size_t size, const char* format, ...) {
    if (size == 0)
        return 0;
    va_list args;
    va_start(args, format);
    int written = vsnprintf(buf, size, format, args);
    va_end(args);
    if (written < 0 || (size_t)written >= size) {
        buf[0] = '\0';
        return 0;
    }
    return 1;
}

int CopyText(char* buf, size_t size, const char* src) {
    if (size == 0)
        return 0;
    size_t length = strlen(src);
    if (length >= size) {
        buf[0] = '\0';
        return 0;
    }
    memcpy(buf, src, length + 1);
    return 1;
}

static unsigned char FoldAscii(unsigned char c) {
    return (c >= 'A' && c <= 'Z') ? (unsigned char)(c - 'A' + 'a') : c;
}

int CompareNoCase(const char* a, const char* b) {
    const unsigned char* x = (const unsigned char*)a;
    const unsigned char* y = (const unsigned char*)b;
    for (;; ++x, ++y) {
        unsigned char cx = FoldAscii(*x), cy = FoldAscii(*y);
        if (cx != cy || cx == 0)
            return (int)cx - (int)cy;
    }
}

int IsNoEntry(const char* text) {
    return CompareNoCase(text, NO_ENTRY) == 0;
}

#include "base/text.h"
#include <string.h>

int CopyText(char* buf, size_t size, const char* src) {
    if (size == 0)
        return 0;
    size_t i = 0;
    for (; src[i] != '\0'; ++i) {
        if (i + 1 >= size) {
            buf[0] = '\0';
            return 0;
        }
        buf[i] = src[i];
    }
    buf[i] = '\0';
    return 1;
}

int AppendText(char* buf, size_t size, const char* src) {
    if (size == 0)
        return 0;
    size_t used = TextLength(buf);
    if (used >= size || !CopyText(buf + used, size - used, src)) {
        buf[0] = '\0';
        return 0;
    }
    return 1;
}

// Divides the number held in four 16-bit parts (most significant first) by
// 10 in place and returns the remainder: 32-bit arithmetic only, so the
// program needs no 64-bit division routine.
static unsigned DivideByTen(unsigned parts[4]) {
    unsigned rest = 0;
    for (int i = 0; i < 4; ++i) {
        unsigned current = (rest << 16) | parts[i];
        parts[i] = current / 10;
        rest = current % 10;
    }
    return rest;
}

int AppendDecimal(char* buf, size_t size, unsigned long long value) {
    unsigned parts[4] = {(unsigned)(value >> 48) & 0xFFFF, (unsigned)(value >> 32) & 0xFFFF,
                         (unsigned)(value >> 16) & 0xFFFF, (unsigned)value & 0xFFFF};
    char digits[24];
    size_t n = sizeof digits - 1;
    digits[n] = '\0';
    do {
        digits[--n] = (char)('0' + DivideByTen(parts));
    } while ((parts[0] | parts[1] | parts[2] | parts[3]) != 0);
    return AppendText(buf, size, digits + n);
}

size_t TextLength(const char* text) {
    size_t n = 0;
    while (text[n] != '\0')
        ++n;
    return n;
}

int SameText(const char* a, const char* b) {
    for (;; ++a, ++b) {
        if (*a != *b)
            return 0;
        if (*a == '\0')
            return 1;
    }
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

static int IsWhiteSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// The leading number of text with its sign, held below 2^31 + 1 in size so
// that it cannot overflow.
static long long ReadLeadingNumber(const char* text) {
    const long long limit = 2147483649LL;
    while (IsWhiteSpace(*text))
        ++text;
    int negative = 0;
    if (*text == '-' || *text == '+')
        negative = *text++ == '-';
    long long value = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        value = value * 10 + (*text - '0');
        if (value > limit)
            value = limit;
    }
    return negative ? -value : value;
}

int LeadingNumber(const char* text) {
    long long value = ReadLeadingNumber(text);
    return value > 2147483647LL ? 2147483647 : value < -2147483648LL ? (int)-2147483647 - 1 : (int)value;
}

int NumberFits(const char* text) {
    long long value = ReadLeadingNumber(text);
    return value <= 2147483647LL && value >= -2147483648LL;
}

// Four bytes a step while none of them is c: a byte of x is zero exactly
// when (x - 0x01010101) & ~x & 0x80808080 has its top bit set, and
// x = word ^ (c in every byte) is zero where the word holds c.
long FindByte(const void* data, size_t length, unsigned char c) {
    const unsigned char* bytes = (const unsigned char*)data;
    const unsigned int spread = 0x01010101u * c;
    size_t i = 0;
    for (; i + 4 <= length; i += 4) {
        unsigned int word;
        memcpy(&word, bytes + i, sizeof word);
        word ^= spread;
        if ((word - 0x01010101u) & ~word & 0x80808080u)
            break;
    }
    for (; i < length; ++i)
        if (bytes[i] == c)
            return (long)i;
    return -1;
}

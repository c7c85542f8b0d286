// Bounded text and number helpers shared by every module. Everything here but
// FormatText is pure (no <windows.h>, no C runtime), so it builds and is
// tested and fuzzed natively as well.
#pragma once

#include <stddef.h>

// The default text of every profile read; a value equal to it (any letter
// case) means the key is absent.
#define NO_ENTRY "NO ENTRY"

// Formats into buf with the platform's wvsprintfA (no 64-bit or floating
// conversions; at most 1024 characters). Returns 1 when the whole result fits,
// 0 when it would not (buf then holds an empty text, never a cut-off one).
int FormatText(char* buf, size_t size, const char* format, ...) __attribute__((format(printf, 3, 4)));

// Copies src into buf. Returns 1 when it fits, 0 otherwise (buf left empty).
int CopyText(char* buf, size_t size, const char* src);

// Appends src to the text in buf. Returns 1 when it fits, 0 otherwise (buf
// left empty, so a cut-off text can never be used by mistake).
int AppendText(char* buf, size_t size, const char* src);

// Appends the decimal digits of value (64 bits, unsigned) to the text in buf;
// like AppendText when it does not fit.
int AppendDecimal(char* buf, size_t size, unsigned long long value);

// Length of a zero-terminated text.
size_t TextLength(const char* text);

// 1 when the two texts are byte for byte the same.
int SameText(const char* a, const char* b);

// Compares two texts folding only the ASCII letters A to Z, bytes unsigned.
// Returns <0, 0 or >0 like strcmp.
int CompareNoCase(const char* a, const char* b);

// 1 when text equals "NO ENTRY" without regard to case.
int IsNoEntry(const char* text);

// The number at the start of text the way the C library's atoi reads it:
// leading white space, an optional sign, decimal digits up to the first other
// character; 0 when there are none. Values beyond the 32-bit range are held
// at its ends instead of wrapping.
int LeadingNumber(const char* text);

// 1 when the number at the start of text (as LeadingNumber reads it) lies
// within the 32-bit range, 0 when LeadingNumber had to hold it at an end.
int NumberFits(const char* text);

// Index of the first byte equal to c in the first length bytes of data, or
// -1 when there is none.
long FindByte(const void* data, size_t length, unsigned char c);

// Bounded text helpers shared by every module. Pure functions: no window,
// file or registry access, so they can be tested on their own.
#pragma once

#include <stddef.h>

// The default text of every profile read; a value equal to it (any letter
// case) means the key is absent.
#define NO_ENTRY "NO ENTRY"

// Formats into buf like snprintf. Returns 1 when the whole result fits, 0 when
// it would not (buf then holds an empty text, never a cut-off one).
int FormatText(char* buf, size_t size, const char* format, ...) __attribute__((format(printf, 3, 4)));

// Copies src into buf. Returns 1 when it fits, 0 otherwise (buf left empty).
int CopyText(char* buf, size_t size, const char* src);

// Compares two texts folding only the ASCII letters A to Z, bytes unsigned.
// Returns <0, 0 or >0 like strcmp.
int CompareNoCase(const char* a, const char* b);

// 1 when text equals "NO ENTRY" without regard to case.
int IsNoEntry(const char* text);

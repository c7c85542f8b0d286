// Version stamps read from files: the first 81-byte signature block in a
// product file, and its version text. File access through the platform's file
// functions; the scan itself is in stampscan. No UI.
#pragma once

#include "install/stampscan.h"

#include <stddef.h>

// 1 when a stamp was found in the file at path and copied into block; 0 when
// the file cannot be opened, no work buffer can be had, or the file holds no
// signature (block left as it was). The first signature in the file counts.
// A block that begins less than 81 bytes before the end of the file is found;
// its bytes past the end read as zeros.
int ReadVersionStamp(const char* path, unsigned char* block);

// The version text of the stamp in the file at path into text (8 bytes).
// Returns 1 when a stamp was found; 0 otherwise, and text is then the empty
// text, which compares below every version.
int ReadVersionText(const char* path, char* text);

// Where the reader's work buffer comes from: the process heap unless a test
// sets a heap that refuses large sizes. What it returns is released with
// HeapFree on the process heap.
extern void* (*stampBufferAlloc)(size_t size);

// Copies through the platform's LZ expansion library: compressed sources are
// written expanded, any other file unchanged.
#pragma once

// One copy with CopyLZFile inside an LZStart/LZDone run opened by the caller.
// Returns CopyLZFile's result (bytes written, or a negative LZERROR_*); both
// handles are closed in every case.
long CopyCompressedFile(const char* source, const char* target);

// The same copy with LZCopy, outside a run.
long ExpandFile(const char* source, const char* target);

// Shows "Out of disk space" (caption "ERROR", OK, no icon) owned by owner.
void ShowOutOfDiskSpace(void* owner);

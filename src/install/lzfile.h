// Copies through the platform's LZ expansion library (LZ32): a source written
// by the platform's compression tool is written expanded, any other file is
// written unchanged, an existing target is replaced. No UI besides the
// full-disk message.
#pragma once

enum {
    kLzWriteFailed = -4,   // LZERROR_WRITE: the target could not be written (disk full)
    kLzSourceMissing = -1, // LZERROR_BADINHANDLE: the source cannot be opened (or its path is too long)
    kLzTargetFailed = -2,  // LZERROR_BADOUTHANDLE: the target cannot be created (or its path is too long)
    kLzSourceShort = -3,   // LZERROR_READ: the source gave fewer bytes than it holds (cut short or corrupt)
};

// 1 when both names lead to one file: the same file index on the same volume
// (a short and a long name, or two drive letters of one folder, are one
// file); names compared only when a file cannot tell its identity.
int IsSameFile(const char* a, const char* b);

// One copy with CopyLZFile, inside an LZStart/LZDone run opened by the caller.
// Returns the bytes written, or a negative LZERROR_* code; a copy that wrote
// fewer bytes than the source holds (the expanded size its compressed header
// states, or its own size) is kLzSourceShort. Both handles are closed before
// it returns, whatever the result. The target is created only
// once the source is open, so a missing source never truncates an existing
// target; a target that was created but not filled whole is deleted; a
// source and target that are the same file are left alone (0).
long CopyCompressedFile(const char* source, const char* target);

// The same copy for a file that must never be left half-written under its
// own name (a system library, the uninstaller all installations share): made
// beside the target as ZELSETUP.TMP and put in place only when whole, so
// that on any failure the target stays as it was. A target in use (it cannot
// be replaced) is kLzTargetFailed.
long CopyCompressedFileWhole(const char* source, const char* target);

// The same copy with LZCopy, outside a run.
long ExpandFile(const char* source, const char* target);

// Shows "Out of disk space" (caption "ERROR", OK, no icon) owned by owner (an HWND).
void ShowOutOfDiskSpace(void* owner);

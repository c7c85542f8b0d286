#include "install/fileentry.h"

#include "base/text.h"

static int IsEntryDelimiter(char c) {
    return c == ' ' || c == ',';
}

// Next field of text starting at *cursor, copied into field (size bytes).
// Returns 1 when there was one and it fits.
static int NextField(const char** cursor, char* field, int size) {
    const char* p = *cursor;
    while (*p && IsEntryDelimiter(*p))
        ++p;
    const char* start = p;
    while (*p && !IsEntryDelimiter(*p))
        ++p;
    *cursor = p;
    long length = (long)(p - start);
    if (length == 0 || length >= size)
        return 0;
    for (long i = 0; i < length; ++i)
        field[i] = start[i];
    field[length] = '\0';
    return 1;
}

int SplitFileEntry(const char* text, FileRecord* record) {
    char disk[128], size[128];
    FileRecord parsed;
    const char* cursor = text;
    if (!NextField(&cursor, disk, sizeof disk) ||
        !NextField(&cursor, parsed.sourceName, sizeof parsed.sourceName) ||
        !NextField(&cursor, parsed.targetName, sizeof parsed.targetName) ||
        !NextField(&cursor, size, sizeof size) || !NumberFits(size))
        return 0;
    parsed.disk = LeadingNumber(disk);
    parsed.size = LeadingNumber(size);
    *record = parsed;
    return 1;
}

unsigned LongestTargetName(const FileRecord* records, int count) {
    unsigned longest = 0;
    for (int k = 0; k < count && k < kMaxFiles; ++k) {
        unsigned length = (unsigned)TextLength(records[k].targetName);
        if (length > longest)
            longest = length;
    }
    return longest;
}

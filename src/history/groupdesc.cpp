#include "history/groupdesc.h"

// Bounded scans over the received text: every position is checked against the
// length, because the reply may be cut anywhere (no reply at all, a reply
// shorter than its count says, or one that filled the 4096-byte buffer).

namespace {

const long kNotFound = -1;

bool IsLineEnd(char c) {
    return c == '\r' || c == '\n';
}

// Index of the first ch at or after from, before end; kNotFound otherwise.
long FindAny(const char* text, size_t end, size_t from, char ch) {
    for (size_t i = from; i < end; ++i)
        if (text[i] == ch)
            return (long)i;
    return kNotFound;
}

// Like FindAny, but a line end comes first: the fields of one item never run
// into the next line.
long FindInLine(const char* text, size_t end, size_t from, char ch) {
    for (size_t i = from; i < end; ++i) {
        if (text[i] == ch)
            return (long)i;
        if (IsLineEnd(text[i]))
            return kNotFound;
    }
    return kNotFound;
}

// The icon index is the last field read: it ends at its comma, or at the end
// of its line when the further fields are left out.
long FindFieldEnd(const char* text, size_t end, size_t from) {
    for (size_t i = from; i < end; ++i)
        if (text[i] == ',' || IsLineEnd(text[i]))
            return (long)i;
    return kNotFound;
}

// Leading decimal digits of text[from, to), held below a bound so that no
// count can overflow.
int LeadingCount(const char* text, size_t from, size_t to) {
    const int bound = 1000000;
    int n = 0;
    for (size_t i = from; i < to && text[i] >= '0' && text[i] <= '9'; ++i) {
        n = n * 10 + (text[i] - '0');
        if (n > bound)
            n = bound;
    }
    return n;
}

// Reads the first line: the group name from the third character up to its
// quote, the comma after it, the group file path and the count up to their
// commas; the items begin after the end of that line. 0 when any of it is
// missing.
int ParseHeader(const char* text, size_t length, int* count, size_t* itemsStart) {
    if (length < 3)
        return 0;
    long nameEnd = FindAny(text, length, 2, '"');
    if (nameEnd == kNotFound)
        return 0;
    long pathEnd = FindAny(text, length, (size_t)nameEnd + 2, ',');
    if (pathEnd == kNotFound)
        return 0;
    long countEnd = FindAny(text, length, (size_t)pathEnd + 1, ',');
    if (countEnd == kNotFound)
        return 0;
    *count = LeadingCount(text, (size_t)pathEnd + 1, (size_t)countEnd);
    size_t i = (size_t)countEnd + 1;
    while (i < length && !IsLineEnd(text[i]))
        ++i;
    *itemsStart = i;
    return 1;
}

// Positions of the delimiters of one item line, found before anything is cut.
struct ItemBounds {
    long nameOpen, nameClose, commandOpen, commandClose;
    long dirEnd, iconPathEnd, xEnd, yEnd, indexEnd;
};

int FindItem(const char* text, size_t length, size_t from, ItemBounds* b) {
    b->nameOpen = FindAny(text, length, from, '"');
    if (b->nameOpen == kNotFound)
        return 0;
    b->nameClose = FindInLine(text, length, (size_t)b->nameOpen + 1, '"');
    if (b->nameClose == kNotFound)
        return 0;
    b->commandOpen = FindInLine(text, length, (size_t)b->nameClose + 1, '"');
    if (b->commandOpen == kNotFound)
        return 0;
    b->commandClose = FindInLine(text, length, (size_t)b->commandOpen + 1, '"');
    if (b->commandClose == kNotFound)
        return 0;
    // The default directory starts after the closing quote and its comma.
    size_t dirStart = (size_t)b->commandClose + 2;
    if (dirStart > length || text[dirStart - 1] != ',')
        return 0;
    b->dirEnd = FindInLine(text, length, dirStart, ',');
    if (b->dirEnd == kNotFound)
        return 0;
    b->iconPathEnd = FindInLine(text, length, (size_t)b->dirEnd + 1, ',');
    if (b->iconPathEnd == kNotFound)
        return 0;
    b->xEnd = FindInLine(text, length, (size_t)b->iconPathEnd + 1, ',');
    if (b->xEnd == kNotFound)
        return 0;
    b->yEnd = FindInLine(text, length, (size_t)b->xEnd + 1, ',');
    if (b->yEnd == kNotFound)
        return 0;
    b->indexEnd = FindFieldEnd(text, length, (size_t)b->yEnd + 1);
    return b->indexEnd != kNotFound;
}

void CutItem(char* text, const ItemBounds& b, GroupItem* item) {
    text[b.nameClose] = '\0';
    text[b.commandClose] = '\0';
    text[b.dirEnd] = '\0';
    text[b.iconPathEnd] = '\0';
    text[b.indexEnd] = '\0';
    item->name = text + b.nameOpen + 1;
    item->commandLine = text + b.commandOpen + 1;
    item->defaultDir = text + b.commandClose + 2;
    item->iconPath = text + b.dirEnd + 1;
    item->iconIndex = text + b.yEnd + 1;
}

} // namespace

int GroupItemCount(const char* text, size_t length) {
    int count = 0;
    size_t itemsStart = 0;
    if (!ParseHeader(text, length, &count, &itemsStart))
        return 0;
    size_t most = (length - itemsStart) / kMinItemChars;
    return (size_t)count > most ? (int)most : count;
}

int ParseGroupDescription(char* text, size_t length, GroupItem* items, int capacity) {
    int count = 0;
    size_t pos = 0;
    if (!ParseHeader(text, length, &count, &pos))
        return 0;
    if (count > capacity)
        count = capacity;
    int parsed = 0;
    while (parsed < count) {
        ItemBounds bounds;
        if (!FindItem(text, length, pos, &bounds))
            break;
        CutItem(text, bounds, &items[parsed]);
        ++parsed;
        pos = (size_t)bounds.indexEnd + 1;
    }
    return parsed;
}

// Program Manager's description of a group, read the way the removal procedure
// needs it. Pure: no window, file or DDE access, so every shape of reply can be
// tested on its own.
//
// The description is the CF_TEXT reply to a request of a group name:
//   "Group Name",group file path,item count,show command CR LF
//   "Item Name","command line",default directory,icon path,x,y,icon index,hot key,minimise flag CR LF
//   ...
#pragma once

#include <stddef.h>

// One item as the group rebuild needs it. The fields point into the parsed
// text, which the parse cuts into zero-terminated pieces.
struct GroupItem {
    char* name;
    char* commandLine;
    char* defaultDir;
    char* iconPath;
    char* iconIndex;
};

// Fewest characters one complete item line can take: four quotes and six
// field ends. No text of length L can hold more than L / kMinItemChars items.
enum { kMinItemChars = 10 };

// The item count stated by the first line of the first length bytes of text,
// bounded by the number of items that many bytes could hold. 0 when the text
// has no complete first line up to the count (no reply, or a cut one).
int GroupItemCount(const char* text, size_t length);

// Parses at most capacity items of the first length bytes of text into items,
// first to last, and ends each field kept with a zero byte. Never looks at
// text[length] or beyond. Stops at the stated count, at the end of the text,
// or at the first item that is not complete (an item cut off by the end of the
// text, one whose quotes are missing, or one whose line ends too early).
// Returns the number of complete items written to items.
int ParseGroupDescription(char* text, size_t length, GroupItem* items, int capacity);

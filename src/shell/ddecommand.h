// Program Manager's execute strings, built from their arguments. Pure: no
// window or DDE access.
#pragma once

#include <stddef.h>

// Formats "[Verb(arg1,arg2,...)]" into command. An argument that holds a
// parenthesis, a bracket or a comma goes in double quotes, which Program
// Manager's parser needs to take it whole; every other argument goes bare,
// blanks included, as Program Manager has always taken them. Returns 0 when
// the command does not fit size bytes (command then empty).
int FormatProgmanCommand(char* command, size_t size, const char* verb, const char* const* args, int count);

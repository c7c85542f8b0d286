// The Program Manager group over DDE on Windows NT (Start Menu shortcuts on
// Windows 95) and the Program Manager channel.
#pragma once

#include <windows.h>

enum { kGroupDescriptionSize = 4096 };

// 1 when the shell entries were made, 0 when Program Manager refused the group.
int CreateProgramGroup(DWORD ddeInstance);

// Nonzero when Program Manager accepted the command.
int SendProgmanCommand(DWORD ddeInstance, const char* command);

// Copies at most 4096 bytes of the group's description into buffer (4096
// bytes, always terminated). Returns the number of bytes received, 0 when none.
int RequestProgmanGroup(DWORD ddeInstance, const char* group, char* buffer);

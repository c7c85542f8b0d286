// The Program Manager group over DDE on Windows NT (Start Menu shortcuts on
// Windows 95) and the Program Manager channel: one conversation per command
// or request, on the main window's client-only DDEML instance.
#pragma once

#include <windows.h>

enum { kGroupDescriptionSize = 4096 };

// The group, and the Start Menu folder, of the installed application.
static const char kProgramGroupName[] = "ZEL Vantorix";

// Makes the client-only DDEML instance the main window keeps for Program
// Manager. DDEML would call the instance's callback for registration and
// disconnect notifications (a server starting or ending while Setup runs), so
// the instance gets one that answers nothing, and skips those notifications.
// Returns DdeInitializeA's result.
UINT StartProgmanClient(DWORD* ddeInstance);

// 1 when the shell entries were made, 0 when Program Manager refused the group.
int CreateProgramGroup(DWORD ddeInstance);

// The AddItem command of the ReadMe item: Notepad opening directory's read.me.
// 0 when it does not fit size bytes.
int ReadMeItemCommand(char* command, size_t size, const char* directory);

// Nonzero when Program Manager accepted the command.
int SendProgmanCommand(DWORD ddeInstance, const char* command);

// Copies the group's description into buffer (4096 bytes, always terminated,
// so at most 4095 bytes of the answer are kept). Returns the number of bytes
// copied (a NUL the server sent with the text counts), 0 when nothing was
// received (buffer then holds an empty text).
int RequestProgmanGroup(DWORD ddeInstance, const char* group, char* buffer);

struct GroupItem;

// Asks Program Manager for the group's description into description (4096
// bytes) and parses its complete items into *items (from the process heap,
// released with FreeGroupItems; the fields point into description). Returns
// the number of items: 0 (and *items null) when no description comes.
int RequestGroupItems(DWORD ddeInstance, const char* group, char* description, GroupItem** items);
void FreeGroupItems(GroupItem* items);

// Sets versionText from the version stamp of VANTRX32.EXE in the install
// directory; leaves it as the setup script set it when no stamp can be read.
void TakeInstalledVersion();

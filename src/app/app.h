// Start-up: run mode, source directory, caption, main window, OS kind,
// unattended-run settings, the history and rights checks, the first wizard
// command and the message loop.
#pragma once

#include <windows.h>

// The whole run, from the command line to the end of the message loop.
// Returns the process exit code.
int RunSetupProgram(HINSTANCE instance, const char* commandLine);

// Registers the main window class (named by the caption) and creates the
// main window, not yet shown.
HWND MakeMainWindow(HINSTANCE instance);

// The OS kind of a platform identifier and version, as DetectOsKind maps them.
int OsKindFor(DWORD platformId, DWORD major, DWORD minor);

// Sets osKind from GetVersionExA; leaves it unchanged when that fails. Returns 1.
int DetectOsKind();

// 1 when the process token lists BUILTIN\Administrators, 0 otherwise or on failure.
int IsAdministrator();

// Reads [Autorun] of the setup script at scriptPath. Returns 1 (unattended) or 0;
// a Pathname that does not fit the install directory field counts as absent.
int ReadAutorun(const char* scriptPath);

// Fills buf with the setup script path for the current OS kind: "%s\SETUP95.INI"
// on Windows 95, "%s\SETUP.INI" otherwise, with the source directory. 1 when it fits; 0 without a source
// directory.
int SetupScriptPath(char* buf, size_t size);

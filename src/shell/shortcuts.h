// Start Menu shortcuts (shell link files) on Windows 95, written through the
// shell's link object. Failures leave the shortcut missing and are not reported.
#pragma once

// Makes "Start Menu\Programs\<group>" under the Windows directory (existing
// folders are reused) and writes "<name>.lnk" there. A path that would not fit
// in 260 characters is not written.
void CreateStartMenuShortcut(const char* group, const char* name, const char* target, int iconIndex);

// Writes one link file: path, description, icon; "-uninstall" as arguments for
// the uninstall shortcut; the working directory for the application shortcut.
void CreateShellLink(const char* linkPath, const char* name, const char* target, int iconIndex);

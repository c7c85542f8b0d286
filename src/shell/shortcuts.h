// Start Menu shortcuts (shell link files) on Windows 95.
#pragma once

void CreateStartMenuShortcut(const char* group, const char* name, const char* target, int iconIndex);
void CreateShellLink(const char* linkPath, const char* name, const char* target, int iconIndex);

#include "shell/shortcuts.h"
// Placeholder until the shortcuts land.
void CreateStartMenuShortcut(const char*, const char*, const char*, int) {}
void CreateShellLink(const char*, const char*, const char*, int) {}

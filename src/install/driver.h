// The check of the installed disk-array driver on Windows 95.
#pragma once

enum { kDriverOk = 0, kDriverMissing = 1, kDriverIncompatible = 2, kDriverOlder = 3 };

void CheckDriverVersion();
void ShowDriverMessage(int status, const char* installed, const char* included);

// The check of the installed disk-array driver on Windows 95: compares the
// stamp of SYSTEM\IOSUBSYS\ZELSCSI.MPD with the one copied into the install
// directory and tells the user when the system's driver is missing or old.
#pragma once

#include <stddef.h>

enum { kDriverOk = 0, kDriverMissing = 1, kDriverIncompatible = 2, kDriverOlder = 3 };

// Shows the message of a status other than kDriverOk. A driver file without
// a stamp counts as the empty version text, below every version.
void CheckDriverVersion();

// Message box of status 1, 2 or 3 with the two version texts (system's, included).
void ShowDriverMessage(int status, const char* installed, const char* included);

// The status of a system driver (present or not) of version installed,
// against the included version; compared as case-folded text.
int DriverStatus(int present, const char* installed, const char* included);

// The message text of status 1, 2 or 3 into text. 1 when it fits, 0 otherwise
// or for any other status.
int FormatDriverMessage(int status, const char* installed, const char* included, char* text, size_t size);

// Windows NT configuration: an older installation's engine libraries and
// registration, the event-log files, ZEL_NT.INI and the boot driver copy.
#pragma once

// 1, or 0 after reporting a full disk.
int ConfigureNtSystem();
void MoveLoggerFiles(const char* directory);
int IsOwnBootDriver();

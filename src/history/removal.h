// Removal of one recorded installation: files, directory, history entry,
// shell entries, logger service and SNMP registration.
#pragma once

// 1 when removed, 0 when a recorded file is in use (nothing changed).
int RemoveInstallation(const char* directory);

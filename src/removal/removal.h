// Removal of one recorded installation: files, directory, history entry,
// shell entries, logger service and SNMP registration.
#pragma once

// 1 when removed, 0 when a recorded file or the history file itself is in use
// (read-only, or held open by another program): nothing changed then.
int RemoveInstallation(const char* directory);

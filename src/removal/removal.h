// Removal of one recorded installation: files, directory, history entry,
// shell entries, logger service and SNMP registration.
#pragma once

// 1 when removed, 0 when a recorded file or the history file itself is in use
// (read-only, held open by another program, a running program, or the
// logger's program when the logger has not stopped in time): nothing changed
// then, but for the logger having been asked to stop.
int RemoveInstallation(const char* directory);

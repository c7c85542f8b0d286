// The setup script (SETUP.INI / SETUP95.INI): version, file table, required
// space; and the reconciliation of the install history with the disk.
#pragma once

#include <stddef.h>

// 1 when the wizard may start, 0 when the script is missing or unusable (the
// message has been shown). In UnInstall mode only reconciles the history.
int LoadSetupScript();

// Drops history entries whose VANTRX32.EXE has no stamp and corrects recorded versions.
void ReconcileHistory();

// The setup script (SETUP.INI / SETUP95.INI): version, file table, required
// space; and the reconciliation of the install history with the disk.
#pragma once

#include "base/state.h"

// 1 when the wizard may start, 0 when the script is missing or unusable (the
// message has been shown). In UnInstall mode only reconciles the history.
// Unusable: no script, a Filecount of 0, below 0 or above the table's 26
// records, an empty list (file1 absent), an entry that does not split into
// four fields or has a negative size, or a source path (source directory and
// source name) that does not fit 128 bytes. A missing entry after file1 ends
// the list there.
int LoadSetupScript();

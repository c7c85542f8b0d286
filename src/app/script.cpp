// The setup script and the reconciliation of the install history with the
// executables really on disk.
#include "app/script.h"

#include "app/app.h"
#include "base/state.h"
#include "base/text.h"
#include "history/history.h"
#include "install/fileentry.h"

#include <limits.h>

static const char kScriptInvalid[] = "File SETUP.INI missing or invalid.\n\nSetup cannot continue.";
static const char kScript95Invalid[] = "File SETUP95.INI missing or invalid.\n\nSetup cannot continue.";

static int RefuseScript() {
    MessageBoxA(g.mainWindow, g.osKind == kOsWin95 ? kScript95Invalid : kScriptInvalid, "Error",
                MB_ICONEXCLAMATION | MB_OK);
    return 0;
}

// Whether a file record can be installed: a size the required space can
// add, and a source path that fits the copy engine's 128-byte buffers.
static int RecordUsable(const FileRecord* record) {
    char sourcePath[128];
    if (record->size < 0 || (unsigned)record->size > UINT_MAX - g.requiredSpace)
        return 0;
    return FormatText(sourcePath, sizeof sourcePath, "%s\\%s", g.sourceDir, record->sourceName);
}

// Reads file1..file<count>; a missing entry ends the list. Returns 0 when an
// entry cannot be used, so that the whole script is refused.
static int ReadFileTable(const char* scriptPath, int count) {
    char entry[128];
    for (int n = 1; n <= count; ++n) {
        FileListEntry(0, n, entry, "Main", scriptPath);
        if (IsNoEntry(entry))
            break;
        // An entry that fills the buffer may go on beyond it, cut inside its
        // size: read as a smaller size, it would pass the free-space check.
        if (TextLength(entry) >= sizeof entry - 1)
            return 0;
        FileRecord record;
        if (!SplitFileEntry(entry, &record) || !RecordUsable(&record))
            return 0;
        g.fileTable[n - 1] = record;
        g.fileCount = n;
        g.requiredSpace += (unsigned)record.size;
    }
    return 1;
}

int LoadSetupScript() {
    if (g.runMode != kRunUninstall) {
        char scriptPath[128];
        if (!SetupScriptPath(scriptPath, sizeof scriptPath))
            return RefuseScript();
        char version[5], count[3];
        GetPrivateProfileStringA("Main", "Version", NO_ENTRY, version, sizeof version, scriptPath);
        CopyText(g.versionText, sizeof g.versionText, version);
        GetPrivateProfileStringA("Main", "Filecount", NO_ENTRY, count, sizeof count, scriptPath);
        int listed = LeadingNumber(count); // "NO" when absent: 0
        g.fileCount = 0;
        g.requiredSpace = 0;
        // More entries than the table holds, or none at all: the script is unusable.
        if (listed <= 0 || listed > kMaxFiles)
            return RefuseScript();
        if (!ReadFileTable(scriptPath, listed) || g.fileCount == 0) {
            g.fileCount = 0;
            g.requiredSpace = 0;
            return RefuseScript();
        }
    }
    ReconcileHistory();
    return 1;
}

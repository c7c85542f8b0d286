// Install-path page (dialog 101): the typed directory is checked for its
// characters, completed to a full path, checked for free space and existence,
// and compared with the recorded installations. Nothing here writes to disk.
#include "pages/pagekit.h"
#include "pages/pages.h"

#include "base/state.h"
#include "base/text.h"
#include "history/history.h"
#include "install/fileentry.h"
#include "install/stamp.h"
#include "pages/commands.h"
#include "pages/paint.h"
#include "resources/resource.h"

static const char kInvalidPath[] = "The pathname you have entered is invalid.";
static const char kMissingDir[] = "The path %s does not exist.\nWould you like to create it?";
static const char kTooLong[] = "The path %s is too long.\n\nThe files of ZEL Vantorix would not fit in it.";

// The longest name Setup itself writes into or reads from the install
// directory besides the listed files: "VANTRX32.EXE" (ZEL_NT.INI and the
// logger's ZELELOG.* files are shorter).
enum { kLongestOwnName = 12 };

// 0 when the edit box holds more than the install directory can take: such
// an entry is refused whole rather than cut.
static int Path_ReadEntry(HWND dialog) {
    GetDlgItemTextA(dialog, IDC_PATH_EDIT, g.installDir, sizeof g.installDir);
    return GetWindowTextLengthA(GetDlgItem(dialog, IDC_PATH_EDIT)) < (int)sizeof g.installDir;
}

// Puts the install directory back into the edit box and selects it; the page stays.
static INT_PTR Path_Stay(HWND dialog) {
    g.runMode = kRunSetup;
    SetDlgItemTextA(dialog, IDC_PATH_EDIT, g.installDir);
    SelectEditText(dialog, IDC_PATH_EDIT);
    return FALSE;
}

// 1 when the full path of every file installed into the directory fits the
// program's 128-byte path buffers; a longer one could not be written.
static int Path_FilesFit() {
    unsigned longest = LongestTargetName(g.fileTable, g.fileCount);
    if (longest < kLongestOwnName)
        longest = kLongestOwnName;
    return TextLength(g.installDir) + 1 + longest < kInstallDirSize;
}

static INT_PTR Path_TooLong(HWND dialog) {
    ShowPathBox(g.mainWindow, kTooLong, g.installDir, g.caption, MB_ICONINFORMATION | MB_OK);
    return Path_Stay(dialog);
}

static INT_PTR Path_Invalid(HWND dialog) {
    MessageBoxA(g.mainWindow, kInvalidPath, g.caption, MB_ICONINFORMATION | MB_OK);
    return Path_Stay(dialog);
}

// 1 when the completed entry fits the install directory; a longer path is
// refused rather than cut into some other directory.
static int Path_Complete() {
    char full[kInstallDirSize];
    return CompleteInstallPath(g.installDir, g.sourceDir, full, sizeof full) &&
           CopyText(g.installDir, sizeof g.installDir, full);
}

// Free bytes on the install directory's drive; 0 in *known when the drive
// cannot be asked (no such drive root).
static unsigned long long Path_FreeSpace(int* known) {
    char root[4];
    DriveRootOf(g.installDir, root);
    DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
    *known =
        GetDiskFreeSpaceA(root, &sectorsPerCluster, &bytesPerSector, &freeClusters, &totalClusters) ? 1 : 0;
    return *known ? FreeBytes(bytesPerSector, sectorsPerCluster, freeClusters) : 0;
}

// The drive is named by its first two characters (C:); the page then opens
// again with the completed path.
static INT_PTR Path_NoSpace(HWND dialog, unsigned long long available) {
    char drive[4];
    DriveRootOf(g.installDir, drive);
    drive[2] = '\0';
    char text[256];
    if (FormatNoSpaceMessage(text, sizeof text, drive, g.requiredSpace, available))
        MessageBoxA(dialog, text, "Setup", MB_ICONEXCLAMATION | MB_OK);
    PostWizardCommand(kCmdPath);
    ClosePage(dialog);
    return TRUE;
}

static INT_PTR Path_Missing(HWND dialog) {
    if (ShowPathBox(dialog, kMissingDir, g.installDir, "Setup", MB_ICONEXCLAMATION | MB_OKCANCEL) != IDOK) {
        SelectEditText(dialog, IDC_PATH_EDIT);
        return FALSE;
    }
    // The copy engine creates the directory later.
    PostWizardCommand(PageAfterPath());
    ClosePage(dialog);
    return TRUE;
}

// Asks once for every history entry naming the install directory. 1 when the
// user agreed each time (replace mode), or nothing is recorded there.
static int Path_ConfirmOverwrites(HWND dialog) {
    for (int n = 1; n <= GetTimesInstalled(); ++n) {
        char entry[kInstallDirSize];
        HistoryDirectoryEntry(0, n, entry);
        if (CompareNoCase(entry, g.installDir) != 0)
            continue;
        char exePath[160];
        unsigned char stamp[kStampSize];
        UnknownVersionStamp(stamp);
        if (FormatText(exePath, sizeof exePath, "%s\\VANTRX32.EXE", g.installDir))
            ReadVersionStamp(exePath, stamp);
        char question[384];
        int answer = IDNO;
        if (FormatOverwriteQuestion(question, sizeof question, stamp, g.installDir))
            answer = MessageBoxA(dialog, question, "Setup", MB_ICONEXCLAMATION | MB_YESNO);
        if (answer != IDYES)
            return 0;
        g.runMode = kRunReplace;
    }
    return 1;
}

static INT_PTR Path_OnContinue(HWND dialog) {
    if (!Path_ReadEntry(dialog)) {
        MessageBoxA(g.mainWindow, kInvalidPath, g.caption, MB_ICONINFORMATION | MB_OK);
        g.runMode = kRunSetup;
        SelectEditText(dialog, IDC_PATH_EDIT);
        return FALSE;
    }
    if (!IsValidPathName(g.installDir) || !Path_Complete())
        return Path_Invalid(dialog);
    if (!Path_FilesFit())
        return Path_TooLong(dialog);
    int known = 0;
    unsigned long long available = Path_FreeSpace(&known);
    // A drive that cannot be asked is no place to install to.
    if (!known)
        return Path_Invalid(dialog);
    if (available < g.requiredSpace)
        return Path_NoSpace(dialog, available);
    if (GetFileAttributesA(g.installDir) == INVALID_FILE_ATTRIBUTES)
        return Path_Missing(dialog);
    if (!Path_ConfirmOverwrites(dialog))
        return Path_Stay(dialog);
    PostWizardCommand(PageAfterPath());
    ClosePage(dialog);
    return TRUE;
}

// Install History and Exit take the entry as it stands, unchecked.
static INT_PTR Path_Leave(HWND dialog, int next) {
    Path_ReadEntry(dialog);
    PostWizardCommand(next);
    ClosePage(dialog);
    return TRUE;
}

static INT_PTR Path_OnCommand(HWND dialog, WPARAM command) {
    switch (command) {
    case IDC_INSTALL_HISTORY:
        return Path_Leave(dialog, kCmdHistory);
    case IDC_EXIT:
        g.backCommand = kCmdPath;
        return Path_Leave(dialog, kCmdExit);
    case IDC_CONTINUE:
        return Path_OnContinue(dialog);
    default:
        return FALSE;
    }
}

static INT_PTR Path_OnInit(HWND dialog) {
    g.runMode = kRunSetup;
    CenterDialog(g.mainWindow, dialog);
    SetDlgItemTextA(dialog, IDC_PATH_EDIT, g.installDir);
    SendDlgItemMessageA(dialog, IDC_PATH_EDIT, EM_LIMITTEXT, sizeof g.installDir - 1, 0);
    return TRUE;
}

INT_PTR CALLBACK PathDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        return Path_OnInit(dialog);
    case WM_COMMAND:
        return Path_OnCommand(dialog, wParam);
    default:
        return IsCtlColorMessage(message) ? AnswerCtlColor(wParam) : FALSE;
    }
}

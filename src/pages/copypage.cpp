#include "pages/copypage.h"

#include "base/state.h"
#include "base/text.h"
#include "install/driver.h"
#include "install/gauge.h"
#include "install/lzfile.h"
#include "ntconfig/snmp.h"
#include "pages/commands.h"
#include "pages/pages.h"
#include "pages/paint.h"
#include "resources/resource.h"

#include <lzexpand.h>

enum { kCopyPath = 128, kFixedFiles = 2 };

static const char kSnmpFailed[] = "Unable to register SNMP with the system.";
static const char kDiskPrompt[] = "Please insert ZEL Vantorix Disk #%d";
static const char kDiskPromptCaption[] = "Change Disks";

// Copied from the install directory into the Windows directory after the file
// table; the first is the uninstaller.
static const char* const kFixedSources[kFixedFiles] = {"setup.zel", "vantrx.386"};
static const char* const kFixedTargets[kFixedFiles] = {"zelunins.exe", "vantrx.386"};

// The stretch of the gauge filled so far in this page, so that a repaint while
// a disk prompt stands (the only time the page repaints during the copy) can
// restore it. started keeps a second command from running the engine again.
static struct {
    int left, right;
    int started;
} copyPage;

void FillGaugeStretch(HDC dc, int left, int right) {
    if (right <= left)
        return;
    HRGN region = CreateRectRgn(left, g.gaugeTop + 2, right, g.gaugeBottom - 2);
    HBRUSH brush = CreateSolidBrush(GetSysColor(g.bkColorIndex) ^ 0xFFFF);
    FillRgn(dc, region, brush);
    DeleteObject(brush);
    DeleteObject(region);
}

static void AdvanceGauge(HWND page, int* x, int share) {
    HDC dc = GetDC(page);
    FillGaugeStretch(dc, *x, *x + share);
    ReleaseDC(page, dc);
    *x += share;
    copyPage.right = *x;
}

// Shrinks the frame to its inside and splits the inner width over the files.
static void ComputeShares(int* shares) {
    g.gaugeLeft += 1;
    g.gaugeRight -= 1;
    int sizes[kMaxFiles];
    int count = g.fileCount < 0 ? 0 : (g.fileCount > kMaxFiles ? kMaxFiles : g.fileCount);
    for (int i = 0; i < count; ++i)
        sizes[i] = g.fileTable[i].size;
    ComputeGaugeShares(g.gaugeRight - g.gaugeLeft, g.requiredSpace, sizes, count, shares);
}

// Asks for the disk until source exists; 0 when the user cancels.
static int WaitForSource(HWND page, const char* source, int disk) {
    while (GetFileAttributesA(source) == INVALID_FILE_ATTRIBUTES) {
        char prompt[64];
        FormatText(prompt, sizeof prompt, kDiskPrompt, disk);
        MessageBeep(0xFFFF);
        if (MessageBoxA(page, prompt, kDiskPromptCaption, MB_OKCANCEL | MB_ICONEXCLAMATION) == IDCANCEL)
            return 0;
    }
    return 1;
}

// What became of one file.
enum CopyOutcome {
    kCopied,    // written whole
    kNotCopied, // the file could not be written (or its path would not fit): the run goes on, but fails
    kAbandoned, // a disk prompt was cancelled, or the target disk is full: the run ends at once
};

// Copies file record k, asking for its disk until its source is there.
static CopyOutcome CopyTableFile(HWND page, const FileRecord* record) {
    char target[kCopyPath], source[kCopyPath];
    int targetFits = FormatText(target, sizeof target, "%s\\%s", g.installDir, record->targetName);
    SetDlgItemTextA(page, IDC_COPY_FILE, target);
    if (!targetFits || !FormatText(source, sizeof source, "%s\\%s", g.sourceDir, record->sourceName))
        return kNotCopied;
    if (!WaitForSource(page, source, record->disk))
        return kAbandoned;
    long result = CopyCompressedFile(source, target);
    if (result == kLzWriteFailed) {
        ShowOutOfDiskSpace(page);
        return kAbandoned;
    }
    return result >= 0 ? kCopied : kNotCopied;
}

// Places the uninstaller and the .386 file in the Windows directory, each
// only when whole (every installation shares the uninstaller). A file that
// the distribution did not bring is passed over; one that is there but
// cannot be placed fails the run. *uninstallerPlaced tells whether
// zelunins.exe was written.
static CopyOutcome PlaceWindowsFiles(HWND page, int* uninstallerPlaced) {
    *uninstallerPlaced = 0;
    CopyOutcome outcome = kCopied;
    for (int i = 0; i < kFixedFiles; ++i) {
        char source[kCopyPath], target[kCopyPath];
        if (!FormatText(source, sizeof source, "%s\\%s", g.installDir, kFixedSources[i]) ||
            GetFileAttributesA(source) == INVALID_FILE_ATTRIBUTES)
            continue;
        long result = kLzTargetFailed;
        if (FormatText(target, sizeof target, "%s\\%s", g.windowsDir, kFixedTargets[i]))
            result = CopyCompressedFileWhole(source, target);
        if (result == kLzWriteFailed) {
            ShowOutOfDiskSpace(page);
            return kAbandoned;
        }
        if (result < 0)
            outcome = kNotCopied;
        else if (i == 0)
            *uninstallerPlaced = 1;
    }
    return outcome;
}

// Copies the file table and the Windows-directory files inside one LZ run.
// A file that could not be written does not stop the others, but the run
// then fails: the product is not reported installed with a file missing.
static int CopyAllFiles(HWND page) {
    int shares[kMaxFiles];
    ComputeShares(shares);
    SetErrorMode(SEM_FAILCRITICALERRORS);
    LZStart();
    int x = g.gaugeLeft;
    copyPage.left = copyPage.right = x;
    int complete = 1;
    for (int k = 0; k < g.fileCount && k < kMaxFiles; ++k) {
        CopyOutcome outcome = CopyTableFile(page, &g.fileTable[k]);
        if (outcome == kAbandoned) {
            LZDone();
            return 0;
        }
        complete = complete && outcome == kCopied;
        AdvanceGauge(page, &x, shares[k]);
    }
    int uninstallerPlaced = 0;
    CopyOutcome placed = PlaceWindowsFiles(page, &uninstallerPlaced);
    // SETUP.ZEL goes only once its copy is in place as the uninstaller:
    // otherwise the installation would be left without one.
    char setupCopy[kCopyPath];
    if (uninstallerPlaced && FormatText(setupCopy, sizeof setupCopy, "%s\\SETUP.ZEL", g.installDir))
        DeleteFileA(setupCopy);
    LZDone();
    return complete && placed == kCopied;
}

int CopyFiles(HWND page) {
    if (g.installSnmp && !RegisterSnmpAgent()) {
        MessageBoxA(g.mainWindow, kSnmpFailed, g.caption, MB_OK | MB_ICONEXCLAMATION);
        return 0;
    }
    char directory[sizeof g.installDir];
    CopyText(directory, sizeof directory, g.installDir);
    CreateDirectoryPath(directory);
    if (!CopyAllFiles(page))
        return 0;
    if (g.osKind == kOsWin95)
        CheckDriverVersion();
    return 1;
}

static INT_PTR OnInitDialog(HWND dialog) {
    CenterDialog(g.mainWindow, dialog);
    copyPage.left = copyPage.right = 0;
    copyPage.started = 0;
    PostMessageA(dialog, WM_COMMAND, kCmdCopyStart, 0);
    return TRUE;
}

static INT_PTR OnCommand(HWND dialog) {
    if (copyPage.started)
        return TRUE;
    copyPage.started = 1;
    // The posted start command can arrive before the first WM_PAINT; the
    // gauge fields must describe this page before the engine measures them.
    UpdateWindow(dialog);
    int result = CopyFiles(dialog);
    PostWizardCommand(result ? kCmdShellGroup : kCmdAbandon);
    EndDialog(dialog, 0);
    return TRUE;
}

static INT_PTR OnPaint(HWND dialog) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(g.mainWindow, &paint);
    PaintBackground(g.mainWindow, dc);
    EndPaint(g.mainWindow, &paint);
    dc = BeginPaint(dialog, &paint);
    PaintGauge(dc, dialog);
    FillGaugeStretch(dc, copyPage.left, copyPage.right);
    EndPaint(dialog, &paint);
    return TRUE;
}

INT_PTR CALLBACK CopyDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        return OnInitDialog(dialog);
    case WM_COMMAND:
        return OnCommand(dialog);
    case WM_PAINT:
        return OnPaint(dialog);
    default:
        return IsCtlColorMessage(message) ? AnswerCtlColor(wParam) : FALSE;
    }
}

#include "pages/pagekit.h"

#include "base/state.h"
#include "base/text.h"
#include "pages/paint.h"

static const char kNothingChanged[] = "UnInstall has not changed your system in any way.";
static const char kRemoved[] = "UnInstall has successfully removed ZEL Vantorix\nfrom %s.";
static const char kInUse[] =
    "UnInstall cannot remove ZEL Vantorix\nfrom %s because some of\nthe Vantorix files in "
    "that directory\nare currently in use.";

void ClosePage(HWND dialog) {
    EndDialog(dialog, 0);
}

void SelectEditText(HWND dialog, int id) {
    HWND edit = GetDlgItem(dialog, id);
    SetFocus(edit);
    SendMessageA(edit, EM_SETSEL, 0, -1);
}

int PageAfterPath() {
    return g.osKind == kOsWin95 ? 103 : 106;
}

int ShowPathBox(HWND owner, const char* format, const char* path, const char* caption, UINT style) {
    // Room for the longest message and a full 127-character path.
    char text[512];
    if (!FormatText(text, sizeof text, format, path))
        return 0;
    return MessageBoxA(owner, text, caption, style);
}

void ShowNothingChanged(HWND dialog, const char* caption) {
    MessageBoxA(dialog, kNothingChanged, caption, MB_ICONINFORMATION | MB_OK);
}

void ReportRemoval(HWND dialog, const char* directory, int removed) {
    if (removed) {
        ShowPathBox(g.mainWindow, kRemoved, directory, g.caption, MB_ICONINFORMATION | MB_OK);
        return;
    }
    ShowPathBox(g.mainWindow, kInUse, directory, g.caption, MB_ICONINFORMATION | MB_OK);
    ShowNothingChanged(dialog, g.caption);
}

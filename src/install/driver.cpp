// The check of the disk-array driver on Windows 95. It only informs: the
// installation goes on whatever it finds.
#include "install/driver.h"

#include "base/state.h"
#include "base/text.h"
#include "install/stamp.h"

#include <windows.h>

// The oldest driver the product works with.
static const char kOldestDriver[] = "1.K2";

static const char kDriverMissingText[] =
    "There is no ZEL driver installed on your system.\n\nYou must install "
    "the ZEL driver by choosing\nSystem in the Control Panel.";
static const char kDriverIncompatibleText[] =
    "The ZEL driver installed on your system (v%s) is\nincompatible with Vantorix.\n\nThe ZEL driver "
    "included with Vantorix\n(v%s) is not Microsoft-certified.  However,\nit has been tested and certified "
    "by ZEL.\n\nYou must install the ZEL driver by choosing\nSystem in the Control Panel.";
static const char kDriverOlderText[] =
    "The ZEL driver installed on your system (v%s) is older\nthan the driver included with Vantorix "
    "(v%s).\n\nThe ZEL driver included with Vantorix is not\nMicrosoft-certified.  However, it has been "
    "tested and\ncertified by ZEL.\n\nYou must install the ZEL driver by choosing\nSystem in the Control "
    "Panel.";

int DriverStatus(int present, const char* installed, const char* included) {
    if (!present)
        return kDriverMissing;
    int status = kDriverOk;
    if (CompareVersions(installed, included) < 0)
        status = kDriverOlder;
    if (CompareVersions(installed, kOldestDriver) < 0)
        status = kDriverIncompatible;
    return status;
}

int FormatDriverMessage(int status, const char* installed, const char* included, char* text, size_t size) {
    switch (status) {
    case kDriverMissing:
        return CopyText(text, size, kDriverMissingText);
    case kDriverIncompatible:
        return FormatText(text, size, kDriverIncompatibleText, installed, included);
    case kDriverOlder:
        return FormatText(text, size, kDriverOlderText, installed, included);
    default:
        return 0;
    }
}

void ShowDriverMessage(int status, const char* installed, const char* included) {
    char text[1024];
    if (FormatDriverMessage(status, installed, included, text, sizeof text))
        MessageBoxA(g.mainWindow, text, g.caption, MB_ICONEXCLAMATION | MB_OK);
}

void CheckDriverVersion() {
    // A driver file without a stamp gives the empty version text, which
    // compares below every version.
    char path[160], included[kVersionTextSize] = "", installed[kVersionTextSize] = "";
    if (FormatText(path, sizeof path, "%s\\ZELSCSI.MPD", g.installDir))
        ReadVersionText(path, included);
    int present = FormatText(path, sizeof path, "%s\\SYSTEM\\IOSUBSYS\\ZELSCSI.MPD", g.windowsDir) &&
                  GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
    if (present)
        ReadVersionText(path, installed);
    int status = DriverStatus(present, installed, included);
    if (status != kDriverOk)
        ShowDriverMessage(status, installed, included);
}

#include "base/state.h"

#include "base/text.h"

// Zero until ResetAppState, the program's first step, gives every field its
// start value: set here field by field rather than copied from a second
// record, so that the executable carries no image of the whole state.
AppState g;

void ResetAppState() {
    g = AppState();
    g.runMode = kRunSetup;
    g.osKind = kOsWin95; // until DetectOsKind knows better
    CopyText(g.installDir, sizeof g.installDir, "C:\\Vantrx");
    g.installApp = 1;
    g.installSnmp = 1;
    g.bkColorIndex = COLOR_WINDOW;
}

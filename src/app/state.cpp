#include "app/state.h"

#include <string.h>

AppState g;

void ResetAppState() {
    memset(&g, 0, sizeof g);
    g.osKind = kOsWin95;
    strcpy(g.installDir, "C:\\Vantrx");
    g.installApp = 1;
    g.installSnmp = 1;
    g.bkColorIndex = COLOR_WINDOW;
}

// The record must hold its start values before WinMain runs.
static const int stateInitialised = (ResetAppState(), 1);

// How a run flows: start-up (startup.cpp) decides the run mode, makes the
// full-screen main window, checks the history and the user's rights, loads
// the setup script and posts the first wizard command. From then on the main
// window's procedure (mainwnd.cpp) receives posted wizard commands: 100..106
// open the dialog pages, each of which posts the next command before it
// closes; 505, 508, 506 and 503 run the phases after the copy; 501 abandons.
// Every run ends with WM_DESTROY of the main window.
#include "app/app.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    return RunSetupProgram(instance, commandLine);
}

// ZELSCSI.MPD stand-in: the disk-array port driver whose stamp the setup
// program compares with the installed one on Windows 95. Only its stamp
// matters; it is never loaded.
#include "stamp.h"

#include <windows.h>

STANDIN_STAMP("ZEL SCSI Miniport (stand-in)");

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) {
    return TRUE;
}

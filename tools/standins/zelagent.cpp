// ZELAGENT.DLL stand-in: the SNMP extension agent the distribution installs.
// It serves no MIB view: the SNMP service that loads it is told so by
// SnmpExtensionInit returning FALSE.
#include "stamp.h"

#include <windows.h>

STANDIN_STAMP("ZEL SCSI System Agent (stand-in)");

extern "C" __declspec(dllexport) BOOL WINAPI SnmpExtensionInit(DWORD, HANDLE* trapEvent, void* view) {
    if (trapEvent)
        *trapEvent = NULL;
    (void)view;
    return FALSE;
}

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) {
    return TRUE;
}

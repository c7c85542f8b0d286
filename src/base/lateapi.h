// Platform functions that some of the target systems lack, looked up when a
// path first needs them (GetProcAddress), so that the program itself starts
// everywhere: the version query that Windows NT 3.1 does not have, the
// replacing rename that Windows 95 only stubs, the token
// and service-manager functions that Windows 95's ADVAPI32 may not export,
// and COM, which only the Windows 95 Start Menu step uses. A missing library
// or function behaves like the call failing: the wrapper returns the
// function's failure value with ERROR_CALL_NOT_IMPLEMENTED as the last error.
#pragma once

#include <windows.h>

BOOL LateGetVersionExA(OSVERSIONINFOA* info);
BOOL LateMoveFileExA(const char* from, const char* to, DWORD flags);

BOOL LateOpenProcessToken(HANDLE process, DWORD access, HANDLE* token);
BOOL LateGetTokenInformation(HANDLE token, TOKEN_INFORMATION_CLASS kind, void* buffer, DWORD size,
                             DWORD* needed);
BOOL LateAllocateAndInitializeSid(SID_IDENTIFIER_AUTHORITY* authority, BYTE count, DWORD sub0, DWORD sub1,
                                  PSID* sid);
BOOL LateEqualSid(PSID a, PSID b);
void LateFreeSid(PSID sid);
BOOL LateLookupPrivilegeValueA(const char* system, const char* name, LUID* luid);
BOOL LateAdjustTokenPrivileges(HANDLE token, TOKEN_PRIVILEGES* privileges);

SC_HANDLE LateOpenSCManagerA(DWORD access);
SC_HANDLE LateOpenServiceA(SC_HANDLE manager, const char* name, DWORD access);
SC_HANDLE LateCreateServiceA(SC_HANDLE manager, const char* name, DWORD access, DWORD type, DWORD start,
                             DWORD errorControl, const char* binaryPath);
BOOL LateStartServiceA(SC_HANDLE service);
BOOL LateControlService(SC_HANDLE service, DWORD control, SERVICE_STATUS* status);
BOOL LateDeleteService(SC_HANDLE service);
BOOL LateQueryServiceStatus(SC_HANDLE service, SERVICE_STATUS* status);
BOOL LateQueryServiceConfigA(SC_HANDLE service, QUERY_SERVICE_CONFIGA* config, DWORD size, DWORD* needed);
BOOL LateCloseServiceHandle(SC_HANDLE handle);

HRESULT LateCoInitialize();
HRESULT LateCoCreateInstance(REFCLSID classId, DWORD context, REFIID interfaceId, void** object);
void LateCoUninitialize();

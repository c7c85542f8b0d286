#include "base/lateapi.h"

enum Library { kKernel, kAdvapi, kOle, kLibraries };

static const char* const kLibraryNames[kLibraries] = {"KERNEL32.DLL", "ADVAPI32.DLL", "OLE32.DLL"};
static HMODULE libraries[kLibraries];

// KERNEL32 and ADVAPI32 are loaded with the program; OLE32 is loaded the
// first time it is needed and stays for the rest of the run.
static FARPROC Lookup(Library library, const char* name) {
    if (!libraries[library]) {
        libraries[library] =
            library == kOle ? LoadLibraryA(kLibraryNames[library]) : GetModuleHandleA(kLibraryNames[library]);
        if (!libraries[library])
            return NULL;
    }
    return GetProcAddress(libraries[library], name);
}

template <typename Function> static Function Find(Library library, const char* name) {
    FARPROC found = Lookup(library, name);
    if (!found)
        SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return (Function)(void (*)(void))found;
}

BOOL LateGetVersionExA(OSVERSIONINFOA* info) {
    typedef BOOL(WINAPI * Function)(OSVERSIONINFOA*);
    Function f = Find<Function>(kKernel, "GetVersionExA");
    return f ? f(info) : FALSE;
}

BOOL LateMoveFileExA(const char* from, const char* to, DWORD flags) {
    typedef BOOL(WINAPI * Function)(const char*, const char*, DWORD);
    Function f = Find<Function>(kKernel, "MoveFileExA");
    return f ? f(from, to, flags) : FALSE;
}

BOOL LateOpenProcessToken(HANDLE process, DWORD access, HANDLE* token) {
    typedef BOOL(WINAPI * Function)(HANDLE, DWORD, HANDLE*);
    Function f = Find<Function>(kAdvapi, "OpenProcessToken");
    return f ? f(process, access, token) : FALSE;
}

BOOL LateGetTokenInformation(HANDLE token, TOKEN_INFORMATION_CLASS kind, void* buffer, DWORD size,
                             DWORD* needed) {
    typedef BOOL(WINAPI * Function)(HANDLE, TOKEN_INFORMATION_CLASS, void*, DWORD, DWORD*);
    Function f = Find<Function>(kAdvapi, "GetTokenInformation");
    return f ? f(token, kind, buffer, size, needed) : FALSE;
}

BOOL LateAllocateAndInitializeSid(SID_IDENTIFIER_AUTHORITY* authority, BYTE count, DWORD sub0, DWORD sub1,
                                  PSID* sid) {
    typedef BOOL(WINAPI * Function)(SID_IDENTIFIER_AUTHORITY*, BYTE, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD,
                                    DWORD, DWORD, PSID*);
    Function f = Find<Function>(kAdvapi, "AllocateAndInitializeSid");
    return f ? f(authority, count, sub0, sub1, 0, 0, 0, 0, 0, 0, sid) : FALSE;
}

BOOL LateEqualSid(PSID a, PSID b) {
    typedef BOOL(WINAPI * Function)(PSID, PSID);
    Function f = Find<Function>(kAdvapi, "EqualSid");
    return f ? f(a, b) : FALSE;
}

void LateFreeSid(PSID sid) {
    typedef PVOID(WINAPI * Function)(PSID);
    Function f = Find<Function>(kAdvapi, "FreeSid");
    if (f)
        f(sid);
}

BOOL LateLookupPrivilegeValueA(const char* system, const char* name, LUID* luid) {
    typedef BOOL(WINAPI * Function)(const char*, const char*, LUID*);
    Function f = Find<Function>(kAdvapi, "LookupPrivilegeValueA");
    return f ? f(system, name, luid) : FALSE;
}

BOOL LateAdjustTokenPrivileges(HANDLE token, TOKEN_PRIVILEGES* privileges) {
    typedef BOOL(WINAPI * Function)(HANDLE, BOOL, TOKEN_PRIVILEGES*, DWORD, TOKEN_PRIVILEGES*, DWORD*);
    Function f = Find<Function>(kAdvapi, "AdjustTokenPrivileges");
    return f ? f(token, FALSE, privileges, 0, NULL, NULL) : FALSE;
}

SC_HANDLE LateOpenSCManagerA(DWORD access) {
    typedef SC_HANDLE(WINAPI * Function)(const char*, const char*, DWORD);
    Function f = Find<Function>(kAdvapi, "OpenSCManagerA");
    return f ? f(NULL, NULL, access) : NULL;
}

SC_HANDLE LateOpenServiceA(SC_HANDLE manager, const char* name, DWORD access) {
    typedef SC_HANDLE(WINAPI * Function)(SC_HANDLE, const char*, DWORD);
    Function f = Find<Function>(kAdvapi, "OpenServiceA");
    return f ? f(manager, name, access) : NULL;
}

SC_HANDLE LateCreateServiceA(SC_HANDLE manager, const char* name, DWORD access, DWORD type, DWORD start,
                             DWORD errorControl, const char* binaryPath) {
    typedef SC_HANDLE(WINAPI * Function)(SC_HANDLE, const char*, const char*, DWORD, DWORD, DWORD, DWORD,
                                         const char*, const char*, DWORD*, const char*, const char*,
                                         const char*);
    Function f = Find<Function>(kAdvapi, "CreateServiceA");
    return f ? f(manager, name, name, access, type, start, errorControl, binaryPath, NULL, NULL, NULL, NULL,
                 NULL)
             : NULL;
}

BOOL LateStartServiceA(SC_HANDLE service) {
    typedef BOOL(WINAPI * Function)(SC_HANDLE, DWORD, const char**);
    Function f = Find<Function>(kAdvapi, "StartServiceA");
    return f ? f(service, 0, NULL) : FALSE;
}

BOOL LateControlService(SC_HANDLE service, DWORD control, SERVICE_STATUS* status) {
    typedef BOOL(WINAPI * Function)(SC_HANDLE, DWORD, SERVICE_STATUS*);
    Function f = Find<Function>(kAdvapi, "ControlService");
    return f ? f(service, control, status) : FALSE;
}

BOOL LateDeleteService(SC_HANDLE service) {
    typedef BOOL(WINAPI * Function)(SC_HANDLE);
    Function f = Find<Function>(kAdvapi, "DeleteService");
    return f ? f(service) : FALSE;
}

BOOL LateQueryServiceStatus(SC_HANDLE service, SERVICE_STATUS* status) {
    typedef BOOL(WINAPI * Function)(SC_HANDLE, SERVICE_STATUS*);
    Function f = Find<Function>(kAdvapi, "QueryServiceStatus");
    return f ? f(service, status) : FALSE;
}

BOOL LateQueryServiceConfigA(SC_HANDLE service, QUERY_SERVICE_CONFIGA* config, DWORD size, DWORD* needed) {
    typedef BOOL(WINAPI * Function)(SC_HANDLE, QUERY_SERVICE_CONFIGA*, DWORD, DWORD*);
    Function f = Find<Function>(kAdvapi, "QueryServiceConfigA");
    return f ? f(service, config, size, needed) : FALSE;
}

BOOL LateCloseServiceHandle(SC_HANDLE handle) {
    typedef BOOL(WINAPI * Function)(SC_HANDLE);
    Function f = Find<Function>(kAdvapi, "CloseServiceHandle");
    return f ? f(handle) : FALSE;
}

HRESULT LateCoInitialize() {
    typedef HRESULT(WINAPI * Function)(void*);
    Function f = Find<Function>(kOle, "CoInitialize");
    return f ? f(NULL) : E_NOTIMPL;
}

HRESULT LateCoCreateInstance(REFCLSID classId, DWORD context, REFIID interfaceId, void** object) {
    typedef HRESULT(WINAPI * Function)(REFCLSID, IUnknown*, DWORD, REFIID, void**);
    Function f = Find<Function>(kOle, "CoCreateInstance");
    return f ? f(classId, NULL, context, interfaceId, object) : E_NOTIMPL;
}

void LateCoUninitialize() {
    typedef void(WINAPI * Function)(void);
    Function f = Find<Function>(kOle, "CoUninitialize");
    if (f)
        f();
}

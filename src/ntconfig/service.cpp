// The logger service's registration with the service control manager. Nothing
// here reports to the user: a service that cannot be made leaves the product
// without its logger, and the wizard goes on.
#include "ntconfig/service.h"

#include "base/lateapi.h"
#include "base/state.h"
#include "base/text.h"

#include <windows.h>

static const char kServiceName[] = "ZELSRV";

int LoggerServiceRunning() {
    SC_HANDLE manager = LateOpenSCManagerA(SC_MANAGER_ALL_ACCESS);
    if (!manager)
        return 0; // no service control manager (Windows 95) or no right to it
    int running = 0;
    SC_HANDLE service = LateOpenServiceA(manager, kServiceName, SERVICE_QUERY_STATUS);
    if (service) {
        SERVICE_STATUS status;
        if (LateQueryServiceStatus(service, &status) && status.dwCurrentState == SERVICE_RUNNING)
            running = 1;
        LateCloseServiceHandle(service);
    }
    LateCloseServiceHandle(manager);
    return running;
}

// The manager takes the binary path as a command line: a blank left bare would
// make it try "C:\Program.exe" first, a program any user may put there, run
// as LocalSystem. A path without a blank stays bare, as it always was.
static int LoggerBinaryPath(char* binaryPath, size_t size, const char* directory) {
    const char* format =
        FindByte(directory, TextLength(directory), ' ') < 0 ? "%s\\ZELSERV.EXE" : "\"%s\\ZELSERV.EXE\"";
    return FormatText(binaryPath, size, format, directory);
}

DWORD CreateLoggerServiceEntry(const char* directory) {
    char binaryPath[256];
    if (!LoggerBinaryPath(binaryPath, sizeof binaryPath, directory))
        return ERROR_BAD_PATHNAME;
    SC_HANDLE manager = LateOpenSCManagerA(SC_MANAGER_ALL_ACCESS);
    if (!manager)
        return GetLastError();
    // A service deleted a moment ago stays marked for deletion until its
    // process has ended; wait for that, but not for one that never stops.
    DWORD waited = 0, error = 0;
    for (;;) {
        SC_HANDLE service =
            LateCreateServiceA(manager, kServiceName, SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS,
                               SERVICE_AUTO_START, SERVICE_ERROR_NORMAL, binaryPath);
        if (service) {
            LateCloseServiceHandle(service);
            error = 0;
            break;
        }
        error = GetLastError();
        if (error != ERROR_SERVICE_MARKED_FOR_DELETE || waited >= kServiceRetryLimitMs)
            break;
        Sleep(kServiceRetryPauseMs);
        waited += kServiceRetryPauseMs;
    }
    LateCloseServiceHandle(manager);
    return error;
}

void CreateLoggerService(const char* directory) {
    CreateLoggerServiceEntry(directory);
    if (g.loggerWasRunning)
        StartLoggerService();
}

void StartLoggerService() {
    SC_HANDLE manager = LateOpenSCManagerA(SC_MANAGER_ALL_ACCESS);
    if (!manager)
        return;
    SC_HANDLE service = LateOpenServiceA(manager, kServiceName, SERVICE_START);
    if (service) {
        LateStartServiceA(service);
        LateCloseServiceHandle(service);
    }
    LateCloseServiceHandle(manager);
}

void RemoveLoggerService() {
    SC_HANDLE manager = LateOpenSCManagerA(SC_MANAGER_ALL_ACCESS);
    if (!manager)
        return;
    SC_HANDLE service = LateOpenServiceA(manager, kServiceName, DELETE | SERVICE_STOP);
    if (!service) {
        LateCloseServiceHandle(manager);
        return;
    }
    SERVICE_STATUS status;
    LateControlService(service, SERVICE_CONTROL_STOP, &status); // the service stops on its own time
    LateDeleteService(service);
    LateCloseServiceHandle(service);
    LateCloseServiceHandle(manager);
}

// The program of a binary path stored quoted or, by older installations, bare.
// The closing quote goes in the manager's answer itself, which is ours.
static int CopyUnquoted(char* path, size_t size, char* binaryPath) {
    size_t length = TextLength(binaryPath);
    if (length < 2 || binaryPath[0] != '"' || binaryPath[length - 1] != '"')
        return CopyText(path, size, binaryPath);
    binaryPath[length - 1] = '\0';
    return CopyText(path, size, binaryPath + 1);
}

int LoggerProgramPath(char* path, size_t size) {
    path[0] = '\0';
    SC_HANDLE manager = LateOpenSCManagerA(SC_MANAGER_ALL_ACCESS);
    if (!manager)
        return 0;
    SC_HANDLE service = LateOpenServiceA(manager, kServiceName, SERVICE_QUERY_CONFIG);
    int known = 0;
    if (service) {
        union {
            QUERY_SERVICE_CONFIGA config;
            char bytes[1024];
        } buffer;
        DWORD needed = 0;
        known = LateQueryServiceConfigA(service, &buffer.config, sizeof buffer, &needed) &&
                buffer.config.lpBinaryPathName && CopyUnquoted(path, size, buffer.config.lpBinaryPathName);
        LateCloseServiceHandle(service);
    }
    LateCloseServiceHandle(manager);
    return known;
}

int StopLoggerService() {
    SC_HANDLE manager = LateOpenSCManagerA(SC_MANAGER_ALL_ACCESS);
    if (!manager)
        return 1;
    SC_HANDLE service = LateOpenServiceA(manager, kServiceName, SERVICE_STOP | SERVICE_QUERY_STATUS);
    int stopped = 1;
    if (service) {
        SERVICE_STATUS status;
        LateControlService(service, SERVICE_CONTROL_STOP, &status);
        DWORD waited = 0;
        while (LateQueryServiceStatus(service, &status) && status.dwCurrentState != SERVICE_STOPPED) {
            if (waited >= kServiceRetryLimitMs) {
                stopped = 0;
                break;
            }
            Sleep(kServiceRetryPauseMs);
            waited += kServiceRetryPauseMs;
        }
        LateCloseServiceHandle(service);
    }
    LateCloseServiceHandle(manager);
    return stopped;
}

// The logger service's registration with the service control manager. Nothing
// here reports to the user: a service that cannot be made leaves the product
// without its logger, and the wizard goes on.
#include "ntconfig/service.h"

#include "app/state.h"
#include "app/text.h"

#include <windows.h>

static const char kServiceName[] = "ZELSRV";

int LoggerServiceRunning() {
    SC_HANDLE manager = OpenSCManagerA(NULL, NULL, SC_MANAGER_ALL_ACCESS);
    if (!manager)
        return 0; // no service control manager (Windows 95) or no right to it
    int running = 0;
    SC_HANDLE service = OpenServiceA(manager, kServiceName, SERVICE_QUERY_STATUS);
    if (service) {
        SERVICE_STATUS status;
        if (QueryServiceStatus(service, &status) && status.dwCurrentState == SERVICE_RUNNING)
            running = 1;
        CloseServiceHandle(service);
    }
    CloseServiceHandle(manager);
    return running;
}

DWORD CreateLoggerServiceEntry(const char* directory) {
    char binaryPath[256];
    if (!FormatText(binaryPath, sizeof binaryPath, "%s\\ZELSERV.EXE", directory))
        return ERROR_BAD_PATHNAME;
    SC_HANDLE manager = OpenSCManagerA(NULL, NULL, SC_MANAGER_ALL_ACCESS);
    if (!manager)
        return GetLastError();
    // A service deleted a moment ago stays marked for deletion until its
    // process has ended; wait for that, but not for one that never stops.
    DWORD waited = 0, error = 0;
    for (;;) {
        SC_HANDLE service = CreateServiceA(manager, kServiceName, kServiceName, SERVICE_ALL_ACCESS,
                                           SERVICE_WIN32_OWN_PROCESS, SERVICE_AUTO_START,
                                           SERVICE_ERROR_NORMAL, binaryPath, NULL, NULL, NULL, NULL, NULL);
        if (service) {
            CloseServiceHandle(service);
            error = 0;
            break;
        }
        error = GetLastError();
        if (error != ERROR_SERVICE_MARKED_FOR_DELETE || waited >= kServiceRetryLimitMs)
            break;
        Sleep(kServiceRetryPauseMs);
        waited += kServiceRetryPauseMs;
    }
    CloseServiceHandle(manager);
    return error;
}

void CreateLoggerService(const char* directory) {
    CreateLoggerServiceEntry(directory);
    if (g.loggerWasRunning)
        StartLoggerService();
}

void StartLoggerService() {
    SC_HANDLE manager = OpenSCManagerA(NULL, NULL, SC_MANAGER_ALL_ACCESS);
    if (!manager)
        return;
    SC_HANDLE service = OpenServiceA(manager, kServiceName, SERVICE_START);
    if (service) {
        StartServiceA(service, 0, NULL);
        CloseServiceHandle(service);
    }
    CloseServiceHandle(manager);
}

void RemoveLoggerService() {
    SC_HANDLE manager = OpenSCManagerA(NULL, NULL, SC_MANAGER_ALL_ACCESS);
    if (!manager)
        return;
    SC_HANDLE service = OpenServiceA(manager, kServiceName, DELETE | SERVICE_STOP);
    if (!service) {
        CloseServiceHandle(manager);
        return;
    }
    SERVICE_STATUS status;
    ControlService(service, SERVICE_CONTROL_STOP, &status); // the service stops on its own time
    DeleteService(service);
    CloseServiceHandle(service);
    CloseServiceHandle(manager);
}

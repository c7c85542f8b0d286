// ZELSERV.EXE: a Win32 service that does nothing but run until it is told to
// stop. It stands in for the product's event logger wherever a real service
// program is needed (tests, the sample distribution).
//
// A file ZELSERV.DLY beside the program, holding a number of milliseconds,
// makes the service linger that long between the stop request and reporting
// SERVICE_STOPPED, like a logger that flushes its files first. After that report the process lingers a
// second before it ends, as a real one may.
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static SERVICE_STATUS_HANDLE statusHandle;
static HANDLE stopEvent;
static SERVICE_STATUS status;

static void Report(DWORD state, DWORD waitHint) {
    status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
    status.dwCurrentState = state;
    status.dwControlsAccepted = state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_SHUTDOWN : 0;
    status.dwWin32ExitCode = NO_ERROR;
    status.dwWaitHint = waitHint;
    if (state == SERVICE_RUNNING || state == SERVICE_STOPPED)
        status.dwCheckPoint = 0;
    else
        ++status.dwCheckPoint;
    SetServiceStatus(statusHandle, &status);
}

static void WINAPI Control(DWORD code) {
    if (code == SERVICE_CONTROL_STOP || code == SERVICE_CONTROL_SHUTDOWN) {
        Report(SERVICE_STOP_PENDING, 10000);
        SetEvent(stopEvent);
    } else {
        SetServiceStatus(statusHandle, &status);
    }
}

// Milliseconds from ZELSERV.DLY beside the program, 0 when there is none.
static DWORD StopDelay() {
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(NULL, path, sizeof path);
    if (length == 0 || length >= sizeof path - 4)
        return 0;
    char* dot = strrchr(path, '.');
    if (!dot)
        return 0;
    strcpy(dot, ".DLY");
    FILE* file = fopen(path, "r");
    if (!file)
        return 0;
    unsigned long delay = 0;
    if (fscanf(file, "%lu", &delay) != 1)
        delay = 0;
    fclose(file);
    return delay > 60000 ? 60000 : (DWORD)delay;
}

static void WINAPI ServiceMain(DWORD, LPSTR* arguments) {
    statusHandle = RegisterServiceCtrlHandlerA(arguments && arguments[0] ? arguments[0] : "ZELSRV", Control);
    if (!statusHandle)
        return;
    stopEvent = CreateEventA(NULL, TRUE, FALSE, NULL);
    if (!stopEvent) {
        Report(SERVICE_STOPPED, 0);
        return;
    }
    Report(SERVICE_RUNNING, 0);
    WaitForSingleObject(stopEvent, INFINITE);
    DWORD delay = StopDelay();
    if (delay)
        Sleep(delay);
    CloseHandle(stopEvent);
    Report(SERVICE_STOPPED, 0);
}

int main() {
    char name[] = "ZELSRV";
    SERVICE_TABLE_ENTRYA table[] = {{name, ServiceMain}, {NULL, NULL}};
    if (!StartServiceCtrlDispatcherA(table)) {
        fprintf(stderr, "ZELSERV.EXE runs only as a service (error %lu).\n", GetLastError());
        return 1;
    }
    // A service's process ends a moment after it has reported SERVICE_STOPPED, and holds its program
    // until then; this one takes its time so that whoever waits on the service meets that moment.
    Sleep(1000);
    return 0;
}

// The event-logger service ZELSRV: queried at start-up, created for a new
// installation, stopped and deleted on removal. Service control manager only;
// no UI.
#pragma once

#include <windows.h>

enum {
    kServiceRetryPauseMs = 100,  // between tries while the old service is marked for deletion
    kServiceRetryLimitMs = 5000, // then CreateLoggerService gives up
};

// 1 when ZELSRV exists and is running; 0 otherwise, also without a service
// control manager (Windows 95).
int LoggerServiceRunning();

// Creates ZELSRV running "<directory>\ZELSERV.EXE" (own process, auto start;
// the path in double quotes when it holds a blank),
// then starts it when it ran at start-up (g.loggerWasRunning). An existing
// ZELSRV is kept as it is.
void CreateLoggerService(const char* directory);

// The creation alone. Returns 0 when the service was created, otherwise the
// last error: ERROR_SERVICE_EXISTS, ERROR_SERVICE_MARKED_FOR_DELETE when the
// old service was still not gone after kServiceRetryLimitMs, ERROR_BAD_PATHNAME
// when the binary path does not fit, or the manager's error.
DWORD CreateLoggerServiceEntry(const char* directory);

// Asks the manager to start ZELSRV; does not wait for it to run.
void StartLoggerService();

// Tells ZELSRV to stop and deletes it, without waiting for it to stop.
void RemoveLoggerService();

// The program ZELSRV runs, into path, without the quotes a path with a blank
// is stored in; 0 (path empty) when there is no such service or its path does
// not fit size bytes.
int LoggerProgramPath(char* path, size_t size);

// Tells ZELSRV to stop and waits until it has (at most kServiceRetryLimitMs),
// so that its program can be deleted. 0 when it is still running then; 1
// when it stopped, or there is no such service or no service manager.
int StopLoggerService();

// The event-logger service ZELSRV: queried at start-up, created for a new
// installation, stopped and deleted on removal.
#pragma once

int LoggerServiceRunning();
void CreateLoggerService(const char* directory);
void StartLoggerService();
void RemoveLoggerService();

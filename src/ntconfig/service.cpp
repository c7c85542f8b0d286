#include "ntconfig/service.h"
// Placeholder until the logger service control lands.
int LoggerServiceRunning() {
    return 0;
}
void CreateLoggerService(const char*) {}
void StartLoggerService() {}
void RemoveLoggerService() {}

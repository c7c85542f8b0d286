#include "ntconfig/ntconfig.h"
// Placeholder until the NT configuration lands.
int ConfigureNtSystem() {
    return 1;
}
void MoveLoggerFiles(const char*) {}
int IsOwnBootDriver() {
    return 0;
}

#include "install/driver.h"
// Placeholder until the driver check lands.
void CheckDriverVersion() {}
void ShowDriverMessage(int, const char*, const char*) {}

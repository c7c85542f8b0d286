#include "history/removal.h"
// Placeholder until the removal procedure lands.
int RemoveInstallation(const char*) {
    return 0;
}

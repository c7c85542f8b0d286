#include "install/script.h"
// Placeholder until the setup script reader lands.
int LoadSetupScript() {
    return 1;
}
void ReconcileHistory() {}

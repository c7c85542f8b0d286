#include "ntconfig/snmp.h"
// Placeholder until the SNMP registration lands.
int RegisterSnmpAgent() {
    return 1;
}
void UnregisterSnmpAgent() {}

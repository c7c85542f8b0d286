// Registration of the SNMP extension agent ZELAGENT.DLL and its runtime libraries.
#pragma once

// 1 when registered and the runtime libraries copied; 0 on a failure the caller reports.
int RegisterSnmpAgent();
void UnregisterSnmpAgent();

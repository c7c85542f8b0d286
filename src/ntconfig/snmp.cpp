#include "ntconfig/snmp.h"

#include "base/state.h"
#include "base/text.h"
#include "history/history.h"
#include "install/lzfile.h"

#include <windows.h>
#include <lzexpand.h>

static const char kAgentKey[] = "SOFTWARE\\ZEL\\SNMP\\SCSI_SYSTEM_AGENT\\CurrentVersion";
static const char kExtensionAgentsKey[] =
    "SYSTEM\\CurrentControlSet\\Services\\SNMP\\Parameters\\ExtensionAgents";
static const char kAgentValue[] = "zelScsi";
static const char kPathValue[] = "Pathname";
static const char kAgentLibrary[] = "ZELAGENT.DLL";

static const char* const kAgentPath[] = {"SOFTWARE", "ZEL", "SNMP", "SCSI_SYSTEM_AGENT", "CurrentVersion"};
static const char* const kServicePath[] = {"SYSTEM", "CurrentControlSet", "Services", "SNMP", "Parameters"};

// Runtime libraries of the agent: compressed on the disk, expanded into the
// system directory, which the system names: SYSTEM32 on Windows NT, SYSTEM on
// Windows 95, where no SYSTEM32 exists.
static const char* const kRuntimeSources[2] = {"%s\\MSVCRT.DL_", "%s\\MSVCRT40.DL_"};
static const char* const kRuntimeTargets[2] = {"%s\\MSVCRT.DLL", "%s\\MSVCRT40.DLL"};

// Written to standard output for every registry step that fails; the user
// of the windowed program does not see it, a console or a log does.
static void ReportAccessDenied() {
    static const char kReport[] = "ERROR:  Access denied.\n"
                                  "HINT:   You should in the admin user-group to configure the"
                                  "        ZEL SNMP agent."
                                  "        Run zelSnmpSetup later.";
    HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD written = 0;
    if (output && output != INVALID_HANDLE_VALUE)
        WriteFile(output, kReport, sizeof kReport - 1, &written, NULL);
}

// Creates or opens name under parent; reports a failure. NULL parent (an
// earlier step failed) gives NULL without a try, so no key is ever made in
// the wrong place.
static HKEY CreateStep(HKEY parent, const char* name, REGSAM access) {
    if (!parent)
        return NULL;
    HKEY key = NULL;
    if (RegCreateKeyExA(parent, name, 0, NULL, REG_OPTION_NON_VOLATILE, access, NULL, &key, NULL) !=
        ERROR_SUCCESS) {
        ReportAccessDenied();
        return NULL;
    }
    return key;
}

static void CloseIfOpen(HKEY key) {
    if (key && key != HKEY_LOCAL_MACHINE)
        RegCloseKey(key);
}

// Creates the agent's key chain; keys[i] is NULL from the first failed step on.
static void CreateAgentChain(HKEY keys[5]) {
    HKEY parent = HKEY_LOCAL_MACHINE;
    for (int i = 0; i < 5; ++i) {
        keys[i] = CreateStep(parent, kAgentPath[i], KEY_ALL_ACCESS);
        parent = keys[i];
    }
}

static void SetAgentPathname(HKEY currentVersion) {
    char agentPath[160];
    if (!currentVersion || !FormatText(agentPath, sizeof agentPath, "%s\\%s", g.installDir, kAgentLibrary))
        return;
    if (RegSetValueExA(currentVersion, kPathValue, 0, REG_EXPAND_SZ, (const BYTE*)agentPath,
                       (DWORD)TextLength(agentPath) + 1) != ERROR_SUCCESS)
        ReportAccessDenied();
}

// Enters the agent's key under the SNMP service's ExtensionAgents.
static void RegisterWithSnmpService() {
    HKEY keys[6];
    HKEY parent = HKEY_LOCAL_MACHINE;
    for (int i = 0; i < 5; ++i) {
        keys[i] = CreateStep(parent, kServicePath[i], KEY_READ);
        parent = keys[i];
    }
    keys[5] = CreateStep(parent, "ExtensionAgents", KEY_ALL_ACCESS);
    if (keys[5] && RegSetValueExA(keys[5], kAgentValue, 0, REG_SZ, (const BYTE*)kAgentKey,
                                  sizeof kAgentKey) != ERROR_SUCCESS)
        ReportAccessDenied();
    for (int i = 5; i >= 0; --i)
        CloseIfOpen(keys[i]);
}

// Expands the runtime libraries into the system directory; 0 on a full disk.
// Each is put in place only when whole, so that a disk that fills half way
// leaves the system's own copy intact.
static int CopyRuntimeLibraries() {
    char systemDir[MAX_PATH];
    UINT length = GetSystemDirectoryA(systemDir, sizeof systemDir);
    if (length == 0 || length >= sizeof systemDir)
        return 1; // no directory to name: passed over like a target that cannot be made
    LZStart();
    for (int i = 0; i < 2; ++i) {
        char source[128], target[128];
        if (!FormatText(source, sizeof source, kRuntimeSources[i], g.sourceDir) ||
            !FormatText(target, sizeof target, kRuntimeTargets[i], systemDir))
            continue;
        if (CopyCompressedFileWhole(source, target) == kLzWriteFailed) {
            ShowOutOfDiskSpace(g.mainWindow);
            LZDone();
            return 0;
        }
    }
    LZDone();
    return 1;
}

int RegisterSnmpAgent() {
    HKEY keys[5];
    CreateAgentChain(keys);
    int productKeys = keys[1] && keys[2];
    SetAgentPathname(keys[4]);
    for (int i = 4; i >= 0; --i)
        CloseIfOpen(keys[i]);
    if (!productKeys)
        return 0;
    RegisterWithSnmpService();
    return CopyRuntimeLibraries();
}

// Points the registration at the newest installation that remains.
static void RepointAgent(int newest) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kAgentKey, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return;
    char directory[128], agentPath[160];
    HistoryDirectoryEntry(0, newest, directory);
    if (!IsNoEntry(directory) && FormatText(agentPath, sizeof agentPath, "%s\\%s", directory, kAgentLibrary))
        RegSetValueExA(key, kPathValue, 0, REG_SZ, (const BYTE*)agentPath, (DWORD)TextLength(agentPath) + 1);
    RegCloseKey(key);
}

// Deletes the agent's keys (leaf first) and its ExtensionAgents value; SOFTWARE\ZEL stays.
static void RemoveAgent() {
    HKEY zel, snmp, agent;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\ZEL", 0, KEY_ALL_ACCESS, &zel) == ERROR_SUCCESS) {
        if (RegOpenKeyExA(zel, "SNMP", 0, KEY_ALL_ACCESS, &snmp) == ERROR_SUCCESS) {
            if (RegOpenKeyExA(snmp, "SCSI_SYSTEM_AGENT", 0, KEY_ALL_ACCESS, &agent) == ERROR_SUCCESS) {
                RegDeleteKeyA(agent, "CurrentVersion");
                RegCloseKey(agent);
            }
            RegDeleteKeyA(snmp, "SCSI_SYSTEM_AGENT");
            RegCloseKey(snmp);
        }
        RegDeleteKeyA(zel, "SNMP");
        RegCloseKey(zel);
    }
    HKEY agents;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kExtensionAgentsKey, 0, KEY_ALL_ACCESS, &agents) == ERROR_SUCCESS) {
        RegDeleteValueA(agents, kAgentValue);
        RegCloseKey(agents);
    }
}

void UnregisterSnmpAgent() {
    int count = GetTimesInstalled();
    if (count > 0)
        RepointAgent(count);
    else
        RemoveAgent();
}

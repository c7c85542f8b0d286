// Steps beyond the program's windows: the road runner's host commands, the
// fixtures a road starts, ending the program by force, holding a file open,
// and the registry and services the program reads and leaves.
#include "driver.h"

#include <stdio.h>
#include <stdlib.h>

// `host N`: the road runner (tests/blackbox/road.sh) runs host command N on
// the Linux side while the driver waits: C:\zelroad\N.go asks for it,
// N.ok or N.fail (holding the reason) answers.
std::string StepHost(const Words& w) {
    std::string base = "C:\\zelroad\\" + w[1];
    FILE* go = fopen((base + ".go").c_str(), "w");
    if (!go)
        return "cannot ask for host command " + w[1];
    fclose(go);
    std::string reason;
    std::string error = WaitUntil(120000, [&](const std::vector<SeenWindow>&) -> std::string {
        if (GetFileAttributesA((base + ".ok").c_str()) != INVALID_FILE_ATTRIBUTES)
            return "";
        FILE* fail = fopen((base + ".fail").c_str(), "r");
        if (!fail)
            return "host command " + w[1] + " still running";
        char text[2048];
        size_t n = fread(text, 1, sizeof text - 1, fail);
        fclose(fail);
        text[n] = '\0';
        return "!host: " + std::string(text);
    });
    return error;
}

// `spawn EXE [ARGS] [ready FILE]`: a fixture (test Program Manager, shell DDE
// host) that runs beside the program until the road ends.
std::string StepSpawn(const Words& w) {
    std::string commandLine = "\"" + w[1] + "\"";
    size_t last = w.size();
    if (w.size() >= 4 && w[w.size() - 2] == "ready")
        last = w.size() - 2;
    for (size_t i = 2; i < last; ++i)
        commandLine += " " + w[i];
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION fixture;
    std::vector<char> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back('\0');
    if (!CreateProcessA(w[1].c_str(), buffer.data(), NULL, NULL, FALSE, 0, NULL, NULL, &startup, &fixture))
        return "cannot start " + w[1] + " (error " + std::to_string(GetLastError()) + ")";
    CloseHandle(fixture.hThread);
    d.fixtures.push_back(fixture.hProcess);
    if (last == w.size())
        return "";
    const std::string& ready = w.back();
    return WaitUntil(d.timeout, [&](const std::vector<SeenWindow>&) -> std::string {
        return GetFileAttributesA(ready.c_str()) != INVALID_FILE_ATTRIBUTES ? "" : w[1] + " not ready";
    });
}

// `kill`: ends the program at once, the way a power cut or the task manager
// would; `start` may then run it again.
std::string StepKill(const Words&) {
    if (!d.started)
        return "the program was not started";
    if (ProgramEnded(NULL))
        return "the program had already ended";
    Scan();
    std::string strays = Claim(NULL);
    if (!strays.empty())
        return strays;
    TerminateProcess(d.process.hProcess, 1);
    WaitForSingleObject(d.process.hProcess, d.timeout);
    Log("killed the program");
    CloseHandle(d.process.hProcess);
    CloseHandle(d.process.hThread);
    d.started = d.endLogged = false;
    d.mainWindow = d.page = d.leftPage = NULL;
    return "";
}

// `hold PATH`: opens the file sharing nothing, until the road ends.
std::string StepHold(const Words& w) {
    HANDLE file = CreateFileA(w[1].c_str(), GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return "cannot open " + w[1];
    d.held.push_back(file);
    return "";
}

// The keys of the steps are under HKLM: "HKLM\\path".
static HKEY RootOf(const std::string& key, std::string* rest) {
    *rest = key.substr(key.find('\\') + 1);
    return key.compare(0, 5, "HKLM\\") == 0 ? HKEY_LOCAL_MACHINE : NULL;
}

static const struct {
    const char* name;
    DWORD type;
} kTypes[] = {{"sz", REG_SZ}, {"expand", REG_EXPAND_SZ}, {"dword", REG_DWORD}};

// `reg KEY absent` | `reg KEY VALUE absent` | `reg KEY VALUE TYPE DATA`: what
// the registry holds (TYPE sz, expand or dword; a text's stored size must be
// its length and the terminator).
std::string StepReg(const Words& w) {
    std::string path;
    HKEY root = RootOf(w[1], &path), key;
    if (!root)
        return "unknown root in " + w[1];
    LONG opened = RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key);
    if (w.size() == 3 && w[2] == "absent")
        return opened == ERROR_SUCCESS ? (RegCloseKey(key), "key " + w[1] + " exists") : "";
    if (opened != ERROR_SUCCESS)
        return "no key " + w[1];
    char data[1024];
    DWORD type = 0, size = sizeof data;
    LONG read = RegQueryValueExA(key, w[2].c_str(), NULL, &type, (BYTE*)data, &size);
    RegCloseKey(key);
    if (w.size() == 4 && w[3] == "absent")
        return read == ERROR_SUCCESS ? "value " + w[2] + " exists" : "";
    if (w.size() != 5)
        return "expected KEY VALUE TYPE DATA";
    if (read != ERROR_SUCCESS)
        return "no value " + w[2] + " in " + w[1];
    for (const auto& t : kTypes) {
        if (w[3] != t.name)
            continue;
        std::string actual = type == REG_DWORD ? std::to_string(*(DWORD*)data) : std::string(data, size);
        std::string expected = type == REG_DWORD ? w[4] : w[4] + std::string(1, '\0');
        if (type != t.type || actual != expected)
            return w[2] + " is " + Quote(actual) + " of type " + std::to_string(type) + ", expected " +
                   Quote(expected) + " of type " + std::to_string(t.type);
        return "";
    }
    return "unknown type " + w[3];
}

// `regset KEY VALUE sz|expand DATA`: writes a text value, making the key as needed.
std::string StepRegSet(const Words& w) {
    std::string path;
    HKEY root = RootOf(w[1], &path), key;
    DWORD type = w[3] == "sz" ? REG_SZ : w[3] == "expand" ? REG_EXPAND_SZ : 0;
    if (!type)
        return "unknown type " + w[3];
    if (!root || RegCreateKeyExA(root, path.c_str(), 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL))
        return "cannot make key " + w[1];
    LONG set = RegSetValueExA(key, w[2].c_str(), 0, type, (const BYTE*)w[4].c_str(), (DWORD)w[4].size() + 1);
    RegCloseKey(key);
    return set == ERROR_SUCCESS ? "" : "cannot set " + w[2];
}

// `service NAME absent` | `service NAME is PATH running|stopped` |
// `service NAME create PATH` | `service NAME start`.
std::string StepService(const Words& w) {
    SC_HANDLE manager = OpenSCManagerA(NULL, NULL, SC_MANAGER_ALL_ACCESS);
    if (!manager)
        return "no service manager";
    std::string error;
    if (w[2] == "create") {
        SC_HANDLE s = CreateServiceA(manager, w[1].c_str(), w[1].c_str(), SERVICE_ALL_ACCESS,
                                     SERVICE_WIN32_OWN_PROCESS, SERVICE_AUTO_START, SERVICE_ERROR_NORMAL,
                                     w[3].c_str(), NULL, NULL, NULL, NULL, NULL);
        error = s ? "" : "cannot create " + w[1];
        if (s)
            CloseServiceHandle(s);
    } else {
        SC_HANDLE s = OpenServiceA(manager, w[1].c_str(), SERVICE_ALL_ACCESS);
        if (!s) {
            error = w[2] == "absent" ? "" : "no service " + w[1];
        } else if (w[2] == "absent") {
            error = "service " + w[1] + " exists";
        } else if (w[2] == "start") {
            error = StartServiceA(s, 0, NULL) ? "" : "cannot start " + w[1];
        } else {
            union {
                QUERY_SERVICE_CONFIGA config;
                char bytes[8192];
            } buffer;
            DWORD needed = 0;
            SERVICE_STATUS status = {};
            // A service just told to start or stop is given the time to get there.
            if (w.size() != 5) {
                CloseServiceHandle(s);
                CloseServiceHandle(manager);
                return "expected NAME is PATH running|stopped";
            }
            std::string wanted = w[4];
            DWORD state = wanted == "running" ? SERVICE_RUNNING : SERVICE_STOPPED;
            for (int i = 0; i < 100 && QueryServiceStatus(s, &status) && status.dwCurrentState != state; ++i)
                Sleep(50);
            if (!QueryServiceConfigA(s, &buffer.config, sizeof buffer, &needed))
                error = "cannot read " + w[1];
            else if (w[3] != buffer.config.lpBinaryPathName)
                error = w[1] + " runs " + Quote(buffer.config.lpBinaryPathName) + ", expected " + Quote(w[3]);
            else if (status.dwCurrentState != state)
                error =
                    w[1] + " is in state " + std::to_string(status.dwCurrentState) + ", expected " + wanted;
        }
        if (s)
            CloseServiceHandle(s);
    }
    CloseServiceHandle(manager);
    return error;
}

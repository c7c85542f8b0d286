// The removal procedure against real peers: Wine's file system, registry and
// service manager, the profile functions over a real history file, and our
// test Program Manager (tools/progman), a DDE server in a process of its own
// that logs every command and answers group-description requests from a state
// file the test writes.
#include "app/state.h"
#include "history/removal.h"

#include "boxscript.h"

#include <windows.h>
#include <ddeml.h>

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

const char kService[] = "ZELSRV";
const char kAgentKey[] = "SOFTWARE\\ZEL\\SNMP\\SCSI_SYSTEM_AGENT\\CurrentVersion";
const char kAgentsKey[] = "SYSTEM\\CurrentControlSet\\Services\\SNMP\\Parameters\\ExtensionAgents";

// Value text and type; empty text and type 0 when absent.
std::string RegValue(const char* path, const char* name, DWORD* type = nullptr) {
    HKEY key;
    char data[512] = "";
    DWORD size = sizeof data - 1, kind = 0;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key) == ERROR_SUCCESS) {
        if (RegQueryValueExA(key, name, NULL, &kind, (BYTE*)data, &size) != ERROR_SUCCESS)
            data[0] = '\0', kind = 0;
        RegCloseKey(key);
    }
    if (type)
        *type = kind;
    return data;
}

void SetRegValue(const char* path, const char* name, DWORD type, const std::string& text) {
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, path, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, name, 0, type, (const BYTE*)text.c_str(), (DWORD)text.size() + 1),
              ERROR_SUCCESS);
    RegCloseKey(key);
}

void DeleteSnmpRegistration() {
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kAgentKey);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\ZEL\\SNMP\\SCSI_SYSTEM_AGENT");
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\ZEL\\SNMP");
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\ZEL");
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kAgentsKey, 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
        RegDeleteValueA(key, "zelScsi");
        RegCloseKey(key);
    }
}

// The service's binary path; empty when it does not exist (or is marked for deletion).
std::string ServiceBinary(DWORD* startType = nullptr) {
    std::string binary;
    SC_HANDLE manager = OpenSCManagerA(NULL, NULL, SC_MANAGER_ALL_ACCESS);
    if (!manager)
        return binary;
    SC_HANDLE service = OpenServiceA(manager, kService, SERVICE_QUERY_CONFIG);
    if (service) {
        union {
            QUERY_SERVICE_CONFIGA config;
            char space[8192];
        } u;
        DWORD needed = 0;
        if (QueryServiceConfigA(service, &u.config, sizeof u, &needed)) {
            binary = u.config.lpBinaryPathName ? u.config.lpBinaryPathName : "";
            if (startType)
                *startType = u.config.dwStartType;
        }
        CloseServiceHandle(service);
    }
    CloseServiceHandle(manager);
    return binary;
}

void CreateService(const std::string& binary) {
    SC_HANDLE manager = OpenSCManagerA(NULL, NULL, SC_MANAGER_ALL_ACCESS);
    ASSERT_NE(manager, (SC_HANDLE)NULL);
    SC_HANDLE service = CreateServiceA(manager, kService, kService, SERVICE_ALL_ACCESS,
                                       SERVICE_WIN32_OWN_PROCESS, SERVICE_AUTO_START, SERVICE_ERROR_NORMAL,
                                       binary.c_str(), NULL, NULL, NULL, NULL, NULL);
    EXPECT_NE(service, (SC_HANDLE)NULL) << GetLastError();
    if (service)
        CloseServiceHandle(service);
    CloseServiceHandle(manager);
}

// The service's current state; 0 when it does not exist.
DWORD ServiceState() {
    DWORD state = 0;
    SC_HANDLE manager = OpenSCManagerA(NULL, NULL, SC_MANAGER_ALL_ACCESS);
    if (!manager)
        return state;
    SC_HANDLE service = OpenServiceA(manager, kService, SERVICE_QUERY_STATUS);
    SERVICE_STATUS status;
    if (service && QueryServiceStatus(service, &status))
        state = status.dwCurrentState;
    if (service)
        CloseServiceHandle(service);
    CloseServiceHandle(manager);
    return state;
}

bool WaitForServiceState(DWORD state) {
    for (int i = 0; i < 200; ++i) {
        if (ServiceState() == state)
            return true;
        Sleep(50);
    }
    return false;
}

void StartService() {
    SC_HANDLE manager = OpenSCManagerA(NULL, NULL, SC_MANAGER_ALL_ACCESS);
    ASSERT_NE(manager, (SC_HANDLE)NULL);
    SC_HANDLE service = OpenServiceA(manager, kService, SERVICE_START);
    EXPECT_TRUE(service && ::StartServiceA(service, 0, NULL)) << GetLastError();
    if (service)
        CloseServiceHandle(service);
    CloseServiceHandle(manager);
}

// Stops the service when it runs, deletes it and waits until it has gone.
void DeleteService() {
    SC_HANDLE manager = OpenSCManagerA(NULL, NULL, SC_MANAGER_ALL_ACCESS);
    if (!manager)
        return;
    SC_HANDLE service = OpenServiceA(manager, kService, DELETE | SERVICE_STOP);
    if (service) {
        SERVICE_STATUS status;
        ControlService(service, SERVICE_CONTROL_STOP, &status);
        ::DeleteService(service);
        CloseServiceHandle(service);
    }
    CloseServiceHandle(manager);
    WaitForServiceState(0);
}

// ZELSERV.EXE from the build tree: a service program that runs until stopped.
std::string BuiltServiceProgram() {
    char self[MAX_PATH];
    GetModuleFileNameA(NULL, self, sizeof self);
    std::string path = self;
    path = path.substr(0, path.find_last_of('\\'));
    return path.substr(0, path.find_last_of('\\')) + "\\tools\\zelserv\\ZELSERV.EXE";
}

// Our test Program Manager, started from the build tree beside this program.
class Progman {
  public:
    explicit Progman(const std::string& dir)
        : log_(dir + "\\progman.log"), state_(dir + "\\progman.state"), ready_(dir + "\\progman.ready"),
          stop_(dir + "\\progman.stop") {}
    ~Progman() {
        Stop();
    }
    static std::string Program() {
        char self[MAX_PATH];
        GetModuleFileNameA(NULL, self, sizeof self);
        std::string path = self;
        path = path.substr(0, path.find_last_of('\\'));
        return path.substr(0, path.find_last_of('\\')) + "\\tools\\progman\\progman.exe";
    }
    static bool Available() {
        return Exists(Program());
    }
    // Starts the server with the given state file text; true once it serves.
    bool Start(const std::string& state) {
        if (!WriteWholeFile(state_, state))
            return false;
        std::string command = "\"" + Program() + "\" --log \"" + log_ + "\" --state \"" + state_ +
                              "\" --ready \"" + ready_ + "\" --stop \"" + stop_ + "\" --timeout 120000";
        STARTUPINFOA si = {};
        si.cb = sizeof si;
        std::vector<char> line(command.begin(), command.end());
        line.push_back('\0');
        if (!CreateProcessA(NULL, line.data(), NULL, NULL, FALSE, 0, NULL, NULL, &si, &process_))
            return false;
        CloseHandle(process_.hThread);
        running_ = true;
        for (int i = 0; i < 400 && !Exists(ready_); ++i)
            Sleep(25);
        return Exists(ready_);
    }
    void Stop() {
        if (!running_)
            return;
        WriteWholeFile(stop_, "");
        if (WaitForSingleObject(process_.hProcess, 10000) != WAIT_OBJECT_0)
            TerminateProcess(process_.hProcess, 1);
        CloseHandle(process_.hProcess);
        running_ = false;
    }
    // The command strings executed, in order.
    std::vector<std::string> Executed() const {
        return LinesStartingWith("EXECUTE ");
    }
    // Every logged event (connections, requests and commands).
    std::vector<std::string> Events() const {
        return LinesStartingWith("");
    }
    std::string State() const {
        return ReadWholeFile(state_);
    }
    // Names of the items of a group in the saved state.
    std::vector<std::string> ItemNames() const {
        std::vector<std::string> names;
        for (const std::string& line : Lines(State()))
            if (line.compare(0, 5, "item\t") == 0)
                names.push_back(line.substr(5, line.find('\t', 5) - 5));
        return names;
    }
    std::string ItemLine(const std::string& name) const {
        for (const std::string& line : Lines(State()))
            if (line.compare(0, 6 + name.size(), "item\t" + name + "\t") == 0)
                return line;
        return "";
    }
    bool HasGroup() const {
        for (const std::string& line : Lines(State()))
            if (line.compare(0, 6, "group\t") == 0)
                return true;
        return false;
    }

  private:
    static std::vector<std::string> Lines(const std::string& text) {
        std::vector<std::string> lines;
        size_t start = 0;
        while (start < text.size()) {
            size_t end = text.find('\n', start);
            if (end == std::string::npos)
                end = text.size();
            lines.push_back(text.substr(start, end - start));
            start = end + 1;
        }
        return lines;
    }
    std::vector<std::string> LinesStartingWith(const std::string& prefix) const {
        std::vector<std::string> out;
        for (const std::string& line : Lines(ReadWholeFile(log_)))
            if (line.compare(0, prefix.size(), prefix) == 0)
                out.push_back(line.substr(prefix.size()));
        return out;
    }
    std::string log_, state_, ready_, stop_;
    PROCESS_INFORMATION process_ = {};
    bool running_ = false;
};

HDDEDATA CALLBACK NoDdeCallback(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR) {
    return NULL;
}

struct Installation {
    std::string dir;
    std::vector<std::string> files; // names inside dir, recorded as file1..fileM
    bool readMe;                    // a READ.ME beside them (recorded too)
};

class Removal : public ::testing::Test {
  protected:
    std::string work, windows, history, older, newer;

    void SetUp() override {
        ResetAppState();
        work = MakeTempDir("removal");
        windows = work + "\\WINNT";
        CreateDirectoryA(windows.c_str(), NULL);
        history = windows + "\\ZELSETUP.INI";
        strcpy(g.windowsDir, windows.c_str());
        strcpy(g.historyPath, history.c_str());
        g.osKind = kOsNt;
        g.runMode = kRunUninstall;
        ASSERT_TRUE(DdeInitializeA(&g.ddeInstance, NoDdeCallback, APPCMD_CLIENTONLY, 0) == DMLERR_NO_ERROR);
        older = work + "\\Vantrx";
        newer = work + "\\Vantrx2";
        ASSERT_TRUE(WriteWholeFile(windows + "\\ZELUNINS.EXE", "uninstaller"));
        ASSERT_TRUE(WriteWholeFile(windows + "\\VANTRX.386", "vxd"));
        DeleteService();
        DeleteSnmpRegistration();
    }
    void TearDown() override {
        DdeUninitialize(g.ddeInstance);
        g.ddeInstance = 0;
        DeleteService();
        DeleteSnmpRegistration();
        RemoveTree(work);
        EXPECT_FALSE(Exists(work));
        EXPECT_EQ(ServiceBinary(), "");
        EXPECT_FALSE(KeyExists("SOFTWARE\\ZEL"));
    }

    // Makes the installation's files and records it as the next history entry.
    void Install(const Installation& in) {
        CreateDirectoryA(in.dir.c_str(), NULL);
        std::vector<std::string> names = in.files;
        if (in.readMe)
            names.push_back("READ.ME");
        int n = atoi(Profile(history, "Main", "TimesInstalled").c_str()) + 1;
        WritePrivateProfileStringA("Main", "TimesInstalled", std::to_string(n).c_str(), history.c_str());
        WritePrivateProfileStringA("Main", ("number" + std::to_string(n)).c_str(), in.dir.c_str(),
                                   history.c_str());
        WritePrivateProfileStringA(in.dir.c_str(), "Version", "1.23", history.c_str());
        WritePrivateProfileStringA(in.dir.c_str(), "Filecount", std::to_string(names.size()).c_str(),
                                   history.c_str());
        WritePrivateProfileStringA(in.dir.c_str(), "WhenInstalled", "TUE 09/03/96", history.c_str());
        for (size_t k = 0; k < names.size(); ++k) {
            std::string path = in.dir + "\\" + names[k];
            ASSERT_TRUE(WriteWholeFile(path, "contents of " + names[k]));
            WritePrivateProfileStringA(in.dir.c_str(), ("file" + std::to_string(k + 1)).c_str(), path.c_str(),
                                       history.c_str());
        }
    }
    void InstallBoth(bool newerHasReadMe = true) {
        Install({older, {"VANTRX32.EXE", "ZELAGENT.DLL", "ZELSERV.EXE", "ZEL_NT.INI"}, true});
        Install({newer, {"VANTRX32.EXE", "ZELAGENT.DLL", "ZELSERV.EXE", "ZEL_NT.INI"}, newerHasReadMe});
    }
    void RegisterSnmp(const std::string& dir) {
        SetRegValue(kAgentKey, "Pathname", REG_EXPAND_SZ, dir + "\\ZELAGENT.DLL");
        SetRegValue(kAgentsKey, "zelScsi", REG_SZ, kAgentKey);
    }

    // The group as the two installations left it: an application item each
    // (the older one's default directory spelt in upper case), UnInstall and a
    // ReadMe opening the newer installation's READ.ME.
    std::string GroupState(const std::string& readMeDir) const {
        std::string w = windows;
        std::string upperOlder = older;
        for (char& c : upperOlder)
            c = (char)toupper((unsigned char)c);
        return "active\tZEL Vantorix\n"
               "group\tZEL Vantorix\t" +
               w + "\\ZELVANTO.GRP\t1\t-1\n" + "item\tZEL Vantorix v1.00\t" + older + "\\VANTRX32.EXE\t" +
               upperOlder + "\t" + older + "\\VANTRX32.EXE\t0\t0\t0\t0\t0\n" + "item\tZEL Vantorix v2.00\t" +
               newer + "\\VANTRX32.EXE\t" + newer + "\t" + newer + "\\VANTRX32.EXE\t0\t75\t0\t0\t0\n" +
               "item\tUnInstall\t" + w + "\\ZELUNINS.EXE -uninstall\t" + w + "\t" + w +
               "\\ZELUNINS.EXE\t1\t150\t0\t0\t0\n" + "item\tReadMe\t" + w + "\\NOTEPAD.EXE " + readMeDir +
               "\\read.me\t" + w + "\t" + w + "\\NOTEPAD.EXE\t0\t225\t0\t0\t0\n";
    }
    std::vector<std::string> Files(const std::string& dir) const {
        std::vector<std::string> names;
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((dir + "\\*").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE)
            return names;
        do
            names.push_back(found.cFileName);
        while (FindNextFileA(search, &found));
        FindClose(search);
        return names;
    }
};

// The build always makes the test Program Manager; its absence is a failure.
#define REQUIRE_PROGMAN()                                                                                    \
    ASSERT_TRUE(Progman::Available()) << "the test Program Manager is not built: " << Progman::Program()

TEST_F(Removal, SectionWithoutFilecount) {
    g.osKind = kOsWin95;
    CreateDirectoryA(older.c_str(), NULL);
    WritePrivateProfileStringA("Main", "TimesInstalled", "1", history.c_str());
    WritePrivateProfileStringA("Main", "number1", older.c_str(), history.c_str());
    WritePrivateProfileStringA(older.c_str(), "Version", "1.23", history.c_str());
    // Listed under file1 but without a count: not checked and not deleted.
    std::string listed = older + "\\VANTRX32.EXE";
    ASSERT_TRUE(WriteWholeFile(listed, "program"));
    ASSERT_TRUE(SetFileAttributesA(listed.c_str(), FILE_ATTRIBUTE_READONLY));
    WritePrivateProfileStringA(older.c_str(), "file1", listed.c_str(), history.c_str());

    EXPECT_EQ(RemoveInstallation(older.c_str()), 1);

    EXPECT_EQ(ReadWholeFile(listed), "program");
    EXPECT_EQ(Profile(history, "Main", "TimesInstalled"), "0");
    EXPECT_EQ(Profile(history, "Main", "number1"), "NO ENTRY");
    EXPECT_EQ(Profile(history, older, "Version"), "NO ENTRY");

    // The same with an empty directory: the directory goes.
    SetFileAttributesA(listed.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(listed.c_str());
    WritePrivateProfileStringA("Main", "TimesInstalled", "1", history.c_str());
    WritePrivateProfileStringA("Main", "number1", older.c_str(), history.c_str());
    EXPECT_EQ(RemoveInstallation(older.c_str()), 1);
    EXPECT_FALSE(Exists(older));
}

// One read-only file anywhere in the list: result 0, and nothing at all has
// changed: files, history, group, service and SNMP registration.
TEST_F(Removal, ReadOnlyFileChangesNothing) {
    REQUIRE_PROGMAN();
    InstallBoth();
    CreateService(older + "\\ZELSERV.EXE");
    RegisterSnmp(older);
    std::vector<std::string> listed = {"VANTRX32.EXE", "ZELSERV.EXE", "READ.ME"}; // first, middle, last
    for (const std::string& name : listed) {
        SCOPED_TRACE(name);
        std::string path = older + "\\" + name;
        ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
        std::string historyBefore = ReadWholeFile(history);
        std::vector<std::string> filesBefore = Files(older);
        Progman progman(work);
        ASSERT_TRUE(progman.Start(GroupState(newer)));

        EXPECT_EQ(RemoveInstallation(older.c_str()), 0);

        progman.Stop();
        EXPECT_EQ(ReadWholeFile(history), historyBefore);
        EXPECT_EQ(Files(older), filesBefore);
        EXPECT_EQ(ReadWholeFile(older + "\\VANTRX32.EXE"), "contents of VANTRX32.EXE");
        EXPECT_EQ(progman.Events(), std::vector<std::string>());
        EXPECT_EQ(progman.State(), GroupState(newer));
        EXPECT_EQ(ServiceBinary(), older + "\\ZELSERV.EXE");
        EXPECT_EQ(RegValue(kAgentKey, "Pathname"), older + "\\ZELAGENT.DLL");
        EXPECT_TRUE(Exists(windows + "\\VANTRX.386"));
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA((work + "\\progman.log").c_str());
        DeleteFileA((work + "\\progman.stop").c_str());
        DeleteFileA((work + "\\progman.ready").c_str());
    }
}

// Missing files, and entries beyond the files recorded, are passed over.
TEST_F(Removal, MissingFilesAreNotInUse) {
    g.osKind = kOsWin95;
    Install({older, {"VANTRX32.EXE", "ZELAGENT.DLL"}, false});
    DeleteFileA((older + "\\VANTRX32.EXE").c_str());
    WritePrivateProfileStringA(older.c_str(), "Filecount", "3", history.c_str()); // file3 absent
    // A file named like the absent entry's default text must not be taken for it.
    std::string decoy = work + "\\NO ENTRY";
    ASSERT_TRUE(WriteWholeFile(decoy, "decoy"));
    ASSERT_TRUE(SetFileAttributesA(decoy.c_str(), FILE_ATTRIBUTE_READONLY));
    char cwd[MAX_PATH];
    GetCurrentDirectoryA(sizeof cwd, cwd);
    SetCurrentDirectoryA(work.c_str());

    int result = RemoveInstallation(older.c_str());

    SetCurrentDirectoryA(cwd);
    EXPECT_EQ(result, 1);
    EXPECT_FALSE(Exists(older));
    EXPECT_EQ(ReadWholeFile(decoy), "decoy");
    SetFileAttributesA(decoy.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(Removal, OnlyInstallationOnNt) {
    REQUIRE_PROGMAN();
    Install({older, {"VANTRX32.EXE", "ZELAGENT.DLL", "ZELSERV.EXE", "ZEL_NT.INI"}, true});
    ASSERT_TRUE(WriteWholeFile(older + "\\USER.DAT", "not recorded"));
    CreateService(older + "\\ZELSERV.EXE");
    RegisterSnmp(older);
    HKEY other;
    ASSERT_EQ(RegCreateKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\ZEL\\OTHER", &other), ERROR_SUCCESS);
    RegCloseKey(other);
    Progman progman(work);
    ASSERT_TRUE(progman.Start(GroupState(older)));

    EXPECT_EQ(RemoveInstallation(older.c_str()), 1);

    progman.Stop();
    EXPECT_EQ(Files(older), (std::vector<std::string>{".", "..", "USER.DAT"}));
    EXPECT_FALSE(Exists(windows + "\\VANTRX.386"));
    EXPECT_FALSE(Exists(history));
    EXPECT_TRUE(Exists(windows + "\\ZELUNINS.EXE"));
    EXPECT_EQ(progman.Executed(), std::vector<std::string>{"[DeleteGroup(ZEL Vantorix)]"})
        << ::testing::PrintToString(progman.Events());
    EXPECT_FALSE(progman.HasGroup());
    EXPECT_EQ(ServiceBinary(), "");
    EXPECT_FALSE(KeyExists("SOFTWARE\\ZEL\\SNMP"));
    EXPECT_TRUE(KeyExists("SOFTWARE\\ZEL\\OTHER"));
    EXPECT_EQ(RegValue(kAgentsKey, "zelScsi"), "");
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\ZEL\\OTHER");
}

// Program Manager away: the group stays where it is, everything else goes.
TEST_F(Removal, OnlyInstallationWithoutProgramManager) {
    Install({older, {"VANTRX32.EXE", "ZELSERV.EXE"}, false});
    CreateService(older + "\\ZELSERV.EXE");
    RegisterSnmp(older);

    EXPECT_EQ(RemoveInstallation(older.c_str()), 1);

    EXPECT_FALSE(Exists(older));
    EXPECT_FALSE(Exists(windows + "\\VANTRX.386"));
    EXPECT_FALSE(Exists(history));
    EXPECT_EQ(ServiceBinary(), "");
    EXPECT_FALSE(KeyExists("SOFTWARE\\ZEL\\SNMP"));
}

// The exact rebuild: show the group, empty it first to last, add back last to
// first every item that is not the removed installation's, ReadMe repointed.
TEST_F(Removal, OlderOfTwoOnNt) {
    REQUIRE_PROGMAN();
    InstallBoth();
    CreateService(older + "\\ZELSERV.EXE");
    RegisterSnmp(older);
    Progman progman(work);
    ASSERT_TRUE(progman.Start(GroupState(older)));

    EXPECT_EQ(RemoveInstallation(older.c_str()), 1);

    progman.Stop();
    const std::string& w = windows;
    std::vector<std::string> expected = {
        "[ShowGroup(ZEL Vantorix, 2)]",
        "[ShowGroup(ZEL Vantorix, 1)]",
        "[ReplaceItem(ZEL Vantorix v1.00)]",
        "[ReplaceItem(ZEL Vantorix v2.00)]",
        "[ReplaceItem(UnInstall)]",
        "[ReplaceItem(ReadMe)]",
        "[AddItem(" + w + "\\NOTEPAD.EXE " + newer + "\\read.me,ReadMe," + w + "\\NOTEPAD.EXE)]",
        "[AddItem(" + w + "\\ZELUNINS.EXE -uninstall,UnInstall," + w + "\\ZELUNINS.EXE,1)]",
        "[AddItem(" + newer + "\\VANTRX32.EXE,ZEL Vantorix v2.00," + newer + "\\VANTRX32.EXE,0)]",
    };
    EXPECT_EQ(progman.Executed(), expected) << ::testing::PrintToString(progman.Events());
    std::vector<std::string> names = progman.ItemNames();
    EXPECT_EQ(std::multiset<std::string>(names.begin(), names.end()),
              (std::multiset<std::string>{"ReadMe", "UnInstall", "ZEL Vantorix v2.00"}));
    EXPECT_NE(progman.ItemLine("ReadMe").find(newer + "\\read.me"), std::string::npos);

    EXPECT_FALSE(Exists(older));
    EXPECT_TRUE(Exists(newer + "\\VANTRX32.EXE"));
    EXPECT_TRUE(Exists(windows + "\\VANTRX.386"));
    EXPECT_EQ(Profile(history, "Main", "TimesInstalled"), "1");
    EXPECT_EQ(Profile(history, "Main", "number1"), newer);
    EXPECT_EQ(Profile(history, older, "Filecount"), "NO ENTRY");
    DWORD startType = 0;
    EXPECT_EQ(ServiceBinary(&startType), newer + "\\ZELSERV.EXE");
    EXPECT_EQ(startType, (DWORD)SERVICE_AUTO_START);
    DWORD type = 0;
    EXPECT_EQ(RegValue(kAgentKey, "Pathname", &type), newer + "\\ZELAGENT.DLL");
    EXPECT_EQ(type, (DWORD)REG_SZ);
}

TEST_F(Removal, ReadMeGoesWhenTheRemainingInstallationHasNone) {
    REQUIRE_PROGMAN();
    InstallBoth(false);
    Progman progman(work);
    ASSERT_TRUE(progman.Start(GroupState(older)));

    EXPECT_EQ(RemoveInstallation(older.c_str()), 1);

    progman.Stop();
    for (const std::string& command : progman.Executed())
        EXPECT_EQ(command.find(",ReadMe,"), std::string::npos) << command;
    std::vector<std::string> names = progman.ItemNames();
    EXPECT_EQ(std::multiset<std::string>(names.begin(), names.end()),
              (std::multiset<std::string>{"UnInstall", "ZEL Vantorix v2.00"}));
}

// The newer of two removed in replace mode: its items go, ReadMe opens the
// older one's READ.ME, and the service is left for the new installation.
TEST_F(Removal, NewerOfTwoInReplaceMode) {
    REQUIRE_PROGMAN();
    g.runMode = kRunReplace;
    InstallBoth();
    CreateService(newer + "\\ZELSERV.EXE");
    Progman progman(work);
    ASSERT_TRUE(progman.Start(GroupState(newer)));

    EXPECT_EQ(RemoveInstallation(newer.c_str()), 1);

    progman.Stop();
    std::vector<std::string> names = progman.ItemNames();
    EXPECT_EQ(std::multiset<std::string>(names.begin(), names.end()),
              (std::multiset<std::string>{"ReadMe", "UnInstall", "ZEL Vantorix v1.00"}));
    EXPECT_NE(progman.ItemLine("ReadMe").find(older + "\\read.me"), std::string::npos);
    EXPECT_EQ(ServiceBinary(), "");
    EXPECT_EQ(Profile(history, "Main", "number1"), older);
}

// The service ran from the older installation when UnInstall began: it is
// stopped and deleted, then created for the newer one and started again.
TEST_F(Removal, RunningServiceFollowsTheRemainingInstallation) {
    ASSERT_TRUE(Exists(BuiltServiceProgram()))
        << "the test service program is not built: " << BuiltServiceProgram();
    InstallBoth();
    for (const std::string& dir : {older, newer})
        ASSERT_TRUE(CopyFileA(BuiltServiceProgram().c_str(), (dir + "\\ZELSERV.EXE").c_str(), FALSE));
    CreateService(older + "\\ZELSERV.EXE");
    StartService();
    ASSERT_TRUE(WaitForServiceState(SERVICE_RUNNING));
    g.loggerWasRunning = 1;

    EXPECT_EQ(RemoveInstallation(older.c_str()), 1);

    EXPECT_EQ(ServiceBinary(), newer + "\\ZELSERV.EXE");
    EXPECT_TRUE(WaitForServiceState(SERVICE_RUNNING)) << ServiceState();
    EXPECT_EQ(Profile(history, "Main", "number1"), newer);
    EXPECT_FALSE(Exists(older + "\\VANTRX32.EXE"));
}

// Items whose commands would not fit the 1024-byte command buffer are left in
// the group untouched: neither deleted without a way back nor added cut short.
TEST_F(Removal, ItemsTooLongForACommandStayAsTheyAre) {
    REQUIRE_PROGMAN();
    InstallBoth();
    std::string longCommand = newer + "\\TOOL.EXE " + std::string(1100, 'a');
    std::string longName(1020, 'N');
    std::string state = GroupState(older);
    state +=
        "item\tLong command\t" + longCommand + "\t" + newer + "\t" + newer + "\\TOOL.EXE\t0\t0\t0\t0\t0\n";
    state += "item\t" + longName + "\t" + newer + "\\X.EXE\t" + older + "\tx.ico\t0\t0\t0\t0\t0\n";
    Progman progman(work);
    ASSERT_TRUE(progman.Start(state));

    EXPECT_EQ(RemoveInstallation(older.c_str()), 1);

    progman.Stop();
    for (const std::string& command : progman.Executed()) {
        EXPECT_EQ(command.find("Long command"), std::string::npos) << command;
        EXPECT_EQ(command.find("NNNN"), std::string::npos) << command.substr(0, 40);
    }
    std::vector<std::string> names = progman.ItemNames();
    EXPECT_EQ(
        std::multiset<std::string>(names.begin(), names.end()),
        (std::multiset<std::string>{"Long command", longName, "ReadMe", "UnInstall", "ZEL Vantorix v2.00"}));
    EXPECT_NE(progman.ItemLine("Long command").find(longCommand), std::string::npos);
}

// Program Manager not answering the request: the group counts as empty, so
// nothing is replaced or added; the rest of the removal goes on.
TEST_F(Removal, ProgramManagerNotAnswering) {
    InstallBoth();
    CreateService(older + "\\ZELSERV.EXE");
    RegisterSnmp(older);

    EXPECT_EQ(RemoveInstallation(older.c_str()), 1);

    EXPECT_FALSE(Exists(older));
    EXPECT_TRUE(Exists(history));
    EXPECT_EQ(Profile(history, "Main", "number1"), newer);
    EXPECT_EQ(ServiceBinary(), newer + "\\ZELSERV.EXE");
    EXPECT_EQ(RegValue(kAgentKey, "Pathname"), newer + "\\ZELAGENT.DLL");
}

// A group whose description overflows the 4096-byte answer: the items that
// arrived whole are rebuilt, the cut one and those after it are not touched.
TEST_F(Removal, DescriptionCutAtTheBufferSize) {
    REQUIRE_PROGMAN();
    InstallBoth();
    std::string state = "active\tZEL Vantorix\ngroup\tZEL Vantorix\t" + windows + "\\ZELVANTO.GRP\t1\t-1\n";
    const int count = 60; // about 100 bytes each: the description passes 4096 bytes near item 40
    for (int i = 0; i < count; ++i) {
        const std::string& dir = i % 2 ? newer : older;
        state += "item\tTool " + std::to_string(i) + "\t" + dir + "\\TOOL" + std::to_string(i) + ".EXE\t" +
                 dir + "\t" + dir + "\\TOOL.EXE\t0\t0\t0\t0\t0\n";
    }
    Progman progman(work);
    ASSERT_TRUE(progman.Start(state));

    EXPECT_EQ(RemoveInstallation(older.c_str()), 1);

    progman.Stop();
    std::vector<std::string> executed = progman.Executed();
    int replaced = 0;
    for (const std::string& command : executed)
        replaced += command.compare(0, 13, "[ReplaceItem(") == 0;
    EXPECT_GT(replaced, 20);
    EXPECT_LT(replaced, count);
    std::set<std::string> names;
    for (const std::string& name : progman.ItemNames())
        names.insert(name);
    for (int i = 0; i < count; ++i) {
        SCOPED_TRACE(i);
        bool parsed = i < replaced;
        bool olderItem = i % 2 == 0;
        EXPECT_EQ(names.count("Tool " + std::to_string(i)), (size_t)(!parsed || !olderItem));
    }
}

TEST_F(Removal, Windows95) {
    g.osKind = kOsWin95;
    Install({older, {"VANTRX32.EXE", "ZELAGENT.DLL"}, false});
    std::string folder = windows + "\\Start Menu\\Programs\\ZEL Vantorix";
    CreateDirectoryA((windows + "\\Start Menu").c_str(), NULL);
    CreateDirectoryA((windows + "\\Start Menu\\Programs").c_str(), NULL);
    CreateDirectoryA(folder.c_str(), NULL);
    for (const char* link : {"ZEL Vantorix v1.23.lnk", "ReadMe.lnk", "unInstall.lnk"})
        ASSERT_TRUE(WriteWholeFile(folder + "\\" + link, "link"));
    CreateService(older + "\\ZELSERV.EXE");
    RegisterSnmp(older);

    EXPECT_EQ(RemoveInstallation(older.c_str()), 1);

    EXPECT_FALSE(Exists(older));
    EXPECT_FALSE(Exists(folder));
    EXPECT_TRUE(Exists(windows + "\\Start Menu\\Programs"));
    EXPECT_TRUE(Exists(history));
    EXPECT_EQ(Profile(history, "Main", "TimesInstalled"), "0");
    EXPECT_TRUE(Exists(windows + "\\VANTRX.386"));
    EXPECT_TRUE(Exists(windows + "\\ZELUNINS.EXE"));
    EXPECT_EQ(ServiceBinary(), older + "\\ZELSERV.EXE");
    EXPECT_EQ(RegValue(kAgentKey, "Pathname"), older + "\\ZELAGENT.DLL");

    // No Start Menu folder at all is passed over.
    Install({newer, {"VANTRX32.EXE"}, false});
    EXPECT_EQ(RemoveInstallation(newer.c_str()), 1);
    EXPECT_FALSE(Exists(newer));
}

} // namespace

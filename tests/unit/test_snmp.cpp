// The SNMP agent registration against Wine's registry, the runtime-library
// copies through LZ32, the report on standard output, and the repointing or
// removal after an installation is removed.
#include "ntconfig/snmp.h"

#include "app/state.h"
#include "boxscript.h"
#include "lz_sample.h"

#include <gtest/gtest.h>

#include <io.h>
#include <stdio.h>
#include <stdlib.h>
#include <string>
#include <vector>

namespace {

const char kAgentKey[] = "SOFTWARE\\ZEL\\SNMP\\SCSI_SYSTEM_AGENT\\CurrentVersion";
const char kAgentsKey[] = "SYSTEM\\CurrentControlSet\\Services\\SNMP\\Parameters\\ExtensionAgents";
const char kReport[] = "ERROR:  Access denied.\nHINT:   You should in the admin user-group to configure the"
                       "        ZEL SNMP agent.        Run zelSnmpSetup later.";

struct RegValue {
    bool found = false;
    DWORD type = 0;
    std::string data; // raw bytes, terminating zero included
};

RegValue ReadValue(const char* keyPath, const char* name) {
    RegValue v;
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return v;
    char data[512];
    memset(data, 0xcc, sizeof data);
    DWORD size = sizeof data;
    if (RegQueryValueExA(key, name, NULL, &v.type, (BYTE*)data, &size) == ERROR_SUCCESS) {
        v.found = true;
        v.data.assign(data, size);
    }
    RegCloseKey(key);
    return v;
}

// Deletes a key and everything beneath it.
void DeleteTree(HKEY parent, const char* name) {
    HKEY key;
    if (RegOpenKeyExA(parent, name, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return;
    char child[256];
    while (RegEnumKeyA(key, 0, child, sizeof child) == ERROR_SUCCESS)
        DeleteTree(key, child);
    RegCloseKey(key);
    RegDeleteKeyA(parent, name);
}

void MakeVolatileKey(const char* keyPath) {
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, NULL, REG_OPTION_VOLATILE, KEY_ALL_ACCESS, NULL,
                              &key, NULL),
              ERROR_SUCCESS)
        << keyPath;
    RegCloseKey(key);
}

// Collects what the code under test prints on standard output.
class StdoutCapture {
  public:
    explicit StdoutCapture(const std::string& file) : path_(file) {
        fflush(stdout);
        saved_ = _dup(1);
        FILE* f = fopen(path_.c_str(), "wb");
        _dup2(_fileno(f), 1);
        fclose(f);
    }
    std::string Finish() {
        fflush(stdout);
        _dup2(saved_, 1);
        _close(saved_);
        return ReadWholeFile(path_);
    }

  private:
    std::string path_;
    int saved_;
};

class Snmp : public testing::Test {
  protected:
    void SetUp() override {
        ResetAppState();
        Clean();
        root = MakeTempDir("snmp");
        disk = root + "\\DISK";
        windows = root + "\\WIN";
        CreateDirectoryA(disk.c_str(), NULL);
        CreateDirectoryA(windows.c_str(), NULL);
        CreateDirectoryA((windows + "\\SYSTEM32").c_str(), NULL);
        strcpy(g.installDir, "C:\\Vantrx");
        strcpy(g.sourceDir, disk.c_str());
        strcpy(g.windowsDir, windows.c_str());
        strcpy(g.historyPath, (windows + "\\ZELSETUP.INI").c_str());
    }
    void TearDown() override {
        Clean();
        EXPECT_FALSE(KeyExists("SOFTWARE\\ZEL"));
        EXPECT_FALSE(KeyExists("SYSTEM\\CurrentControlSet\\Services\\SNMP"));
        RemoveTree(root);
    }
    static void Clean() {
        DeleteTree(HKEY_LOCAL_MACHINE, "SOFTWARE\\ZEL");
        DeleteTree(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Services\\SNMP");
    }
    // Runs RegisterSnmpAgent and returns its result; out gets what it printed.
    int Register(std::string* out) {
        StdoutCapture capture(root + "\\stdout.txt");
        int result = RegisterSnmpAgent();
        *out = capture.Finish();
        return result;
    }
    std::string System32(const char* name) {
        return windows + "\\SYSTEM32\\" + name;
    }
    std::string root, disk, windows;
};

TEST_F(Snmp, RegistersTheAgentAndItsExtensionEntry) {
    std::string out;
    EXPECT_EQ(Register(&out), 1);
    EXPECT_EQ(out, "");
    RegValue path = ReadValue(kAgentKey, "Pathname");
    ASSERT_TRUE(path.found);
    EXPECT_EQ(path.type, (DWORD)REG_EXPAND_SZ);
    EXPECT_EQ(path.data, std::string("C:\\Vantrx\\ZELAGENT.DLL", 23)); // with its terminating zero
    RegValue agent = ReadValue(kAgentsKey, "zelScsi");
    ASSERT_TRUE(agent.found);
    EXPECT_EQ(agent.type, (DWORD)REG_SZ);
    EXPECT_EQ(agent.data.size(), 51u);
    EXPECT_EQ(agent.data, std::string(kAgentKey, 51));
}

TEST_F(Snmp, InstallDirectoryOfAnyLengthIsWritten) {
    std::string longDir = "D:\\" + std::string(124, 'd'); // 127 characters, the most the field holds
    strcpy(g.installDir, longDir.c_str());
    std::string out;
    EXPECT_EQ(Register(&out), 1);
    RegValue path = ReadValue(kAgentKey, "Pathname");
    EXPECT_EQ(path.data, longDir + "\\ZELAGENT.DLL" + std::string(1, '\0'));
}

TEST_F(Snmp, RuntimeLibrariesAreExpandedIntoSystem32) {
    ASSERT_TRUE(WriteWholeFile(disk + "\\MSVCRT.DL_", SampleSzdd()));
    ASSERT_TRUE(WriteWholeFile(disk + "\\MSVCRT40.DL_", "not compressed at all"));
    ASSERT_TRUE(WriteWholeFile(System32("MSVCRT.DLL"), std::string(3000, 'o'))); // replaced without a look
    std::string out;
    EXPECT_EQ(Register(&out), 1);
    EXPECT_EQ(ReadWholeFile(System32("MSVCRT.DLL")), kSampleText);
    EXPECT_EQ(ReadWholeFile(System32("MSVCRT40.DLL")), "not compressed at all");
}

// Without the libraries on the disk the registration still succeeds, and the
// system's own copies are not touched.
TEST_F(Snmp, NoRuntimeLibrariesOnTheDiskStillOne) {
    ASSERT_TRUE(WriteWholeFile(System32("MSVCRT.DLL"), "the system's own"));
    std::string out;
    EXPECT_EQ(Register(&out), 1);
    EXPECT_EQ(out, "");
    EXPECT_EQ(ReadWholeFile(System32("MSVCRT.DLL")), "the system's own");
    EXPECT_EQ(GetFileAttributesA(System32("MSVCRT40.DLL").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(ReadValue(kAgentKey, "Pathname").found);
}

// A key that cannot be made is reported and the chain beneath it is not
// tried: the agent's values never land in the key above. (A volatile key
// refuses non-volatile subkeys, so Wine's registry itself says no.)
struct ChainCase {
    const char* volatileKey;
    int result;
    const char* emptyKey; // must hold no value named below
    const char* valueName;
    bool pathnameWritten, agentWritten;
};

TEST_F(Snmp, FailedStepStopsItsChainAndIsReported) {
    const ChainCase cases[] = {
        {"SOFTWARE\\ZEL\\SNMP\\SCSI_SYSTEM_AGENT", 1, "SOFTWARE\\ZEL\\SNMP\\SCSI_SYSTEM_AGENT", "Pathname",
         false, true},
        {"SOFTWARE\\ZEL\\SNMP", 1, "SOFTWARE\\ZEL\\SNMP", "Pathname", false, true},
        {"SOFTWARE\\ZEL", 0, "SOFTWARE\\ZEL", "Pathname", false, false},
        {"SYSTEM\\CurrentControlSet\\Services\\SNMP\\Parameters", 1,
         "SYSTEM\\CurrentControlSet\\Services\\SNMP\\Parameters", "zelScsi", true, false},
        {"SYSTEM\\CurrentControlSet\\Services\\SNMP", 1, "SYSTEM\\CurrentControlSet\\Services\\SNMP",
         "zelScsi", true, false},
    };
    int i = 0;
    for (const ChainCase& c : cases) {
        SCOPED_TRACE(i++);
        Clean();
        MakeVolatileKey(c.volatileKey);
        ASSERT_TRUE(WriteWholeFile(disk + "\\MSVCRT40.DL_", "library"));
        DeleteFileA(System32("MSVCRT40.DLL").c_str());
        std::string out;
        EXPECT_EQ(Register(&out), c.result);
        EXPECT_EQ(out, kReport); // exactly one report: the steps beneath are not tried
        EXPECT_FALSE(ReadValue(c.emptyKey, c.valueName).found);
        EXPECT_EQ(ReadValue(kAgentKey, "Pathname").found, c.pathnameWritten);
        EXPECT_EQ(ReadValue(kAgentsKey, "zelScsi").found, c.agentWritten);
        // the libraries are copied unless the product keys failed
        EXPECT_EQ(GetFileAttributesA(System32("MSVCRT40.DLL").c_str()) != INVALID_FILE_ATTRIBUTES,
                  c.result == 1);
    }
}

void WriteHistory(const std::string& path, const std::vector<std::string>& dirs) {
    WritePrivateProfileStringA("Main", "TimesInstalled", std::to_string(dirs.size()).c_str(), path.c_str());
    for (size_t i = 0; i < dirs.size(); ++i)
        WritePrivateProfileStringA("Main", ("number" + std::to_string(i + 1)).c_str(), dirs[i].c_str(),
                                   path.c_str());
}

TEST_F(Snmp, RemovalRepointsToTheNewestRemainingInstallation) {
    std::string out;
    ASSERT_EQ(Register(&out), 1);
    WriteHistory(g.historyPath, {"C:\\Older", "D:\\Apps\\Vantrx"});
    UnregisterSnmpAgent();
    RegValue path = ReadValue(kAgentKey, "Pathname");
    EXPECT_EQ(path.type, (DWORD)REG_SZ);
    EXPECT_EQ(path.data, std::string("D:\\Apps\\Vantrx\\ZELAGENT.DLL", 28));
    EXPECT_TRUE(ReadValue(kAgentsKey, "zelScsi").found);
}

TEST_F(Snmp, RemovalWithoutARegistrationCreatesNothing) {
    WriteHistory(g.historyPath, {"C:\\Older"});
    UnregisterSnmpAgent();
    EXPECT_FALSE(KeyExists("SOFTWARE\\ZEL"));
    EXPECT_FALSE(KeyExists(kAgentsKey));
}

TEST_F(Snmp, RemovalOfTheLastDeletesTheAgentKeysAndKeepsTheProductKey) {
    std::string out;
    ASSERT_EQ(Register(&out), 1);
    HKEY agents;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kAgentsKey, 0, KEY_ALL_ACCESS, &agents), ERROR_SUCCESS);
    RegSetValueExA(agents, "otherAgent", 0, REG_SZ, (const BYTE*)"x", 2);
    RegCloseKey(agents);
    HKEY vantrx;
    ASSERT_EQ(RegCreateKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\ZEL\\VANTRX", &vantrx), ERROR_SUCCESS);
    RegCloseKey(vantrx);
    UnregisterSnmpAgent(); // no history: nothing remains
    EXPECT_FALSE(KeyExists(kAgentKey));
    EXPECT_FALSE(KeyExists("SOFTWARE\\ZEL\\SNMP\\SCSI_SYSTEM_AGENT"));
    EXPECT_FALSE(KeyExists("SOFTWARE\\ZEL\\SNMP"));
    EXPECT_TRUE(KeyExists("SOFTWARE\\ZEL"));
    EXPECT_TRUE(KeyExists("SOFTWARE\\ZEL\\VANTRX"));
    EXPECT_FALSE(ReadValue(kAgentsKey, "zelScsi").found);
    EXPECT_TRUE(ReadValue(kAgentsKey, "otherAgent").found);
    UnregisterSnmpAgent(); // again, with everything gone: nothing happens
    EXPECT_TRUE(KeyExists("SOFTWARE\\ZEL"));
}

// A full system disk. Needs a really small drive: tests/blackbox/test_lz_full_disk.sh
// maps one onto a 64 KB tmpfs (ZEL_FULL_DRIVE) and makes a large compressed
// file with mscompress (ZEL_BIG_SZDD).
TEST_F(Snmp, FullSystemDiskIsOutOfDiskSpace) {
    const char* drive = getenv("ZEL_FULL_DRIVE");
    const char* bigSzdd = getenv("ZEL_BIG_SZDD");
    if (!drive || !bigSzdd)
        GTEST_SKIP() << "no small drive mapped (run through tests/blackbox/test_lz_full_disk.sh)";
    std::string smallWindows = std::string(drive) + "\\WINSNMP";
    CreateDirectoryA(smallWindows.c_str(), NULL);
    CreateDirectoryA((smallWindows + "\\SYSTEM32").c_str(), NULL);
    strcpy(g.windowsDir, smallWindows.c_str());
    ASSERT_TRUE(CopyFileA(bigSzdd, (disk + "\\MSVCRT.DL_").c_str(), FALSE));
    ASSERT_TRUE(WriteWholeFile(disk + "\\MSVCRT40.DL_", "small"));
    g.mainWindow = CreateWindowExA(0, "STATIC", "main", WS_POPUP, 0, 0, 10, 10, NULL, NULL, NULL, NULL);
    BoxScript boxes;
    boxes.Answer(IDOK);
    std::string out;
    EXPECT_EQ(Register(&out), 0);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "Out of disk space");
    EXPECT_EQ(boxes.boxes[0].caption, "ERROR");
    EXPECT_EQ(boxes.boxes[0].icon, 0u);
    EXPECT_EQ(boxes.boxes[0].buttons, (UINT)MB_OK);
    EXPECT_EQ(boxes.boxes[0].owner, g.mainWindow);
    EXPECT_EQ(GetFileAttributesA((smallWindows + "\\SYSTEM32\\MSVCRT40.DLL").c_str()),
              INVALID_FILE_ATTRIBUTES);
    // the half-expanded copy is gone and no MSVCRT.DLL was put in place of the system's
    EXPECT_EQ(GetFileAttributesA((smallWindows + "\\SYSTEM32\\ZELSETUP.TMP").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetFileAttributesA((smallWindows + "\\SYSTEM32\\MSVCRT.DLL").c_str()), INVALID_FILE_ATTRIBUTES);
    RemoveTree(smallWindows);
    DestroyWindow(g.mainWindow);
}

} // namespace

// Windows NT configuration against Wine's own registry, file system and LZ32:
// the older installation's engine libraries and event-log files, ZEL_NT.INI,
// its history record and the boot-time driver copy.
#include "app/state.h"
#include "ntconfig/ntconfig.h"

#include "boxscript.h"

#include <gtest/gtest.h>

#include <stdlib.h>

#include <string>
#include <vector>

namespace {

const char kBootDriver[] = "C:\\NTBOOTDD.SYS";
const char kBootBackup[] = "C:\\NTBOOTDD.BAK";
const char kOld[] = "C:\\OLD";

// An LZ file as the platform's compression tool writes it ("SZDD" header,
// mode 'A', last name character, expanded size), its body made of literal
// runs only: a flag byte 0xFF before every eight bytes. LZ32 expands it to
// exactly the bytes given.
std::string Compressed(const std::string& plain) {
    std::string out("SZDD\x88\xf0\x27\x33", 8);
    out += 'A';
    out += '\0';
    unsigned size = (unsigned)plain.size();
    for (int i = 0; i < 4; ++i)
        out += (char)((size >> (8 * i)) & 0xff);
    for (size_t i = 0; i < plain.size(); i += 8) {
        out += '\xff';
        out += plain.substr(i, 8);
    }
    return out;
}

void DeleteRegistration() {
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\ZEL\\VANTRX");
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\ZEL\\OTHER");
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\ZEL");
}

// HKLM\SOFTWARE\ZEL\VANTRX "PathName", as an older installation left it.
void Register(const void* data, DWORD size, DWORD type = REG_SZ) {
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\ZEL\\VANTRX", 0, NULL, 0, KEY_ALL_ACCESS, NULL,
                              &key, NULL),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, "PathName", 0, type, (const BYTE*)data, size), ERROR_SUCCESS);
    RegCloseKey(key);
}

void RegisterPath(const char* path) {
    Register(path, (DWORD)strlen(path) + 1);
}

class NtConfig : public ::testing::Test {
  protected:
    std::string work, install, history, system32, engineNt, engine32;

    void SetUp() override {
        ResetAppState();
        work = MakeTempDir("ntconfig");
        install = work + "\\Vantrx";
        CreateDirectoryA(install.c_str(), NULL);
        history = work + "\\ZELSETUP.INI";
        GetWindowsDirectoryA(g.windowsDir, sizeof g.windowsDir);
        strcpy(g.installDir, install.c_str());
        strcpy(g.historyPath, history.c_str());
        g.osKind = kOsNt;
        system32 = std::string(g.windowsDir) + "\\SYSTEM32";
        engineNt = system32 + "\\ZELENGNT.DLL";
        engine32 = system32 + "\\ZELENG32.DLL";
        Clean();
        CreateDirectoryA(kOld, NULL);
    }
    void TearDown() override {
        Clean();
        RemoveTree(work);
        EXPECT_FALSE(Exists(work));
        EXPECT_FALSE(KeyExists("SOFTWARE\\ZEL"));
    }
    void Clean() {
        DeleteRegistration();
        RemoveTree(kOld);
        DeleteFileA(engineNt.c_str());
        DeleteFileA(engine32.c_str());
        SetFileAttributesA(kBootDriver, FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(kBootDriver);
        DeleteFileA(kBootBackup);
        DeleteFileA((system32 + "\\DRIVERS\\ZELSCSI.SYS").c_str());
    }
};

TEST_F(NtConfig, EngineLibrariesMoveIntoTheRegisteredDirectory) {
    RegisterPath("C:\\OLD\\");
    ASSERT_TRUE(WriteWholeFile(engineNt, "engine for NT"));
    ASSERT_TRUE(WriteWholeFile(engine32, Compressed("engine, 32-bit, stored compressed")));

    EXPECT_EQ(ConfigureNtSystem(), 1);

    EXPECT_EQ(ReadWholeFile("C:\\OLD\\ZELENGNT.DLL"), "engine for NT");
    EXPECT_EQ(ReadWholeFile("C:\\OLD\\ZELENG32.DLL"), "engine, 32-bit, stored compressed");
    EXPECT_FALSE(Exists(engineNt));
    EXPECT_FALSE(Exists(engine32));
    EXPECT_FALSE(KeyExists("SOFTWARE\\ZEL\\VANTRX"));
    EXPECT_FALSE(KeyExists("SOFTWARE\\ZEL"));
    EXPECT_TRUE(KeyExists("SOFTWARE"));
}

TEST_F(NtConfig, OnlyThePresentLibraryMovesAndOtherProductKeysKeepZel) {
    RegisterPath("C:\\OLD\\");
    HKEY other;
    ASSERT_EQ(RegCreateKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\ZEL\\OTHER", &other), ERROR_SUCCESS);
    RegCloseKey(other);
    ASSERT_TRUE(WriteWholeFile(engine32, "only the 32-bit engine"));

    EXPECT_EQ(ConfigureNtSystem(), 1);

    EXPECT_FALSE(Exists("C:\\OLD\\ZELENGNT.DLL"));
    EXPECT_EQ(ReadWholeFile("C:\\OLD\\ZELENG32.DLL"), "only the 32-bit engine");
    EXPECT_FALSE(KeyExists("SOFTWARE\\ZEL\\VANTRX"));
    EXPECT_TRUE(KeyExists("SOFTWARE\\ZEL\\OTHER"));
}

// A copy that fails for another reason than a full disk leaves the library
// where it was: it is never deleted without its copy.
TEST_F(NtConfig, LibraryStaysWhenItsCopyFails) {
    RegisterPath("C:\\NO SUCH DIRECTORY\\");
    ASSERT_TRUE(WriteWholeFile(engineNt, "engine for NT"));
    ASSERT_TRUE(WriteWholeFile(engine32, "engine, 32-bit"));

    EXPECT_EQ(ConfigureNtSystem(), 1);

    EXPECT_EQ(ReadWholeFile(engineNt), "engine for NT");
    EXPECT_EQ(ReadWholeFile(engine32), "engine, 32-bit");
    EXPECT_TRUE(Exists(install + "\\ZEL_NT.INI"));
}

// Without a complete registration nothing moves and the registry is left as it is.
TEST_F(NtConfig, NoUsableRegistration) {
    const std::string full = "C:\\OLD\\" + std::string(121, 'a'); // 128 bytes, no zero among them

    struct Case {
        const char* what;
        int make; // 0 nothing, 1 the keys only, 2 PathName given below
        std::string data;
        bool keysRemain;
    } cases[] = {
        {"no key", 0, "", false},
        {"keys without PathName", 1, "", true},
        {"PathName empty", 2, std::string("", 1), true},
        {"PathName filling 128 bytes without its end", 2, full, true},
        {"PathName longer than 128 bytes", 2, full + "X", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DeleteRegistration();
        ASSERT_TRUE(WriteWholeFile(engineNt, "engine for NT"));
        if (c.make == 1) {
            HKEY key;
            ASSERT_EQ(RegCreateKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\ZEL\\VANTRX", &key), ERROR_SUCCESS);
            RegCloseKey(key);
        } else if (c.make == 2) {
            Register(c.data.data(), (DWORD)c.data.size(), REG_BINARY);
        }

        EXPECT_EQ(ConfigureNtSystem(), 1);

        EXPECT_EQ(ReadWholeFile(engineNt), "engine for NT");
        EXPECT_EQ(KeyExists("SOFTWARE\\ZEL\\VANTRX"), c.keysRemain);
        EXPECT_TRUE(Exists(install + "\\ZEL_NT.INI"));
    }
}

TEST_F(NtConfig, PathNameOfAnyTypeIsUsed) {
    const char path[] = "C:\\OLD\\";
    Register(path, sizeof path, REG_EXPAND_SZ);
    ASSERT_TRUE(WriteWholeFile(engineNt, "engine for NT"));
    EXPECT_EQ(ConfigureNtSystem(), 1);
    EXPECT_EQ(ReadWholeFile("C:\\OLD\\ZELENGNT.DLL"), "engine for NT");
    EXPECT_FALSE(KeyExists("SOFTWARE\\ZEL"));
}

TEST_F(NtConfig, LoggerFilesOfTheRegisteredDirectoryMove) {
    RegisterPath("C:\\OLD\\");
    ASSERT_TRUE(WriteWholeFile("C:\\OLD\\ZELELOG.EXE", "logger program"));
    ASSERT_TRUE(WriteWholeFile("C:\\OLD\\zelelog.ini", "logger settings"));
    ASSERT_TRUE(WriteWholeFile("C:\\OLD\\ZELELOG.001", "first log"));

    EXPECT_EQ(ConfigureNtSystem(), 1);

    EXPECT_EQ(ReadWholeFile("C:\\OLD\\ZELELOG.EXE"), "logger program");
    EXPECT_EQ(ReadWholeFile("C:\\OLD\\zelelog.ini"), "logger settings");
    EXPECT_FALSE(Exists("C:\\OLD\\ZELELOG.001"));
    EXPECT_EQ(ReadWholeFile(install + "\\ZELELOG.001"), "first log");
    EXPECT_FALSE(Exists(install + "\\ZELELOG.EXE"));
    EXPECT_FALSE(Exists(install + "\\zelelog.ini"));
}

TEST_F(NtConfig, MoveLoggerFiles) {
    std::string old = work + "\\Older";
    CreateDirectoryA(old.c_str(), NULL);
    struct File {
        const char* name;
        std::string data;
        bool moves;
        std::string expanded;
    } files[] = {
        {"ZELELOG.001", "log one", true, "log one"},
        {"zelelog.log", "log, lower case", true, "log, lower case"},
        {"ZELELOG.002", Compressed("log two, compressed"), true, "log two, compressed"},
        {"ZELELOG.EXE", "program", false, ""},
        {"ZelELog.Ini", "settings", false, ""},
        {"OTHER.001", "not a log", false, ""},
    };
    for (const File& f : files)
        ASSERT_TRUE(WriteWholeFile(old + "\\" + f.name, f.data));
    ASSERT_TRUE(WriteWholeFile(install + "\\ZELELOG.001", "older copy, overwritten"));

    MoveLoggerFiles(old.c_str());

    for (const File& f : files) {
        SCOPED_TRACE(f.name);
        EXPECT_EQ(Exists(old + "\\" + f.name), !f.moves);
        if (f.moves)
            EXPECT_EQ(ReadWholeFile(install + "\\" + f.name), f.expanded);
        else
            EXPECT_FALSE(Exists(install + "\\" + f.name));
    }
}

TEST_F(NtConfig, MoveLoggerFilesPassesOverWhatCannotMove) {
    MoveLoggerFiles((work + "\\Missing").c_str()); // no such directory: nothing happens
    std::string old = work + "\\Older";
    CreateDirectoryA(old.c_str(), NULL);
    ASSERT_TRUE(WriteWholeFile(old + "\\ZELELOG.001", "log one"));
    ASSERT_TRUE(WriteWholeFile(old + "\\ZELELOG.002", "log two"));

    // The install directory gone: no copy can be made, so no log may be deleted.
    RemoveTree(install);
    MoveLoggerFiles(old.c_str());
    EXPECT_EQ(ReadWholeFile(old + "\\ZELELOG.001"), "log one");
    EXPECT_EQ(ReadWholeFile(old + "\\ZELELOG.002"), "log two");
}

// The older directory named as the install directory itself (other case,
// trailing backslash): copying a log onto itself would empty it.
TEST_F(NtConfig, MoveLoggerFilesFromTheInstallDirectoryKeepsThem) {
    ASSERT_TRUE(WriteWholeFile(install + "\\ZELELOG.001", "current log"));
    std::string spelt = install + "\\";
    for (char& c : spelt)
        c = (char)toupper((unsigned char)c);
    MoveLoggerFiles(spelt.c_str());
    EXPECT_EQ(ReadWholeFile(install + "\\ZELELOG.001"), "current log");
}

TEST_F(NtConfig, LoggerConfigurationByteForByte) {
    EXPECT_EQ(ConfigureNtSystem(), 1);
    std::string expected = "[ZELLOGGER]\r\n"
                           "directory=" +
                           install +
                           "\r\n"
                           "eventLevel=1               ; threshold\r\n"
                           "timeInterval=1             ; 1-120 minutes\r\n";
    std::string written = ReadWholeFile(install + "\\ZEL_NT.INI");
    EXPECT_EQ(written, expected);
    EXPECT_EQ(written.find("; threshold") - written.find("eventLevel"), 27u);
    EXPECT_EQ(written.find("; 1-120") - written.find("timeInterval"), 27u);

    // An existing file is replaced, not appended to.
    ASSERT_TRUE(WriteWholeFile(install + "\\ZEL_NT.INI", std::string(500, 'x')));
    EXPECT_EQ(ConfigureNtSystem(), 1);
    EXPECT_EQ(ReadWholeFile(install + "\\ZEL_NT.INI"), expected);
}

TEST_F(NtConfig, LoggerConfigurationRecordedInTheHistory) {
    struct Case {
        const char* before; // Filecount recorded, or null for none
        const char* after;
        const char* key;
    } cases[] = {{"12", "13", "file13"}, {nullptr, "1", "file1"}, {"abc", "1", "file1"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.after);
        DeleteFileA(history.c_str());
        WritePrivateProfileStringA(install.c_str(), "Filecount", c.before, history.c_str());
        WritePrivateProfileStringA(install.c_str(), "file12", "C:\\Vantrx\\KEEP.EXE", history.c_str());

        EXPECT_EQ(ConfigureNtSystem(), 1);

        EXPECT_EQ(Profile(history, install, "Filecount"), c.after);
        EXPECT_EQ(Profile(history, install, c.key), install + "\\ZEL_NT.INI");
        EXPECT_EQ(Profile(history, install, "file12"), "C:\\Vantrx\\KEEP.EXE");
    }
}

// The configuration file cannot be created (the install directory is gone):
// no message, and the history records its path all the same.
TEST_F(NtConfig, UncreatableConfigurationStillRecorded) {
    RemoveTree(install);
    EXPECT_EQ(ConfigureNtSystem(), 1);
    EXPECT_FALSE(Exists(install + "\\ZEL_NT.INI"));
    EXPECT_EQ(Profile(history, install, "file1"), install + "\\ZEL_NT.INI");
}

// The older directory on a full disk. Wine cannot fill a disk from inside, so
// the black-box scenario test_ntconfig_fulldisk.sh maps a drive onto a small
// tmpfs and names it in ZEL_FULL_DIR; run without it, the test is skipped.
TEST_F(NtConfig, FullDiskReportedAndNothingElseDone) {
    const char* full = getenv("ZEL_FULL_DIR");
    if (!full || !*full)
        GTEST_SKIP()
            << "needs ZEL_FULL_DIR, a directory on a full disk (tests/blackbox/test_ntconfig_fulldisk.sh)";
    std::string pathName = full;
    RegisterPath(pathName.c_str());
    std::string big(256 * 1024, 'e');
    ASSERT_TRUE(WriteWholeFile(engineNt, big));
    ASSERT_TRUE(WriteWholeFile(engine32, "engine, 32-bit"));
    g.osKind = kOsNt31;
    ASSERT_TRUE(WriteWholeFile(kBootDriver, "old ZELSCSI.SYS"));
    g.mainWindow = CreateWindowExA(0, "STATIC", "main", WS_POPUP, 0, 0, 10, 10, NULL, NULL, NULL, NULL);
    BoxScript boxes;
    boxes.Answer(IDOK);

    EXPECT_EQ(ConfigureNtSystem(), 0);

    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "Out of disk space");
    EXPECT_EQ(boxes.boxes[0].caption, "ERROR");
    EXPECT_EQ(boxes.boxes[0].icon, 0u);
    EXPECT_EQ(boxes.boxes[0].buttons, (UINT)MB_OK);
    EXPECT_EQ(boxes.boxes[0].owner, g.mainWindow);
    EXPECT_EQ(ReadWholeFile(engineNt), big);
    EXPECT_EQ(ReadWholeFile(engine32), "engine, 32-bit");
    EXPECT_FALSE(Exists(pathName + "ZELENG32.DLL"));
    EXPECT_TRUE(KeyExists("SOFTWARE\\ZEL\\VANTRX"));
    EXPECT_FALSE(Exists(install + "\\ZEL_NT.INI"));
    EXPECT_EQ(Profile(history, install, "Filecount"), "NO ENTRY");
    EXPECT_FALSE(Exists(kBootBackup));
    DeleteFileA((pathName + "ZELENGNT.DLL").c_str());
    DestroyWindow(g.mainWindow);
}

TEST(IsOwnBootDriver, PatternAnywhereInTheFile) {
    std::string body(70000, '\0');
    struct Case {
        std::string data;
        int own;
    } cases[] = {
        {body + "ZELSCSI.SYS", 1},
        {"ZELSCSI.SYS", 1},
        {"ZELSCSI.SYS" + body, 1},
        {body.substr(0, 100) + "ZELZELSCSI.SYS" + body.substr(0, 100), 1},
        {"ZELSCSI.SYZELSCSI.SYS", 1},
        {body + "zelscsi.sys", 0},
        {body + "ZELSCSI.SY", 0},
        {"ZELSCSI SYS", 0},
        {"", 0},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        SCOPED_TRACE(i);
        ASSERT_TRUE(WriteWholeFile(kBootDriver, cases[i].data));
        EXPECT_EQ(IsOwnBootDriver(), cases[i].own);
    }
    DeleteFileA(kBootDriver);
    EXPECT_EQ(IsOwnBootDriver(), 0);
}

const DWORD kBootAttributes =
    FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;

TEST_F(NtConfig, OwnBootDriverReplacedOnNt31Only) {
    std::string driverSource = system32 + "\\DRIVERS\\ZELSCSI.SYS";
    CreateDirectoryA((system32 + "\\DRIVERS").c_str(), NULL);
    ASSERT_TRUE(WriteWholeFile(driverSource, "new driver ZELSCSI.SYS"));
    struct Case {
        int osKind;
        std::string old;
        bool replaced;
    } cases[] = {
        {kOsNt31, "old driver ZELSCSI.SYS", true},   {kOsNt31, "old driver zelscsi.sys", false},
        {kOsNt31, "another vendor's driver", false}, {kOsNt35, "old driver ZELSCSI.SYS", false},
        {kOsNt, "old driver ZELSCSI.SYS", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.osKind);
        SCOPED_TRACE(c.old);
        SetFileAttributesA(kBootDriver, FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(kBootBackup);
        ASSERT_TRUE(WriteWholeFile(kBootDriver, c.old));
        ASSERT_TRUE(SetFileAttributesA(kBootDriver, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
        DWORD attributes = GetFileAttributesA(kBootDriver);
        ASSERT_NE(attributes & FILE_ATTRIBUTE_HIDDEN, 0u);
        g.osKind = c.osKind;

        EXPECT_EQ(ConfigureNtSystem(), 1);

        if (c.replaced) {
            EXPECT_EQ(ReadWholeFile(kBootDriver), "new driver ZELSCSI.SYS");
            EXPECT_EQ(ReadWholeFile(kBootBackup), c.old);
            EXPECT_EQ(GetFileAttributesA(kBootDriver), kBootAttributes);
        } else {
            EXPECT_EQ(ReadWholeFile(kBootDriver), c.old);
            EXPECT_FALSE(Exists(kBootBackup));
            EXPECT_EQ(GetFileAttributesA(kBootDriver), attributes);
        }
    }
}

TEST_F(NtConfig, BootDriverBackupOverwritten) {
    CreateDirectoryA((system32 + "\\DRIVERS").c_str(), NULL);
    ASSERT_TRUE(WriteWholeFile(system32 + "\\DRIVERS\\ZELSCSI.SYS", "new ZELSCSI.SYS"));
    ASSERT_TRUE(WriteWholeFile(kBootDriver, "previous ZELSCSI.SYS"));
    ASSERT_TRUE(WriteWholeFile(kBootBackup, "a much older backup that is longer"));
    g.osKind = kOsNt31;
    EXPECT_EQ(ConfigureNtSystem(), 1);
    EXPECT_EQ(ReadWholeFile(kBootBackup), "previous ZELSCSI.SYS");
    EXPECT_EQ(ReadWholeFile(kBootDriver), "new ZELSCSI.SYS");
}

} // namespace

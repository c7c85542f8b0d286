// The setup script reader and the history reconciliation, on real script
// files, real stamped executables and a real history file.
#include "app/state.h"
#include "app/text.h"
#include "history/history.h"
#include "install/script.h"
#include "install/stamp.h"

#include "boxscript.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const char kSetupInvalid[] = "File SETUP.INI missing or invalid.\n\nSetup cannot continue.";
const char kSetup95Invalid[] = "File SETUP95.INI missing or invalid.\n\nSetup cannot continue.";

// A stamped executable: some code-like bytes, the block, some more.
std::string StampedFile(unsigned char major, char minor1, char minor2) {
    std::string block((const char*)ownVersionStamp, kStampSize);
    block[kStampMajor] = (char)major;
    block[kStampMinor1] = minor1;
    block[kStampMinor2] = minor2;
    return std::string(3000, '\x90') + block + std::string(500, '\0');
}

class Script : public testing::Test {
  protected:
    void SetUp() override {
        ResetAppState();
        g.osKind = kOsNt;
        root_ = MakeTempDir("script");
        source_ = root_ + "\\disk1";
        windows_ = root_ + "\\windows";
        ASSERT_TRUE(CreateDirectoryA(source_.c_str(), NULL));
        ASSERT_TRUE(CreateDirectoryA(windows_.c_str(), NULL));
        ASSERT_TRUE(CopyText(g.sourceDir, sizeof g.sourceDir, source_.c_str()));
        ASSERT_TRUE(CopyText(g.windowsDir, sizeof g.windowsDir, windows_.c_str()));
        ASSERT_TRUE(CopyText(g.historyPath, sizeof g.historyPath, (windows_ + "\\ZELSETUP.INI").c_str()));
        g.mainWindow = CreateWindowExA(0, "STATIC", "main", WS_POPUP, 0, 0, 10, 10, NULL, NULL, NULL, NULL);
        ASSERT_NE(g.mainWindow, (HWND)NULL);
    }
    void TearDown() override {
        DestroyWindow(g.mainWindow);
        RemoveTree(root_);
    }

    void WriteScript(const std::string& lines, const char* name = "SETUP.INI") {
        ASSERT_TRUE(WriteWholeFile(source_ + "\\" + name, "[Main]\r\n" + lines));
    }

    // An installation recorded in the history, with a stamped VANTRX32.EXE or none.
    std::string Installed(const char* name, const char* recordedVersion, std::string exe) {
        std::string dir = root_ + "\\" + name;
        CreateDirectoryA(dir.c_str(), NULL);
        if (!exe.empty()) {
            EXPECT_TRUE(WriteWholeFile(dir + "\\VANTRX32.EXE", exe));
        }
        CopyText(g.installDir, sizeof g.installDir, dir.c_str());
        CopyText(g.versionText, sizeof g.versionText, recordedVersion);
        g.fileCount = 1;
        CopyText(g.fileTable[0].targetName, sizeof g.fileTable[0].targetName, "VANTRX32.EXE");
        RecordInstallation();
        g.fileCount = 0;
        g.installDir[0] = '\0';
        return dir;
    }

    void ExpectRefused(BoxScript& boxes, const char* text) {
        ASSERT_EQ(boxes.boxes.size(), 1u);
        EXPECT_EQ(boxes.boxes[0].text, text);
        EXPECT_EQ(boxes.boxes[0].caption, "Error");
        EXPECT_EQ(boxes.boxes[0].icon, (UINT)MB_ICONEXCLAMATION);
        EXPECT_EQ(boxes.boxes[0].buttons, (UINT)MB_OK);
        EXPECT_EQ(boxes.boxes[0].owner, g.mainWindow);
        EXPECT_EQ(g.fileCount, 0);
        EXPECT_EQ(g.requiredSpace, 0u);
    }

    std::string root_, source_, windows_;
};

#define ExpectRecord(record, disk, source, target, size)                                                     \
    ExpectRecord_(__FILE__, __LINE__, record, disk, source, target, size)
void ExpectRecord_(const char* file, int line, const FileRecord& record, int disk, const char* source,
                   const char* target, int size) {
    SCOPED_TRACE(testing::Message() << file << ":" << line);
    EXPECT_EQ(record.disk, disk);
    EXPECT_STREQ(record.sourceName, source);
    EXPECT_STREQ(record.targetName, target);
    EXPECT_EQ(record.size, size);
}

TEST(SplitFileEntry, Separators) {
    const char* cases[] = {
        "2,VANTRX32.EX_,VANTRX32.EXE,345000",       "2 VANTRX32.EX_ VANTRX32.EXE 345000",
        "2, VANTRX32.EX_ ,VANTRX32.EXE,   345000",  "  2,,VANTRX32.EX_  ,, VANTRX32.EXE ,345000  ",
        "2 VANTRX32.EX_ VANTRX32.EXE 345000 extra",
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        SCOPED_TRACE(i);
        FileRecord record;
        memset(&record, 0xcc, sizeof record);
        ASSERT_EQ(SplitFileEntry(cases[i], &record), 1);
        ExpectRecord(record, 2, "VANTRX32.EX_", "VANTRX32.EXE", 345000);
    }
}

TEST(SplitFileEntry, NumbersConvertLikeAtoi) {
    struct {
        const char* text;
        int disk, size;
    } cases[] = {{"x A B 12abc", 0, 12}, {"3a A B z", 3, 0}, {"-1 A B -7", -1, -7}, {"+4 A B 0010", 4, 10}};
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        SCOPED_TRACE(i);
        FileRecord record;
        ASSERT_EQ(SplitFileEntry(cases[i].text, &record), 1);
        EXPECT_EQ(record.disk, cases[i].disk);
        EXPECT_EQ(record.size, cases[i].size);
    }
}

TEST(SplitFileEntry, TooFewFieldsOrTooLongNames) {
    std::string name127(127, 'n'), name128(128, 'n');
    std::string cases[] = {"",
                           " , ,",
                           "1",
                           "1 A.EX_",
                           "1 A.EX_ A.EXE",
                           "1,A.EX_,A.EXE,",
                           "1 " + name128 + " A.EXE 10",
                           "1 A.EX_ " + name128 + " 10"};
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        SCOPED_TRACE(i);
        FileRecord record;
        memset(&record, 0xcc, sizeof record);
        EXPECT_EQ(SplitFileEntry(cases[i].c_str(), &record), 0);
        EXPECT_EQ((unsigned char)record.sourceName[0], 0xcc); // left untouched
    }
    FileRecord record;
    ASSERT_EQ(SplitFileEntry(("1 " + name127 + " " + name127 + " 5").c_str(), &record), 1);
    EXPECT_EQ(std::string(record.sourceName), name127);
    EXPECT_EQ(std::string(record.targetName), name127);
}

TEST_F(Script, ValidScriptFillsTheTable) {
    WriteScript("Version=1.BD\r\nFilecount=3\r\n"
                "file1=1,VANTRX32.EX_,VANTRX32.EXE,345000\r\n"
                "file2=1 ZELSERV.EX_ ZELSERV.EXE 20000\r\n"
                "file3=2, HELP\\VANTRX.HL_ , VANTRX.HLP, 7\r\n");
    BoxScript boxes;
    EXPECT_EQ(LoadSetupScript(), 1);
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_STREQ(g.versionText, "1.BD");
    ASSERT_EQ(g.fileCount, 3);
    ExpectRecord(g.fileTable[0], 1, "VANTRX32.EX_", "VANTRX32.EXE", 345000);
    ExpectRecord(g.fileTable[1], 1, "ZELSERV.EX_", "ZELSERV.EXE", 20000);
    ExpectRecord(g.fileTable[2], 2, "HELP\\VANTRX.HL_", "VANTRX.HLP", 7);
    EXPECT_EQ(g.requiredSpace, 365007u);
}

TEST_F(Script, SeparatorsGiveTheSameRecordThroughTheProfile) {
    WriteScript("Version=1.BD\r\nFilecount=4\r\n"
                "file1=2,A.EX_,A.EXE,100\r\n"
                "file2=2 A.EX_ A.EXE 100\r\n"
                "file3=  2 , A.EX_,, A.EXE ,100  \r\n"
                "file4=2,,A.EX_   A.EXE,100\r\n");
    ASSERT_EQ(LoadSetupScript(), 1);
    ASSERT_EQ(g.fileCount, 4);
    for (int k = 0; k < 4; ++k) {
        SCOPED_TRACE(k);
        ExpectRecord(g.fileTable[k], 2, "A.EX_", "A.EXE", 100);
    }
}

std::string Entries(int count) {
    std::string lines;
    for (int n = 1; n <= count; ++n)
        lines += "file" + std::to_string(n) + "=1 F" + std::to_string(n) + ".EX_ F" + std::to_string(n) +
                 ".EXE " + std::to_string(n * 10) + "\r\n";
    return lines;
}

TEST_F(Script, FilecountTakesTwoCharacters) {
    WriteScript("Version=1.BD\r\nFilecount=100\r\n" + Entries(12));
    ASSERT_EQ(LoadSetupScript(), 1);
    EXPECT_EQ(g.fileCount, 10);
    EXPECT_EQ(g.requiredSpace, 550u);
    ExpectRecord(g.fileTable[9], 1, "F10.EX_", "F10.EXE", 100);
}

TEST_F(Script, VersionTakesFourCharacters) {
    struct {
        const char* line;
        const char* expected;
    } cases[] = {{"Version=1.BDX\r\n", "1.BD"}, {"Version=1.K2\r\n", "1.K2"}, {"", "NO E"}};
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        SCOPED_TRACE(i);
        WriteScript(std::string(cases[i].line) + "Filecount=1\r\n" + Entries(1));
        memset(g.versionText, 0xcc, sizeof g.versionText);
        ASSERT_EQ(LoadSetupScript(), 1);
        EXPECT_STREQ(g.versionText, cases[i].expected);
    }
}

TEST_F(Script, MissingEntryEndsTheList) {
    WriteScript("Version=1.BD\r\nFilecount=5\r\n"
                "file1=1 A.EX_ A.EXE 1000\r\n"
                "file2=1 B.EX_ B.EXE 234\r\n"
                "file4=1 D.EX_ D.EXE 5\r\n"
                "file5=1 E.EX_ E.EXE 6\r\n");
    BoxScript boxes;
    ASSERT_EQ(LoadSetupScript(), 1);
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_EQ(g.fileCount, 2);
    EXPECT_EQ(g.requiredSpace, 1234u);
}

TEST_F(Script, Windows95WithOnlySetupIni) {
    g.osKind = kOsWin95;
    WriteScript("Version=1.BD\r\nFilecount=1\r\n" + Entries(1));
    BoxScript boxes;
    EXPECT_EQ(LoadSetupScript(), 0);
    ExpectRefused(boxes, kSetup95Invalid);
}

TEST_F(Script, Windows95ReadsSetup95Ini) {
    g.osKind = kOsWin95;
    WriteScript("Version=1.BD\r\nFilecount=1\r\n" + Entries(1));
    WriteScript("Version=9.5X\r\nFilecount=2\r\n" + Entries(2), "SETUP95.INI");
    ASSERT_EQ(LoadSetupScript(), 1);
    EXPECT_STREQ(g.versionText, "9.5X");
    EXPECT_EQ(g.fileCount, 2);
}

TEST_F(Script, UnusableScriptsAreRefused) {
    struct {
        const char* what;
        std::string lines;
    } cases[] = {
        {"Filecount absent", "Version=1.BD\r\n" + Entries(2)},
        {"Filecount 0", "Filecount=0\r\n" + Entries(2)},
        {"Filecount not a number", "Filecount=ab\r\n" + Entries(2)},
        {"Filecount negative", "Filecount=-1\r\n" + Entries(2)},
        {"Filecount above the table", "Filecount=27\r\n" + Entries(27)},
        {"empty list", "Filecount=3\r\nfile2=1 B B 1\r\n"},
        {"entry of three fields", "Filecount=3\r\n" + Entries(1) + "file2=1 B.EX_ B.EXE\r\n" + Entries(3)},
        {"entry of one field", "Filecount=2\r\nfile1=1\r\n"},
        {"negative size", "Filecount=1\r\nfile1=1 A A -5\r\n"},
        {"sizes past 4 GB", "Filecount=3\r\nfile1=1 A A 2147483647\r\nfile2=1 B B 2147483647\r\n"
                            "file3=1 C C 2147483647\r\n"},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        SCOPED_TRACE(cases[i].what);
        WriteScript(cases[i].lines);
        BoxScript boxes;
        EXPECT_EQ(LoadSetupScript(), 0);
        ExpectRefused(boxes, kSetupInvalid);
    }
}

TEST_F(Script, NoScriptAtAll) {
    BoxScript boxes;
    EXPECT_EQ(LoadSetupScript(), 0);
    ExpectRefused(boxes, kSetupInvalid);
}

TEST_F(Script, FullTableOf26) {
    WriteScript("Version=1.BD\r\nFilecount=26\r\n" + Entries(26));
    ASSERT_EQ(LoadSetupScript(), 1);
    EXPECT_EQ(g.fileCount, 26);
    EXPECT_EQ(g.requiredSpace, 3510u);
    ExpectRecord(g.fileTable[25], 1, "F26.EX_", "F26.EXE", 260);
}

TEST_F(Script, RefusalIsNotReconciled) {
    std::string gone = Installed("gone", "1.BD", "");
    BoxScript boxes;
    EXPECT_EQ(LoadSetupScript(), 0);
    EXPECT_EQ(GetTimesInstalled(), 1);
}

// Source directory and source name must fit the copy engine's 128-byte path.
TEST_F(Script, SourcePathMustFit) {
    std::string deep = source_ + "\\" + std::string(100 - source_.size() - 1, 'd');
    ASSERT_EQ(deep.size(), 100u);
    ASSERT_TRUE(CreateDirectoryA(deep.c_str(), NULL));
    ASSERT_TRUE(CopyText(g.sourceDir, sizeof g.sourceDir, deep.c_str()));
    std::string fits(26, 'f'), tooLong(27, 'g'); // 100 + 1 + 26 = 127 characters
    WriteScript("Filecount=1\r\nfile1=1 " + fits + " A.EXE 1\r\n");
    ASSERT_TRUE(CopyFileA((source_ + "\\SETUP.INI").c_str(), (deep + "\\SETUP.INI").c_str(), FALSE));
    ASSERT_EQ(LoadSetupScript(), 1);
    EXPECT_EQ(std::string(g.fileTable[0].sourceName), fits);

    WriteScript("Filecount=1\r\nfile1=1 " + tooLong + " A.EXE 1\r\n");
    ASSERT_TRUE(CopyFileA((source_ + "\\SETUP.INI").c_str(), (deep + "\\SETUP.INI").c_str(), FALSE));
    BoxScript boxes;
    EXPECT_EQ(LoadSetupScript(), 0);
    ExpectRefused(boxes, kSetupInvalid);
}

TEST_F(Script, ScriptPathThatDoesNotFitIsRefused) {
    std::string tooDeep(118, 'd'); // 118 + "\SETUP.INI" = 128 characters
    ASSERT_TRUE(CopyText(g.sourceDir, sizeof g.sourceDir, tooDeep.c_str()));
    BoxScript boxes;
    EXPECT_EQ(LoadSetupScript(), 0);
    ExpectRefused(boxes, kSetupInvalid);
}

TEST_F(Script, UninstallWithoutScriptReconciles) {
    g.runMode = kRunUninstall;
    std::string kept = Installed("kept", "1.BD", StampedFile(1, 'B', 'D'));
    std::string gone = Installed("gone", "1.BD", "");
    BoxScript boxes;
    EXPECT_EQ(LoadSetupScript(), 1);
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_EQ(g.fileCount, 0);
    EXPECT_EQ(GetTimesInstalled(), 1);
    EXPECT_EQ(Profile(g.historyPath, "Main", "number1"), kept);
    EXPECT_EQ(Profile(g.historyPath, gone.c_str(), "Version"), NO_ENTRY);
}

TEST_F(Script, DeletedExecutableDropsItsEntry) {
    std::string one = Installed("one", "1.BD", StampedFile(1, 'B', 'D'));
    std::string two = Installed("two", "1.BD", StampedFile(1, 'B', 'D'));
    std::string three = Installed("three", "1.BD", StampedFile(1, 'B', 'D'));
    ASSERT_TRUE(DeleteFileA((two + "\\VANTRX32.EXE").c_str()));
    ReconcileHistory();
    EXPECT_EQ(GetTimesInstalled(), 2);
    EXPECT_EQ(Profile(g.historyPath, "Main", "number1"), one);
    EXPECT_EQ(Profile(g.historyPath, "Main", "number2"), three);
    EXPECT_EQ(Profile(g.historyPath, "Main", "number3"), NO_ENTRY);
    EXPECT_EQ(Profile(g.historyPath, two.c_str(), "Version"), NO_ENTRY);
    EXPECT_EQ(Profile(g.historyPath, three.c_str(), "file1"), three + "\\VANTRX32.EXE");
}

TEST_F(Script, EveryStalePatternIsDropped) {
    // First and last gone, an unstamped one, and a hole in the numbering.
    std::string a = Installed("a", "1.BD", "");
    std::string b = Installed("b", "1.BD", StampedFile(1, 'B', 'D'));
    std::string c = Installed("c", "1.BD", std::string(5000, 'x'));
    std::string d = Installed("d", "1.BD", StampedFile(1, 'K', '2'));
    std::string e = Installed("e", "1.BD", "");
    WritePrivateProfileStringA("Main", "TimesInstalled", "6", g.historyPath); // number6 missing
    ReconcileHistory();
    EXPECT_EQ(GetTimesInstalled(), 3);
    EXPECT_EQ(Profile(g.historyPath, "Main", "number1"), b);
    EXPECT_EQ(Profile(g.historyPath, "Main", "number2"), d);
    EXPECT_EQ(Profile(g.historyPath, "Main", "number3"), NO_ENTRY);
    EXPECT_EQ(Profile(g.historyPath, d.c_str(), "Version"), "1.K2");
}

TEST_F(Script, RecordedVersionsFollowTheStamp) {
    std::string same = Installed("same", "1.BD", StampedFile(1, 'B', 'D'));
    std::string folded = Installed("folded", "1.bd", StampedFile(1, 'B', 'D'));
    std::string older = Installed("older", "1.AA", StampedFile(10, '0', '5'));
    std::string none = Installed("none", "", StampedFile(2, 'K', '2'));
    WritePrivateProfileStringA(none.c_str(), "Version", NULL, g.historyPath);
    ReconcileHistory();
    EXPECT_EQ(GetTimesInstalled(), 4);
    EXPECT_EQ(Profile(g.historyPath, same.c_str(), "Version"), "1.BD");
    EXPECT_EQ(Profile(g.historyPath, folded.c_str(), "Version"), "1.bd"); // differs only in case: kept
    EXPECT_EQ(Profile(g.historyPath, older.c_str(), "Version"), "10.05");
    EXPECT_EQ(Profile(g.historyPath, none.c_str(), "Version"), "2.K2");
    EXPECT_NE(ReadWholeFile(g.historyPath).find("Version=1.bd\r\n"), std::string::npos);
}

} // namespace

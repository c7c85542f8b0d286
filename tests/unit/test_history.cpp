// The install history file, written and read back through Wine's profile
// functions in a directory of each test's own.
#include "app/state.h"
#include "app/text.h"
#include "history/history.h"

#include "boxscript.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

#define ExpectHistory(section, key, expected) ExpectHistory_(__FILE__, __LINE__, section, key, expected)
void ExpectHistory_(const char* file, int line, const char* section, const char* key, const char* expected) {
    SCOPED_TRACE(testing::Message() << file << ":" << line << " [" << section << "] " << key);
    EXPECT_EQ(Profile(g.historyPath, section, key), expected);
}

class History : public testing::Test {
  protected:
    void SetUp() override {
        ResetAppState();
        dir_ = MakeTempDir("history");
        ASSERT_TRUE(CopyText(g.historyPath, sizeof g.historyPath, (dir_ + "\\ZELSETUP.INI").c_str()));
    }
    void TearDown() override {
        RemoveTree(dir_);
        EXPECT_EQ(GetFileAttributesA(dir_.c_str()), INVALID_FILE_ATTRIBUTES);
    }

    // Records an installation of directory with the given files, like a Setup run would.
    void Record(const char* directory, const char* version, std::vector<const char*> names) {
        ASSERT_TRUE(CopyText(g.installDir, sizeof g.installDir, directory));
        ASSERT_TRUE(CopyText(g.versionText, sizeof g.versionText, version));
        g.fileCount = (int)names.size();
        for (size_t k = 0; k < names.size(); ++k)
            ASSERT_TRUE(CopyText(g.fileTable[k].targetName, sizeof g.fileTable[k].targetName, names[k]));
        ASSERT_EQ(RecordInstallation(), 1);
    }

    // Writes a history file as given, for states a Setup run does not make.
    void WriteHistory(const std::string& text) {
        ASSERT_TRUE(WriteWholeFile(g.historyPath, text));
    }

    std::string dir_;
};

std::string WhenInstalledNow() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    char text[30];
    FormatWhenInstalled(now.wDayOfWeek, now.wMonth, now.wDay, now.wYear - 1900, text, sizeof text);
    return text;
}

TEST(WhenInstalled, Formats) {
    struct {
        int weekday, month, day, year;
        const char* expected;
    } cases[] = {
        {6, 3, 15, 97, "SAT 03/15/97"},    {6, 1, 1, 100, "SAT 01/01/100"}, {2, 9, 3, 96, "TUE 09/03/96"},
        {0, 12, 31, 126, "SUN 12/31/126"}, {1, 7, 4, 101, "MON 07/04/101"}, {5, 10, 9, 5, "FRI 10/09/05"},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        SCOPED_TRACE(i);
        char text[30];
        memset(text, 0xcc, sizeof text);
        FormatWhenInstalled(cases[i].weekday, cases[i].month, cases[i].day, cases[i].year, text, sizeof text);
        EXPECT_STREQ(text, cases[i].expected);
    }
}

TEST(WhenInstalled, TooSmallBufferGivesEmptyText) {
    char text[12];
    memset(text, 0xcc, sizeof text);
    FormatWhenInstalled(6, 1, 1, 100, text, sizeof text); // needs 14 bytes
    EXPECT_STREQ(text, "");
}

TEST_F(History, NoFileCountsZeroAndTheFirstRecordCreatesIt) {
    EXPECT_EQ(GetTimesInstalled(), 0);
    EXPECT_EQ(GetFileAttributesA(g.historyPath), INVALID_FILE_ATTRIBUTES);

    std::string before = WhenInstalledNow();
    Record("C:\\Vantrx", "1.BD", {"VANTRX32.EXE", "ZELSERV.EXE"});
    std::string after = WhenInstalledNow();

    EXPECT_EQ(GetTimesInstalled(), 1);
    std::string when = Profile(g.historyPath, "C:\\Vantrx", "WhenInstalled");
    EXPECT_TRUE(when == before || when == after) << when;
    // Keys in the order they are written; Wine's profile writer puts no blank line between sections.
    std::string expected = "[Main]\r\n"
                           "TimesInstalled=1\r\n"
                           "number1=C:\\Vantrx\r\n"
                           "[C:\\Vantrx]\r\n"
                           "Version=1.BD\r\n"
                           "Filecount=2\r\n"
                           "WhenInstalled=" +
                           when +
                           "\r\n"
                           "file1=C:\\Vantrx\\VANTRX32.EXE\r\n"
                           "file2=C:\\Vantrx\\ZELSERV.EXE\r\n";
    EXPECT_EQ(ReadWholeFile(g.historyPath), expected);
}

TEST_F(History, SecondRecordIsAddedAtTheEnd) {
    Record("C:\\Vantrx", "1.BD", {"VANTRX32.EXE"});
    Record("D:\\Other", "1.K2", {"A.EXE", "B.DLL", "C.HLP"});
    EXPECT_EQ(GetTimesInstalled(), 2);
    ExpectHistory("Main", "number1", "C:\\Vantrx");
    ExpectHistory("Main", "number2", "D:\\Other");
    ExpectHistory("D:\\Other", "Version", "1.K2");
    ExpectHistory("D:\\Other", "Filecount", "3");
    ExpectHistory("D:\\Other", "file3", "D:\\Other\\C.HLP");
    ExpectHistory("D:\\Other", "file4", NO_ENTRY);
    ExpectHistory("C:\\Vantrx", "Filecount", "1");
}

TEST_F(History, ThreeEntriesSecondRemoved) {
    Record("C:\\One", "1.BD", {"VANTRX32.EXE"});
    Record("C:\\Two", "1.BD", {"VANTRX32.EXE"});
    Record("C:\\Three", "1.BD", {"VANTRX32.EXE"});
    RemoveHistoryEntry("C:\\Two");
    EXPECT_EQ(GetTimesInstalled(), 2);
    ExpectHistory("Main", "number1", "C:\\One");
    ExpectHistory("Main", "number2", "C:\\Three");
    ExpectHistory("Main", "number3", NO_ENTRY);
    ExpectHistory("C:\\Two", "Version", NO_ENTRY);
    ExpectHistory("C:\\Two", "file1", NO_ENTRY);
    ExpectHistory("C:\\Three", "file1", "C:\\Three\\VANTRX32.EXE");
    std::string text = ReadWholeFile(g.historyPath);
    EXPECT_EQ(text.find("[C:\\Two]"), std::string::npos) << text;
    EXPECT_EQ(text.find("number3"), std::string::npos) << text;
}

TEST_F(History, NewestRemovedNothingMoves) {
    Record("C:\\One", "1.BD", {"VANTRX32.EXE"});
    Record("C:\\Two", "1.BD", {"VANTRX32.EXE"});
    RemoveHistoryEntry("C:\\Two");
    EXPECT_EQ(GetTimesInstalled(), 1);
    ExpectHistory("Main", "number1", "C:\\One");
    ExpectHistory("Main", "number2", NO_ENTRY);
    ExpectHistory("C:\\One", "Version", "1.BD");
}

TEST_F(History, LastEntryRemovedLeavesCountZero) {
    Record("C:\\One", "1.BD", {"VANTRX32.EXE"});
    RemoveHistoryEntry("C:\\One");
    EXPECT_EQ(GetTimesInstalled(), 0);
    ExpectHistory("Main", "TimesInstalled", "0");
    ExpectHistory("Main", "number1", NO_ENTRY);
    EXPECT_EQ(ReadWholeFile(g.historyPath), "[Main]\r\nTimesInstalled=0\r\n");
}

TEST_F(History, DirectoryMatchIgnoresLetterCase) {
    Record("C:\\VANTRX", "1.BD", {"VANTRX32.EXE"});
    Record("C:\\Later", "1.BD", {"VANTRX32.EXE"});
    RemoveHistoryEntry("c:\\vantrx");
    EXPECT_EQ(GetTimesInstalled(), 1);
    ExpectHistory("Main", "number1", "C:\\Later");
    ExpectHistory("C:\\VANTRX", "Version", NO_ENTRY); // profile sections match without regard to case too
}

TEST_F(History, TwoEntriesNamingOneDirectory) {
    Record("C:\\Same", "1.BD", {"VANTRX32.EXE"});
    Record("C:\\Middle", "1.BD", {"VANTRX32.EXE"});
    Record("C:\\Same", "1.BE", {"VANTRX32.EXE"});
    RemoveHistoryEntry("C:\\Same");
    EXPECT_EQ(GetTimesInstalled(), 2);
    ExpectHistory("Main", "number1", "C:\\Middle");
    ExpectHistory("Main", "number2", "C:\\Same");
    ExpectHistory("C:\\Same", "Version", NO_ENTRY);
    ExpectHistory("C:\\Same", "Filecount", NO_ENTRY);
}

TEST_F(History, DirectoryNotRecordedKeepsCountAndNumbering) {
    Record("C:\\One", "1.BD", {"VANTRX32.EXE"});
    Record("C:\\Two", "1.BD", {"VANTRX32.EXE"});
    // A section without a number entry, as a damaged file may hold.
    WritePrivateProfileStringA("C:\\Stray", "Version", "1.AA", g.historyPath);
    RemoveHistoryEntry("C:\\Stray");
    EXPECT_EQ(GetTimesInstalled(), 2);
    ExpectHistory("Main", "number1", "C:\\One");
    ExpectHistory("Main", "number2", "C:\\Two");
    ExpectHistory("C:\\Stray", "Version", NO_ENTRY);
    RemoveHistoryEntry("C:\\Nowhere");
    EXPECT_EQ(GetTimesInstalled(), 2);
}

TEST_F(History, RemovalOnAnEmptyHistoryChangesNothing) {
    RemoveHistoryEntry("C:\\One");
    EXPECT_EQ(GetTimesInstalled(), 0);
    ExpectHistory("Main", "TimesInstalled", NO_ENTRY);
}

TEST_F(History, HoleInTheNumberingMovesDownAsAHole) {
    WriteHistory("[Main]\r\nTimesInstalled=3\r\nnumber1=C:\\One\r\nnumber3=C:\\Three\r\n");
    RemoveHistoryEntry("C:\\One");
    EXPECT_EQ(GetTimesInstalled(), 2);
    ExpectHistory("Main", "number1", NO_ENTRY);
    ExpectHistory("Main", "number2", "C:\\Three");
    ExpectHistory("Main", "number3", NO_ENTRY);
    EXPECT_EQ(ReadWholeFile(g.historyPath).find("NO ENTRY"), std::string::npos);
}

TEST_F(History, TimesInstalledConvertsLikeAtoi) {
    struct {
        const char* value;
        int expected;
    } cases[] = {
        {"abc", 0}, {"", 0}, {"3", 3}, {"  7", 7}, {"12x", 12}, {"-2", 0}, {"999", 999}, {"123456789012", kHistoryLimit}};
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        SCOPED_TRACE(i);
        WritePrivateProfileStringA("Main", "TimesInstalled", cases[i].value, g.historyPath);
        EXPECT_EQ(GetTimesInstalled(), cases[i].expected); // read as at most 9 characters
    }
}

TEST_F(History, DirectoryEntryReadWriteDelete) {
    char text[128];
    memset(text, 0xcc, sizeof text);
    HistoryDirectoryEntry(0, 4, text);
    EXPECT_STREQ(text, NO_ENTRY);
    char value[] = "E:\\Apps\\Vantrx";
    HistoryDirectoryEntry(1, 4, value);
    ExpectHistory("Main", "number4", "E:\\Apps\\Vantrx");
    HistoryDirectoryEntry(0, 4, text);
    EXPECT_STREQ(text, value);
    HistoryDirectoryEntry(1, 4, NULL);
    ExpectHistory("Main", "number4", NO_ENTRY);
}

TEST_F(History, DirectoryEntryOf127CharactersReadsWhole) {
    std::string longest = "C:\\" + std::string(124, 'd');
    ASSERT_EQ(longest.size(), 127u);
    WritePrivateProfileStringA("Main", "number1", longest.c_str(), g.historyPath);
    char text[129];
    memset(text, 0xcc, sizeof text);
    HistoryDirectoryEntry(0, 1, text);
    EXPECT_EQ(std::string(text), longest);
    EXPECT_EQ((unsigned char)text[128], 0xcc); // never past the 128 bytes
}

TEST_F(History, FileListEntryServesAnyProfileFile) {
    std::string other = dir_ + "\\SETUP.INI";
    char value[] = "1 VANTRX32.EX_ VANTRX32.EXE 1000";
    FileListEntry(1, 2, value, "Main", other.c_str());
    EXPECT_EQ(Profile(other, "Main", "file2"), value);
    char text[128];
    FileListEntry(0, 2, text, "Main", other.c_str());
    EXPECT_STREQ(text, value);
    FileListEntry(0, 3, text, "Main", other.c_str());
    EXPECT_STREQ(text, NO_ENTRY);
    EXPECT_EQ(GetFileAttributesA(g.historyPath), INVALID_FILE_ATTRIBUTES);
}

TEST_F(History, FilePathThatDoesNotFitIsNotListed) {
    std::string directory = "C:\\" + std::string(110, 'd'); // 113 characters
    std::string fits(13, 'f');                              // 113 + 1 + 13 = 127
    std::string tooLong(14, 'g');                           // 128: one too many
    Record(directory.c_str(), "1.BD", {fits.c_str(), tooLong.c_str(), "LAST.EXE"});
    ExpectHistory(directory.c_str(), "Filecount", "2");
    ExpectHistory(directory.c_str(), "file1", (directory + "\\" + fits).c_str());
    ExpectHistory(directory.c_str(), "file2", (directory + "\\LAST.EXE").c_str());
    ExpectHistory(directory.c_str(), "file3", NO_ENTRY);
}

TEST_F(History, InstalledFilePathBounds) {
    CopyText(g.installDir, sizeof g.installDir, "C:\\Vantrx");
    CopyText(g.fileTable[0].targetName, sizeof g.fileTable[0].targetName, "VANTRX32.EXE");
    char path[128];
    EXPECT_EQ(InstalledFilePath(0, path, sizeof path), 1);
    EXPECT_STREQ(path, "C:\\Vantrx\\VANTRX32.EXE");
    char small[22]; // needs 23
    memset(small, 0xcc, sizeof small);
    EXPECT_EQ(InstalledFilePath(0, small, sizeof small), 0);
    EXPECT_STREQ(small, "");
    EXPECT_EQ(InstalledFilePath(-1, path, sizeof path), 0);
    EXPECT_EQ(InstalledFilePath(kMaxFiles, path, sizeof path), 0);
}

} // namespace

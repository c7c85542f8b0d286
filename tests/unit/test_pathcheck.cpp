// Path rules of the install-path page: the character check, completion of a
// typed entry, the free-space figures and messages, and directory creation.
#include "pages/pagekit.h"
#include "pages/pages.h"

#include "install/stamp.h"

#include "boxscript.h"

#include <gtest/gtest.h>

#include <string.h>
#include <string>

namespace {

TEST(IsValidPathName, Table) {
    struct {
        const char* name;
        int valid;
    } const cases[] = {
        {"", 1},
        {"C:\\Vantrx", 1},
        {"C:\\dir.one\\file.two", 1},
        {"C:\\Program Files\\Vantrx", 1},
        {"D:\\New Folder", 1},
        {"Vantrx", 1},
        {"\\Vantrx", 1},
        {"name.ext", 1},
        {".hidden", 1}, // the first dot at position 0 is not after the last separator
        {"C:\\a\\.b", 1},
        {"C:\\a.b\\c.d\\e.f", 1},
        {"C:\\x~y#z$(1)!@%'`{}[]+-_", 1},
        {"C:\\\xe4\xf6\xfc\xff", 1}, // bytes from 128 up
        {"a.b.c", 0},
        {"C:\\a.b.c", 0},
        {"C:\\dir.one\\file.two.three", 0},
        {"C:\\x:y", 0},
        {":", 0}, // a colon at position 0
        {"CC:\\x", 0},
        {"C::", 0},
        {"C:\\x\\..", 0}, // two dots in one component
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        SCOPED_TRACE(i);
        SCOPED_TRACE(cases[i].name);
        EXPECT_EQ(IsValidPathName(cases[i].name) != 0, cases[i].valid != 0);
    }
}

TEST(IsValidPathName, EachForbiddenCharacterAnywhere) {
    const char forbidden[] = "^&*=|;,<>?/\"";
    ASSERT_EQ(strlen(forbidden), 12u);
    const char* templates[] = {"%cC:\\Vantrx", "C%c:\\Vantrx", "C:\\Van%ctrx", "C:\\Vantrx%c", "%c"};
    for (size_t c = 0; c < 12; ++c) {
        for (size_t t = 0; t < sizeof templates / sizeof templates[0]; ++t) {
            char name[64];
            snprintf(name, sizeof name, templates[t], forbidden[c]);
            SCOPED_TRACE(name);
            EXPECT_EQ(IsValidPathName(name), 0);
        }
    }
}

TEST(CompleteInstallPath, Table) {
    struct {
        const char* entry;
        const char* source;
        const char* expected; // NULL: refused
    } const cases[] = {
        {"", "C:\\TEMP", "C:\\TEMP\\"},
        {"Vantrx", "A:", "A:\\Vantrx"},
        {"\\Vantrx", "A:", "A:\\Vantrx"},
        {"Vantrx", "C:\\TEMP", "C:\\TEMP\\Vantrx"},
        {"C:\\Vantrx", "A:", "C:\\Vantrx"},
        {"c:", "A:", "c:"},
        {"C", "A:", "A:\\C"},
        {"sub\\dir", "D:\\dist", "D:\\dist\\sub\\dir"},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        SCOPED_TRACE(i);
        char out[kInstallDirSize];
        memset(out, 0xcc, sizeof out);
        EXPECT_EQ(CompleteInstallPath(cases[i].entry, cases[i].source, out, sizeof out), 1);
        EXPECT_STREQ(out, cases[i].expected);
    }
}

TEST(CompleteInstallPath, LongerThan127IsRefusedNotCut) {
    std::string source = "C:\\" + std::string(100, 's'); // 103 characters
    char out[kInstallDirSize];
    // 103 + 1 + 23 = 127: fits exactly.
    std::string entry(23, 'e');
    ASSERT_EQ(CompleteInstallPath(entry.c_str(), source.c_str(), out, sizeof out), 1);
    EXPECT_EQ(strlen(out), 127u);
    EXPECT_EQ(std::string(out), source + "\\" + entry);
    // One more character: refused, and nothing usable is left behind.
    entry += 'x';
    memset(out, 0xcc, sizeof out);
    EXPECT_EQ(CompleteInstallPath(entry.c_str(), source.c_str(), out, sizeof out), 0);
    EXPECT_STREQ(out, "");
    // An entry starting with a backslash gets no second one: 103 + 24 fits.
    std::string rooted = "\\" + std::string(23, 'e');
    EXPECT_EQ(CompleteInstallPath(rooted.c_str(), source.c_str(), out, sizeof out), 1);
    EXPECT_EQ(strlen(out), 127u);
}

TEST(DriveRootOf, FirstThreeCharacters) {
    struct {
        const char* path;
        const char* root;
    } const cases[] = {
        {"C:\\Vantrx", "C:\\"}, {"C:\\", "C:\\"}, {"C:", "C:"}, {"", ""}, {"\\\\srv\\x", "\\\\s"}};
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        SCOPED_TRACE(i);
        char root[4];
        memset(root, 0xcc, sizeof root);
        DriveRootOf(cases[i].path, root);
        EXPECT_STREQ(root, cases[i].root);
    }
}

TEST(FreeBytes, DoesNotWrapAtFourGiB) {
    EXPECT_EQ(FreeBytes(512, 8, 1000), 4096000ull);
    // 4 GiB exactly: a 32-bit product would read 0 and refuse any install.
    EXPECT_EQ(FreeBytes(512, 8, 1048576), 4294967296ull);
    EXPECT_EQ(FreeBytes(4096, 64, 0xFFFFFFFFul), 4096ull * 64 * 0xFFFFFFFFull);
    EXPECT_GE(FreeBytes(512, 8, 1048576), (unsigned long long)0xFFFFFFFFu);
}

TEST(FormatNoSpaceMessage, ShowsLargeFiguresInFull) {
    char text[256];
    ASSERT_EQ(FormatNoSpaceMessage(text, sizeof text, "C:", 4000000ul, 123ull), 1);
    EXPECT_STREQ(
        text,
        "There is not enough free space on drive C:\n\nSpace Required:  4000000\nSpace Available:  123\n");
    ASSERT_EQ(FormatNoSpaceMessage(text, sizeof text, "Q:", 4294967295ul, 6442450944ull), 1);
    EXPECT_STREQ(
        text, "There is not enough free space on drive Q:\n\nSpace Required:  4294967295\nSpace Available:  "
              "6442450944\n");
}

TEST(FormatOverwriteQuestion, VersionFromStampAndFullPath) {
    unsigned char stamp[kStampSize];
    memset(stamp, 0xcc, sizeof stamp);
    stamp[kStampMajor] = 10;
    stamp[kStampMinor1] = '0';
    stamp[kStampMinor2] = '5';
    std::string dir = "C:\\" + std::string(124, 'd');
    char text[384];
    ASSERT_EQ(FormatOverwriteQuestion(text, sizeof text, stamp, dir.c_str()), 1);
    EXPECT_EQ(std::string(text), "ZEL Vantorix v10.05\nis already installed in:\n\n     " + dir +
                                     "\n\nDo you want to overwrite it?");
}

TEST(FormatOverwriteQuestion, UnreadableStampShowsZeroVersion) {
    unsigned char stamp[kStampSize];
    memset(stamp, 0xcc, sizeof stamp);
    UnknownVersionStamp(stamp);
    char text[384];
    ASSERT_EQ(FormatOverwriteQuestion(text, sizeof text, stamp, "C:\\Vantrx"), 1);
    EXPECT_STREQ(
        text,
        "ZEL Vantorix v0.00\nis already installed in:\n\n     C:\\Vantrx\n\nDo you want to overwrite it?");
}

class CreateDirectoryPathTest : public ::testing::Test {
  protected:
    void SetUp() override {
        base_ = MakeTempDir("mkpath");
        ASSERT_TRUE(DirectoryExists(base_.c_str()));
    }
    void TearDown() override {
        RemoveTree(base_);
        EXPECT_FALSE(DirectoryExists(base_.c_str()));
    }
    std::string base_;
};

TEST_F(CreateDirectoryPathTest, MakesEveryMissingLevel) {
    std::string a = base_ + "\\A";
    ASSERT_TRUE(CreateDirectoryA(a.c_str(), NULL));
    std::string abc = a + "\\B\\C";
    EXPECT_EQ(CreateDirectoryPath(abc.c_str()), 0);
    EXPECT_TRUE(DirectoryExists((a + "\\B").c_str()));
    EXPECT_TRUE(DirectoryExists(abc.c_str()));
}

TEST_F(CreateDirectoryPathTest, ExistingDirectoryCreatesNothing) {
    std::string a = base_ + "\\A";
    ASSERT_TRUE(CreateDirectoryA(a.c_str(), NULL));
    EXPECT_EQ(CreateDirectoryPath(a.c_str()), 0);
    EXPECT_EQ(CreateDirectoryPath((a + "\\").c_str()), 0);
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((a + "\\*").c_str(), &found);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    int entries = 0;
    do {
        if (strcmp(found.cFileName, ".") && strcmp(found.cFileName, ".."))
            ++entries;
    } while (FindNextFileA(search, &found));
    FindClose(search);
    EXPECT_EQ(entries, 0);
}

TEST_F(CreateDirectoryPathTest, TrailingBackslashAndPathsBeyondEightyCharacters) {
    // Lengths around the old 80-byte working buffer and up to the 127 the page allows.
    const size_t lengths[] = {75, 76, 80, 81, 100, 127};
    for (size_t i = 0; i < sizeof lengths / sizeof lengths[0]; ++i) {
        SCOPED_TRACE(lengths[i]);
        std::string path = base_ + "\\L" + std::to_string(i) + "\\";
        while (path.size() < lengths[i])
            path += (path.size() % 20 == 0) ? '\\' : 'x';
        if (path.back() == '\\')
            path.back() = 'y';
        ASSERT_EQ(path.size(), lengths[i]);
        EXPECT_EQ(CreateDirectoryPath(path.c_str()), 0);
        EXPECT_TRUE(DirectoryExists(path.c_str()));
        std::string slashed = path + "\\z\\";
        EXPECT_EQ(CreateDirectoryPath(slashed.c_str()), 0);
        EXPECT_TRUE(DirectoryExists((path + "\\z").c_str()));
    }
}

TEST_F(CreateDirectoryPathTest, ImpossiblePathReportsFailure) {
    // A file stands where a directory level should be.
    std::string file = base_ + "\\plain";
    ASSERT_TRUE(WriteWholeFile(file, "x"));
    EXPECT_EQ(CreateDirectoryPath((file + "\\sub").c_str()), 1);
    EXPECT_EQ(CreateDirectoryPath(file.c_str()), 1);
    EXPECT_EQ(CreateDirectoryPath(""), 1);
    std::string huge = base_ + "\\" + std::string(300, 'h');
    EXPECT_EQ(CreateDirectoryPath(huge.c_str()), 1);
}

} // namespace

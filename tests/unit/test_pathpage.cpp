// The install-path page driven in this process over a stand-in main window:
// name check, completion, free space, existence and the overwrite question.
#include "pages/pagekit.h"
#include "pages/pages.h"

#include "app/commands.h"
#include "app/state.h"
#include "history/history.h"
#include "install/stamp.h"
#include "resources/resource.h"

#include "boxscript.h"
#include "pagefixture.h"

#include <gtest/gtest.h>

#include <string.h>
#include <string>
#include <vector>

namespace {

const char kInvalid[] = "The pathname you have entered is invalid.";

class PathPageTest : public PageTest {
  protected:
    void SetUp() override {
        PageTest::SetUp();
        g.requiredSpace = 1000;
        strcpy(g.sourceDir, dir_.c_str());
        target_ = dir_ + "\\Target";
        ASSERT_TRUE(CreateDirectoryA(target_.c_str(), NULL));
    }
    // Opens the page, types entry and presses Continue.
    void Continue(const std::string& entry) {
        if (!page_ || !IsWindow(page_))
            Open(IDD_PATH, PathDlgProc);
        SetDlgItemTextA(page_, IDC_PATH_EDIT, entry.c_str());
        Click(IDC_CONTINUE);
    }
    void ExpectInvalidBox(size_t index) {
        ASSERT_GT(boxes_.boxes.size(), index);
        const RecordedBox& box = boxes_.boxes[index];
        EXPECT_EQ(box.text, kInvalid);
        EXPECT_EQ(box.caption, g.caption);
        EXPECT_EQ(box.icon, (UINT)MB_ICONINFORMATION);
        EXPECT_EQ(box.buttons, (UINT)MB_OK);
        EXPECT_EQ(box.owner, g.mainWindow);
    }
    // The page stayed open with the edit box focused and its text selected.
    void ExpectStayedSelected() {
        EXPECT_FALSE(Closed());
        EXPECT_TRUE(posted.empty());
        HWND edit = GetDlgItem(page_, IDC_PATH_EDIT);
        EXPECT_EQ(GetFocus(), edit);
        DWORD start = 0, end = 0;
        SendMessageA(edit, EM_GETSEL, (WPARAM)&start, (LPARAM)&end);
        EXPECT_EQ(start, 0u);
        EXPECT_EQ((int)end, GetWindowTextLengthA(edit));
    }
    void WriteStamp(const std::string& directory, int major, char minor1, char minor2) {
        std::string block(kStampSize, '\0');
        memcpy(&block[0], "zElSiG", 6);
        block[kStampMajor] = (char)major;
        block[kStampMinor1] = minor1;
        block[kStampMinor2] = minor2;
        ASSERT_TRUE(WriteWholeFile(directory + "\\VANTRX32.EXE", std::string(300, 'p') + block + "tail"));
    }
    void Record(int n, const std::string& directory) {
        WritePrivateProfileStringA("Main", ("number" + std::to_string(n)).c_str(), directory.c_str(),
                                   g.historyPath);
    }
    std::string target_;
};

TEST_F(PathPageTest, OpeningResetsRunModeAndShowsTheDirectory) {
    g.runMode = kRunReplace;
    Open(IDD_PATH, PathDlgProc);
    EXPECT_EQ(g.runMode, kRunSetup);
    EXPECT_EQ(Text(IDC_PATH_EDIT), "C:\\Vantrx");
    EXPECT_EQ(WindowText(page_), "ZEL Vantorix Setup");
    Click(IDCANCEL); // Escape: nothing
    EXPECT_FALSE(Closed());
    EXPECT_TRUE(posted.empty());
}

TEST_F(PathPageTest, RejectedNamesKeepThePage) {
    const char forbidden[] = "^&*=|;,<>?/\"";
    std::vector<std::string> names = {"a.b.c", "C:\\x:y", "C:\\a.b.c"};
    for (size_t i = 0; i < 12; ++i)
        names.push_back(target_ + "\\x" + forbidden[i] + "y");
    for (size_t i = 0; i < names.size(); ++i) {
        SCOPED_TRACE(names[i]);
        boxes_.boxes.clear();
        posted.clear();
        g.runMode = kRunReplace;
        Continue(names[i]);
        ExpectInvalidBox(0);
        EXPECT_EQ(boxes_.boxes.size(), 1u);
        EXPECT_EQ(g.runMode, kRunSetup);
        EXPECT_EQ(Text(IDC_PATH_EDIT), names[i]);
        ExpectStayedSelected();
    }
}

TEST_F(PathPageTest, AcceptedNamesGoOn) {
    const std::string dotted = target_ + "\\dir.one";
    const std::string spaced = target_ + "\\with some spaces";
    ASSERT_TRUE(CreateDirectoryA(dotted.c_str(), NULL));
    ASSERT_TRUE(CreateDirectoryA((dotted + "\\file.two").c_str(), NULL));
    ASSERT_TRUE(CreateDirectoryA(spaced.c_str(), NULL));
    struct {
        std::string entry;
        int osKind, next;
    } const cases[] = {
        {dotted + "\\file.two", kOsNt, kCmdComponents},
        {spaced, kOsNt, kCmdComponents},
        {spaced, kOsWin95, kCmdConfirm},
        {target_, kOsNt35, kCmdComponents},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        SCOPED_TRACE(i);
        posted.clear();
        g.osKind = cases[i].osKind;
        Continue(cases[i].entry);
        EXPECT_TRUE(Closed());
        EXPECT_EQ(posted, std::vector<int>({cases[i].next}));
        EXPECT_EQ(std::string(g.installDir), cases[i].entry);
        EXPECT_EQ(g.runMode, kRunSetup);
        DestroyWindow(page_);
    }
    EXPECT_TRUE(boxes_.boxes.empty());
}

TEST_F(PathPageTest, EmptyEntryBecomesTheSourceDirectory) {
    Continue("");
    EXPECT_TRUE(Closed());
    EXPECT_EQ(std::string(g.installDir), dir_ + "\\");
    EXPECT_EQ(posted, std::vector<int>({kCmdComponents}));
}

TEST_F(PathPageTest, RelativeEntriesCompleteAgainstTheSource) {
    const char* entries[] = {"Target", "\\Target"};
    for (const char* entry : entries) {
        SCOPED_TRACE(entry);
        posted.clear();
        Continue(entry);
        EXPECT_TRUE(Closed());
        EXPECT_EQ(std::string(g.installDir), target_);
        EXPECT_EQ(posted, std::vector<int>({kCmdComponents}));
        DestroyWindow(page_);
    }
}

TEST_F(PathPageTest, MissingDirectoryAsksToCreateIt) {
    const std::string missing = dir_ + "\\New Folder";
    const std::string question = "The path " + missing + " does not exist.\nWould you like to create it?";
    boxes_.Answer(IDCANCEL);
    Continue("New Folder"); // completed against the source, and shown in full
    ASSERT_EQ(boxes_.boxes.size(), 1u);
    EXPECT_EQ(boxes_.boxes[0].text, question);
    EXPECT_EQ(boxes_.boxes[0].caption, "Setup");
    EXPECT_EQ(boxes_.boxes[0].icon, (UINT)MB_ICONEXCLAMATION);
    EXPECT_EQ(boxes_.boxes[0].buttons, (UINT)MB_OKCANCEL);
    EXPECT_EQ(boxes_.boxes[0].owner, page_);
    // Cancel: the page stays with the text as typed.
    EXPECT_EQ(Text(IDC_PATH_EDIT), "New Folder");
    ExpectStayedSelected();

    boxes_.Answer(IDOK);
    Continue(missing);
    ASSERT_EQ(boxes_.boxes.size(), 2u);
    EXPECT_EQ(boxes_.boxes[1].text, question);
    EXPECT_TRUE(Closed());
    EXPECT_EQ(posted, std::vector<int>({kCmdComponents}));
    EXPECT_FALSE(DirectoryExists(missing.c_str())) << "the page itself creates nothing";
}

TEST_F(PathPageTest, CompletionLongerThan127IsRefused) {
    // Source of 110 characters: "Target" fits, twenty more characters do not.
    std::string source = dir_;
    while (source.size() < 110)
        source += "\\s";
    source.resize(110);
    strcpy(g.sourceDir, source.c_str());
    std::string entry(20, 'e');
    Continue(entry);
    ExpectInvalidBox(0);
    EXPECT_EQ(Text(IDC_PATH_EDIT), entry);
    EXPECT_EQ(std::string(g.installDir), entry);
    ExpectStayedSelected();
}

TEST_F(PathPageTest, EntryLongerThanTheFieldIsRefusedWhole) {
    std::string entry = target_ + "\\" + std::string(140, 'L');
    Open(IDD_PATH, PathDlgProc);
    // The edit box takes at most 127 characters from the keyboard ...
    EXPECT_EQ(SendDlgItemMessageA(page_, IDC_PATH_EDIT, EM_GETLIMITTEXT, 0, 0), 127);
    // ... but text set from outside is not limited: refuse it rather than cut it.
    Continue(entry);
    ExpectInvalidBox(0);
    EXPECT_EQ(Text(IDC_PATH_EDIT), entry);
    ExpectStayedSelected();
}

TEST_F(PathPageTest, UnknownDriveIsAnInvalidPath) {
    // Find a drive letter that the prefix does not map.
    char drive = 0;
    for (char c = 'Q'; c <= 'Y' && !drive; ++c) {
        char root[4] = {c, ':', '\\', 0};
        if (GetDriveTypeA(root) == DRIVE_NO_ROOT_DIR)
            drive = c;
    }
    if (!drive)
        GTEST_SKIP() << "every drive letter from Q to Y is mapped";
    std::string entry = std::string(1, drive) + ":\\Vantrx";
    Continue(entry);
    ExpectInvalidBox(0);
    EXPECT_EQ(boxes_.boxes.size(), 1u);
    ExpectStayedSelected();
}

TEST_F(PathPageTest, FourGiBOfFreeSpaceDoesNotWrap) {
    ULARGE_INTEGER available, total, freeBytes;
    char root[4];
    DriveRootOf(target_.c_str(), root);
    ASSERT_TRUE(GetDiskFreeSpaceExA(root, &available, &total, &freeBytes));
    if (available.QuadPart <= 0x100000000ull)
        GTEST_SKIP() << "the test drive has less than 4 GiB free";
    // Every required size a 32-bit count can hold fits on this drive.
    g.requiredSpace = 0xFFFFFFFFu;
    Continue(target_);
    EXPECT_TRUE(boxes_.boxes.empty());
    EXPECT_TRUE(Closed());
    EXPECT_EQ(posted, std::vector<int>({kCmdComponents}));
}

TEST_F(PathPageTest, InstallHistoryAndExitTakeTheEntryUnchecked) {
    Open(IDD_PATH, PathDlgProc);
    SetDlgItemTextA(page_, IDC_PATH_EDIT, "not*checked");
    Click(IDC_INSTALL_HISTORY);
    EXPECT_TRUE(Closed());
    EXPECT_EQ(posted, std::vector<int>({kCmdHistory}));
    EXPECT_STREQ(g.installDir, "not*checked");
    DestroyWindow(page_);

    posted.clear();
    Open(IDD_PATH, PathDlgProc);
    SetDlgItemTextA(page_, IDC_PATH_EDIT, "x|y");
    Click(IDC_EXIT);
    EXPECT_TRUE(Closed());
    EXPECT_EQ(posted, std::vector<int>({kCmdExit}));
    EXPECT_EQ(g.backCommand, kCmdPath);
    EXPECT_STREQ(g.installDir, "x|y");
    EXPECT_TRUE(boxes_.boxes.empty());
}

// ---- recorded installations (need the history file and stamp reader)

class RecordedPathTest : public PathPageTest {
  protected:
    void SetUp() override {
        PathPageTest::SetUp();
    }
    std::string Question(const char* version, const std::string& directory) {
        return std::string("ZEL Vantorix v") + version + "\nis already installed in:\n\n     " + directory +
               "\n\nDo you want to overwrite it?";
    }
};

TEST_F(RecordedPathTest, OverwriteQuestionShowsTheStampVersion) {
    WriteStamp(target_, 2, '1', 'A');
    WritePrivateProfileStringA("Main", "TimesInstalled", "1", g.historyPath);
    Record(1, target_);
    boxes_.Answer(IDYES);
    Continue(target_);
    ASSERT_EQ(boxes_.boxes.size(), 1u);
    EXPECT_EQ(boxes_.boxes[0].text, Question("2.1A", target_));
    EXPECT_EQ(boxes_.boxes[0].caption, "Setup");
    EXPECT_EQ(boxes_.boxes[0].icon, (UINT)MB_ICONEXCLAMATION);
    EXPECT_EQ(boxes_.boxes[0].buttons, (UINT)MB_YESNO);
    EXPECT_EQ(boxes_.boxes[0].owner, page_);
    EXPECT_TRUE(Closed());
    EXPECT_EQ(g.runMode, kRunReplace);
    EXPECT_EQ(posted, std::vector<int>({kCmdComponents}));
}

TEST_F(RecordedPathTest, NoKeepsThePageInSetupMode) {
    WriteStamp(target_, 1, 'B', 'D');
    WritePrivateProfileStringA("Main", "TimesInstalled", "1", g.historyPath);
    Record(1, target_);
    boxes_.Answer(IDNO);
    Continue(target_);
    ASSERT_EQ(boxes_.boxes.size(), 1u);
    EXPECT_EQ(g.runMode, kRunSetup);
    EXPECT_EQ(Text(IDC_PATH_EDIT), target_);
    ExpectStayedSelected();
}

TEST_F(RecordedPathTest, UnreadableStampShowsVersionZero) {
    ASSERT_TRUE(WriteWholeFile(target_ + "\\VANTRX32.EXE", "no signature here"));
    WritePrivateProfileStringA("Main", "TimesInstalled", "1", g.historyPath);
    Record(1, target_);
    boxes_.Answer(IDNO);
    Continue(target_);
    ASSERT_EQ(boxes_.boxes.size(), 1u);
    EXPECT_EQ(boxes_.boxes[0].text, Question("0.00", target_));
}

TEST_F(RecordedPathTest, ComparisonIgnoresCaseButNothingElse) {
    WriteStamp(target_, 1, 'B', 'D');
    WritePrivateProfileStringA("Main", "TimesInstalled", "1", g.historyPath);
    std::string upper = target_;
    for (char& c : upper)
        c = (char)toupper((unsigned char)c);
    Record(1, upper);
    boxes_.Answer(IDYES);
    Continue(target_); // other letter case: the same directory
    EXPECT_EQ(boxes_.boxes.size(), 1u);
    EXPECT_EQ(g.runMode, kRunReplace);
    DestroyWindow(page_);

    posted.clear();
    Continue(target_ + "\\"); // trailing backslash: not the recorded text
    EXPECT_EQ(boxes_.boxes.size(), 1u);
    EXPECT_TRUE(Closed());
    EXPECT_EQ(g.runMode, kRunSetup);
    EXPECT_EQ(posted, std::vector<int>({kCmdComponents}));
}

TEST_F(RecordedPathTest, RecordedTwiceAsksTwice) {
    WriteStamp(target_, 1, 'B', 'D');
    WritePrivateProfileStringA("Main", "TimesInstalled", "3", g.historyPath);
    Record(1, target_);
    Record(2, dir_ + "\\Elsewhere");
    Record(3, target_);
    boxes_.Answer(IDYES);
    boxes_.Answer(IDYES);
    Continue(target_);
    EXPECT_EQ(boxes_.boxes.size(), 2u);
    EXPECT_EQ(g.runMode, kRunReplace);
    EXPECT_TRUE(Closed());
    DestroyWindow(page_);

    // No on the second question resets the run mode and keeps the page.
    posted.clear();
    boxes_.boxes.clear();
    boxes_.Answer(IDYES);
    boxes_.Answer(IDNO);
    Continue(target_);
    EXPECT_EQ(boxes_.boxes.size(), 2u);
    EXPECT_EQ(g.runMode, kRunSetup);
    ExpectStayedSelected();
}

} // namespace

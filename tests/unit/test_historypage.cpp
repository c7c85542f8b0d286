// The version-history page driven in this process: its rows, built from a
// history file written here, and where OK and Cancel lead in both run modes.
#include "pages/pages.h"

#include "app/commands.h"
#include "app/state.h"
#include "resources/resource.h"

#include "boxscript.h"
#include "pagefixture.h"

#include <gtest/gtest.h>

#include <string.h>
#include <string>
#include <vector>

namespace {

class HistoryPageTest : public PageTest {
  protected:
    // Writes entry n: its directory, and Version / WhenInstalled unless NULL.
    void Entry(int n, const std::string& directory, const char* version, const char* when) {
        WritePrivateProfileStringA("Main", ("number" + std::to_string(n)).c_str(), directory.c_str(),
                                   g.historyPath);
        if (version)
            WritePrivateProfileStringA(directory.c_str(), "Version", version, g.historyPath);
        if (when)
            WritePrivateProfileStringA(directory.c_str(), "WhenInstalled", when, g.historyPath);
    }
    void Count(int n) {
        WritePrivateProfileStringA("Main", "TimesInstalled", std::to_string(n).c_str(), g.historyPath);
    }
    std::vector<std::string> Rows() {
        HWND list = GetDlgItem(page_, IDC_HISTORY_LIST);
        std::vector<std::string> rows;
        int count = (int)SendMessageA(list, LB_GETCOUNT, 0, 0);
        for (int i = 0; i < count; ++i) {
            char row[512] = "";
            if (SendMessageA(list, LB_GETTEXTLEN, i, 0) < (LRESULT)sizeof row)
                SendMessageA(list, LB_GETTEXT, i, (LPARAM)row);
            rows.push_back(row);
        }
        return rows;
    }
    void Select(int row) {
        SendDlgItemMessageA(page_, IDC_HISTORY_LIST, LB_SETCURSEL, (WPARAM)row, 0);
    }
    // Three entries: the second without a Version, the third without a date.
    void ThreeEntries() {
        Count(4);
        Entry(1, "C:\\Vantrx", "1.BD", "TUE 09/03/96");
        Entry(2, "D:\\NoVersion", NULL, "WED 09/04/96");
        Entry(3, long_, "2.0A", NULL);
        Entry(4, "E:\\Last", "1.BE", "SAT 01/01/100");
    }
    std::string long_ = "F:\\" + std::string(110, 'v') + "\\deep\\dir"; // shown whole
};

TEST_F(HistoryPageTest, NoRecordsShowOneDisabledNoneRow) {
    Open(IDD_HISTORY, HistoryDlgProc);
    EXPECT_EQ(WindowText(page_), "ZEL Vantorix Setup");
    EXPECT_EQ(Rows(), std::vector<std::string>({"None"}));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page_, IDC_HISTORY_LIST)));
    EXPECT_EQ(Text(IDC_HISTORY_HINT), "");
    // OK finds no row: back to the path page as a new installation.
    g.runMode = kRunReplace;
    Click(IDOK);
    EXPECT_TRUE(Closed());
    EXPECT_EQ(g.runMode, kRunSetup);
    EXPECT_EQ(posted, std::vector<int>({kCmdPath}));
}

TEST_F(HistoryPageTest, RowsInHistoryOrder) {
    ThreeEntries();
    Open(IDD_HISTORY, HistoryDlgProc);
    EXPECT_EQ(Rows(), std::vector<std::string>({
                          "v1.BD   installed   TUE 09/03/96   into   C:\\Vantrx",
                          "v2.0A   installed   NO ENTRY   into   " + long_,
                          "v1.BE   installed   SAT 01/01/100   into   E:\\Last",
                      }));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(page_, IDC_HISTORY_LIST)));
    EXPECT_EQ(Text(IDC_HISTORY_HINT),
              "To replace an existing version of Vantorix, click on that version and then choose OK.");
}

TEST_F(HistoryPageTest, SetupOkWithARowReplacesThatEntry) {
    struct {
        int osKind, row;
        std::string directory;
        int next;
    } const cases[] = {
        {kOsNt, 1, long_, kCmdComponents}, // the row after the skipped entry acts on its own entry
        {kOsWin95, 2, "E:\\Last", kCmdConfirm},
        {kOsNt, 0, "C:\\Vantrx", kCmdComponents},
    };
    ThreeEntries();
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        SCOPED_TRACE(i);
        posted.clear();
        g.osKind = cases[i].osKind;
        g.runMode = kRunSetup;
        strcpy(g.installDir, "unchanged");
        Open(IDD_HISTORY, HistoryDlgProc);
        Select(cases[i].row);
        Click(IDOK);
        EXPECT_TRUE(Closed());
        EXPECT_EQ(std::string(g.installDir), cases[i].directory);
        EXPECT_EQ(g.runMode, kRunReplace);
        EXPECT_EQ(posted, std::vector<int>({cases[i].next}));
        DestroyWindow(page_);
    }
    EXPECT_TRUE(boxes_.boxes.empty());
}

TEST_F(HistoryPageTest, SetupOkWithoutARowAndCancelReturnToThePath) {
    ThreeEntries();
    Open(IDD_HISTORY, HistoryDlgProc);
    Click(IDOK);
    EXPECT_TRUE(Closed());
    EXPECT_EQ(g.runMode, kRunSetup);
    EXPECT_EQ(posted, std::vector<int>({kCmdPath}));
    DestroyWindow(page_);

    posted.clear();
    Open(IDD_HISTORY, HistoryDlgProc);
    Select(0);
    Click(IDCANCEL);
    EXPECT_TRUE(Closed());
    EXPECT_EQ(posted, std::vector<int>({kCmdPath}));
    EXPECT_STREQ(g.installDir, "C:\\Vantrx");
    EXPECT_TRUE(boxes_.boxes.empty());
}

TEST_F(HistoryPageTest, ListNotificationsChangeNothing) {
    ThreeEntries();
    Open(IDD_HISTORY, HistoryDlgProc);
    Select(0);
    HWND list = GetDlgItem(page_, IDC_HISTORY_LIST);
    SendMessageA(page_, WM_COMMAND, MAKEWPARAM(IDC_HISTORY_LIST, LBN_DBLCLK), (LPARAM)list);
    SendMessageA(page_, WM_COMMAND, MAKEWPARAM(IDC_HISTORY_LIST, LBN_SELCHANGE), (LPARAM)list);
    SendMessageA(page_, WM_COMMAND, MAKEWPARAM(IDOK, 1), 0);
    Pump();
    EXPECT_FALSE(Closed());
    EXPECT_TRUE(posted.empty());
}

TEST_F(HistoryPageTest, UninstallOkWithoutARowAsksAndStays) {
    g.runMode = kRunUninstall;
    strcpy(g.caption, "ZEL Vantorix UnInstall");
    ThreeEntries();
    Open(IDD_HISTORY, HistoryDlgProc);
    EXPECT_EQ(WindowText(page_), "ZEL Vantorix UnInstall");
    EXPECT_EQ(Text(IDC_HISTORY_HINT),
              "Click on the version of ZEL Vantorix you wish to\nuninstall and then choose OK.");
    Click(IDOK);
    ASSERT_EQ(boxes_.boxes.size(), 1u);
    EXPECT_EQ(boxes_.boxes[0].text, "You must select a version to uninstall \nor choose CANCEL to exit.");
    EXPECT_EQ(boxes_.boxes[0].caption, "UnInstall");
    EXPECT_EQ(boxes_.boxes[0].icon, (UINT)MB_ICONEXCLAMATION);
    EXPECT_EQ(boxes_.boxes[0].buttons, (UINT)MB_OK);
    EXPECT_EQ(boxes_.boxes[0].owner, page_);
    EXPECT_FALSE(Closed());
    EXPECT_TRUE(posted.empty());
    EXPECT_EQ(g.runMode, kRunUninstall);
}

TEST_F(HistoryPageTest, UninstallCancelEndsWithTheUninstallCaption) {
    g.runMode = kRunUninstall;
    strcpy(g.caption, "ZEL Vantorix UnInstall");
    ThreeEntries();
    Open(IDD_HISTORY, HistoryDlgProc);
    Click(IDCANCEL);
    EXPECT_TRUE(Closed());
    ASSERT_EQ(boxes_.boxes.size(), 1u);
    EXPECT_EQ(boxes_.boxes[0].text, "UnInstall has not changed your system in any way.");
    EXPECT_EQ(boxes_.boxes[0].caption, "UnInstall");
    EXPECT_EQ(boxes_.boxes[0].icon, (UINT)MB_ICONINFORMATION);
    EXPECT_EQ(boxes_.boxes[0].owner, page_);
    EXPECT_EQ(posted, std::vector<int>({kEnd}));
}

} // namespace

// The page procedures driven in this process: each page is created from its
// template over a stand-in main window that records the wizard commands and
// the end request the page posts; message boxes are answered by BoxScript.
#include "pages/pagekit.h"
#include "pages/pages.h"

#include "app/commands.h"
#include "app/mainwnd.h"
#include "app/paint.h"
#include "app/state.h"
#include "install/stamp.h"
#include "resources/resource.h"

#include "boxscript.h"
#include "pagefixture.h"

#include <gtest/gtest.h>

#include <string.h>
#include <string>
#include <vector>

namespace {

// Control-colour messages: every page answers them with SetCtlColors.
TEST_F(PageTest, EveryPageAnswersControlColours) {
    struct {
        int id;
        DLGPROC proc;
    } const pages[] = {{IDD_WELCOME, WelcomeDlgProc}, {IDD_PATH, PathDlgProc},
                       {IDD_HISTORY, HistoryDlgProc}, {IDD_CONFIRM, ConfirmDlgProc},
                       {IDD_EXIT, ExitDlgProc},       {IDD_COMPONENTS, ComponentsDlgProc}};
    HDC dc = GetDC(g.mainWindow);
    HBRUSH expected = SetCtlColors(dc);
    ASSERT_NE(expected, (HBRUSH)NULL);
    for (const auto& p : pages) {
        SCOPED_TRACE(p.id);
        Open(p.id, p.proc);
        ASSERT_NE(page_, (HWND)NULL);
        for (UINT message = WM_CTLCOLORMSGBOX; message <= WM_CTLCOLORSTATIC; ++message) {
            SCOPED_TRACE(message);
            EXPECT_EQ(p.proc(page_, message, (WPARAM)dc, 0), (INT_PTR)expected);
        }
        EXPECT_EQ(p.proc(page_, WM_TIMER, (WPARAM)dc, 0), FALSE);
        DestroyWindow(page_);
    }
    ReleaseDC(g.mainWindow, dc);
}

TEST_F(PageTest, PagesAreCentredOverTheMainWindow) {
    Open(IDD_CONFIRM, ConfirmDlgProc);
    RECT mainRect, pageRect;
    GetWindowRect(g.mainWindow, &mainRect);
    GetWindowRect(page_, &pageRect);
    EXPECT_NEAR((pageRect.left + pageRect.right) / 2, (mainRect.left + mainRect.right) / 2, 1);
    EXPECT_NEAR((pageRect.top + pageRect.bottom) / 2, (mainRect.top + mainRect.bottom) / 2, 1);
}

// ---- welcome page

TEST_F(PageTest, WelcomeSetupContinueAndExit) {
    Open(IDD_WELCOME, WelcomeDlgProc);
    EXPECT_EQ(WindowText(page_), "ZEL Vantorix Setup");
    EXPECT_EQ(Text(IDC_WELCOME_TEXT), "This program will install Vantorix onto your system.");
    Click(IDCANCEL); // Escape does nothing
    EXPECT_FALSE(Closed());
    Click(IDC_CONTINUE);
    EXPECT_TRUE(Closed());
    EXPECT_EQ(posted, std::vector<int>({kCmdPath}));

    posted.clear();
    g.backCommand = 0;
    Open(IDD_WELCOME, WelcomeDlgProc);
    Click(IDC_EXIT);
    EXPECT_TRUE(Closed());
    EXPECT_EQ(posted, std::vector<int>({kCmdExit}));
    EXPECT_EQ(g.backCommand, kCmdWelcome);
    EXPECT_TRUE(boxes_.boxes.empty());
}

TEST_F(PageTest, WelcomeUninstallExitEndsWithOneMessage) {
    g.runMode = kRunUninstall;
    strcpy(g.caption, "ZEL Vantorix UnInstall");
    Open(IDD_WELCOME, WelcomeDlgProc);
    EXPECT_EQ(WindowText(page_), "ZEL Vantorix UnInstall");
    EXPECT_EQ(Text(IDC_WELCOME_TEXT), "This program will uninstall Vantorix from\nyour system.");
    Click(IDC_EXIT);
    EXPECT_TRUE(Closed());
    EXPECT_EQ(posted, std::vector<int>({kEnd}));
    ASSERT_EQ(boxes_.boxes.size(), 1u);
    EXPECT_EQ(boxes_.boxes[0].text, "UnInstall has not changed your system in any way.");
    EXPECT_EQ(boxes_.boxes[0].caption, "ZEL Vantorix UnInstall");
    EXPECT_EQ(boxes_.boxes[0].icon, (UINT)MB_ICONINFORMATION);
    EXPECT_EQ(boxes_.boxes[0].buttons, (UINT)MB_OK);
    EXPECT_EQ(boxes_.boxes[0].owner, page_);
}

TEST_F(PageTest, WelcomeUninstallCountOneWithoutEntryIsCorrupt) {
    g.runMode = kRunUninstall;
    strcpy(g.caption, "ZEL Vantorix UnInstall");
    WritePrivateProfileStringA("Main", "TimesInstalled", "1", g.historyPath);
    Open(IDD_WELCOME, WelcomeDlgProc);
    Click(IDC_CONTINUE);
    EXPECT_TRUE(Closed());
    EXPECT_EQ(posted, std::vector<int>({kEnd}));
    ASSERT_EQ(boxes_.boxes.size(), 1u);
    EXPECT_EQ(boxes_.boxes[0].text,
              "The file ZELSETUP.INI is corrupt.\nUnInstall cannot continue.  Exiting.");
    EXPECT_EQ(boxes_.boxes[0].caption, "UnInstall");
    EXPECT_EQ(boxes_.boxes[0].icon, 0u);
    EXPECT_EQ(boxes_.boxes[0].owner, g.mainWindow);
}

TEST_F(PageTest, WelcomeUninstallAnyCountButOneOpensTheList) {
    const char* counts[] = {"2", "3", "0", "-1"};
    for (const char* count : counts) {
        SCOPED_TRACE(count);
        posted.clear();
        g.runMode = kRunUninstall;
        WritePrivateProfileStringA("Main", "TimesInstalled", count, g.historyPath);
        Open(IDD_WELCOME, WelcomeDlgProc);
        Click(IDC_CONTINUE);
        EXPECT_TRUE(Closed());
        EXPECT_EQ(posted, std::vector<int>({kCmdHistory}));
        DestroyWindow(page_);
    }
    EXPECT_TRUE(boxes_.boxes.empty());
}

// ---- components page

TEST_F(PageTest, ComponentsTakeAndStoreTheFlags) {
    struct {
        int button;
        int app, snmp;         // boxes as the user leaves them
        int next, backCommand; // what follows
    } const cases[] = {
        {IDC_CONTINUE, 0, 0, kCmdConfirm, 0},
        {IDC_CONTINUE, 1, 0, kCmdConfirm, 0},
        {IDC_COMPONENTS_BACK, 0, 1, kCmdPath, 0},
        {IDC_EXIT, 0, 0, kCmdExit, kCmdConfirm},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        SCOPED_TRACE(i);
        posted.clear();
        g.installApp = 1;
        g.installSnmp = 1;
        g.backCommand = 0;
        Open(IDD_COMPONENTS, ComponentsDlgProc);
        EXPECT_EQ(IsDlgButtonChecked(page_, IDC_APP_CHECK), (UINT)BST_CHECKED);
        EXPECT_EQ(IsDlgButtonChecked(page_, IDC_SNMP_CHECK), (UINT)BST_CHECKED);
        Click(IDCANCEL); // Escape: nothing
        EXPECT_FALSE(Closed());
        CheckDlgButton(page_, IDC_APP_CHECK, cases[i].app ? BST_CHECKED : BST_UNCHECKED);
        CheckDlgButton(page_, IDC_SNMP_CHECK, cases[i].snmp ? BST_CHECKED : BST_UNCHECKED);
        Click(cases[i].button);
        EXPECT_TRUE(Closed());
        EXPECT_EQ(g.installApp, cases[i].app);
        EXPECT_EQ(g.installSnmp, cases[i].snmp);
        EXPECT_EQ(posted, std::vector<int>({cases[i].next}));
        EXPECT_EQ(g.backCommand, cases[i].backCommand);
        DestroyWindow(page_);
    }
}

TEST_F(PageTest, ComponentsShowClearedFlags) {
    g.installApp = 0;
    g.installSnmp = 1;
    Open(IDD_COMPONENTS, ComponentsDlgProc);
    EXPECT_EQ(IsDlgButtonChecked(page_, IDC_APP_CHECK), (UINT)BST_UNCHECKED);
    EXPECT_EQ(IsDlgButtonChecked(page_, IDC_SNMP_CHECK), (UINT)BST_CHECKED);
}

// ---- confirmation page

TEST_F(PageTest, ConfirmationRoutes) {
    struct {
        int osKind, button, next, backCommand;
    } const cases[] = {
        {kOsNt, IDC_CONTINUE, kCmdCopy, 0},   {kOsWin95, IDC_CONTINUE, kCmdCopy, 0},
        {kOsNt, IDC_BACK, kCmdComponents, 0}, {kOsNt31, IDC_BACK, kCmdComponents, 0},
        {kOsWin95, IDC_BACK, kCmdPath, 0},    {kOsNt, IDC_EXIT, kCmdExit, kCmdConfirm},
    };
    std::string dir = "C:\\" + std::string(120, 'd') + "\\end"; // shown whole
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        SCOPED_TRACE(i);
        posted.clear();
        g.osKind = cases[i].osKind;
        g.backCommand = 0;
        strcpy(g.installDir, dir.c_str());
        Open(IDD_CONFIRM, ConfirmDlgProc);
        EXPECT_EQ(Text(IDC_CONFIRM_DIR), dir);
        Click(IDCANCEL);
        EXPECT_FALSE(Closed());
        Click(cases[i].button);
        EXPECT_TRUE(Closed());
        EXPECT_EQ(posted, std::vector<int>({cases[i].next}));
        EXPECT_EQ(g.backCommand, cases[i].backCommand);
        DestroyWindow(page_);
    }
    EXPECT_TRUE(boxes_.boxes.empty());
}

// ---- exit confirmation page

TEST_F(PageTest, ExitPageBackExitAndEscape) {
    struct {
        int backCommand, button, next;
    } const cases[] = {
        {kCmdWelcome, IDC_BACK, kCmdWelcome},
        {kCmdPath, IDC_BACK, kCmdPath},
        {kCmdConfirm, IDC_BACK, kCmdConfirm},
        {kCmdPath, IDC_EXIT_ABANDON, kCmdAbandon},
        {kCmdPath, IDCANCEL, kCmdAbandon},
        // Opened by start-up before any Exit button: Back ends the run in order.
        {0, IDC_BACK, kCmdAbandon},
        {0, IDC_EXIT_ABANDON, kCmdAbandon},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        SCOPED_TRACE(i);
        posted.clear();
        g.backCommand = cases[i].backCommand;
        Open(IDD_EXIT, ExitDlgProc);
        EXPECT_EQ(WindowText(page_), "ZEL Vantorix Setup");
        Click(cases[i].button);
        EXPECT_TRUE(Closed());
        EXPECT_EQ(posted, std::vector<int>({cases[i].next}));
        DestroyWindow(page_);
    }
}

// The real modal loop: Enter presses the default button (Back), Escape abandons.
TEST_F(PageTest, ExitPageKeysInTheModalLoop) {
    struct {
        WPARAM key;
        int next;
    } const cases[] = {{VK_RETURN, kCmdConfirm}, {VK_ESCAPE, kCmdAbandon}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key);
        posted.clear();
        g.backCommand = kCmdConfirm;
        boxes_.onDialog = [&](HWND dialog) {
            HWND focus = GetDlgItem(dialog, IDC_BACK);
            PostMessageA(focus, WM_KEYDOWN, c.key, 0);
        };
        INT_PTR result =
            DialogBoxParamA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(IDD_EXIT), g.mainWindow, ExitDlgProc, 0);
        EXPECT_EQ(result, 0);
        Pump();
        EXPECT_EQ(posted, std::vector<int>({c.next}));
    }
    boxes_.onDialog = nullptr;
}

} // namespace

namespace {

// The real dispatcher behind the page: start-up's command 105 comes before any
// Exit button set the back command; Back must still end the run in order
// (the abandon warning, then the end of the message loop), not leave the
// full-screen window without a page.
TEST(ExitPageFromStartup, BackEndsTheRunInOrder) {
    ResetAppState();
    strcpy(g.caption, "ZEL Vantorix UnInstall");
    g.runMode = kRunUninstall;
    WNDCLASSA wc;
    memset(&wc, 0, sizeof wc);
    wc.lpfnWndProc = MainWndProc;
    wc.hInstance = GetModuleHandleA(NULL);
    wc.lpszClassName = "PagesTestDispatcher";
    RegisterClassA(&wc);
    g.mainWindow = CreateWindowExA(0, wc.lpszClassName, g.caption, WS_OVERLAPPED | WS_VISIBLE, 0, 0, 640, 480,
                                   NULL, NULL, wc.hInstance, NULL);
    ASSERT_NE(g.mainWindow, (HWND)NULL);
    BoxScript boxes;
    std::vector<int> pages;
    boxes.onDialog = [&](HWND dialog) {
        if (GetDlgItem(dialog, IDC_EXIT_ABANDON) && pages.empty()) {
            pages.push_back(IDD_EXIT);
            PressButton(dialog, IDC_BACK);
        }
    };
    boxes.Answer(IDOK);
    PostWizardCommand(kCmdExit);
    MSG msg;
    int quit = -1;
    // The loop ends with the quit message; a timer keeps a broken run from hanging.
    UINT_PTR timer = SetTimer(NULL, 0, 10000, NULL);
    while (GetMessageA(&msg, NULL, 0, 0) > 0) {
        if (msg.message == WM_TIMER && msg.hwnd == NULL)
            break;
        DispatchMessageA(&msg);
    }
    if (msg.message == WM_QUIT)
        quit = (int)msg.wParam;
    KillTimer(NULL, timer);
    EXPECT_EQ(pages, std::vector<int>({IDD_EXIT}));
    EXPECT_EQ(quit, 0);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "Vantorix has not been properly installed.\n\nYou should run Setup in its "
                                   "entirety at a later time to install ZEL Vantorix.");
    EXPECT_EQ(boxes.boxes[0].owner, g.mainWindow);
    DestroyWindow(g.mainWindow);
    Pump();
}

} // namespace

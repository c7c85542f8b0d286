// Start-up's building blocks: OS kind, rights, the unattended-run settings, the
// setup script name, the shutdown privilege and the centring of dialogs.
#include "app/app.h"
#include "app/commands.h"
#include "app/mainwnd.h"
#include "app/state.h"
#include "boxscript.h"

#include <gtest/gtest.h>

#include <stdlib.h>
#include <string>

namespace {

TEST(OsKindFor, MapsPlatformAndVersion) {
    struct Case {
        DWORD platform, major, minor;
        int kind;
    } cases[] = {
        {VER_PLATFORM_WIN32_NT, 3, 1, kOsNt31},       {VER_PLATFORM_WIN32_NT, 3, 5, kOsNt35},
        {VER_PLATFORM_WIN32_NT, 3, 51, kOsNt},        {VER_PLATFORM_WIN32_NT, 3, 10, kOsNt},
        {VER_PLATFORM_WIN32_NT, 4, 0, kOsNt},         {VER_PLATFORM_WIN32_NT, 4, 1, kOsNt},
        {VER_PLATFORM_WIN32_NT, 6, 1, kOsNt},         {VER_PLATFORM_WIN32_NT, 5, 1, kOsNt},
        {VER_PLATFORM_WIN32s, 3, 1, kOsNt},           {VER_PLATFORM_WIN32s, 1, 30, kOsNt},
        {VER_PLATFORM_WIN32_WINDOWS, 4, 0, kOsWin95}, {VER_PLATFORM_WIN32_WINDOWS, 4, 10, kOsWin95},
        {VER_PLATFORM_WIN32_WINDOWS, 3, 1, kOsWin95}, {7, 4, 0, kOsWin95},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "platform " << c.platform << " version " << c.major << "." << c.minor);
        EXPECT_EQ(OsKindFor(c.platform, c.major, c.minor), c.kind);
    }
}

// The black-box suite runs this program in prefixes of each personality with
// ZEL_EXPECT_OSKIND set to the kind that personality must give.
TEST(DetectOsKind, FollowsThePlatformVersion) {
    ResetAppState();
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof info;
    ASSERT_TRUE(GetVersionExA(&info));
    g.osKind = -1;
    EXPECT_EQ(DetectOsKind(), 1);
    EXPECT_EQ(g.osKind, OsKindFor(info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion));
    const char* expected = getenv("ZEL_EXPECT_OSKIND");
    if (expected) {
        EXPECT_EQ(g.osKind, atoi(expected)) << "platform " << info.dwPlatformId << " version "
                                            << info.dwMajorVersion << "." << info.dwMinorVersion;
    }
}

TEST(IsAdministrator, WineTokenListsAdministrators) {
    EXPECT_EQ(IsAdministrator(), 1);
}

static int ShutdownPrivilegeEnabled() {
    HANDLE token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return -1;
    PRIVILEGE_SET set = {};
    set.PrivilegeCount = 1;
    set.Control = PRIVILEGE_SET_ALL_NECESSARY;
    LookupPrivilegeValueA(NULL, "SeShutdownPrivilege", &set.Privilege[0].Luid);
    BOOL held = FALSE;
    BOOL ok = PrivilegeCheck(token, &set, &held);
    CloseHandle(token);
    return ok ? (held ? 1 : 0) : -1;
}

TEST(EnableShutdownPrivilege, EnablesItInTheToken) {
    EXPECT_EQ(EnableShutdownPrivilege(), 1);
    EXPECT_EQ(ShutdownPrivilegeEnabled(), 1);
    EXPECT_EQ(EnableShutdownPrivilege(), 1); // already enabled: still success
}

class ReadAutorunTest : public testing::Test {
  protected:
    void SetUp() override {
        ResetAppState();
        dir_ = MakeTempDir("autorun");
        script_ = dir_ + "\\SETUP.INI";
    }
    void TearDown() override {
        RemoveTree(dir_);
    }
    std::string dir_, script_;
};

TEST_F(ReadAutorunTest, Cases) {
    std::string longPath = "C:\\" + std::string(140, 'a');
    std::string fits = "C:\\" + std::string(124, 'b'); // 127 characters: the most the field holds
    struct Case {
        const char* name;
        std::string body;
        int result;
        std::string installDir;
        int app, snmp;
    } cases[] = {
        {"both YES", "[Autorun]\nPathname=D:\\Apps\\Vtx\nVANTRX=YES\nSNMP=YES\n", 1, "D:\\Apps\\Vtx", 1, 1},
        {"lower-case yes is no", "[Autorun]\nPathname=D:\\V\nVANTRX=yes\nSNMP=Yes\n", 1, "D:\\V", 0, 0},
        {"components absent", "[Autorun]\nPathname=E:\\\n", 1, "E:\\", 0, 0},
        {"one YES", "[Autorun]\nPathname=C:\\x\nVANTRX=NO\nSNMP=YES\n", 1, "C:\\x", 0, 1},
        {"YES with more", "[Autorun]\nPathname=C:\\x\nVANTRX=YESS\nSNMP=YES \n", 1, "C:\\x", 0, 1},
        {"taken unchanged", "[autorun]\npathname=relative\\dir\\\nvantrx=YES\n", 1, "relative\\dir\\", 1, 0},
        {"lower-case no entry is a path", "[Autorun]\nPathname=no entry\n", 1, "no entry", 0, 0},
        {"longest that fits", "[Autorun]\nPathname=" + fits + "\nVANTRX=YES\n", 1, fits, 1, 0},
        {"Pathname absent", "[Autorun]\nVANTRX=NO\nSNMP=NO\n", 0, "C:\\Vantrx", 1, 1},
        {"Pathname NO ENTRY", "[Autorun]\nPathname=NO ENTRY\nVANTRX=NO\n", 0, "C:\\Vantrx", 1, 1},
        {"section absent", "[Main]\nPathname=C:\\x\n", 0, "C:\\Vantrx", 1, 1},
        {"too long to fit", "[Autorun]\nPathname=" + longPath + "\nVANTRX=NO\n", 0, "C:\\Vantrx", 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ResetAppState();
        ASSERT_TRUE(WriteWholeFile(script_, c.body));
        EXPECT_EQ(ReadAutorun(script_.c_str()), c.result);
        EXPECT_EQ(std::string(g.installDir), c.installDir);
        EXPECT_EQ(g.installApp, c.app);
        EXPECT_EQ(g.installSnmp, c.snmp);
    }
}

TEST_F(ReadAutorunTest, MissingScriptIsNoUnattendedRun) {
    EXPECT_EQ(ReadAutorun((dir_ + "\\NONE.INI").c_str()), 0);
    EXPECT_STREQ(g.installDir, "C:\\Vantrx");
}

TEST(SetupScriptPath, NamePerOsKind) {
    struct Case {
        int osKind;
        const char* sourceDir;
        int result;
        const char* path;
    } cases[] = {
        {kOsWin95, "A:", 1, "A:\\SETUP95.INI"},
        {kOsNt, "A:", 1, "A:\\SETUP.INI"},
        {kOsNt31, "C:\\dist\\disk1", 1, "C:\\dist\\disk1\\SETUP.INI"},
        {kOsNt35, "C:\\dist", 1, "C:\\dist\\SETUP.INI"},
        {kOsNt, "", 0, ""}, // the module path did not fit
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sourceDir);
        ResetAppState();
        g.osKind = c.osKind;
        strcpy(g.sourceDir, c.sourceDir);
        char path[128] = "unchanged";
        EXPECT_EQ(SetupScriptPath(path, sizeof path), c.result);
        if (c.result) {
            EXPECT_STREQ(path, c.path);
        }
    }
}

TEST(SetupScriptPath, RefusesWhatDoesNotFit) {
    ResetAppState();
    g.osKind = kOsWin95;
    strcpy(g.sourceDir, "C:\\distribution");
    char path[20];
    EXPECT_EQ(SetupScriptPath(path, sizeof path), 0); // 28 characters
    char fits[29];
    EXPECT_EQ(SetupScriptPath(fits, sizeof fits), 1);
    EXPECT_STREQ(fits, "C:\\distribution\\SETUP95.INI");
}

HWND PopupAt(int x, int y, int width, int height) {
    return CreateWindowExA(0, "STATIC", "", WS_POPUP, x, y, width, height, NULL, NULL, GetModuleHandleA(NULL),
                           NULL);
}

TEST(CenterDialog, CentresOverTheReference) {
    struct Case {
        RECT reference; // left, top, right, bottom
        RECT dialog;
        POINT expected;
    } cases[] = {
        {{0, 0, 1024, 768}, {0, 0, 200, 100}, {412, 334}},
        {{0, 0, 1024, 768}, {500, 500, 701, 601}, {412, 334}}, // odd sizes: -201/2 is -100, not -101
        {{100, 50, 301, 151}, {0, 0, 100, 40}, {150, 80}},     // 401/2 is 200
        {{0, 0, 100, 100}, {10, 10, 310, 210}, {-100, -50}},   // larger than the reference
        {{-200, -100, 0, 0}, {0, 0, 50, 50}, {-125, -75}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "reference " << c.reference.left << "," << c.reference.top
                                        << " dialog " << c.dialog.right - c.dialog.left);
        HWND reference = PopupAt(c.reference.left, c.reference.top, c.reference.right - c.reference.left,
                                 c.reference.bottom - c.reference.top);
        HWND dialog = PopupAt(c.dialog.left, c.dialog.top, c.dialog.right - c.dialog.left,
                              c.dialog.bottom - c.dialog.top);
        ASSERT_TRUE(reference && dialog);
        CenterDialog(reference, dialog);
        RECT r;
        GetWindowRect(dialog, &r);
        EXPECT_EQ(r.left, c.expected.x);
        EXPECT_EQ(r.top, c.expected.y);
        EXPECT_EQ(r.right - r.left, c.dialog.right - c.dialog.left); // size kept
        EXPECT_EQ(r.bottom - r.top, c.dialog.bottom - c.dialog.top);
        DestroyWindow(dialog);
        DestroyWindow(reference);
    }
}

TEST(CenterDialog, DoesNotActivate) {
    HWND reference = PopupAt(0, 0, 400, 300);
    HWND dialog = PopupAt(0, 0, 100, 100);
    ShowWindow(reference, SW_SHOW);
    SetActiveWindow(reference);
    HWND before = GetActiveWindow();
    CenterDialog(reference, dialog);
    EXPECT_EQ(GetActiveWindow(), before);
    DestroyWindow(dialog);
    DestroyWindow(reference);
}

} // namespace

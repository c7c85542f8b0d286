// The copy-progress page and CopyFiles on real files under Wine: expansion,
// disk prompts, skipped files, the Windows-directory files, the gauge fill.
#include "install/copyengine.h"

#include "app/state.h"
#include "boxscript.h"
#include "install/gauge.h"
#include "lz_sample.h"
#include "resources/resource.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdlib.h>
#include <string>
#include <vector>

namespace {

// A CBT hook of the test's own, called before BoxScript's for every window
// activated on this thread; lets a test act while a disk prompt stands.
std::function<void(HWND)> onActivate;
LRESULT CALLBACK ActivateHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE && onActivate)
        onActivate((HWND)wParam);
    return CallNextHookEx(NULL, code, wParam, lParam);
}

std::string FileText(const std::string& path) {
    return ReadWholeFile(path);
}

class CopyEngine : public testing::Test {
  protected:
    void SetUp() override {
        ResetAppState();
        root = MakeTempDir("copy");
        source = root + "\\DISK";
        install = root + "\\INST";
        windows = root + "\\WIN";
        CreateDirectoryA(source.c_str(), NULL);
        CreateDirectoryA(install.c_str(), NULL);
        CreateDirectoryA(windows.c_str(), NULL);
        strcpy(g.sourceDir, source.c_str());
        strcpy(g.installDir, install.c_str());
        strcpy(g.windowsDir, windows.c_str());
        strcpy(g.caption, "ZEL Vantorix Setup");
        g.osKind = kOsNt;
        g.installSnmp = 0;
        g.mainWindow = CreateWindowExA(0, "STATIC", "main", WS_POPUP | WS_VISIBLE, 0, 0, 800, 600, NULL, NULL,
                                       GetModuleHandleA(NULL), NULL);
        ASSERT_TRUE(g.mainWindow != NULL);
        hook = SetWindowsHookExA(WH_CBT, ActivateHook, NULL, GetCurrentThreadId());
    }
    void TearDown() override {
        onActivate = nullptr;
        UnhookWindowsHookEx(hook);
        DestroyWindow(g.mainWindow);
        RemoveTree(root);
        EXPECT_FALSE(Exists(root));
    }
    void AddFile(int disk, const char* sourceName, const char* targetName, const std::string& data,
                 int size = -1) {
        FileRecord& r = g.fileTable[g.fileCount++];
        r.disk = disk;
        strcpy(r.sourceName, sourceName);
        strcpy(r.targetName, targetName);
        r.size = size >= 0 ? size : (int)data.size();
        g.requiredSpace += (unsigned int)r.size;
        if (!data.empty()) {
            ASSERT_TRUE(WriteWholeFile(source + "\\" + sourceName, data));
        }
    }
    // The standard table: a compressed file, the uninstaller and the .386 file.
    void AddStandardFiles() {
        AddFile(1, "SAMPLE.TX_", "SAMPLE.TXT", SampleSzdd(), (int)strlen(kSampleText));
        AddFile(1, "SETUP.ZEL", "SETUP.ZEL", "MZ setup program copy");
        AddFile(1, "VANTRX.386", "VANTRX.386", "LE device driver");
    }
    // Opens the page as the dispatcher does and returns the wizard command it posted.
    int RunPage() {
        DialogBoxParamA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(IDD_COPY), g.mainWindow, CopyDlgProc, 0);
        MSG msg;
        int command = 0;
        while (PeekMessageA(&msg, g.mainWindow, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_COMMAND && msg.lParam == 0) {
                EXPECT_EQ(command, 0) << "a second command was posted";
                command = (int)msg.wParam;
            }
        }
        return command;
    }
    std::string In(const std::string& dir, const char* name) {
        return dir + "\\" + name;
    }
    std::string root, source, install, windows;
    HHOOK hook;
};

TEST_F(CopyEngine, CopiesExpandsAndPlacesTheUninstaller) {
    AddStandardFiles();
    BoxScript boxes;
    EXPECT_EQ(RunPage(), 505);
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_EQ(FileText(In(install, "SAMPLE.TXT")), kSampleText);
    EXPECT_EQ(FileText(In(install, "VANTRX.386")), "LE device driver");
    EXPECT_EQ(FileText(In(windows, "zelunins.exe")), "MZ setup program copy");
    EXPECT_EQ(FileText(In(windows, "vantrx.386")), "LE device driver");
    EXPECT_FALSE(Exists(In(install, "SETUP.ZEL")));
    // the sources stay on the disk
    EXPECT_TRUE(Exists(In(source, "SETUP.ZEL")));
    EXPECT_TRUE(Exists(In(source, "SAMPLE.TX_")));
}

TEST_F(CopyEngine, ExistingFilesAreReplaced) {
    AddStandardFiles();
    ASSERT_TRUE(WriteWholeFile(In(install, "SAMPLE.TXT"), std::string(5000, 'o')));
    ASSERT_TRUE(WriteWholeFile(In(windows, "zelunins.exe"), std::string(9000, 'o')));
    BoxScript boxes;
    EXPECT_EQ(RunPage(), 505);
    EXPECT_EQ(FileText(In(install, "SAMPLE.TXT")), kSampleText);
    EXPECT_EQ(FileText(In(windows, "zelunins.exe")), "MZ setup program copy");
}

// The disk prompt stands, with the target path shown on the page, until the
// file turns up; then the copy goes on.
TEST_F(CopyEngine, DiskPromptRepeatsUntilTheFileIsThere) {
    AddStandardFiles();
    AddFile(2, "DISK2.TXT", "DISK2.TXT", "");
    g.fileTable[3].size = 100;
    int prompts = 0;
    std::string shownPath;
    onActivate = [&](HWND window) {
        if (!IsMessageBox(window))
            return;
        shownPath = WindowText(GetDlgItem(GetWindow(window, GW_OWNER), IDC_COPY_FILE));
        if (++prompts == 3)
            WriteWholeFile(In(source, "DISK2.TXT"), "from the second disk");
    };
    BoxScript boxes;
    boxes.Answer(IDOK);
    boxes.Answer(IDOK);
    boxes.Answer(IDOK);
    EXPECT_EQ(RunPage(), 505);
    ASSERT_EQ(boxes.boxes.size(), 3u);
    for (const RecordedBox& box : boxes.boxes) {
        EXPECT_EQ(box.text, "Please insert ZEL Vantorix Disk #2");
        EXPECT_EQ(box.caption, "Change Disks");
        EXPECT_EQ(box.icon, (UINT)MB_ICONEXCLAMATION);
        EXPECT_EQ(box.buttons, (UINT)MB_OKCANCEL);
        EXPECT_NE(box.owner, g.mainWindow); // the page owns it
        EXPECT_TRUE(box.owner != NULL);
    }
    EXPECT_EQ(shownPath, In(install, "DISK2.TXT"));
    EXPECT_EQ(FileText(In(install, "DISK2.TXT")), "from the second disk");
    EXPECT_TRUE(Exists(In(windows, "zelunins.exe")));
}

TEST_F(CopyEngine, CancelAtTheDiskPromptAbandons) {
    AddFile(1, "SAMPLE.TX_", "SAMPLE.TXT", SampleSzdd(), 114);
    AddFile(2, "DISK2.TXT", "DISK2.TXT", "", 100);
    AddFile(2, "SETUP.ZEL", "SETUP.ZEL", "MZ setup program copy");
    BoxScript boxes;
    boxes.Answer(IDCANCEL);
    EXPECT_EQ(RunPage(), 501);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "Please insert ZEL Vantorix Disk #2");
    EXPECT_EQ(FileText(In(install, "SAMPLE.TXT")), kSampleText); // left behind
    EXPECT_FALSE(Exists(In(install, "SETUP.ZEL")));
    EXPECT_FALSE(Exists(In(windows, "zelunins.exe")));
}

// Only the presence of the file counts: a disk-2 file found on the disk in
// the drive is taken without a word.
TEST_F(CopyEngine, FileOfAnotherDiskFoundIsTakenWithoutPrompt) {
    AddFile(1, "SAMPLE.TX_", "SAMPLE.TXT", SampleSzdd(), 114);
    AddFile(2, "DISK2.TXT", "DISK2.TXT", "also on disk 1");
    BoxScript boxes;
    EXPECT_EQ(RunPage(), 505);
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_EQ(FileText(In(install, "DISK2.TXT")), "also on disk 1");
}

// A source that is there but cannot be opened (a folder of that name) is
// skipped without a word; the files after it are still copied, and the run
// then fails rather than report an installation with a file missing.
TEST_F(CopyEngine, UnopenableSourceIsSkipped) {
    AddFile(1, "SAMPLE.TX_", "SAMPLE.TXT", SampleSzdd(), 114);
    AddFile(1, "BROKEN.DAT", "BROKEN.DAT", "", 5000);
    ASSERT_TRUE(CreateDirectoryA(In(source, "BROKEN.DAT").c_str(), NULL));
    AddFile(1, "SETUP.ZEL", "SETUP.ZEL", "MZ setup program copy");
    BoxScript boxes;
    EXPECT_EQ(RunPage(), 501);
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_FALSE(Exists(In(install, "BROKEN.DAT")));
    EXPECT_EQ(FileText(In(windows, "zelunins.exe")), "MZ setup program copy");
}

// When the uninstaller cannot be placed, SETUP.ZEL stays in the install
// directory (removing it would leave the installation without one) and the
// run fails.
TEST_F(CopyEngine, SetupCopyStaysWhenTheUninstallerCannotBePlaced) {
    AddStandardFiles();
    strcpy(g.windowsDir, (root + "\\NO\\WINDOWS").c_str());
    BoxScript boxes;
    EXPECT_EQ(RunPage(), 501);
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_EQ(FileText(In(install, "SETUP.ZEL")), "MZ setup program copy");
}

// A target or source path that does not fit the 128-byte buffers is skipped,
// never copied under a cut name, and the run fails.
TEST_F(CopyEngine, OverlongPathsAreSkipped) {
    std::string longTarget(127 - install.size(), 'T'); // one byte too many with the backslash
    std::string longSource(127 - source.size(), 'S');
    AddFile(1, "SAMPLE.TX_", longTarget.c_str(), SampleSzdd(), 114);
    AddFile(1, longSource.c_str(), "FROMLONG.TXT", "", 10);
    AddFile(1, "SETUP.ZEL", "SETUP.ZEL", "MZ setup program copy");
    BoxScript boxes;
    EXPECT_EQ(RunPage(), 501);
    EXPECT_TRUE(boxes.boxes.empty()); // the missing long source brings no disk prompt
    EXPECT_FALSE(Exists(In(install, longTarget.substr(0, longTarget.size() - 1).c_str())));
    EXPECT_FALSE(Exists(In(install, "FROMLONG.TXT")));
    EXPECT_EQ(FileText(In(windows, "zelunins.exe")), "MZ setup program copy");
}

TEST_F(CopyEngine, EmptyFileTableStillPlacesNothingAndSucceeds) {
    BoxScript boxes;
    EXPECT_EQ(RunPage(), 505);
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_FALSE(Exists(In(windows, "zelunins.exe")));
}

TEST_F(CopyEngine, SnmpFailureAbandonsBeforeAnyCopy) {
    // A volatile SOFTWARE\ZEL refuses the non-volatile SNMP key beneath it.
    HKEY zel;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\ZEL", 0, NULL, REG_OPTION_VOLATILE,
                              KEY_ALL_ACCESS, NULL, &zel, NULL),
              ERROR_SUCCESS);
    RegCloseKey(zel);
    g.installSnmp = 1;
    AddStandardFiles();
    strcpy(g.installDir, (root + "\\NEWDIR").c_str());
    BoxScript boxes;
    EXPECT_EQ(RunPage(), 501);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "Unable to register SNMP with the system.");
    EXPECT_EQ(boxes.boxes[0].caption, "ZEL Vantorix Setup");
    EXPECT_EQ(boxes.boxes[0].icon, (UINT)MB_ICONEXCLAMATION);
    EXPECT_EQ(boxes.boxes[0].buttons, (UINT)MB_OK);
    EXPECT_EQ(boxes.boxes[0].owner, g.mainWindow);
    EXPECT_FALSE(Exists(root + "\\NEWDIR"));
    EXPECT_FALSE(Exists(In(windows, "zelunins.exe")));
    EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\ZEL"), ERROR_SUCCESS);
}

// The gauge, read back from the page: every file's stretch in the page
// colour with red and green inverted, from the frame's inner left edge to
// its inner right edge, also across a skipped file.
class CopyGauge : public CopyEngine {
  protected:
    COLORREF Fill() {
        return GetSysColor(g.bkColorIndex) ^ 0xFFFF;
    }
    COLORREF Pixel(HWND page, int x, int y) {
        HDC dc = GetDC(page);
        COLORREF c = GetPixel(dc, x, y);
        ReleaseDC(page, dc);
        return c;
    }
};

TEST_F(CopyGauge, FillsFileByFileToTheInnerRightEdge) {
    AddFile(1, "A.BIN", "A.BIN", std::string(500, 'a'), 500000);
    AddFile(1, "B.BIN", "B.BIN", "", 300000);
    ASSERT_TRUE(CreateDirectoryA(In(source, "B.BIN").c_str(), NULL)); // cannot be opened: skipped
    AddFile(1, "C.BIN", "C.BIN", std::string(200, 'c'), 200000);
    HWND page =
        CreateDialogParamA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(IDD_COPY), g.mainWindow, CopyDlgProc, 0);
    ASSERT_TRUE(page != NULL);
    UpdateWindow(page);
    const int left = g.gaugeLeft, right = g.gaugeRight, top = g.gaugeTop, bottom = g.gaugeBottom;
    ASSERT_GT(right - left, 10);
    if (Pixel(page, left, top) == CLR_INVALID)
        GTEST_SKIP() << "this display driver keeps no pixels for windows";
    ASSERT_EQ(Pixel(page, left, top), RGB(0, 0, 0)) << "frame";
    BoxScript boxes;
    EXPECT_EQ(CopyFiles(page), 0); // B.BIN could not be written
    int sizes[3] = {500000, 300000, 200000}, shares[3];
    ComputeGaugeShares(right - left - 2, g.requiredSpace, sizes, 3, shares);
    int x = left + 1;
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(Pixel(page, x, top + 2), Fill());
        EXPECT_EQ(Pixel(page, x + shares[i] - 1, bottom - 3), Fill());
        x += shares[i];
    }
    EXPECT_EQ(x, right - 1);
    EXPECT_EQ(Pixel(page, right - 1, top + 5), RGB(0, 0, 0)) << "frame kept";
    EXPECT_NE(Pixel(page, left + 5, top + 1), Fill()) << "two pixels free above";
    EXPECT_NE(Pixel(page, left + 5, bottom - 2), Fill()) << "two pixels free below";
    DestroyWindow(page);
}

// A repaint while a disk prompt stands puts back what was filled so far.
TEST_F(CopyGauge, RepaintDuringThePromptKeepsTheFill) {
    AddFile(1, "A.BIN", "A.BIN", std::string(500, 'a'), 500000);
    AddFile(2, "B.BIN", "B.BIN", "", 500000);
    COLORREF before = 0, after = 0;
    int x = 0, y = 0;
    onActivate = [&](HWND box) {
        if (!IsMessageBox(box))
            return;
        HWND page = GetWindow(box, GW_OWNER);
        x = g.gaugeLeft + 3;
        y = (g.gaugeTop + g.gaugeBottom) / 2;
        before = Pixel(page, x, y);
        RECT all;
        GetClientRect(page, &all);
        HDC dc = GetDC(page);
        FillRect(dc, &all, (HBRUSH)GetStockObject(WHITE_BRUSH)); // something covered the page
        ReleaseDC(page, dc);
        InvalidateRect(page, NULL, TRUE);
        UpdateWindow(page);
        after = Pixel(page, x, y);
    };
    BoxScript boxes;
    boxes.Answer(IDCANCEL);
    EXPECT_EQ(RunPage(), 501);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    if (before == CLR_INVALID)
        GTEST_SKIP() << "this display driver keeps no pixels for windows";
    EXPECT_EQ(before, Fill());
    EXPECT_EQ(after, Fill());
}

} // namespace

namespace {

// A full install disk. Needs a really small drive: tests/blackbox/test_lz_full_disk.sh
// maps one onto a 64 KB tmpfs (ZEL_FULL_DRIVE) and makes a large compressed
// file with mscompress (ZEL_BIG_SZDD).
TEST_F(CopyEngine, FullTargetDiskAbandonsWithOutOfDiskSpace) {
    const char* drive = getenv("ZEL_FULL_DRIVE");
    const char* bigSzdd = getenv("ZEL_BIG_SZDD");
    if (!drive || !bigSzdd)
        GTEST_SKIP() << "no small drive mapped (run through tests/blackbox/test_lz_full_disk.sh)";
    std::string smallInstall = std::string(drive) + "\\VANTRX";
    strcpy(g.installDir, smallInstall.c_str());
    AddFile(1, "SAMPLE.TX_", "SAMPLE.TXT", SampleSzdd(), 114);
    AddFile(1, "BIG.BI_", "BIG.BIN", "", 400000);
    ASSERT_TRUE(CopyFileA(bigSzdd, In(source, "BIG.BI_").c_str(), FALSE));
    AddFile(1, "SETUP.ZEL", "SETUP.ZEL", "MZ setup program copy");
    HWND page = NULL;
    onActivate = [&](HWND box) {
        if (IsMessageBox(box))
            page = GetWindow(box, GW_OWNER);
    };
    BoxScript boxes;
    boxes.Answer(IDOK);
    EXPECT_EQ(RunPage(), 501);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "Out of disk space");
    EXPECT_EQ(boxes.boxes[0].caption, "ERROR");
    EXPECT_EQ(boxes.boxes[0].icon, 0u);
    EXPECT_EQ(boxes.boxes[0].buttons, (UINT)MB_OK);
    EXPECT_TRUE(page != NULL && page != g.mainWindow) << "owned by the page";
    EXPECT_EQ(ReadWholeFile(In(smallInstall, "SAMPLE.TXT")), kSampleText); // copied before: left behind
    EXPECT_FALSE(Exists(In(smallInstall, "SETUP.ZEL")));                   // nothing after the full disk
    EXPECT_FALSE(Exists(In(windows, "zelunins.exe")));
    EXPECT_TRUE(DeleteFileA(In(smallInstall, "BIG.BIN").c_str())) << "target closed";
    RemoveTree(smallInstall);
}

} // namespace

namespace {

TEST_F(CopyEngine, SnmpComponentRegistersAndCopiesTheRuntimeLibraries) {
    const struct {
        int flag;
        bool registered;
    } cases[] = {{0, false}, {1, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.flag);
        g.installSnmp = c.flag;
        g.fileCount = 0;
        g.requiredSpace = 0;
        CreateDirectoryA(In(windows, "SYSTEM32").c_str(), NULL);
        ASSERT_TRUE(WriteWholeFile(In(source, "MSVCRT.DL_"), SampleSzdd()));
        AddStandardFiles();
        BoxScript boxes;
        EXPECT_EQ(RunPage(), 505);
        EXPECT_TRUE(boxes.boxes.empty());
        HKEY key;
        bool keyFound =
            RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\ZEL\\SNMP\\SCSI_SYSTEM_AGENT\\CurrentVersion", 0,
                          KEY_READ, &key) == ERROR_SUCCESS;
        if (keyFound)
            RegCloseKey(key);
        EXPECT_EQ(keyFound, c.registered);
        EXPECT_EQ(Exists(In(windows, "SYSTEM32\\MSVCRT.DLL")), c.registered);
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\ZEL\\SNMP\\SCSI_SYSTEM_AGENT\\CurrentVersion");
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\ZEL\\SNMP\\SCSI_SYSTEM_AGENT");
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\ZEL\\SNMP");
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\ZEL");
        RegDeleteKeyA(HKEY_LOCAL_MACHINE,
                      "SYSTEM\\CurrentControlSet\\Services\\SNMP\\Parameters\\ExtensionAgents");
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Services\\SNMP\\Parameters");
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Services\\SNMP");
    }
}

// The install directory is made with every missing level.
TEST_F(CopyEngine, MissingInstallDirectoryLevelsAreCreated) {
    strcpy(g.installDir, (root + "\\NEW\\LEVEL\\VANTRX").c_str());
    AddStandardFiles();
    BoxScript boxes;
    EXPECT_EQ(RunPage(), 505);
    EXPECT_EQ(FileText(root + "\\NEW\\LEVEL\\VANTRX\\SAMPLE.TXT"), kSampleText);
}

// Windows 95 only: after the copy the installed driver is checked; with no
// driver in SYSTEM\IOSUBSYS the user is told so, and the run goes on.
TEST_F(CopyEngine, DriverCheckOnWindows95Only) {
    const struct {
        int osKind;
        size_t boxes;
    } cases[] = {{kOsWin95, 1}, {kOsNt, 0}, {kOsNt31, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.osKind);
        g.osKind = c.osKind;
        g.fileCount = 0;
        g.requiredSpace = 0;
        AddStandardFiles();
        BoxScript boxes;
        boxes.Answer(IDOK);
        EXPECT_EQ(RunPage(), 505);
        ASSERT_EQ(boxes.boxes.size(), c.boxes);
        if (c.boxes) {
            EXPECT_EQ(boxes.boxes[0].text,
                      "There is no ZEL driver installed on your system.\n\nYou must install the "
                      "ZEL driver by choosing\nSystem in the Control Panel.");
        }
    }
}

} // namespace

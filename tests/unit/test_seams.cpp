// What Wine cannot make happen to a black-box run (its token always lists the Administrators, GetVersionExA
// never fails, DDEML always starts, a restart really ends the Wine session), made here: one platform function
// points at a stand-in, start-up runs, and each box and page it opens is recorded and answered.
#include "app/app.h"
#include "base/state.h"
#include "base/text.h"
#include "history/history.h"
#include "install/stamp.h"
#include "ntconfig/snmp.h"
#include "pages/paint.h"
#include "resources/resource.h"
#include <ddeml.h>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <vector>

static std::vector<std::string> seen; // "caption|first line" of each box, "page N" of each page
static std::vector<int> answers; // a box's button; a page's button, or else a command for the main window

static LRESULT CALLBACK OnActivate(int code, WPARAM wParam, LPARAM lParam) {
    HWND w = (HWND)wParam;
    char caption[64] = "", text[512] = "";
    GetClassNameA(w, caption, sizeof caption);
    if (code == HCBT_ACTIVATE && !answers.empty() && lstrcmpA(caption, "#32770") == 0) {
        bool box = GetDlgItem(w, 0x440) != NULL; // a message box's icon control
        GetWindowTextA(w, caption, sizeof caption);
        GetDlgItemTextA(w, 0xFFFF, text, sizeof text);
        text[strcspn(text, "\n")] = '\0';
        const char* page = GetDlgItem(w, 501) ? "page 105" : "page 100";
        seen.push_back(box ? caption + std::string("|") + text : page);
        PostMessageA(box || GetDlgItem(w, answers[0]) ? w : GetWindow(w, GW_OWNER), WM_COMMAND, answers[0],
                     0);
        answers.erase(answers.begin());
    }
    return CallNextHookEx(NULL, code, wParam, lParam);
}

// Points this program's imported slot that holds `from` at `to`; false when it imports no such function.
static bool Redirect(void* from, void* to) {
    BYTE* base = (BYTE*)GetModuleHandleA(NULL);
    IMAGE_NT_HEADERS* nt = (IMAGE_NT_HEADERS*)(base + ((IMAGE_DOS_HEADER*)base)->e_lfanew);
    IMAGE_DATA_DIRECTORY iat = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IAT];
    DWORD old;
    for (void** slot = (void**)(base + iat.VirtualAddress);
         slot < (void**)(base + iat.VirtualAddress + iat.Size); ++slot)
        if (*slot == from && VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &old))
            return *slot = to, true;
    return false;
}

static const char* lateName; // a function the program looks up when it needs it, and what the lookup gives
static void* lateStandIn;
static FARPROC(WINAPI* realGetProcAddress)(HMODULE, LPCSTR);
static FARPROC WINAPI GetProcAddressStandIn(HMODULE module, LPCSTR name) {
    bool late = lateName && !IS_INTRESOURCE(name) && strcmp(name, lateName) == 0;
    return late ? (FARPROC)lateStandIn : realGetProcAddress(module, name);
}
static UINT_PTR refusedArgument; // of the last call refused (x86_64: a stand-in may take fewer arguments)
static BOOL WINAPI Refuse(UINT_PTR first) {
    refusedArgument = first;
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
}
static UINT WINAPI NoDdeml() {
    return DMLERR_SYS_ERROR;
}

TEST(Seams, StartUpWhenThePlatformRefuses) {
    const struct {
        const char *library, *name; // the function that fails, by its stand-in (NULL: the system has none)
        void* standIn;
        const char* commandLine;
        std::vector<int> answers;
        std::vector<std::string> seen;
    } rows[] = {
        // clang-format off
        {"user32", "DdeInitializeA", (void*)NoDdeml, "-uninstall", {IDOK}, {"ZEL Vantorix UnInstall|Setup could not start the DDE library and cannot continue."}}, // first: a page table once filled stays filled
        {"advapi32", "GetTokenInformation", (void*)Refuse, "", {IDOK, IDOK}, {"ZEL Vantorix Setup|Setup has detected that you do not have Administrator access.", "ZEL Vantorix Setup|Vantorix has not been properly installed."}},
        {"advapi32", "GetTokenInformation", (void*)Refuse, "-uninstall", {IDOK, IDC_BACK, IDOK}, {"ZEL Vantorix UnInstall|UnInstall has detected that you do not have Administrator access.", "page 105", "ZEL Vantorix UnInstall|Vantorix has not been properly installed."}}, // Back: no page to go back to
        {"kernel32", "GetVersionExA", (void*)Refuse, "", {IDOK}, {"ZEL Vantorix Setup|Only one version of ZEL Vantorix may be installed on"}}, // kind 3: Windows 95
        {"kernel32", "GetVersionExA", NULL, "", {IDOK, IDOK}, {"Error|File SETUP.INI missing or invalid.", "ZEL Vantorix Setup|Vantorix has not been properly installed."}}, // as on NT 3.1: GetVersion says NT
        {"user32", "ExitWindowsEx", (void*)Refuse, "-uninstall", {503, IDOK, IDYES}, {"page 100", "Good News|Installation of ZEL Vantorix was successful!", "ZEL Vantorix UnInstall|To ensure that changes made by Setup have"}}, // refused, the run still ends; last: its flags are checked below
        // clang-format on
    };
    const char* history = "C:\\windows\\ZELSETUP.INI";
    realGetProcAddress = GetProcAddress;
    ASSERT_TRUE(Redirect((void*)realGetProcAddress, (void*)GetProcAddressStandIn));
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        WritePrivateProfileSectionA("Main", "TimesInstalled=1\0number1=C:\\Vantrx\0", history);
        seen.clear();
        answers.assign(row.answers.begin(), row.answers.end());
        void* real = (void*)realGetProcAddress(GetModuleHandleA(row.library), row.name);
        bool imported = Redirect(real, row.standIn);
        lateName = imported ? NULL : row.name;
        lateStandIn = row.standIn;
        HHOOK hook = SetWindowsHookExA(WH_CBT, OnActivate, NULL, GetCurrentThreadId());
        EXPECT_EQ(RunSetupProgram(GetModuleHandleA(NULL), row.commandLine), 0);
        UnhookWindowsHookEx(hook);
        EXPECT_TRUE(!imported || Redirect(row.standIn, real));
        EXPECT_EQ(seen, row.seen);
    }
    EXPECT_EQ(refusedArgument, (UINT_PTR)(EWX_REBOOT | EWX_FORCE));
    Redirect((void*)GetProcAddressStandIn, (void*)realGetProcAddress);
    DeleteFileA(history);
}

// Windows NT 3.5 and 3.51 act alike everywhere; 3.1 differs only where the boot driver is copied.
TEST(Seams, OsKindFor) {
    const DWORD rows[][4] = {
        {2, 3, 10, 0}, {2, 3, 50, 1}, {2, 3, 1, 0}, {2, 3, 5, 1}, {2, 3, 51, 2},
        {2, 4, 0, 2},  {0, 3, 1, 2},  {1, 4, 0, 3}, {7, 4, 0, 3}}; // platform, major, minor: kind
    for (const auto& r : rows)
        EXPECT_EQ(OsKindFor(r[0], r[1], r[2]), (int)r[3]) << r[0] << " " << r[1] << "." << r[2];
}

// Windows 95's system directory is SYSTEM, with no SYSTEM32 beside it; Wine's is always system32: a stand-in.
static UINT WINAPI Windows95SystemDirectory(LPSTR buffer, UINT size) {
    return (UINT)lstrlenA(lstrcpynA(buffer, "C:\\seam95\\SYSTEM", (int)size));
}
TEST(Seams, SnmpRuntimeIntoWindows95SystemDirectory) {
    ASSERT_TRUE(CreateDirectoryA("C:\\seam95", NULL) && CreateDirectoryA("C:\\seam95\\SYSTEM", NULL));
    for (const char* source : {"C:\\seam95\\MSVCRT.DL_", "C:\\seam95\\MSVCRT40.DL_"}) // copied as they are
        WritePrivateProfileStringA("plain", "file", source, source);
    lstrcpyA(g.sourceDir, "C:\\seam95");
    lstrcpyA(g.windowsDir, "C:\\seam95");            // no SYSTEM32 in it
    lstrcpyA(g.historyPath, "C:\\seam95\\NONE.INI"); // nothing recorded: UnregisterSnmpAgent takes the keys
    void* real = (void*)GetSystemDirectoryA;
    ASSERT_TRUE(Redirect(real, (void*)Windows95SystemDirectory));
    EXPECT_EQ(RegisterSnmpAgent(), 1);
    Redirect((void*)Windows95SystemDirectory, real);
    UnregisterSnmpAgent();
    for (std::string name : {"MSVCRT", "MSVCRT40"})
        EXPECT_TRUE(DeleteFileA(("C:\\seam95\\SYSTEM\\" + name + ".DLL").c_str()) &&
                    DeleteFileA(("C:\\seam95\\" + name + ".DL_").c_str()));
    EXPECT_TRUE(RemoveDirectoryA("C:\\seam95\\SYSTEM") && RemoveDirectoryA("C:\\seam95")); // and no SYSTEM32
}

// What no window shows: one brush per control colour, the formatter and the stamp buffer at their limits.
static std::vector<size_t> asked;
static void* SmallHeap(size_t size) {
    asked.push_back(size);
    return size <= 950 ? HeapAlloc(GetProcessHeap(), 0, size) : NULL;
}
TEST(Seams, BrushesFormatterAndStampBuffer) {
    HDC dc = GetDC(NULL);
    HBRUSH brush = SetCtlColors(dc);
    EXPECT_EQ(SetCtlColors(dc), brush); // not a new brush for every message
    g.bkColorIndex = COLOR_BTNFACE;
    EXPECT_NE(SetCtlColors(dc), brush); // a new colour, a new brush
    ReleaseDC(NULL, dc);
    char text[8], large[1200];
    EXPECT_TRUE(FormatText(text, sizeof text, "%s", "1234567") && lstrcmpA(text, "1234567") == 0);
    EXPECT_FALSE(FormatText(text, sizeof text, "%s", "12345678") || text[0]);            // refused, not cut
    EXPECT_FALSE(FormatText(large, sizeof large, "%s", std::string(1100, 'x').c_str())); // wvsprintfA's limit
    // 65000 - 641 * 100 = 900: the first size the heap grants; the stamp straddles two chunks of it
    std::string file = std::string(1800 - 4, '.') + std::string((const char*)ownVersionStamp, kStampSize);
    std::ofstream("stamp.bin", std::ios::binary) << file;
    stampBufferAlloc = SmallHeap;
    unsigned char block[kStampSize];
    EXPECT_EQ(ReadVersionStamp("stamp.bin", block), 1);
    EXPECT_EQ(std::string((const char*)block, kStampSize), file.substr(1800 - 4));
    EXPECT_EQ(asked.size(), 642u);
    stampBufferAlloc = NULL;
    DeleteFileA("stamp.bin");
}

// A [Main] rewrite that fails while the next profile write succeeds (a disk full for one write) cannot be
// timed from outside a run: the rewrite is refused by the stand-in here, and the entry's section must stay.
TEST(Seams, RemovalKeepsTheSectionThatMainStillNames) {
    lstrcpyA(g.historyPath, "C:\\seam-history.ini");
    WritePrivateProfileSectionA("Main", "TimesInstalled=1\0number1=C:\\Kept\0", g.historyPath);
    WritePrivateProfileSectionA("C:\\Kept", "Filecount=1\0", g.historyPath);
    void* real = (void*)WritePrivateProfileSectionA; // read from the slot: before the slot changes
    ASSERT_TRUE(Redirect(real, (void*)Refuse));
    RemoveHistoryEntry("C:\\Kept");
    EXPECT_TRUE(Redirect((void*)Refuse, real));
    EXPECT_EQ(GetPrivateProfileIntA("C:\\Kept", "Filecount", 0, g.historyPath), 1u);
    EXPECT_TRUE(DeleteFileA(g.historyPath));
}

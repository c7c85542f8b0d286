// The Program Manager group against Wine's own shell DDE server (shell32's
// ShellDDEInit, hosted by tools/shelldde), which turns the group into a Start
// Menu folder with .lnk files. Its CreateGroup/ShowGroup start explorer
// windows that never end; the test prefix's wineserver is killed afterwards.
// Wine's server keeps no item list, so only the links it leaves are checked.
#include "app/state.h"
#include "app/text.h"
#include "shell/progman.h"

#include "boxscript.h"
#include "progmanserver.h"

#include <gtest/gtest.h>

#include <objbase.h>
#include <shlobj.h>

#include <string>

namespace {

std::string LinkTarget(const std::string& linkPath) {
    std::string target;
    IShellLinkA* link = NULL;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkA, (void**)&link)))
        return target;
    IPersistFile* file = NULL;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, (void**)&file))) {
        WCHAR wide[MAX_PATH];
        MultiByteToWideChar(CP_ACP, 0, linkPath.c_str(), -1, wide, MAX_PATH);
        char text[MAX_PATH] = "";
        if (SUCCEEDED(file->Load(wide, STGM_READ)) && SUCCEEDED(link->GetPath(text, sizeof text, NULL, 0)))
            target = text;
        file->Release();
    }
    link->Release();
    return target;
}

struct ShellDdeHost {
    PROCESS_INFORMATION process = {};
    std::string stop;
    bool Start(const std::string& dir) {
        std::string ready = dir + "\\shelldde.ready";
        stop = dir + "\\shelldde.stop";
        std::string command = "\"" + ToolPath("shelldde") + "\" --ready \"" + ready + "\" --stop \"" + stop +
                              "\" --timeout 120000";
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        std::vector<char> line(command.begin(), command.end());
        line.push_back('\0');
        if (!CreateProcessA(NULL, line.data(), NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process))
            return false;
        for (int waited = 0; waited < 20000; waited += 20) {
            if (Exists(ready))
                return true;
            if (WaitForSingleObject(process.hProcess, 20) == WAIT_OBJECT_0)
                return false;
        }
        return false;
    }
    ~ShellDdeHost() {
        if (!process.hProcess)
            return;
        TouchFile(stop);
        if (WaitForSingleObject(process.hProcess, 10000) != WAIT_OBJECT_0)
            TerminateProcess(process.hProcess, 1);
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
    }
};

TEST(WineShellDde, FirstInstallationLeavesLinksInTheGroupFolder) {
    std::string base = MakeTempDir("shelldde");
    std::string installDir = base + "\\Vantrx", windowsDir = base + "\\Windows";
    CreateDirectoryA(installDir.c_str(), NULL);
    CreateDirectoryA(windowsDir.c_str(), NULL);
    ASSERT_TRUE(WriteWholeFile(installDir + "\\VANTRX32.EXE", "MZ"));
    ASSERT_TRUE(WriteWholeFile(windowsDir + "\\ZELUNINS.EXE", "MZ"));
    ResetAppState();
    g.osKind = kOsNt;
    ASSERT_TRUE(CopyText(g.installDir, sizeof g.installDir, installDir.c_str()));
    ASSERT_TRUE(CopyText(g.windowsDir, sizeof g.windowsDir, windowsDir.c_str()));
    ASSERT_TRUE(CopyText(g.versionText, sizeof g.versionText, "1.00"));

    char programs[MAX_PATH];
    ASSERT_EQ(SHGetFolderPathA(NULL, CSIDL_PROGRAMS, NULL, 0, programs), S_OK);
    std::string folder = std::string(programs) + "\\ZEL Vantorix";
    RemoveTree(folder);

    ShellDdeHost host;
    ASSERT_TRUE(host.Start(base));
    DWORD dde = 0;
    ASSERT_EQ(StartProgmanClient(&dde), (UINT)DMLERR_NO_ERROR);
    BoxScript boxes;
    EXPECT_EQ(CreateProgramGroup(dde), 1);
    EXPECT_TRUE(boxes.boxes.empty());
    DdeUninitialize(dde);

    ASSERT_TRUE(Exists(folder)) << folder;
    CoInitialize(NULL);
    EXPECT_STRCASEEQ(LinkTarget(folder + "\\ZEL Vantorix v1.00.lnk").c_str(),
                     (installDir + "\\VANTRX32.EXE").c_str());
    EXPECT_FALSE(Exists(folder + "\\ReadMe.lnk")) << "no READ.ME, no Notepad: no ReadMe item";
    // Wine 8.0's AddItem looks the whole command line up as a file, so an item
    // whose command line carries an argument, as the UnInstall item's does, is
    // refused there; the same item without the argument is written.
    EXPECT_FALSE(Exists(folder + "\\UnInstall.lnk"));
    ASSERT_TRUE(StartProgmanClient(&dde) == DMLERR_NO_ERROR);
    std::string uninstaller = windowsDir + "\\ZELUNINS.EXE";
    EXPECT_EQ(SendProgmanCommand(
                  dde, ("[AddItem(" + uninstaller + " -uninstall,UnInstall," + uninstaller + ",1)]").c_str()),
              0);
    EXPECT_EQ(
        SendProgmanCommand(dde, ("[AddItem(" + uninstaller + ",UnInstall," + uninstaller + ",1)]").c_str()),
        1);
    DdeUninitialize(dde);
    EXPECT_STRCASEEQ(LinkTarget(folder + "\\UnInstall.lnk").c_str(), uninstaller.c_str());
    CoUninitialize();
    RemoveTree(folder);
    RemoveTree(base);
}

} // namespace

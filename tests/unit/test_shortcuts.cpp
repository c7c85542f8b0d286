// Start Menu shortcuts on Windows 95, written and read back through Wine's own
// shell link object.
#include "app/state.h"
#include "app/text.h"
#include "shell/progman.h"
#include "shell/shortcuts.h"

#include "boxscript.h"

#include <gtest/gtest.h>

#include <objbase.h>
#include <shlobj.h>

#include <string>

namespace {

struct LinkFields {
    bool loaded = false;
    std::string path, description, arguments, iconPath, workingDir;
    int iconIndex = -1;
};

LinkFields ReadLink(const std::string& linkPath) {
    LinkFields fields;
    IShellLinkA* link = NULL;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkA, (void**)&link)))
        return fields;
    IPersistFile* file = NULL;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, (void**)&file))) {
        WCHAR wide[MAX_PATH];
        MultiByteToWideChar(CP_ACP, 0, linkPath.c_str(), -1, wide, MAX_PATH);
        if (SUCCEEDED(file->Load(wide, STGM_READ))) {
            char text[MAX_PATH];
            fields.loaded = true;
            memset(text, 0, sizeof text);
            link->GetPath(text, sizeof text, NULL, SLGP_RAWPATH);
            fields.path = text;
            memset(text, 0, sizeof text);
            link->GetDescription(text, sizeof text);
            fields.description = text;
            memset(text, 0, sizeof text);
            link->GetArguments(text, sizeof text);
            fields.arguments = text;
            memset(text, 0, sizeof text);
            link->GetIconLocation(text, sizeof text, &fields.iconIndex);
            fields.iconPath = text;
            memset(text, 0, sizeof text);
            link->GetWorkingDirectory(text, sizeof text);
            fields.workingDir = text;
        }
        file->Release();
    }
    link->Release();
    return fields;
}

class StartMenu : public ::testing::Test {
  protected:
    void SetUp() override {
        char windows[MAX_PATH];
        GetWindowsDirectoryA(windows, sizeof windows);
        startMenu = std::string(windows) + "\\Start Menu";
        programs = startMenu + "\\Programs";
        folder = programs + "\\ZEL Vantorix";
        RemoveTree(folder);
        ASSERT_FALSE(Exists(folder));
        CoInitialize(NULL);
        ResetAppState();
        g.osKind = kOsWin95;
        ASSERT_TRUE(CopyText(g.windowsDir, sizeof g.windowsDir, windows));
        ASSERT_TRUE(CopyText(g.installDir, sizeof g.installDir, "C:\\Program Files\\Vantrx"));
        ASSERT_TRUE(CopyText(g.versionText, sizeof g.versionText, "1.23"));
        CreateDirectoryA("C:\\Program Files\\Vantrx", NULL);
    }
    void TearDown() override {
        CoUninitialize();
        RemoveTree(folder);
        EXPECT_FALSE(Exists(folder));
    }
    std::string startMenu, programs, folder;
    // Makes the folders as Windows 95 has them.
    void MakeFolders() {
        CreateDirectoryA(startMenu.c_str(), NULL);
        CreateDirectoryA(programs.c_str(), NULL);
        ASSERT_TRUE(Exists(programs));
    }
};

TEST_F(StartMenu, ThreeShortcutsReadBackThroughTheShellLink) {
    const std::string windows = g.windowsDir;
    ASSERT_TRUE(WriteWholeFile("C:\\Program Files\\Vantrx\\VANTRX32.EXE", "MZ"));
    ASSERT_TRUE(WriteWholeFile(windows + "\\ZELUNINS.EXE", "MZ"));
    DeleteFileA("C:\\Program Files\\Vantrx\\README.TXT"); // written all the same
    RemoveTree(startMenu);                                // made on the way
    ASSERT_FALSE(Exists(startMenu));
    EXPECT_EQ(CreateProgramGroup(0), 1);
    struct Case {
        const char* file;
        std::string path, arguments, workingDir;
        int iconIndex;
    } cases[] = {
        {"ZEL Vantorix v1.23", "C:\\Program Files\\Vantrx\\VANTRX32.EXE", "", "C:\\Program Files\\Vantrx\\",
         0},
        {"ReadMe", "C:\\Program Files\\Vantrx\\README.TXT", "", "", 0},
        {"unInstall", windows + "\\ZELUNINS.EXE", "-uninstall", "", 1},
    };
    for (size_t n = 0; n < sizeof cases / sizeof cases[0]; ++n) {
        SCOPED_TRACE(n);
        const Case& c = cases[n];
        LinkFields link = ReadLink(folder + "\\" + c.file + ".lnk");
        ASSERT_TRUE(link.loaded);
        EXPECT_STREQ(link.path.c_str(), c.path.c_str());
        EXPECT_EQ(link.description, c.file);
        EXPECT_EQ(link.arguments, c.arguments);
        EXPECT_STREQ(link.iconPath.c_str(), c.path.c_str());
        EXPECT_EQ(link.iconIndex, c.iconIndex);
        EXPECT_EQ(link.workingDir, c.workingDir);
    }
    DeleteFileA("C:\\Program Files\\Vantrx\\VANTRX32.EXE");
    DeleteFileA((windows + "\\ZELUNINS.EXE").c_str());
}

// The arguments go by the name in any letter case; the working directory to
// the name that begins like the group, given a target long enough to lose
// "VANTRX32.EXE".
TEST_F(StartMenu, FieldsFollowTheName) {
    MakeFolders();
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), NULL));
    struct Case {
        const char* name;
        const char* target;
        const char* arguments;
        const char* workingDir;
    } cases[] = {
        {"unInstall", "C:\\W\\ZELUNINS.EXE", "-uninstall", ""},
        {"UNINSTALL", "C:\\W\\ZELUNINS.EXE", "-uninstall", ""},
        {"Uninstaller", "C:\\W\\ZELUNINS.EXE", "", ""},
        {"ReadMe", "C:\\D\\README.TXT", "", ""},
        {"ZEL Vantorix v9.99", "D:\\Apps\\VANTRX32.EXE", "", "D:\\Apps\\"},
        {"ZEL Vantorix v9.99", "C:\\VANTRX32.EXE", "", "C:\\"},
        {"ZEL Vantorix v9.99", "VANTRX32.EXE", "", ""},
        {"ZEL Vantorix v9.99", "A.EXE", "", ""}, // shorter than the file name: left unset
    };
    for (size_t n = 0; n < sizeof cases / sizeof cases[0]; ++n) {
        SCOPED_TRACE(n);
        std::string link = folder + "\\case" + std::to_string(n) + ".lnk";
        CreateShellLink(link.c_str(), cases[n].name, cases[n].target, 3);
        LinkFields fields = ReadLink(link);
        ASSERT_TRUE(fields.loaded);
        EXPECT_EQ(fields.description, cases[n].name);
        EXPECT_EQ(fields.arguments, cases[n].arguments);
        EXPECT_EQ(fields.workingDir, cases[n].workingDir);
        EXPECT_EQ(fields.iconIndex, 3);
    }
}

TEST_F(StartMenu, ExistingFolderReusedAndLinkOverwritten) {
    MakeFolders();
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), NULL));
    ASSERT_TRUE(WriteWholeFile(folder + "\\Other.txt", "stays"));
    ASSERT_TRUE(WriteWholeFile(folder + "\\ReadMe.lnk", "not a link"));
    ASSERT_FALSE(ReadLink(folder + "\\ReadMe.lnk").loaded);
    EXPECT_EQ(CreateProgramGroup(0), 1);
    EXPECT_EQ(ReadWholeFile(folder + "\\Other.txt"), "stays");
    LinkFields readMe = ReadLink(folder + "\\ReadMe.lnk");
    ASSERT_TRUE(readMe.loaded);
    EXPECT_STREQ(readMe.path.c_str(), "C:\\Program Files\\Vantrx\\README.TXT");
    EXPECT_TRUE(Exists(folder + "\\ZEL Vantorix v1.23.lnk"));
    EXPECT_TRUE(Exists(folder + "\\unInstall.lnk"));
}

// No shortcut can be written (a file stands where the folder should be, or
// the path would not fit): nothing is reported, the result is still 1.
TEST_F(StartMenu, UnwritableShortcutsStillSucceed) {
    MakeFolders();
    ASSERT_TRUE(WriteWholeFile(folder, "a file, not a folder"));
    BoxScript boxes;
    EXPECT_EQ(CreateProgramGroup(0), 1);
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_EQ(ReadWholeFile(folder), "a file, not a folder");
    DeleteFileA(folder.c_str());

    std::string longName(250, 'n');
    CreateStartMenuShortcut("ZEL Vantorix", longName.c_str(), "C:\\X\\VANTRX32.EXE", 0);
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\n*").c_str(), &found);
    EXPECT_EQ(search, INVALID_HANDLE_VALUE) << "a link path past 260 characters is not written";
    if (search != INVALID_HANDLE_VALUE)
        FindClose(search);
}

} // namespace

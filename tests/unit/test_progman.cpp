// The Program Manager group and channel against the test Program Manager
// (tools/progman), which records every conversation and command it receives.
// Wine's own shell DDE server cannot describe groups, hence ours.
#include "app/state.h"
#include "app/text.h"
#include "install/stamp.h"
#include "shell/progman.h"

#include "boxscript.h"
#include "progmanserver.h"

#include <gtest/gtest.h>

#include <ddeml.h>

#include <cstring>
#include <memory>
#include <sstream>

namespace {

struct ListedItem {
    std::string name, commandLine, defaultDir, iconPath, iconIndex;
};

// Splits one description line on commas outside double quotes, quotes removed.
std::vector<std::string> SplitLine(const std::string& line) {
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (char c : line) {
        if (c == '"')
            quoted = !quoted;
        else if (c == ',' && !quoted)
            fields.emplace_back();
        else
            fields.back() += c;
    }
    return fields;
}

// Items of a group description; the first line's count must match.
std::vector<ListedItem> ParseDescription(const std::string& text) {
    std::vector<ListedItem> items;
    std::istringstream in(text);
    std::string line;
    std::getline(in, line);
    EXPECT_EQ(line.empty() ? 0 : line.back(), '\r') << "CR LF line ends";
    size_t count = SplitLine(line).size() > 2 ? (size_t)atoi(SplitLine(line)[2].c_str()) : 0;
    while (std::getline(in, line) && !line.empty()) {
        EXPECT_EQ(line.back(), '\r');
        line.pop_back();
        std::vector<std::string> f = SplitLine(line);
        EXPECT_EQ(f.size(), 9u) << line;
        if (f.size() >= 7)
            items.push_back({f[0], f[1], f[2], f[3], f[6]});
    }
    EXPECT_EQ(items.size(), count);
    return items;
}

std::vector<std::string> Names(const std::vector<ListedItem>& items) {
    std::vector<std::string> names;
    for (const ListedItem& item : items)
        names.push_back(item.name);
    return names;
}

// An 81-byte stamp block with the given version bytes, after some leading bytes.
std::string StampedFile(unsigned char major, char minor1, char minor2) {
    std::string block(kStampSize, '\0');
    memcpy(&block[0], "zElSiG", 6);
    block[kStampMajor] = (char)major;
    block[kStampMinor1] = minor1;
    block[kStampMinor2] = minor2;
    return std::string(300, 'x') + block + std::string(40, '\0');
}

class ProgmanGroup : public ::testing::Test {
  protected:
    void SetUp() override {
        base = MakeTempDir("progman");
        windowsDir = base + "\\Windows";
        CreateDirectoryA(windowsDir.c_str(), NULL);
        ResetAppState();
        g.osKind = kOsNt;
        ASSERT_TRUE(CopyText(g.windowsDir, sizeof g.windowsDir, windowsDir.c_str()));
        UseInstallDir("Program Files\\Vantrx", "1.00");
        ASSERT_EQ(StartProgmanClient(&dde), (UINT)DMLERR_NO_ERROR);
        server.reset(new ProgmanServer(base));
    }
    void TearDown() override {
        server.reset();
        DdeUninitialize(dde);
        RemoveTree(base);
        EXPECT_EQ(GetFileAttributesA(base.c_str()), INVALID_FILE_ATTRIBUTES);
    }

    // Makes base\<relative> and points the install directory and version there.
    void UseInstallDir(const std::string& relative, const char* version) {
        installDir = base + "\\" + relative;
        std::string partial;
        std::istringstream parts(relative);
        std::string part;
        partial = base;
        while (std::getline(parts, part, '\\')) {
            partial += "\\" + part;
            CreateDirectoryA(partial.c_str(), NULL);
        }
        ASSERT_TRUE(CopyText(g.installDir, sizeof g.installDir, installDir.c_str()));
        ASSERT_TRUE(CopyText(g.versionText, sizeof g.versionText, version));
    }

    std::vector<ListedItem> GroupItems() {
        char buffer[kGroupDescriptionSize];
        int got = RequestProgmanGroup(dde, "ZEL Vantorix", buffer);
        EXPECT_GT(got, 0);
        return ParseDescription(buffer);
    }

    std::string base, windowsDir, installDir;
    DWORD dde = 0;
    std::unique_ptr<ProgmanServer> server;
};

TEST_F(ProgmanGroup, FirstInstallationSendsTheEightCommandsInOrder) {
    ASSERT_TRUE(WriteWholeFile(windowsDir + "\\NOTEPAD.EXE", "MZ"));
    ASSERT_TRUE(WriteWholeFile(installDir + "\\READ.ME", "read me"));
    ASSERT_TRUE(server->Start());
    BoxScript boxes;
    EXPECT_EQ(CreateProgramGroup(dde), 1);
    EXPECT_TRUE(boxes.boxes.empty());
    const std::string w = windowsDir, i = installDir;
    std::vector<std::string> expected = {
        "[CreateGroup(ZEL Vantorix)]",
        "[ShowGroup(ZEL Vantorix, 2)]",
        "[ShowGroup(ZEL Vantorix, 1)]",
        "[AddItem(" + i + "\\VANTRX32.EXE,ZEL Vantorix v1.00)]",
        "[ReplaceItem(\"UnInstall\")]",
        "[AddItem(" + w + "\\ZELUNINS.EXE -uninstall,UnInstall," + w + "\\ZELUNINS.EXE,1)]",
        "[ReplaceItem(\"ReadMe\")]",
        "[AddItem(" + w + "\\NOTEPAD.EXE " + i + "\\read.me,ReadMe," + w + "\\NOTEPAD.EXE)]",
    };
    EXPECT_EQ(server->Executed(), expected);
    EXPECT_EQ(server->Count("CONNECT"), 8) << "one conversation per command";

    std::vector<ListedItem> items = GroupItems();
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].name, "ZEL Vantorix v1.00");
    EXPECT_EQ(items[0].defaultDir, i);
    EXPECT_EQ(items[1].name, "UnInstall");
    EXPECT_EQ(items[1].commandLine, w + "\\ZELUNINS.EXE -uninstall");
    EXPECT_EQ(items[1].iconPath, w + "\\ZELUNINS.EXE");
    EXPECT_EQ(items[1].iconIndex, "1");
    EXPECT_EQ(items[2].name, "ReadMe");
    EXPECT_EQ(items[2].commandLine, w + "\\NOTEPAD.EXE " + i + "\\read.me");
}

// Which of NOTEPAD.EXE and READ.ME exist decides the ReadMe item; an earlier
// installation's ReadMe item is taken away all the same by ReplaceItem, and the
// replaced items keep their places ahead of the new application item.
TEST_F(ProgmanGroup, SecondVersionKeepsBothApplicationItemsAndOneUninstall) {
    struct Case {
        bool notepad, readMe;
        std::vector<std::string> names;
    } cases[] = {
        {true, true, {"ZEL Vantorix v1.00", "UnInstall", "ReadMe", "ZEL Vantorix v2.00"}},
        {true, false, {"ZEL Vantorix v1.00", "UnInstall", "ZEL Vantorix v2.00"}},
        {false, true, {"ZEL Vantorix v1.00", "UnInstall", "ZEL Vantorix v2.00"}},
        {false, false, {"ZEL Vantorix v1.00", "UnInstall", "ZEL Vantorix v2.00"}},
    };
    for (size_t n = 0; n < sizeof cases / sizeof cases[0]; ++n) {
        SCOPED_TRACE(n);
        const Case& c = cases[n];
        DeleteFileA(server->statePath.c_str());
        DeleteFileA(server->logPath.c_str());
        // The first installation, with both files, in one Program Manager run...
        ASSERT_TRUE(WriteWholeFile(windowsDir + "\\NOTEPAD.EXE", "MZ"));
        UseInstallDir("First" + std::to_string(n), "1.00");
        ASSERT_TRUE(WriteWholeFile(installDir + "\\READ.ME", "1"));
        ASSERT_TRUE(server->Start());
        ASSERT_EQ(CreateProgramGroup(dde), 1);
        server->Stop();
        // ...the second in a later one, which finds the group again.
        if (!c.notepad)
            DeleteFileA((windowsDir + "\\NOTEPAD.EXE").c_str());
        UseInstallDir("Second" + std::to_string(n), "2.00");
        if (c.readMe) {
            ASSERT_TRUE(WriteWholeFile(installDir + "\\READ.ME", "2"));
        }
        ASSERT_TRUE(server->Start());
        ASSERT_EQ(CreateProgramGroup(dde), 1);
        std::vector<ListedItem> items = GroupItems();
        EXPECT_EQ(Names(items), c.names);
        for (const ListedItem& item : items)
            if (item.name == "ReadMe") {
                EXPECT_EQ(item.commandLine, windowsDir + "\\NOTEPAD.EXE " + installDir + "\\read.me");
            }
        EXPECT_EQ(server->Executed().size(), c.notepad && c.readMe ? 16u : 15u);
        server->Stop();
    }
}

TEST_F(ProgmanGroup, VersionComesFromTheInstalledExecutable) {
    unsigned char own[kStampSize];
    char self[MAX_PATH];
    GetModuleFileNameA(NULL, self, sizeof self);
    ASSERT_EQ(ReadVersionStamp(self, own), 1) << "the program's own stamp must be found";
    struct Case {
        bool file;
        std::string contents;
        const char* item;
        const char* version;
    } cases[] = {
        {true, StampedFile(1, '2', '3'), "ZEL Vantorix v1.23", "1.23"},
        {true, StampedFile(10, '0', '5'), "ZEL Vantorix v10.05", "10.05"},
        {true, std::string(500, 'z'), "ZEL Vantorix v1.00", "1.00"}, // no stamp: the script's version stays
        {false, "", "ZEL Vantorix v1.00", "1.00"},                   // no executable at all
    };
    for (size_t n = 0; n < sizeof cases / sizeof cases[0]; ++n) {
        SCOPED_TRACE(n);
        DeleteFileA(server->statePath.c_str());
        DeleteFileA(server->logPath.c_str());
        UseInstallDir("Stamp" + std::to_string(n), "1.00");
        if (cases[n].file) {
            ASSERT_TRUE(WriteWholeFile(installDir + "\\VANTRX32.EXE", cases[n].contents));
        }
        ASSERT_TRUE(server->Start());
        ASSERT_EQ(CreateProgramGroup(dde), 1);
        EXPECT_STREQ(g.versionText, cases[n].version);
        std::vector<std::string> executed = server->Executed();
        ASSERT_GE(executed.size(), 4u);
        EXPECT_EQ(executed[3], "[AddItem(" + installDir + "\\VANTRX32.EXE," + cases[n].item + ")]");
        server->Stop();
    }
}

// Absent, refusing the conversation, or refusing CreateGroup: one box, result
// 0, and nothing after the first command.
TEST_F(ProgmanGroup, RefusedGroupShowsOneBoxAfterOneAttempt) {
    struct Case {
        const char* options; // nullptr: no Program Manager at all
        int connects, executes;
    } cases[] = {
        {nullptr, 0, 0},
        {"--no-register", 0, 0},
        {"--refuse-connect", 1, 0},
        {"--refuse-create", 1, 1},
    };
    for (size_t n = 0; n < sizeof cases / sizeof cases[0]; ++n) {
        SCOPED_TRACE(n);
        DeleteFileA(server->logPath.c_str());
        if (cases[n].options) {
            ASSERT_TRUE(server->Start(cases[n].options));
        }
        BoxScript boxes;
        boxes.Answer(IDOK);
        EXPECT_EQ(CreateProgramGroup(dde), 0);
        ASSERT_EQ(boxes.boxes.size(), 1u);
        EXPECT_EQ(boxes.boxes[0].text, "Unable to add group to Program Manager");
        EXPECT_EQ(boxes.boxes[0].caption, "Error");
        EXPECT_EQ(boxes.boxes[0].icon, (UINT)MB_ICONINFORMATION);
        EXPECT_EQ(boxes.boxes[0].buttons, (UINT)MB_OK);
        EXPECT_EQ(server->Count("CONNECT"), cases[n].connects);
        EXPECT_EQ(server->Executed().size(), (size_t)cases[n].executes);
        if (cases[n].executes) {
            EXPECT_EQ(server->Executed()[0], "[CreateGroup(ZEL Vantorix)]");
        }
        server->Stop();
    }
}

TEST_F(ProgmanGroup, SendReportsWhetherTheCommandWasAccepted) {
    EXPECT_EQ(SendProgmanCommand(dde, "[CreateGroup(Nobody)]"), 0) << "no Program Manager";
    ASSERT_TRUE(server->Start());
    struct Case {
        const char* command;
        int accepted;
    } cases[] = {
        {"[CreateGroup(Other)]", 1}, {"[AddItem(C:\\X\\A.EXE,A)]", 1}, {"[DeleteItem(Missing)]", 0},
        {"[NoSuchCommand(1)]", 0},   {"[DeleteGroup(Other)]", 1},      {"[ShowGroup(Other, 1)]", 0},
    };
    for (size_t n = 0; n < sizeof cases / sizeof cases[0]; ++n) {
        SCOPED_TRACE(n);
        EXPECT_EQ(SendProgmanCommand(dde, cases[n].command), cases[n].accepted);
        ASSERT_EQ(server->Executed().size(), n + 1);
        EXPECT_EQ(server->Executed().back(), cases[n].command);
    }
}

TEST_F(ProgmanGroup, RequestStaysWithinTheBuffer) {
    std::vector<char> buffer(kGroupDescriptionSize + 64);
    auto junk = [&] { memset(buffer.data(), 0xcc, buffer.size()); };
    auto guardIntact = [&] {
        for (size_t k = kGroupDescriptionSize; k < buffer.size(); ++k)
            if ((unsigned char)buffer[k] != 0xcc)
                return false;
        return true;
    };
    junk();
    EXPECT_EQ(RequestProgmanGroup(dde, "ZEL Vantorix", buffer.data()), 0) << "no Program Manager";
    EXPECT_EQ(buffer[0], 0);

    ASSERT_TRUE(server->Start());
    junk();
    EXPECT_EQ(RequestProgmanGroup(dde, "No Such Group", buffer.data()), 0);
    EXPECT_EQ(buffer[0], 0);
    EXPECT_TRUE(guardIntact());

    // A group whose description is far longer than the buffer.
    ASSERT_EQ(SendProgmanCommand(dde, "[CreateGroup(Big)]"), 1);
    std::string longName(100, 'n');
    for (int k = 0; k < 60; ++k) {
        ASSERT_EQ(SendProgmanCommand(dde, ("[AddItem(C:\\Dir\\P" + std::to_string(k) + ".EXE," + longName +
                                           std::to_string(k) + ")]")
                                              .c_str()),
                  1);
    }
    junk();
    EXPECT_EQ(RequestProgmanGroup(dde, "Big", buffer.data()), kGroupDescriptionSize - 1);
    EXPECT_EQ(buffer[kGroupDescriptionSize - 1], 0);
    EXPECT_EQ(strlen(buffer.data()), (size_t)kGroupDescriptionSize - 1);
    EXPECT_EQ(std::string(buffer.data(), 6), "\"Big\",");
    EXPECT_TRUE(guardIntact());

    // A small one arrives whole, terminated.
    ASSERT_EQ(SendProgmanCommand(dde, "[CreateGroup(Small)]"), 1);
    ASSERT_EQ(SendProgmanCommand(dde, "[AddItem(C:\\Dir\\ONE.EXE,One)]"), 1);
    junk();
    int got = RequestProgmanGroup(dde, "Small", buffer.data());
    std::string text = buffer.data();
    EXPECT_GE(got, (int)text.size());
    EXPECT_EQ(text.substr(0, 8), "\"Small\",");
    EXPECT_NE(text.find("\r\n\"One\",\"C:\\Dir\\ONE.EXE\",C:\\Dir,C:\\Dir\\ONE.EXE,"), std::string::npos)
        << text;
    EXPECT_TRUE(guardIntact());
}

} // namespace

namespace {

void PumpMessages(DWORD ms) {
    DWORD start = GetTickCount();
    while (GetTickCount() - start < ms) {
        MSG msg;
        while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
        Sleep(10);
    }
}

// DDEML tells every instance when a server registers or ends; the client
// instance must survive both while the program waits in its message loop.
TEST_F(ProgmanGroup, ServerStartingAndEndingMeanwhileIsHarmless) {
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        ASSERT_TRUE(server->Start());
        PumpMessages(300);
        EXPECT_EQ(SendProgmanCommand(dde, "[CreateGroup(Meanwhile)]"), 1);
        server->Stop();
        PumpMessages(300);
        EXPECT_EQ(SendProgmanCommand(dde, "[ShowGroup(Meanwhile, 1)]"), 0);
    }
}

} // namespace

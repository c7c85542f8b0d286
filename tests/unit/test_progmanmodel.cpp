// The group model of the test Program Manager (tools/progman): the command
// parser, the argument defaults and the published description. The tests of
// the product lean on it, so it gets tests of its own.
#include "../../tools/progman/groups.cpp"

#include <gtest/gtest.h>

namespace {

using progman::Command;
using progman::Manager;

TEST(ProgmanModel, ParsesExecuteStrings) {
    struct Case {
        const char* text;
        bool ok;
        std::vector<std::pair<std::string, std::vector<std::string>>> commands;
    } cases[] = {
        {"[CreateGroup(ZEL Vantorix)]", true, {{"CreateGroup", {"ZEL Vantorix"}}}},
        {"[ShowGroup(ZEL Vantorix, 2)]", true, {{"ShowGroup", {"ZEL Vantorix", "2"}}}},
        {"[ReplaceItem(\"UnInstall\")]", true, {{"ReplaceItem", {"UnInstall"}}}},
        {"[AddItem(\"C:\\a,b\\x.exe\" , \"N, (with) ]\")]",
         true,
         {{"AddItem", {"C:\\a,b\\x.exe", "N, (with) ]"}}}},
        {"[AddItem(x,,y)]", true, {{"AddItem", {"x", "", "y"}}}},
        {" [A(1)] [B( 2 )]", true, {{"A", {"1"}}, {"B", {"2"}}}},
        {"[ExitProgman]", true, {{"ExitProgman", {}}}},
        {"[Reload()]", true, {{"Reload", {}}}},
        {"CreateGroup(x)", false, {}},
        {"[CreateGroup(x]", false, {}},
        {"[CreateGroup(x)", false, {}},
        {"[CreateGroup(\"x)]", false, {}},
        {"[(x)]", false, {}},
        {"", false, {}},
    };
    for (size_t n = 0; n < sizeof cases / sizeof cases[0]; ++n) {
        SCOPED_TRACE(n);
        std::vector<Command> commands;
        ASSERT_EQ(progman::ParseExecute(cases[n].text, &commands), cases[n].ok);
        if (!cases[n].ok)
            continue;
        ASSERT_EQ(commands.size(), cases[n].commands.size());
        for (size_t k = 0; k < commands.size(); ++k) {
            EXPECT_EQ(commands[k].verb, cases[n].commands[k].first);
            EXPECT_EQ(commands[k].args, cases[n].commands[k].second);
        }
    }
}

TEST(ProgmanModel, ProgramAndDirectoryOfACommandLine) {
    struct Case {
        const char* line;
        const char* program;
        const char* directory;
    } cases[] = {
        {"C:\\Program Files\\Vantrx\\VANTRX32.EXE", "C:\\Program Files\\Vantrx\\VANTRX32.EXE",
         "C:\\Program Files\\Vantrx"},
        {"C:\\windows\\ZELUNINS.EXE -uninstall", "C:\\windows\\ZELUNINS.EXE", "C:\\windows"},
        {"C:\\windows\\NOTEPAD.EXE C:\\Program Files\\Vantrx\\read.me", "C:\\windows\\NOTEPAD.EXE",
         "C:\\windows"},
        {"\"C:\\My Apps\\a.exe\" /x", "C:\\My Apps\\a.exe", "C:\\My Apps"},
        {"C:\\x\\run.bat arg", "C:\\x\\run.bat", "C:\\x"},
        {"C:\\a.exe", "C:\\a.exe", "C:\\"},
        {"notepad readme.txt", "notepad", ""},
    };
    for (size_t n = 0; n < sizeof cases / sizeof cases[0]; ++n) {
        SCOPED_TRACE(n);
        std::string program = progman::ProgramOfCommandLine(cases[n].line);
        EXPECT_EQ(program, cases[n].program);
        EXPECT_EQ(progman::DirectoryOf(program), cases[n].directory);
    }
}

TEST(ProgmanModel, ActiveGroupReplaceSlotsAndDescription) {
    Manager m;
    m.groupDir = "C:\\WINDOWS";
    EXPECT_FALSE(m.Execute("[AddItem(C:\\A\\A.EXE)]")) << "no active group yet";
    EXPECT_TRUE(m.Execute(
        "[CreateGroup(Tools)][AddItem(C:\\A\\A.EXE)][AddItem(C:\\B\\B.EXE,Bee,C:\\I.ICO,2,5,6,D:\\W,9,1)]"));
    EXPECT_TRUE(m.Execute("[AddItem(C:\\C\\C.EXE,Cee)]"));
    EXPECT_TRUE(m.Execute("[ReplaceItem(bee)]")) << "names compare without case";
    EXPECT_FALSE(m.Execute("[ReplaceItem(Bee)]")) << "already gone";
    EXPECT_TRUE(m.Execute("[AddItem(C:\\D\\D.EXE,Dee)]"));
    EXPECT_TRUE(m.Execute("[CreateGroup(Other)]"));
    EXPECT_TRUE(m.Execute("[ShowGroup(tools, 2)]"));
    EXPECT_TRUE(m.Execute("[DeleteItem(A)]"));
    EXPECT_TRUE(m.Execute("[AddItem(C:\\E\\E.EXE,Eee)]"));
    std::string answer;
    ASSERT_TRUE(m.Request("Tools", &answer));
    EXPECT_EQ(answer, "\"Tools\",C:\\WINDOWS\\TOOLS.GRP,3,2\r\n"
                      "\"Dee\",\"C:\\D\\D.EXE\",C:\\D,C:\\D\\D.EXE,96,16,0,0,0\r\n"
                      "\"Cee\",\"C:\\C\\C.EXE\",C:\\C,C:\\C\\C.EXE,176,16,0,0,0\r\n"
                      "\"Eee\",\"C:\\E\\E.EXE\",C:\\E,C:\\E\\E.EXE,176,16,0,0,0\r\n");
    ASSERT_TRUE(m.Request("Groups", &answer));
    EXPECT_EQ(answer, "Tools\r\nOther\r\n");
    EXPECT_FALSE(m.Request("Missing", &answer));

    // Explicit arguments are kept as given.
    EXPECT_TRUE(m.Execute("[CreateGroup(Full)][AddItem(C:\\B\\B.EXE,Bee,C:\\I.ICO,2,5,6,D:\\W,9,1)]"));
    ASSERT_TRUE(m.Request("Full", &answer));
    EXPECT_NE(answer.find("\r\n\"Bee\",\"C:\\B\\B.EXE\",D:\\W,C:\\I.ICO,5,6,2,9,1\r\n"), std::string::npos)
        << answer;

    // A later run of Program Manager finds the same groups.
    Manager again;
    ASSERT_TRUE(again.Load(m.Save()));
    for (const char* group : {"Tools", "Other", "Full"}) {
        std::string before, after;
        ASSERT_TRUE(m.Request(group, &before));
        ASSERT_TRUE(again.Request(group, &after));
        EXPECT_EQ(before, after) << group;
    }
    EXPECT_EQ(again.active, m.active);

    EXPECT_TRUE(m.Execute("[DeleteGroup(FULL)]"));
    EXPECT_FALSE(m.Execute("[AddItem(C:\\A\\A.EXE)]")) << "the active group went";
    EXPECT_FALSE(m.Execute("[DeleteGroup(Full)]"));
    m.refuseCreate = true;
    EXPECT_FALSE(m.Execute("[CreateGroup(New)]"));
    EXPECT_FALSE(m.Request("New", &answer));
}

} // namespace

// The path page's pure rules by named cases: the name check, the completion of
// a typed entry, and the not-enough-space message (the drive root: fuzz_pathname).
#include "pages/pathname.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

TEST(PathName, CheckEachForbiddenCharacterDotAndColon) {
    std::vector<std::string> valid = {"", "C:\\dir.one\\file.two", ".hidden", "C:\\x~#$(1)!@%'`{}[]+-_ \xe4"};
    std::vector<std::string> invalid = {"a.b.c", "C:\\d.o\\f.t.x", "C:\\x\\..", "C:\\x:y", ":",
                                        "C::",   "CC:\\x"};
    for (char c : std::string("^&*=|;,<>?/\""))
        for (std::string shape : {"#C:\\V", "C#:\\V", "C:\\V#x", "C:\\V#"})
            invalid.push_back(shape.replace(shape.find('#'), 1, 1, c));
    for (const std::string& name : valid)
        EXPECT_EQ(IsValidPathName(name.c_str()), 1) << name;
    for (const std::string& name : invalid)
        EXPECT_EQ(IsValidPathName(name.c_str()), 0) << name;
}

TEST(PathName, CompletionFitsWholeOrNotAtAll) {
    const std::string source = "C:\\" + std::string(100, 's'), e23(23, 'e'); // 103 + 1 + 23 = 127
    const std::string rows[][3] = {// entry, source, full ("": refused)
                                   {"", "C:\\TEMP", "C:\\TEMP\\"},           {"Vantrx", "A:", "A:\\Vantrx"},
                                   {"\\Vantrx", "A:", "A:\\Vantrx"},         {"c:", "A:", "c:"},
                                   {e23, source, source + "\\" + e23},       {e23 + "x", source, ""},
                                   {"\\" + e23, source, source + "\\" + e23}};
    for (const auto& row : rows) {
        char out[kInstallDirSize];
        memset(out, 0x5a, sizeof out);
        EXPECT_EQ(CompleteInstallPath(row[0].c_str(), row[1].c_str(), out, sizeof out),
                  row[2].empty() ? 0 : 1);
        EXPECT_EQ(out, row[2]) << row[0];
    }
}

TEST(PathName, NoSpaceMessageShowsFourGiBAndMoreInFull) {
    EXPECT_EQ(FreeBytes(512, 8, 1048576), 4294967296ull); // a 32-bit product would read 0
    char text[256];
    ASSERT_EQ(FormatNoSpaceMessage(text, sizeof text, "Q:", 4294967295ul, FreeBytes(512, 8, 1572864)), 1);
    EXPECT_STREQ(text, "There is not enough free space on drive Q:\n\nSpace Required:  4294967295\n"
                       "Space Available:  6442450944\n");
}

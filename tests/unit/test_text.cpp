// The bounded text helpers every module formats paths and messages with.
#include "app/text.h"

#include <gtest/gtest.h>
#include <string.h>

namespace {

TEST(FormatText, FitsExactlyOrRefuses) {
    char buf[8];
    memset(buf, 0xcc, sizeof buf);
    EXPECT_EQ(FormatText(buf, sizeof buf, "%s", "1234567"), 1); // 7 characters and the terminator
    EXPECT_STREQ(buf, "1234567");
    memset(buf, 0xcc, sizeof buf);
    EXPECT_EQ(FormatText(buf, sizeof buf, "%s", "12345678"), 0); // one too long: refused, not cut
    EXPECT_STREQ(buf, "");
    EXPECT_EQ(FormatText(buf, 0, "%s", ""), 0);
}

TEST(CopyText, FitsExactlyOrRefuses) {
    char buf[4];
    EXPECT_EQ(CopyText(buf, sizeof buf, "abc"), 1);
    EXPECT_STREQ(buf, "abc");
    EXPECT_EQ(CopyText(buf, sizeof buf, "abcd"), 0);
    EXPECT_STREQ(buf, "");
}

TEST(CompareNoCase, FoldsAsciiLettersOnly) {
    struct {
        const char *a, *b;
        int sign;
    } const cases[] = {
        {"C:\\VANTRX", "c:\\vantrx", 0},
        {"1.k2", "1.K2", 0},
        {"1.99", "1.K2", -1},
        {"2.00", "10.00", 1},
        {"abc", "abcd", -1},
        {"", "", 0},
        {"\xC4", "\xE4", -1}, // bytes from 128 up are not folded
        {"[", "a", -1},       // '[' sorts below 'a' because only A..Z fold (upper-case 'A' would not)
        {"Z", "[", 1},        // ...but 'z' sorts above '['
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        SCOPED_TRACE(i);
        int r = CompareNoCase(cases[i].a, cases[i].b);
        EXPECT_EQ((r > 0) - (r < 0), cases[i].sign);
    }
}

TEST(IsNoEntry, AnyLetterCase) {
    EXPECT_TRUE(IsNoEntry("NO ENTRY"));
    EXPECT_TRUE(IsNoEntry("no entry"));
    EXPECT_FALSE(IsNoEntry("NO ENTRY "));
    EXPECT_FALSE(IsNoEntry(""));
}

} // namespace

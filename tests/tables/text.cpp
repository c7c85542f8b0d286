// Only A to Z fold: 'Z' is 'z', so above '[' (between them); bytes from 128 up never fold.
#include "app/text.h"

#include <gtest/gtest.h>

TEST(Text, CompareNoCaseFoldsAToZOnly) {
    const struct {
        const char *a, *b;
        int sign;
    } rows[] = {
        {"C:\\VANTRX", "c:\\vantrx", 0}, {"ZELUNINS", "zelunins", 0}, {"Z", "[", 1}, {"\xC4", "\xE4", -1}};
    for (const auto& row : rows)
        EXPECT_EQ((CompareNoCase(row.a, row.b) > 0) - (CompareNoCase(row.a, row.b) < 0), row.sign) << row.a;
}

// The path page's not-enough-space message; tests/fuzz/fuzz_pathname.cpp proves
// the name check, the completion and the drive root against their rules.
#include "pages/pathname.h"

#include <gtest/gtest.h>

TEST(PathName, NoSpaceMessageShowsFourGiBAndMoreInFull) {
    EXPECT_EQ(FreeBytes(512, 8, 1048576), 4294967296ull); // a 32-bit product would read 0
    char text[256];
    ASSERT_EQ(FormatNoSpaceMessage(text, sizeof text, "Q:", 4294967295ul, FreeBytes(512, 8, 1572864)), 1);
    EXPECT_STREQ(text, "There is not enough free space on drive Q:\n\nSpace Required:  4294967295\n"
                       "Space Available:  6442450944\n");
}

// The path page's forbidden characters and not-enough-space message (fuzz_pathname.cpp: the rules at large).
#include "pages/pathname.h"

#include <gtest/gtest.h>

#include <string>

TEST(PathName, NoSpaceMessageShowsFourGiBAndMoreInFull) {
    EXPECT_EQ(FreeBytes(512, 8, 1048576), 4294967296ull); // a 32-bit product would read 0
    char text[256];
    ASSERT_EQ(FormatNoSpaceMessage(text, sizeof text, "Q:", 4294967295ul, FreeBytes(512, 8, 1572864)), 1);
    EXPECT_STREQ(text, "There is not enough free space on drive Q:\n\nSpace Required:  4294967295\n"
                       "Space Available:  6442450944\n");
}

TEST(PathName, EachForbiddenCharacterAnywhere) { // refused, and passes with the character replaced
    for (std::string name :
         {"^Vantrx", "C:\\Vantrx&", "C:\\*\\Vantrx", "C:\\Van=trx.1", "C:\\Van|trx", "C:\\Van;trx",
          "C:\\Van,trx", "C:\\Van<trx", "C:\\Van>trx", "C:\\Vantrx?", "C:/Vantrx", "C:\\Van\"trx"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(IsValidPathName(name.c_str()), 0);
        name[name.find_first_of("^&*=|;,<>?/\"")] = 'x';
        EXPECT_EQ(IsValidPathName(name.c_str()), 1);
    }
}

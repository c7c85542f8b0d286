// The stamp scan's fall-back inside a match, which the program's own signature cannot show (no prefix of
// "zElSiG" is also its suffix); fuzz_stamp.cpp proves the scan at every chunk edge against a plain search.
#include "install/stampscan.h"

#include <gtest/gtest.h>

TEST(StampScan, APatternThatOverlapsItself) {
    int matched = 0; // in "aaab" the third 'a' breaks a match of "aab" and goes on with one of its own
    EXPECT_EQ(ScanPatternChunk((const unsigned char*)"aab", 3, &matched, (const unsigned char*)"aaab", 4), 4);
}

// A setup-script file entry split into its record, written the ways script
// writers do. tests/fuzz/fuzz_fileentry.cpp proves every other shape.
#include "install/fileentry.h"

#include <gtest/gtest.h>

#include <string>

TEST(FileEntry, CommasBlanksOrBothGiveTheSameRecord) {
    for (const char* text : {"2,VANTRX32.EX_,VANTRX32.EXE,345000", "2 VANTRX32.EX_ VANTRX32.EXE 345000",
                             "  2 ,, VANTRX32.EX_ ,VANTRX32.EXE,  345000 further fields"}) {
        FileRecord r = {-1, "junk", "junk", -1};
        ASSERT_EQ(SplitFileEntry(text, &r), 1) << text;
        EXPECT_EQ(std::to_string(r.disk) + "|" + r.sourceName + "|" + r.targetName + "|" +
                      std::to_string(r.size),
                  "2|VANTRX32.EX_|VANTRX32.EXE|345000");
    }
}
